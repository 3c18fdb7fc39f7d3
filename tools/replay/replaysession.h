#pragma once

#include <memory>
#include <string>

#include "engine/controls.h"

class GameStateManager;
class InputScript;
class Level;

// Runs a real level the way the game does, without the main loop's clock: a state
// manager whose stage select has just confirmed the level and character, then one call
// of advance() per frame. Frame numbering of a replay:
// - frame 0 is the switch frame: the level is created and drawn, with no update;
// - frame k >= 1 is level.update(controls of frame k) then level.draw().
// Draws go to whatever video service is installed in the ServiceLocator.
class ReplaySession {
  public:
    // With a ghost character, the level runs a ghost of it as the game's --ghost does.
    ReplaySession(const std::string& levelName, const std::string& characterPath,
                  const std::string& ghostCharacterPath = "");
    // With a recorded run, the level runs a ghost of it as the game's --ghost-play does.
    ReplaySession(const std::string& levelName, const std::string& characterPath,
                  std::unique_ptr<const InputScript> ghostScript,
                  const std::string& ghostScriptPath);
    ~ReplaySession();
    ReplaySession(const ReplaySession&) = delete;
    ReplaySession& operator=(const ReplaySession&) = delete;

    // Runs the next frame with the given input.
    void advance(const Controls& controls);

    Level& level() { return *m_level; }
    // For what watches the game from beside it (the sound observer).
    const GameStateManager& manager() const { return *m_manager; }
    int frame() const { return m_frame; }

  private:
    void start(const std::string& levelName, const std::string& characterPath);

    std::unique_ptr<GameStateManager> m_manager;
    Level* m_level = nullptr;
    int m_frame = 0;
};
