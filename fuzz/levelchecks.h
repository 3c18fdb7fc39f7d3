#pragma once

#include <cstdint>

class Level;

namespace fuzz {

// Checks, after one frame, what must hold in every frame of a level whatever the input:
// a known phase, a valid animation, the camera inside the current boundary horizontally
// while playing, at most three bullets. With `playerInMap` the player's position must also
// lie inside the map (horizontally) or at most one screen above or below it, which holds
// for sane characters but not for every description a fuzzer can write. Traps on a breach.
class LevelChecker {
  public:
    explicit LevelChecker(bool playerInMap) : m_playerInMap(playerInMap) {}
    // `updated`: whether the level's update ran in this frame (it does not while paused).
    void afterFrame(Level& level, bool updated);

  private:
    bool m_playerInMap;
    bool m_wasPlaying = false;
};

// A hash of the level's observable state, to compare two runs of the same seed.
std::uint64_t stateHash(Level& level);

}  // namespace fuzz
