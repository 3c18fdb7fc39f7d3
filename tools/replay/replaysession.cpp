#include "replaysession.h"

#include "config/loaderror.h"
#include "states/gamestatemanager.h"
#include "states/inputscript.h"
#include "states/level.h"

ReplaySession::ReplaySession(const std::string& levelName, const std::string& characterPath,
                             const std::string& ghostCharacterPath)
    : m_manager(std::make_unique<GameStateManager>()) {
    m_manager->setGhostCharacter(ghostCharacterPath);
    start(levelName, characterPath);
}

ReplaySession::ReplaySession(const std::string& levelName, const std::string& characterPath,
                             std::unique_ptr<const InputScript> ghostScript,
                             const std::string& ghostScriptPath)
    : m_manager(std::make_unique<GameStateManager>()) {
    m_manager->setGhostScript(std::move(ghostScript), ghostScriptPath);
    start(levelName, characterPath);
}

void ReplaySession::start(const std::string& levelName, const std::string& characterPath) {
    // The frame in which the stage select confirmed: it still draws the menu, so a
    // picture of the window shows exactly what the level draws over.
    m_manager->draw();
    m_manager->setInitMessage(GameStateManager::InitMessageId::kLevel, levelName.c_str());
    m_manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, characterPath.c_str());
    m_manager->setNextState();

    // Frame 0: the manager switches (the controls are not looked at) and the level draws.
    m_manager->update(Controls{});
    m_level = dynamic_cast<Level*>(m_manager->getCurrentState());
    if (m_level == nullptr) {
        throw LoadError(levelName, "the state manager did not switch to the level");
    }
    m_manager->draw();
}

ReplaySession::~ReplaySession() = default;

void ReplaySession::advance(const Controls& controls) {
    ++m_frame;
    m_manager->update(controls);
    m_manager->draw();
}
