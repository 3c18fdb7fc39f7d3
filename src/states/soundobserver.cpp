#include "states/soundobserver.h"

#include <fstream>
#include <string>

#include "config/inidictionary.h"
#include "states/gamestatemanager.h"
#include "states/stageselect.h"

namespace {

// Only an existing file is read: a data folder without it simply has no music, and the
// INI reader would warn about a missing one.
std::string musicOf(const char* file, const char* section) {
    if (!std::ifstream(file).good()) {
        return std::string();
    }
    const IniDictionary dictionary(file);
    return dictionary.getCStringValue("music", section, "");
}

bool isScrolling(Level::Phase phase) {
    return phase == Level::kBeforeScrolling || phase == Level::kScrolling;
}

}  // namespace

SoundObserver::SoundObserver(AudioService& audio) : m_audio(audio) {}

void SoundObserver::afterFrame(const GameStateManager& manager, bool updated, bool paused) {
    if (manager.getStateSwitches() != m_stateSwitches) {
        enterState(manager);
    } else if (updated) {
        const GameState* state = manager.getCurrentState();
        if (const auto* level = dynamic_cast<const Level*>(state)) {
            observeLevel(*level);
        } else if (const auto* menu = dynamic_cast<const StageSelect*>(state)) {
            observeMenu(manager, *menu);
        }
    }
    if (paused != m_paused) {
        m_paused = paused;
        play(SoundEffect::kPause);
        m_audio.pauseMusic(paused);
    }
}

void SoundObserver::play(SoundEffect effect) {
    if (!m_quiet) {
        m_audio.playEffect(effect);
    }
}

void SoundObserver::enterState(const GameStateManager& manager) {
    // The first look at a new state only learns it: nothing has happened in it yet.
    m_stateSwitches = manager.getStateSwitches();
    const GameState* state = manager.getCurrentState();
    if (const auto* level = dynamic_cast<const Level*>(state)) {
        m_level = viewOf(*level);
        const std::string name = manager.getInitMessage(GameStateManager::InitMessageId::kLevel);
        m_audio.playMusic(musicOf("levels.ini", name.c_str()));
    } else if (const auto* menu = dynamic_cast<const StageSelect*>(state)) {
        m_menu = viewOf(manager, *menu);
        m_audio.playMusic(musicOf("stageselect.ini", "Menu"));
    }
}

SoundObserver::LevelView SoundObserver::viewOf(const Level& level) {
    const Voltbot& player = *level.getPlayer();
    LevelView view;
    view.phase = level.getPhase();
    view.mode = player.getMovementMode();
    view.state = player.getState();
    view.ySpeed = player.getYSpeed();
    for (int i = 0; i < Voltbot::kBulletCount; ++i) {
        view.activeBullets += player.getBullet(i).isActive() ? 1 : 0;
    }
    view.shooting = player.isShooting();
    view.shootingFrameCounter = player.getShootingFrameCounter();
    return view;
}

SoundObserver::MenuView SoundObserver::viewOf(const GameStateManager& manager,
                                              const StageSelect& menu) {
    MenuView view;
    view.levelIndex = menu.getLevelIndex();
    view.voltbotIndex = menu.getVoltbotIndex();
    view.voltbotColumn = menu.isVoltbotColumnActive();
    view.confirmed = manager.isNextStatePending();
    return view;
}

void SoundObserver::observeLevel(const Level& level) {
    const LevelView now = viewOf(level);
    const LevelView& before = m_level;
    if (now.phase == Level::kReady && before.phase != Level::kReady) {
        play(SoundEffect::kRestart);
        m_audio.restartMusic();
    }
    if (isScrolling(now.phase) && !isScrolling(before.phase)) {
        play(SoundEffect::kScroll);
    }
    if (before.mode == MovementMode::kTeleporting && now.mode == MovementMode::kTransforming) {
        play(SoundEffect::kTeleport);
    }
    if (now.state == Voltbot::State::kReeling && before.state != Voltbot::State::kReeling) {
        play(SoundEffect::kHit);
    } else if (now.mode == MovementMode::kInAir && before.mode != MovementMode::kInAir &&
               now.state == Voltbot::State::kJumping && now.ySpeed > 0) {
        play(SoundEffect::kJump);
    }
    if (before.mode == MovementMode::kInAir && now.mode == MovementMode::kOnGround) {
        play(SoundEffect::kLand);
    }
    // A shot restarts the pose's counter; a pose of no length shows only as a new bullet.
    if ((now.shooting && now.shootingFrameCounter == 1) ||
        now.activeBullets > before.activeBullets) {
        play(SoundEffect::kShoot);
    }
    m_level = now;
}

void SoundObserver::observeMenu(const GameStateManager& manager, const StageSelect& menu) {
    const MenuView now = viewOf(manager, menu);
    if (now.confirmed && !m_menu.confirmed) {
        play(SoundEffect::kMenuConfirm);
    } else if (now.levelIndex != m_menu.levelIndex || now.voltbotIndex != m_menu.voltbotIndex ||
               now.voltbotColumn != m_menu.voltbotColumn) {
        play(SoundEffect::kMenuMove);
    }
    m_menu = now;
}
