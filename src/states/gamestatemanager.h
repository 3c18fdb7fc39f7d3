#pragma once

#include <memory>
#include <string>

#include "engine/controls.h"
#include "states/gamestate.h"

// Owns the current game state and the two init messages that carry the player's choice
// (level name, character file) from the stage select to the level. A requested switch
// happens at the start of the next update, never while the old state is running: the
// old state is destroyed before the new one is created.
class Ghost;

class GameStateManager {
  public:
    struct InitMessageId {
        enum type : int { kLevel = 0, kVoltbot = 1 };
    };

    GameStateManager();
    ~GameStateManager();
    GameStateManager(const GameStateManager&) = delete;
    GameStateManager& operator=(const GameStateManager&) = delete;

    void update(Controls controls);
    void draw();
    void setNextState();
    void setInitMessage(InitMessageId::type id, const char* text);
    std::string getInitMessage(InitMessageId::type id) const;
    // With a character file, every level the manager creates gets a ghost of that
    // character, created, fed and destroyed with it. Empty: no ghost.
    void setGhostCharacter(const std::string& characterPath) { m_ghostCharacter = characterPath; }
    Ghost* getGhost() const { return m_ghost.get(); }

    // For tests and tools: the state being played.
    GameState* getCurrentState() const { return m_currentState.get(); }

  private:
    static constexpr int kInitMessageCount = 2;

    bool m_nextStatePending = false;
    std::string m_initMessages[kInitMessageCount];
    std::unique_ptr<GameState> m_currentState;
    std::string m_ghostCharacter;
    std::unique_ptr<Ghost> m_ghost;
};
