#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/controls.h"

class Camera;
class Level;

// A second run of the level being played, with another character file: it has its own
// map queries, scrolls, restarts and enemy, takes the same input as the real run frame by
// frame, and shows only its player, see-through, where the real camera would see it.
// Everything is loaded in the constructor (LoadError for bad data, like the level's own);
// a frame costs one more level update and one sprite copy and allocates nothing.
class Ghost {
  public:
    // About half see-through: the ghost reads as a ghost and the real run stays on top.
    static constexpr std::uint8_t kAlpha = 128;

    Ghost(const std::string& levelName, const std::string& characterPath);
    ~Ghost();
    Ghost(const Ghost&) = delete;
    Ghost& operator=(const Ghost&) = delete;

    // One frame of the ghost's level, whenever the real level gets one.
    void update(Controls controls);
    // Called by the real level's draw, after its map and before its actors: the ghost's
    // level takes its draw step and its player is drawn through the real camera.
    void draw(Camera& camera);

    // For tests and tools.
    Level& level() { return *m_level; }

  private:
    std::unique_ptr<Level> m_level;
};
