#include "states/gamestatemanager.h"

#include "config/loaderror.h"
#include "states/ghost.h"
#include "states/inputscript.h"
#include "states/level.h"
#include "states/stageselect.h"

GameStateManager::GameStateManager() : m_initMessages{"Sablex", "voltbot1"} {
    m_currentState = std::make_unique<StageSelect>(this);
}

GameStateManager::~GameStateManager() {
    // The state goes before the messages: a state may still read them while it dies.
    m_currentState.reset();
    m_ghost.reset();
}

void GameStateManager::update(Controls controls) {
    if (!m_nextStatePending) {
        m_currentState->update(controls);
        if (m_ghost) {
            m_ghost->update(controls);
        }
        return;
    }
    // The old state releases everything it loaded before the level loads its files, so
    // the two never exist at once. The level's first update comes with the next frame.
    m_currentState.reset();
    m_ghost.reset();
    if (m_nextState == StateId::kLevel) {
        auto level = std::make_unique<Level>(this);
        m_ghost = makeGhost();
        level->setGhost(m_ghost.get());
        m_currentState = std::move(level);
    } else {
        m_currentState = std::make_unique<StageSelect>(this);
    }
    m_nextStatePending = false;
    ++m_stateSwitches;
}

void GameStateManager::draw() {
    m_currentState->draw();
}

void GameStateManager::setNextState(StateId next) {
    m_nextState = next;
    m_nextStatePending = true;
}

void GameStateManager::setMenuChoice(int levelIndex, int voltbotIndex) {
    m_menuLevelIndex = levelIndex;
    m_menuVoltbotIndex = voltbotIndex;
}

std::string GameStateManager::reloadLevel() {
    // Built before the running level goes, so a file that no longer loads costs nothing.
    auto level = std::make_unique<Level>(this);
    std::string ghostError;
    std::unique_ptr<Ghost> ghost;
    try {
        ghost = makeGhost();
    } catch (const LoadError& error) {
        if (!m_ghost) {
            throw;
        }
        ghostError = error.what();
    }
    if (ghostError.empty()) {
        m_ghost.swap(ghost);
    } else {
        m_ghost->restart();
    }
    level->setGhost(m_ghost.get());
    // The old level goes before the old ghost it points to.
    m_currentState = std::move(level);
    ghost.reset();
    ++m_stateSwitches;
    return ghostError;
}

void GameStateManager::setGhostScript(std::unique_ptr<const InputScript> script,
                                      const std::string& scriptPath) {
    m_ghostScript = std::move(script);
    m_ghostScriptPath = scriptPath;
}

std::unique_ptr<Ghost> GameStateManager::makeGhost() const {
    const std::string level = getInitMessage(InitMessageId::kLevel);
    if (m_ghostScript) {
        // A recorded run belongs to its level: in the others the player runs alone.
        if (Ghost::levelOf(*m_ghostScript) != level) {
            return nullptr;
        }
        return std::make_unique<Ghost>(*m_ghostScript, m_ghostScriptPath);
    }
    if (m_ghostCharacter.empty()) {
        return nullptr;
    }
    return std::make_unique<Ghost>(level, m_ghostCharacter);
}

void GameStateManager::setInitMessage(InitMessageId::type id, const char* text) {
    // Only the two messages exist; any other id would write past them.
    if (id < 0 || id >= kInitMessageCount) {
        return;
    }
    m_initMessages[id] = text != nullptr ? text : "";
}

std::string GameStateManager::getInitMessage(InitMessageId::type id) const {
    if (id < 0 || id >= kInitMessageCount) {
        return std::string();
    }
    return m_initMessages[id];
}
