#include "oscillator.h"

#include <algorithm>

namespace sound {

namespace {

// 2^(k/12) for k = 0..11, Q16.
constexpr std::int64_t kSemitones[12] = {65536, 69433, 73562,  77936,  82570,  87480,
                                         92682, 98193, 104032, 110218, 116772, 123715};
constexpr int kMaxOctavesDown = 7;
constexpr std::uint32_t kMinDuty = 0x04000000u;  // 1/64 of the period
constexpr int kFullScale = 32767;

}  // namespace

std::int64_t semitoneRatio(int semitones) {
    int octave = semitones >= 0 ? semitones / 12 : -((-semitones + 11) / 12);
    const std::int64_t ratio = kSemitones[semitones - octave * 12];
    if (octave >= 0) {
        return ratio << octave;
    }
    return -octave > kMaxOctavesDown ? 0 : ratio >> -octave;
}

std::int64_t centsRatio(int cents) {
    // 2^(1/1200) - 1 is 0.000577789; in Q16 that is 37.866 per cent.
    return kUnity + cents * 37866 / 1000;
}

void Oscillator::setDuty(std::int64_t dutyQ16) {
    std::int64_t duty = dutyQ16 << 16;
    if (duty < kMinDuty) {
        duty = kMinDuty;
    } else if (duty > 0x100000000LL - kMinDuty) {
        duty = 0x100000000LL - kMinDuty;
    }
    m_dutyPhase = static_cast<std::uint32_t>(duty);
}

void Oscillator::restart() {
    m_phase = 0;
}

int Oscillator::next(std::int64_t milliHertz) {
    // Phase is a 32-bit fraction of one period. Above the oscillators' own rate a pitch
    // means nothing (and a high arpeggio could overflow the step).
    milliHertz = std::min<std::int64_t>(milliHertz, 1000LL * kOversampledRate);
    const auto step = static_cast<std::uint32_t>((milliHertz << 32) / (1000LL * kOversampledRate));
    const std::uint32_t before = m_phase;
    m_phase += step;
    switch (m_wave) {
        case Wave::kSquare:
            // High for the duty part, low for the rest, in proportion: zero on average.
            return m_phase < m_dutyPhase
                       ? static_cast<int>((2LL * kFullScale * (0x100000000LL - m_dutyPhase)) >> 32)
                       : -static_cast<int>((2LL * kFullScale * m_dutyPhase) >> 32);
        case Wave::kTriangle: {
            // 32 steps a period, 0..15 up and 15..0 down, as the chip's stairs.
            const int stair = static_cast<int>(m_phase >> 27);
            const int level = stair < 16 ? stair : 31 - stair;
            return (level * 2 - 15) * kFullScale / 15;
        }
        case Wave::kNoise:
            if (m_phase < before) {
                const int tap = m_shortNoise ? 6 : 1;
                const int feedback = (m_lfsr ^ (m_lfsr >> tap)) & 1;
                m_lfsr = static_cast<std::uint16_t>((m_lfsr >> 1) | (feedback << 14));
            }
            return (m_lfsr & 1) != 0 ? kFullScale : -kFullScale;
    }
    return 0;
}

}  // namespace sound
