#include "engine/framereport.h"

#include <cinttypes>

namespace {

constexpr std::uint32_t kReportInterval = 1000;  // ms of ticks between two lines

}  // namespace

FrameReport::FrameReport(std::FILE* stream) : m_stream(stream) {}

void FrameReport::frameShown(std::uint32_t ticks, std::uint64_t workMicroseconds) {
    if (!m_started) {
        m_started = true;
        m_firstTicks = ticks;
        m_lastReport = ticks;
    }
    ++m_frames;
    m_workMicroseconds += workMicroseconds;
    // Unsigned differences stay right across the tick counter's wrap.
    if (ticks - m_lastReport < kReportInterval) {
        return;
    }
    m_lastReport = ticks;
    char line[96];
    std::snprintf(line, sizeof line,
                  "kestrelix: frames %" PRIu64 " ticks %" PRIu32 " work-us %" PRIu64 "\n", m_frames,
                  ticks - m_firstTicks, m_workMicroseconds);
    std::fputs(line, m_stream);
    std::fflush(m_stream);
}
