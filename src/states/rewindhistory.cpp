#include "states/rewindhistory.h"

#include <algorithm>

RewindHistory::RewindHistory(int capacity, bool withGhost)
    : m_moments(static_cast<std::size_t>(std::max(capacity, 0))),
      m_ghosts(withGhost ? m_moments.size() : 0) {}

void RewindHistory::push(const Savestate& moment) {
    if (m_moments.empty()) {
        return;
    }
    append() = moment;
}

Savestate& RewindHistory::append() {
    const int capacity = this->capacity();
    m_newest = (m_newest + 1) % capacity;
    m_size = std::min(m_size + 1, capacity);
    return m_moments[static_cast<std::size_t>(m_newest)];
}

bool RewindHistory::stepBack() {
    if (m_size <= 1) {
        return false;
    }
    m_newest = (m_newest + capacity() - 1) % capacity();
    --m_size;
    return true;
}

const Savestate& RewindHistory::newest() const {
    return m_moments[static_cast<std::size_t>(m_newest)];
}

Ghost::Snapshot* RewindHistory::newestGhost() {
    return m_ghosts.empty() ? nullptr : &m_ghosts[static_cast<std::size_t>(m_newest)];
}

const Ghost::Snapshot* RewindHistory::newestGhost() const {
    return m_ghosts.empty() ? nullptr : &m_ghosts[static_cast<std::size_t>(m_newest)];
}

void RewindHistory::clear() {
    m_newest = -1;
    m_size = 0;
}
