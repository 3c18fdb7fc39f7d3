#pragma once

#include <cstdint>

// A millisecond stopwatch over SDL's tick counter. The difference is taken in unsigned
// 32-bit arithmetic, so it stays right across a wrap of the counter.
class Timer {
  public:
    Timer() = default;

    void start();
    std::uint32_t getTicks() const;

  private:
    std::uint32_t m_startTicks = 0;
};
