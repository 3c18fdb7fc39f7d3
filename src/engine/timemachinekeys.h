#pragma once

#include "engine/keyhandler.h"

class GameEngine;
class TimeMachine;

// The keys of savestates, rewind and reload: F1 to F4 save the level to a slot,
// Shift+F1 to F4 restore it, Backspace rewinds while held (one update back per frame, or
// one per press while paused), F5 reloads the level's files. The window title says
// "- rewinding" while it lasts and the last reload error until a reload succeeds.
class TimeMachineKeys : public KeyHandler {
  public:
    // Neither is owned; both outlive the keys.
    TimeMachineKeys(TimeMachine& machine, GameEngine& engine);

    bool keyDown(const SDL_Keysym& key, Controls& controls, bool paused) override;
    bool keyUp(const SDL_Keysym& key, Controls& controls, bool paused) override;

  private:
    void showTitle();

    TimeMachine& m_machine;
    GameEngine& m_engine;
};
