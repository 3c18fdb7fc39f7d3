#pragma once

#include <SDL.h>
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/framepacer.h"

// What the paced benchmarks share: 600 level frames under the real FramePacer, with the
// start of every frame noted, and the figures taken from those notes. Frame 0 is the
// switch frame (the level loads and is drawn once, without an update); frames 1 to 600
// are the measured ones. The switch frame may overrun its 17 ms and reset the pacer's
// deadline; from frame 1 on, every frame must start on the 17/17/16 schedule counted
// from the start of frame 1.
namespace pacedframes {

constexpr int kMeasuredFrames = 600;

// CPU time of the whole process (user + system) in microseconds.
inline double cpuMicroseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 + usage.ru_utime.tv_usec +
           usage.ru_stime.tv_usec;
}

inline double counterMilliseconds(std::uint64_t counter) {
    return static_cast<double>(counter) * 1000.0 /
           static_cast<double>(SDL_GetPerformanceFrequency());
}

class FrameLog {
  public:
    explicit FrameLog(const FramePacer& pacer) : m_pacer(pacer) {}

    // Called once at the start of every frame, frame 0 included. Nothing is allocated:
    // the notes are fixed arrays, so the log does not disturb the frames it measures.
    void frameStarted() {
        if (m_frames > kMeasuredFrames) {
            return;
        }
        const auto f = static_cast<std::size_t>(m_frames);
        m_ticks[f] = SDL_GetTicks();
        m_counter[f] = SDL_GetPerformanceCounter();
        m_deadline[f] = m_pacer.next();
        if (m_frames == 1) {
            m_cpuStart = cpuMicroseconds();
            m_wallStart = m_counter[f];
        }
        ++m_frames;
    }

    // Called once after the pacing of the last frame.
    void finished() {
        m_cpuEnd = cpuMicroseconds();
        m_wallEnd = SDL_GetPerformanceCounter();
        m_finalDeadline = m_pacer.next();
    }

    // Frames begun so far; frame 0 is the switch frame.
    int frames() const { return m_frames; }

    // Prints one "key value" line per figure for bench/run.sh; false when the run was cut
    // short.
    bool report(const char* name) const {
        if (m_frames != kMeasuredFrames + 1) {
            std::fprintf(stderr, "%s: %d frames instead of %d\n", name, m_frames - 1,
                         kMeasuredFrames);
            return false;
        }
        const double wallMs = counterMilliseconds(m_wallEnd - m_wallStart);
        const double cpuMs = (m_cpuEnd - m_cpuStart) / 1000.0;

        // The ideal start of frame j is the deadline of frame 1 (the pacer's own, taken
        // after any reset of the switch frame) plus the durations the pacer hands out from
        // there: frame i ends with the wait of kFrameDurations[i % 3].
        std::vector<double> tickErrors;
        std::vector<double> offsets;  // fine clock start minus the ideal offset from frame 1
        double ideal = 0;
        int resets = 0;
        for (int j = 1; j <= kMeasuredFrames; ++j) {
            const auto f = static_cast<std::size_t>(j);
            if (j > 1) {
                const std::uint32_t step = durationAfter(j - 1);
                ideal += step;
                // The pacer only ever moves its deadline on by one duration, unless the frame
                // before ended past it: then the deadline restarts from the clock.
                if (m_deadline[f] != m_deadline[f - 1] + step) {
                    ++resets;
                }
            }
            const auto tickLate = static_cast<std::int32_t>(m_ticks[f] - m_deadline[1]);
            tickErrors.push_back(std::abs(tickLate - ideal));
            offsets.push_back(counterMilliseconds(m_counter[f] - m_counter[1]) - ideal);
        }
        if (m_finalDeadline != m_deadline[kMeasuredFrames] + durationAfter(kMeasuredFrames)) {
            ++resets;
        }
        // The same with the microsecond clock. The moment the millisecond counter reached the
        // first deadline cannot be read, so the earliest start of the run stands for it:
        // no frame can begin before its deadline, and this error is each frame's lateness
        // beyond the best the 1 ms clock and the 1 ms sleeps allowed in this run.
        const double earliest = *std::min_element(offsets.begin(), offsets.end());
        std::vector<double> counterErrors;
        for (const double offset : offsets) {
            counterErrors.push_back(offset - earliest);
        }
        const bool switchReset = m_deadline[1] != m_deadline[0] + durationAfter(0);

        std::printf("program %s\n", name);
        std::printf("driver %s\n", SDL_GetCurrentVideoDriver());
        std::printf("frames %d\n", kMeasuredFrames);
        std::printf("wall_ms %.1f\n", wallMs);
        std::printf("ideal_ms %.0f\n", ideal + durationAfter(kMeasuredFrames));
        std::printf("cpu_ms %.1f\n", cpuMs);
        std::printf("cpu_share %.5f\n", cpuMs / wallMs);
        std::printf("start_error_median_ms %.3f\n", median(tickErrors));
        std::printf("start_error_max_ms %.3f\n", maximum(tickErrors));
        std::printf("start_error_fine_median_ms %.3f\n", median(counterErrors));
        std::printf("start_error_fine_max_ms %.3f\n", maximum(counterErrors));
        std::printf("deadline_resets %d\n", resets);
        std::printf("switch_frame_reset %d\n", switchReset ? 1 : 0);
        return true;
    }

    // Every frame's notes as CSV (frame, ticks, deadline, microsecond clock in ms), for a
    // closer look at a late frame; false when the file cannot be written.
    bool writeFrames(const char* path) const {
        std::FILE* file = std::fopen(path, "w");
        if (file == nullptr) {
            return false;
        }
        std::fprintf(file, "frame,ticks,deadline,clock_ms\n");
        for (int j = 0; j < m_frames; ++j) {
            const auto f = static_cast<std::size_t>(j);
            std::fprintf(file, "%d,%u,%u,%.3f\n", j, m_ticks[f], m_deadline[f],
                         counterMilliseconds(m_counter[f] - m_counter[0]));
        }
        return std::fclose(file) == 0;
    }

  private:
    static std::uint32_t durationAfter(int frame) {
        return FramePacer::kFrameDurations[frame % FramePacer::kDurationCount];
    }
    static double median(std::vector<double> values) {
        std::sort(values.begin(), values.end());
        const std::size_t n = values.size();
        return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    }
    static double maximum(const std::vector<double>& values) {
        return *std::max_element(values.begin(), values.end());
    }

    const FramePacer& m_pacer;
    int m_frames = 0;
    std::array<std::uint32_t, kMeasuredFrames + 1> m_ticks{};
    std::array<std::uint64_t, kMeasuredFrames + 1> m_counter{};
    std::array<std::uint32_t, kMeasuredFrames + 1> m_deadline{};
    std::uint32_t m_finalDeadline = 0;
    double m_cpuStart = 0;
    double m_cpuEnd = 0;
    std::uint64_t m_wallStart = 0;
    std::uint64_t m_wallEnd = 0;
};

}  // namespace pacedframes
