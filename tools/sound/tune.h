#pragma once

// A tune in a small text tracker format, played by the four voices of the chip: two
// pulse channels, the triangle and the noise. Patterns are rows of one note per
// channel; an order list plays patterns in turn and returns to its loop point for ever;
// the tempo is frames (1/60 s) per row. assets/README.md describes the format.
//
// Rendering gives the part before the loop point once and the loop once; the loop's
// last few milliseconds are blended into what preceded its first sample, so a player
// that jumps from its end to its start (the WAV's loop chunk) makes no click there.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "oscillator.h"

namespace sound {

struct Tune {
    static constexpr int kChannels = 4;  // pulse 1, pulse 2, triangle, noise
    static constexpr int kMaxSeconds = 60;

    struct Channel {
        int duty = 50;    // percent (pulse channels)
        int volume = 10;  // 0..15, the chip's volume steps
        int decay = 0;    // frames per volume step down after a note starts; 0: held
    };
    // One cell: kHold keeps what sounds, kOff silences it, otherwise a note starts.
    static constexpr int kHold = -1;
    static constexpr int kOff = -2;
    // A note is a semitone number (69 is A4 = 440 Hz); a noise cell a period 0..15.
    using Row = std::array<int, kChannels>;

    int tempo = 8;
    std::array<Channel, kChannels> channels;
    std::vector<std::string> patternNames;
    std::vector<std::vector<Row>> patterns;
    std::vector<int> order;  // indices into patterns
    int loop = 0;            // index into order
};

struct RenderedTune {
    std::vector<std::int16_t> samples;
    int loopStart = 0;
};

// Peak of one channel at volume 15 with a half-duty pulse; four channels together stay
// below kEffectLevel's headroom with an effect on top.
constexpr int kChannelLevel = 3400;

Tune parseTune(const std::string& text, const std::string& file);
Tune loadTune(const std::filesystem::path& file);
RenderedTune renderTune(const Tune& tune);

}  // namespace sound
