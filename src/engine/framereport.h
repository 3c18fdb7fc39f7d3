#pragma once

#include <cstdint>
#include <cstdio>

// Counts the frames the main loop shows and the time their updates and draws take, and
// once a second of ticks writes one line to a stream:
//   kestrelix: frames 1234 ticks 20567 work-us 93210
// (all since the first frame: frames shown, milliseconds, microseconds spent in update and
// draw). The counts are cumulative, so a reader takes any two lines and divides. Nothing
// is allocated; the line is formatted into a fixed buffer.
class FrameReport {
  public:
    explicit FrameReport(std::FILE* stream);

    // Called once per shown frame with the tick reading (ms) and the microseconds its
    // update and draw took.
    void frameShown(std::uint32_t ticks, std::uint64_t workMicroseconds);

    std::uint64_t frames() const { return m_frames; }

  private:
    std::FILE* m_stream;
    bool m_started = false;
    std::uint32_t m_firstTicks = 0;
    std::uint32_t m_lastReport = 0;
    std::uint64_t m_frames = 0;
    std::uint64_t m_workMicroseconds = 0;
};

// Wraps a state manager for the main loop, timing its update and draw with the clock
// handed in (microseconds) and telling the report after every draw. The loop itself is
// not touched: with the report off, main runs the manager unwrapped.
template <class Manager, class Clock, class Ticks>
class ReportingManager {
  public:
    ReportingManager(Manager& manager, FrameReport& report, Clock clock, Ticks ticks)
        : m_manager(manager), m_report(report), m_clock(clock), m_ticks(ticks) {}

    template <class Controls>
    void update(const Controls& controls) {
        const std::uint64_t start = m_clock();
        m_manager.update(controls);
        m_updateMicroseconds = m_clock() - start;
    }
    void draw() {
        const std::uint64_t start = m_clock();
        m_manager.draw();
        // A paused frame has no update: it counts only its draw.
        m_report.frameShown(m_ticks(), m_updateMicroseconds + (m_clock() - start));
        m_updateMicroseconds = 0;
    }
    bool isQuitRequested() const { return m_manager.isQuitRequested(); }

  private:
    Manager& m_manager;
    FrameReport& m_report;
    Clock m_clock;
    Ticks m_ticks;
    std::uint64_t m_updateMicroseconds = 0;
};
