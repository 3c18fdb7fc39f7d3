#pragma once

#include <memory>
#include <string>

#include "engine/controls.h"
#include "states/gamestate.h"

// Owns the current game state and the two init messages that carry the player's choice
// (level name, character file) from the stage select to the level, and the menu's last
// choice for the way back. A requested switch
// happens at the start of the next update, never while the old state is running: the
// old state is destroyed before the new one is created.
class Ghost;
class InputScript;

class GameStateManager {
  public:
    struct InitMessageId {
        enum type : int { kLevel = 0, kVoltbot = 1 };
    };
    enum class StateId { kStageSelect, kLevel };

    GameStateManager();
    ~GameStateManager();
    GameStateManager(const GameStateManager&) = delete;
    GameStateManager& operator=(const GameStateManager&) = delete;

    void update(Controls controls);
    void draw();
    // Without an argument the confirm's switch: from the stage select to the level.
    void setNextState(StateId next = StateId::kLevel);
    // The game ends after the frame in which this was asked (the menu key in the menu).
    void requestQuit() { m_quitRequested = true; }
    bool isQuitRequested() const { return m_quitRequested; }
    // The menu's last confirmed entries, so that a new stage select starts on them.
    void setMenuChoice(int levelIndex, int voltbotIndex);
    int getMenuLevelIndex() const { return m_menuLevelIndex; }
    int getMenuVoltbotIndex() const { return m_menuVoltbotIndex; }
    // Loads the current level again from the files as they are now and puts it in place of
    // the running one, which is kept when loading throws (LoadError passes through). Its
    // ghost, if it has one, is loaded again too and starts with it; a ghost whose files no
    // longer load keeps its old data and starts again all the same: what went wrong is
    // returned (empty when nothing did).
    std::string reloadLevel();
    void setInitMessage(InitMessageId::type id, const char* text);
    std::string getInitMessage(InitMessageId::type id) const;
    // With a character file, every level the manager creates gets a ghost of that
    // character, created, fed and destroyed with it. Empty: no ghost.
    void setGhostCharacter(const std::string& characterPath) { m_ghostCharacter = characterPath; }
    // A ghost of a recorded run instead: it runs in the script's level only, with the
    // script's character and input (see Ghost). Null: no ghost.
    void setGhostScript(std::unique_ptr<const InputScript> script, const std::string& scriptPath);
    Ghost* getGhost() const { return m_ghost.get(); }

    // For tests and tools: the state being played.
    GameState* getCurrentState() const { return m_currentState.get(); }
    // For observers beside the game: a switch has been asked for (it happens at the next
    // update), and how many switches have happened, which tells a new state from the old.
    bool isNextStatePending() const { return m_nextStatePending; }
    int getStateSwitches() const { return m_stateSwitches; }

  private:
    static constexpr int kInitMessageCount = 2;

    bool m_nextStatePending = false;
    int m_stateSwitches = 0;
    bool m_quitRequested = false;
    StateId m_nextState = StateId::kLevel;
    int m_menuLevelIndex = 0;
    int m_menuVoltbotIndex = 0;
    std::string m_initMessages[kInitMessageCount];
    std::unique_ptr<GameState> m_currentState;
    // The ghost the level named in the init message gets, if any.
    std::unique_ptr<Ghost> makeGhost() const;

    std::string m_ghostCharacter;
    std::unique_ptr<const InputScript> m_ghostScript;
    std::string m_ghostScriptPath;
    std::unique_ptr<Ghost> m_ghost;
};
