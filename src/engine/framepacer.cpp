#include "engine/framepacer.h"

#include <utility>

namespace {

// True when tick reading a comes before b. Taken as a signed difference, so a deadline
// just past the wrap of the 32-bit counter is still in the future of a reading just
// before it, and a wait that spans the wrap ends instead of lasting 49 days.
bool isBefore(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(a - b) < 0;
}

}  // namespace

FramePacer::FramePacer(TickSource ticks, Sleep sleep)
    : m_ticks(std::move(ticks)), m_sleep(std::move(sleep)) {}

void FramePacer::start() {
    m_next = m_ticks();
    m_durationIndex = 0;
}

void FramePacer::waitForNextFrame() {
    for (int i = 0; i < m_slowdown; ++i) {
        m_next += kFrameDurations[m_durationIndex];
        m_durationIndex = (m_durationIndex + 1) % kDurationCount;
    }

    std::uint32_t now = m_ticks();
    if (isBefore(now, m_next)) {
        do {
            m_sleep(1);
            now = m_ticks();
        } while (isBefore(now, m_next));
    } else {
        m_next = m_ticks();
    }
}
