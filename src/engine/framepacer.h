#pragma once

#include <cstdint>
#include <functional>

// Holds the game at 60 frames per second with frames of 17, 17 and 16 ms in turn.
// Time lost by a late frame is never made up: the next deadline counts from the moment
// the late frame ended, so no burst of catch-up frames follows. Waiting is done in 1 ms
// sleeps, never by spinning. The clock is handed in, so tests can feed fake ticks.
class FramePacer {
  public:
    using TickSource = std::function<std::uint32_t()>;
    using Sleep = std::function<void(std::uint32_t milliseconds)>;

    static constexpr int kDurationCount = 3;
    static constexpr std::uint32_t kFrameDurations[kDurationCount] = {17, 17, 16};

    FramePacer(TickSource ticks, Sleep sleep);

    // Makes the current tick reading the deadline of the frame about to begin.
    void start();
    // Called once at the end of every frame: moves the deadline on by the next duration
    // and sleeps until it is reached, or restarts the deadline from now if it has passed.
    void waitForNextFrame();
    // Slow motion: each frame lasts this many frame durations (1 is normal speed). The
    // durations keep their 17, 17, 16 cycle, so a slowed frame is still exact.
    void setSlowdown(int factor) { m_slowdown = factor < 1 ? 1 : factor; }

    std::uint32_t next() const { return m_next; }
    int durationIndex() const { return m_durationIndex; }

  private:
    TickSource m_ticks;
    Sleep m_sleep;
    std::uint32_t m_next = 0;
    int m_durationIndex = 0;
    int m_slowdown = 1;
};
