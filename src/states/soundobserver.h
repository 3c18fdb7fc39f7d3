#pragma once

#include <cstdint>

#include "engine/audioservice.h"
#include "player/voltbot.h"
#include "states/level.h"

class GameStateManager;
class StageSelect;

// Decides what is heard from outside the game: after every presented frame it compares
// what the state manager's current state shows now with what it showed after the last
// update, and plays an effect for each event it finds (a jump starting, a landing, a shot,
// a hit, the teleport beam landing, a restart, a scroll starting; in the menu a cursor
// move and the confirm; pause and resume). Frames that ran no update play nothing, so a
// frame-stepped run plays exactly the effects of the frames it runs. It also starts each
// state's tune (levels.ini `music` of the level, stageselect.ini [Menu] `music`), restarts
// it with a level's ready phase and pauses it with the game. Nothing is allocated or read
// from disk except when the state changes.
class SoundObserver {
  public:
    explicit SoundObserver(AudioService& audio);

    // updated: the frame ran an update; paused: the game is paused for the player (a Tab
    // step counts as paused, so stepping does not sound the pause effect each time).
    void afterFrame(const GameStateManager& manager, bool updated, bool paused);
    // While quiet, frames change what is observed but play no effects (rewinding and
    // fast-forwarding run frames the player should not hear one by one).
    void setQuiet(bool quiet) { m_quiet = quiet; }

  private:
    struct LevelView {
        Level::Phase phase = Level::kReady;
        MovementMode::type mode = MovementMode::kTeleporting;
        Voltbot::State state = Voltbot::State::kTeleporting;
        int ySpeed = 0;
        int activeBullets = 0;
        bool shooting = false;
        int shootingFrameCounter = 0;
    };
    struct MenuView {
        int levelIndex = 0;
        int voltbotIndex = 0;
        bool voltbotColumn = false;
        bool confirmed = false;
    };

    static LevelView viewOf(const Level& level);
    static MenuView viewOf(const GameStateManager& manager, const StageSelect& menu);
    void enterState(const GameStateManager& manager);
    void observeLevel(const Level& level);
    void observeMenu(const GameStateManager& manager, const StageSelect& menu);
    void play(SoundEffect effect);

    AudioService& m_audio;
    bool m_quiet = false;
    bool m_paused = false;
    int m_stateSwitches = -1;
    LevelView m_level;
    MenuView m_menu;
};
