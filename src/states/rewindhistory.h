#pragma once

#include <cstddef>
#include <vector>

#include "states/savestate.h"

// The last moments of a level, newest last, in one ring buffer sized once by its
// constructor: pushing the newest moment overwrites the oldest when the buffer is full,
// so nothing is allocated while a level runs. Stepping back drops the newest moment and
// never the last one left, which is where the level then stands.
class RewindHistory {
  public:
    // 120 s at 60 updates a second: about 1 MB of full states (sizeof(Savestate) bytes
    // each), far cheaper to step through than keyframes with the inputs between them.
    static constexpr int kSeconds = 120;
    static constexpr int kCapacity = kSeconds * 60 + 1;

    // A capacity of 0 holds nothing until it is replaced by a real one.
    explicit RewindHistory(int capacity = kCapacity);

    void push(const Savestate& moment);
    // Makes room for a newest moment and hands it out to be filled in place (only with a
    // capacity above 0).
    Savestate& append();
    // Drops the newest moment; false, with nothing dropped, when only one is left.
    bool stepBack();
    // The newest moment; only while not empty.
    const Savestate& newest() const;
    void clear();

    bool empty() const { return m_size == 0; }
    int size() const { return m_size; }
    int capacity() const { return static_cast<int>(m_moments.size()); }
    std::size_t bytes() const { return m_moments.size() * sizeof(Savestate); }

  private:
    std::vector<Savestate> m_moments;
    int m_newest = -1;
    int m_size = 0;
};
