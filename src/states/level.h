#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/direction.h"
#include "engine/videoservice.h"
#include "player/voltbot.h"
#include "states/gamestate.h"
#include "world/camera.h"
#include "world/enemy.h"

class GameStateManager;
class Ghost;
class Map;

// The state in which a level is played. A small phase machine decides what moves: the
// blinking ready message, play, and the three phases of a vertical screen transition
// (pause, scroll, pause). The player calls back onScrollStart and onReset from inside
// its update.
class Level : public GameState {
  public:
    enum Phase : int {
        kReady = 0,
        kPlaying = 1,
        kBeforeScrolling = 2,
        kScrolling = 3,
        kAfterScrolling = 4,
    };

    // The whole simulation state of a level: with the data the level was loaded from and
    // the input that follows, it decides every later frame. A plain value of 32-bit
    // fields (no pointers, no padding): copying one allocates nothing, two compare with
    // memcmp, and a file of them means the same to another run of the same build.
    struct Snapshot {
        std::int32_t phaseJustChanged;
        std::int32_t readyVisible;
        std::int32_t frameCounter;
        std::int32_t scrollDirection;
        std::int32_t phase;
        std::int32_t mapBoundary;
        Camera::Snapshot camera;
        Voltbot::Snapshot player;
        Enemy::Snapshot enemy;
    };

    explicit Level(GameStateManager* manager);
    // A level of its own, outside the state manager: the second run of a ghost.
    Level(const std::string& levelName, const std::string& characterPath);
    ~Level() override;
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    void draw() override;
    void update(Controls controls) override;
    void onReset();
    void onScrollStart(Direction::type direction);
    // A ghost drawn over the map, before the actors; null for none. Not owned.
    void setGhost(Ghost* ghost) { m_ghost = ghost; }

    Snapshot snapshot() const;
    // Takes the level back to a snapshot of a level loaded from the same data. The next
    // draw shows exactly what the draw after the snapshot showed.
    void restore(const Snapshot& snapshot);
    // Whether a snapshot (for instance one read from a file) fits this level's data: every
    // phase, state, animation frame and screen it names exists here.
    bool accepts(const Snapshot& snapshot) const;
    // The end of the ready phase is decided by draw, after the message: a level put back
    // to a snapshot and updated before it is drawn again, or one that runs without being
    // drawn (a ghost, a sweep), needs this step first. draw() takes it itself.
    void endReadyPhaseIfDue();

    // For tests and tools.
    Phase getPhase() const { return m_phase; }
    int getFrameCounter() const { return m_frameCounter; }
    bool isReadyVisible() const { return m_readyVisible; }
    Camera& getCamera() { return m_camera; }
    Map* getMap() const { return m_map.get(); }
    Voltbot* getPlayer() const { return m_player.get(); }
    Enemy* getEnemy() const { return m_enemy.get(); }

  private:
    void createReadyBitmap(const std::string& message);
    void releaseReadyBitmap();
    void enterPhase(Phase phase);
    void scrollCamera();

    bool m_phaseJustChanged = false;
    bool m_readyVisible = false;
    int m_frameCounter = 0;
    int m_scrollingDuration = 0;
    int m_beforeScrollingDuration = 0;
    int m_afterScrollingDuration = 0;
    int m_scrollSpeed = 0;
    int m_readyDuration = 0;
    int m_readyBlinkInterval = 0;
    int m_readyWidth = 0;
    int m_readyX = 0;  // where the visible part of the ready message starts
    Direction::type m_scrollDirection = Direction::kNone;
    Phase m_phase = kReady;
    Bitmap m_readyBitmap;
    Camera m_camera;
    std::unique_ptr<Enemy> m_enemy;
    GameStateManager* m_gameStateManager;
    std::unique_ptr<Map> m_map;
    std::unique_ptr<Voltbot> m_player;
    Ghost* m_ghost = nullptr;
};
