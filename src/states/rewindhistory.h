#pragma once

#include <cstddef>
#include <vector>

#include "states/ghost.h"
#include "states/savestate.h"

// The last moments of a level, newest last, in one ring buffer sized once by its
// constructor: pushing the newest moment overwrites the oldest when the buffer is full,
// so nothing is allocated while a level runs. Stepping back drops the newest moment and
// never the last one left, which is where the level then stands. A history made for a
// level with a ghost keeps the ghost's moment beside each of the level's, in a second
// buffer of the same capacity.
class RewindHistory {
  public:
    // 120 s at 60 updates a second: about 1.7 MB of full states (sizeof(Savestate) bytes
    // each), twice that with a ghost (sizeof(Ghost::Snapshot) more each), far cheaper to
    // step through than keyframes with the inputs between them.
    static constexpr int kSeconds = 120;
    static constexpr int kCapacity = kSeconds * 60 + 1;

    // A capacity of 0 holds nothing until it is replaced by a real one.
    explicit RewindHistory(int capacity = kCapacity, bool withGhost = false);

    void push(const Savestate& moment);
    // Makes room for a newest moment and hands it out to be filled in place (only with a
    // capacity above 0).
    Savestate& append();
    // Drops the newest moment; false, with nothing dropped, when only one is left.
    bool stepBack();
    // The newest moment; only while not empty.
    const Savestate& newest() const;
    // The ghost's part of the newest moment, to be filled in place after append(); null in
    // a history without a ghost buffer.
    Ghost::Snapshot* newestGhost();
    const Ghost::Snapshot* newestGhost() const;
    void clear();

    bool empty() const { return m_size == 0; }
    bool hasGhost() const { return !m_ghosts.empty(); }
    int size() const { return m_size; }
    int capacity() const { return static_cast<int>(m_moments.size()); }
    std::size_t bytes() const {
        return m_moments.size() * sizeof(Savestate) + m_ghosts.size() * sizeof(Ghost::Snapshot);
    }

  private:
    std::vector<Savestate> m_moments;
    std::vector<Ghost::Snapshot> m_ghosts;
    int m_newest = -1;
    int m_size = 0;
};
