#pragma once

// The sound chip the effects and tunes are written for, in integer arithmetic only, so
// that the same source renders to the same bytes in every build: two pulse waves with a
// duty cycle, a 32-step triangle and a 15-bit noise shift register. The oscillators run
// at kOversampledRate and each output sample is the mean of kOversampling of theirs,
// which keeps high notes free of the harshest aliasing without softening their edges.

#include <cstdint>

namespace sound {

constexpr int kSampleRate = 44100;  // samples per second of every rendered file
constexpr int kOversampling = 8;
constexpr int kOversampledRate = kSampleRate * kOversampling;
// Ratios are Q16: 65536 is 1.
constexpr std::int64_t kUnity = 65536;

enum class Wave { kSquare, kTriangle, kNoise };

// The frequency ratio of a number of semitones (negative: down), Q16. Exact to the
// table's rounding in every octave; below seven octaves down it is 0.
std::int64_t semitoneRatio(int semitones);

// Cents to a Q16 ratio, for small detunes (vibrato): linear, good to a fraction of a
// cent within a semitone.
std::int64_t centsRatio(int cents);

class Oscillator {
  public:
    explicit Oscillator(Wave wave = Wave::kSquare) : m_wave(wave) {}

    void setWave(Wave wave) { m_wave = wave; }
    // The pulse's high part, Q16 of the period (clamped to keep a wave at all).
    void setDuty(std::int64_t dutyQ16);
    // Noise from the short (93-step, metallic) sequence instead of the long one.
    void setShortNoise(bool shortNoise) { m_shortNoise = shortNoise; }
    // Starts the wave at the beginning of a period, as a note-on does on the chip.
    void restart();

    // The next oversampled value at a frequency in milli-hertz (for the noise: the rate at
    // which the shift register is clocked). Every wave swings 65534 from low to high and
    // averages zero over a period, so notes start and stop without a thump; a narrow
    // pulse therefore reaches further from zero on its short side, as on the chip.
    int next(std::int64_t milliHertz);

  private:
    Wave m_wave;
    bool m_shortNoise = false;
    std::uint32_t m_phase = 0;
    std::uint32_t m_dutyPhase = 0x80000000u;
    std::uint16_t m_lfsr = 1;
};

}  // namespace sound
