#pragma once

#include <memory>
#include <string>

#include "engine/direction.h"
#include "engine/videoservice.h"
#include "states/gamestate.h"
#include "world/camera.h"

class Enemy;
class GameStateManager;
class Ghost;
class Map;
class Voltbot;

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
    // The draw's own step of the phase machine (the ready phase ends in a draw), for a
    // level that runs without being drawn. draw() takes this step itself.
    void endReadyPhaseIfDue();
    // A ghost drawn over the map, before the actors; null for none. Not owned.
    void setGhost(Ghost* ghost) { m_ghost = ghost; }

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
