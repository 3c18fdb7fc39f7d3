#pragma once

// A sound effect written as parameters, in the manner of the 8-bit effect generators:
// one wave (square with a duty cycle, the chip's stepped triangle, or noise), a pitch
// that slides from a start to an end frequency, an optional arpeggio and vibrato, and an
// attack / hold / decay envelope. assets/README.md describes the format. Rendering is
// integer arithmetic throughout: the same source gives the same samples in every build.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "oscillator.h"

namespace sound {

struct SoundEffect {
    static constexpr int kMaxLengthMs = 1000;  // an effect is a moment, never a phrase

    Wave wave = Wave::kSquare;
    bool shortNoise = false;
    int duty = 50;              // percent of the period the pulse is high
    int dutySweep = 0;          // percent per second, either way
    int start = 440;            // Hz (noise: the shift register's clock)
    int end = 440;              // Hz, reached after `slide`
    int slide = -1;             // ms the slide takes; -1: the whole sound
    std::vector<int> arpeggio;  // semitones above the pitch, one step each arpeggioStep
    int arpeggioStep = 0;       // ms
    int vibratoDepth = 0;       // cents
    int vibratoSpeed = 0;       // cycles per second
    int attack = 2;             // ms from silence to full level
    int hold = 0;               // ms at full level
    int decay = 100;            // ms from full level to silence
    int punch = 0;              // percent above full level at the start of the hold
    int volume = 100;           // percent of an effect's full level

    int lengthMs() const { return attack + hold + decay; }
};

// The peak an effect of volume 100 with a half-duty pulse reaches: -8 dBFS, so that an
// effect over a tune never clips, and a narrow pulse's higher peak still fits.
constexpr int kEffectLevel = 13000;

SoundEffect parseSoundEffect(const std::string& text, const std::string& file);
SoundEffect loadSoundEffect(const std::filesystem::path& file);

// 16-bit mono samples at kSampleRate, lengthMs() long.
std::vector<std::int16_t> renderSoundEffect(const SoundEffect& effect);

}  // namespace sound
