#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/controls.h"
#include "states/inputscript.h"
#include "states/level.h"

class Camera;

// A second run of the level being played, with another character file: it has its own
// map queries, scrolls, restarts and enemy, takes the same input as the real run frame by
// frame (or the input of a recorded script: an earlier run to race), and shows only its
// player, see-through, where the real camera would see it.
// Everything is loaded in the constructor (LoadError for bad data, like the level's own);
// a frame costs one more level update and one sprite copy and allocates nothing.
class Ghost {
  public:
    // About half see-through: the ghost reads as a ghost and the real run stays on top.
    static constexpr std::uint8_t kAlpha = 128;

    // The ghost's whole state: its level's and where its script stands. A plain value, so
    // savestates and rewind keep one beside each moment of the real level.
    struct Snapshot {
        Level::Snapshot level;
        InputScript::Cursor::Position input;
    };

    // A ghost on the live input.
    Ghost(const std::string& levelName, const std::string& characterPath);
    // A ghost of a recorded run: the script's level and character file, fed the script's
    // records (after its end, nothing held). The script must outlive the ghost; it is
    // checked as checkScript does, so a ghost never runs on data it was not recorded on.
    Ghost(const InputScript& script, const std::string& scriptPath);
    ~Ghost();
    Ghost(const Ghost&) = delete;
    Ghost& operator=(const Ghost&) = delete;

    // The level and character file of a script's run; a script without them ran on the
    // game's first level and character, as --play takes it.
    static std::string levelOf(const InputScript& script);
    static std::string characterOf(const InputScript& script);
    // LoadError(scriptPath, what is wrong) unless the script's level exists, its character
    // file loads and the data's checksum is the one it was recorded against (a script
    // without a checksum line is taken as it is).
    static void checkScript(const InputScript& script, const std::string& scriptPath);

    // One frame of the ghost's level, whenever the real level gets one.
    void update(const Controls& controls);
    // Called by the real level's draw, after its map and before its actors: the ghost's
    // level takes its draw step and its player is drawn through the real camera.
    void draw(Camera& camera);

    Snapshot snapshot() const;
    void restore(const Snapshot& snapshot);
    // Back to the ghost's first moment, as if it had just been loaded.
    void restart() { restore(m_start); }

    // For tests and tools.
    Level& level() { return *m_level; }

  private:
    std::unique_ptr<Level> m_level;
    std::optional<InputScript::Cursor> m_input;
    Snapshot m_start{};
};
