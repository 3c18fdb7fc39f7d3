#include "states/level.h"

#include <algorithm>
#include <string>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "config/loadwarnings.h"
#include "engine/bitmapguard.h"
#include "engine/servicelocator.h"
#include "gfx/font.h"
#include "player/voltbot.h"
#include "states/gamestatemanager.h"
#include "states/ghost.h"
#include "world/enemy.h"
#include "world/map.h"

namespace {

constexpr int kScreenCentreX = 128;
constexpr int kReadyMessageY = 98;
constexpr int kScreenWidth = 256;

// A phase length below one frame would never match its counter (or divide by zero for
// the blink), so the level would hang in that phase; such values are raised to 1.
int atLeastOneFrame(const IniDictionary& character, const char* key, const char* section) {
    const int value = character.getIntValue(key, section, 0);
    if (value >= 1) {
        return value;
    }
    LoadWarnings::warn(character.path(),
                       character.describe(key, section) + " is less than one frame, using 1");
    return 1;
}

}  // namespace

Level::Level(GameStateManager* manager)
    : Level(manager->getInitMessage(GameStateManager::InitMessageId::kLevel),
            manager->getInitMessage(GameStateManager::InitMessageId::kVoltbot)) {
    m_gameStateManager = manager;
}

Level::Level(const std::string& levelName, const std::string& characterPath)
    : m_gameStateManager(nullptr) {
    IniDictionary levels("levels.ini", IniDictionary::kRequired);
    if (!levels.hasSection(levelName.c_str())) {
        throw LoadError("levels.ini", "no section [" + levelName + "] for the chosen level");
    }
    const std::string readyMessage = levels.getCStringValue("readyMessage", "Common", "empty");

    // The ready message is made first; the guard releases it if anything after is refused.
    BitmapGuard guard;
    guard.watch(m_readyBitmap);
    createReadyBitmap(readyMessage);
    m_map = std::make_unique<Map>(levelName.c_str(), levels);

    IniDictionary character(characterPath.c_str(), IniDictionary::kRequired);
    // ready may be 0: the first ready phase is then skipped (and the one after a
    // restart lasts one frame). Below that it would never end.
    m_readyDuration = character.getIntValue("ready", "Durations", 0);
    if (m_readyDuration < 0) {
        LoadWarnings::warn(character.path(),
                           character.describe("ready", "Durations") + " is negative, using 1");
        m_readyDuration = 1;
    }
    m_readyBlinkInterval = atLeastOneFrame(character, "displayInterval", "ReadyMessage");
    m_scrollingDuration = atLeastOneFrame(character, "scrolling", "Durations");
    m_beforeScrollingDuration = character.getIntValue("beforeScrolling", "Durations", 0);
    m_afterScrollingDuration = atLeastOneFrame(character, "afterScrolling", "Durations");
    m_scrollSpeed = character.getIntValue("verticalSpeed", "ScrollConstants", 0);
    // More than a screen a frame is no scroll; the bound also keeps the view's
    // arithmetic far from overflowing.
    if (m_scrollSpeed < -Map::kScreenHeight || m_scrollSpeed > Map::kScreenHeight) {
        throw LoadError(characterPath, character.describe("verticalSpeed", "ScrollConstants") +
                                           " is outside -240..240");
    }
    const int startPosTop = character.getIntValue("startPosTop", "ScrollConstants", 0);
    const int startPosBottom =
        character.getIntValue("startPosBottom", "ScrollConstants", Map::kScreenHeight);
    m_map->setScrollStartPositions(startPosTop, startPosBottom);

    m_player = std::make_unique<Voltbot>(character, this, m_map.get());

    const Rect* box = m_player->getBoundingBox();
    m_map->setCurrentBoundaryByPosition(box->x, box->y);
    m_camera.setCurrentBoundary(m_map->getCurrentBoundary());
    m_camera.update(*box);

    m_enemy = std::make_unique<Enemy>();
    guard.dismiss();
}

Level::~Level() {
    releaseReadyBitmap();
    // The enemy goes first, then the player (which points at the map), then the map.
    m_enemy.reset();
    m_player.reset();
    m_map.reset();
}

void Level::createReadyBitmap(const std::string& message) {
    Font font("font.ini");
    const long long width =
        static_cast<long long>(font.m_characterWidth) * static_cast<long long>(message.size());
    // Centred on the screen, a message wider than it starts left of it and is clipped;
    // only the part on the screen is made, so any length costs at most one screen row.
    const long long start = kScreenCentreX - width / 2;
    const long long left = std::max(start, 0LL);
    const long long right = std::min(start + width, static_cast<long long>(kScreenWidth));
    m_readyX = static_cast<int>(left);
    m_readyWidth = static_cast<int>(std::max(right - left, 0LL));
    // An empty message shows nothing; no zero-sized image is made for it.
    if (m_readyWidth <= 0 || font.m_characterHeight <= 0) {
        m_readyWidth = 0;
        return;
    }
    VideoService* video = ServiceLocator::getVideoService();
    video->createBitmap(m_readyBitmap, m_readyWidth, font.m_characterHeight);
    font.drawTextOnBitmap(message, m_readyBitmap, static_cast<int>(start - left), 0);
}

void Level::releaseReadyBitmap() {
    if (m_readyBitmap.texture != nullptr) {
        ServiceLocator::getVideoService()->unloadBitmap(m_readyBitmap);
        m_readyBitmap.texture = nullptr;
    }
}

