#include "states/gamestatemanager.h"

#include "states/ghost.h"
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
        if (!m_ghostCharacter.empty()) {
            m_ghost =
                std::make_unique<Ghost>(getInitMessage(InitMessageId::kLevel), m_ghostCharacter);
            level->setGhost(m_ghost.get());
        }
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

void GameStateManager::reloadLevel() {
    // Built before the running level goes, so a file that no longer loads costs nothing.
    auto level = std::make_unique<Level>(this);
    m_currentState = std::move(level);
    ++m_stateSwitches;
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