void Level::update(Controls controls) {
    // Leaving ends the level in any phase; nothing of it moves in this last frame.
    if (controls.menuPressed) {
        m_gameStateManager->setNextState(GameStateManager::StateId::kStageSelect);
        return;
    }
    switch (m_phase) {
        case kReady:
            if (m_frameCounter % m_readyBlinkInterval == 0) {
                m_readyVisible = !m_readyVisible;
            }
            break;
        case kPlaying:
            m_player->update(controls, m_camera);
            m_camera.update(*m_player->getBoundingBox());
            // A transition or restart begun by the player freezes the enemy for this frame.
            if (!m_phaseJustChanged) {
                m_enemy->update();
                Collider playerCollider = m_player->getCollider();
                Collider enemyCollider = m_enemy->getCollider();
                if (playerCollider.collidesWith(&enemyCollider)) {
                    m_enemy->hit(m_player.get());
                }
            }
            break;
        case kBeforeScrolling:
            if (m_frameCounter == m_beforeScrollingDuration) {
                enterPhase(kScrolling);
                return;
            }
            break;
        case kScrolling:
            if (m_frameCounter == m_scrollingDuration) {
                m_map->setCurrentBoundaryByPosition(m_player->getX(), m_player->getY());
                m_camera.setCurrentBoundary(m_map->getCurrentBoundary());
                enterPhase(kAfterScrolling);
                return;
            }
            m_player->update(controls, m_camera);
            scrollCamera();
            break;
        case kAfterScrolling:
            if (m_frameCounter == m_afterScrollingDuration) {
                m_player->onScrollingStop();
                m_player->update(controls, m_camera);
                // The player may already have started the next transition (or a restart)
                // in that update; its phase must not be overwritten, or it would keep
                // scrolling while the level plays.
                if (!m_phaseJustChanged) {
                    enterPhase(kPlaying);
                    return;
                }
            }
            break;
    }
    ++m_frameCounter;
    m_phaseJustChanged = false;
}

void Level::enterPhase(Phase phase) {
    m_phase = phase;
    m_frameCounter = 1;
    m_phaseJustChanged = false;
}

void Level::scrollCamera() {
    if (m_scrollDirection == Direction::kUp) {
        m_camera.move(0, -m_scrollSpeed);
    } else if (m_scrollDirection == Direction::kDown) {
        m_camera.move(0, m_scrollSpeed);
    }
}

void Level::draw() {
    VideoService* video = ServiceLocator::getVideoService();
    // Where the view overlaps an absent screen or leaves the map, the picture would keep
    // the previous frame's pixels there; it is cleared to black first. A view the map covers
    // is painted whole by its tiles, so the clear is skipped.
    if (!m_map->coversView(*m_camera.getAngleOfView())) {
        video->clearScreen();
    }
    m_map->draw(m_camera);
    if (m_ghost != nullptr) {
        m_ghost->draw(m_camera);
    }
    if (m_phase == kReady) {
        if (m_readyVisible && m_readyBitmap.texture != nullptr) {
            video->copyToScreen(m_readyBitmap, m_readyX, kReadyMessageY, nullptr);
        }
        endReadyPhaseIfDue();
        return;
    }
    m_enemy->draw(m_camera);
    m_player->draw(m_camera);
}

Level::Snapshot Level::snapshot() const {
    Snapshot s{};
    s.phaseJustChanged = m_phaseJustChanged ? 1 : 0;
    s.readyVisible = m_readyVisible ? 1 : 0;
    s.frameCounter = m_frameCounter;
    s.scrollDirection = m_scrollDirection;
    s.phase = m_phase;
    s.mapBoundary = m_map->getCurrentBoundaryIndex();
    s.camera = m_camera.snapshot();
    s.player = m_player->snapshot();
    s.enemy = m_enemy->snapshot();
    return s;
}

void Level::restore(const Snapshot& s) {
    m_phaseJustChanged = s.phaseJustChanged != 0;
    m_readyVisible = s.readyVisible != 0;
    m_frameCounter = s.frameCounter;
    m_scrollDirection = static_cast<Direction::type>(s.scrollDirection);
    m_phase = static_cast<Phase>(s.phase);
    m_map->setCurrentBoundaryIndex(s.mapBoundary);
    m_camera.restore(s.camera);
    m_player->restore(s.player);
    m_enemy->restore(s.enemy);
}

bool Level::accepts(const Snapshot& s) const {
    const auto isFlag = [](std::int32_t value) { return value == 0 || value == 1; };
    return isFlag(s.phaseJustChanged) && isFlag(s.readyVisible) && s.frameCounter >= 0 &&
           s.scrollDirection >= Direction::kNone && s.scrollDirection <= Direction::kRight &&
           s.phase >= kReady && s.phase <= kAfterScrolling && s.mapBoundary >= 0 &&
           s.mapBoundary < m_map->getBoundaryCount() && m_player->accepts(s.player) &&
           m_enemy->accepts(s.enemy);
}

void Level::endReadyPhaseIfDue() {
    // At or past, not only at: a ready phase after a restart starts its count at 1, so
    // a "ready" of 0 (no first ready phase) would otherwise never end it.
    if (m_phase == kReady && m_frameCounter >= m_readyDuration) {
        m_phase = kPlaying;
        m_frameCounter = 0;
    }
}

void Level::onReset() {
    m_map->setCurrentBoundaryByPosition(m_player->getX(), m_player->getY());
    m_camera.setCurrentBoundary(m_map->getCurrentBoundary());
    m_phase = kReady;
    m_frameCounter = 0;
    m_phaseJustChanged = true;
}

void Level::onScrollStart(Direction::type direction) {
    m_scrollDirection = direction;
    if (m_beforeScrollingDuration > 0) {
        m_phase = kBeforeScrolling;
    } else {
        m_phase = kScrolling;
        scrollCamera();
    }
    m_frameCounter = 0;
    m_phaseJustChanged = true;
}
