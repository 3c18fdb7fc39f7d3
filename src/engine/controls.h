#pragma once

#include "engine/direction.h"

// One frame's input, filled by the engine and handed by value to every update.
// The pressed and released flags last one frame; the held flags last from key-down to
// key-up. A direction is kNone only when neither of its two arrows is held; with both
// held it names the one pressed last.
struct Controls {
    // The six game keys (the arrows, shoot and jump), whatever device they come from.
    enum class Key { kLeft, kRight, kUp, kDown, kJump, kShoot };

    Direction::type dirX = Direction::kNone;
    Direction::type dirY = Direction::kNone;
    Direction::type prevDirX = Direction::kNone;
    Direction::type prevDirY = Direction::kNone;
    bool upHeld = false;
    bool downHeld = false;
    bool leftHeld = false;
    bool rightHeld = false;
    bool shootPressed = false;
    bool shootHeld = false;
    bool shootReleased = false;
    bool jumpPressed = false;
    bool jumpHeld = false;
    bool jumpReleased = false;
    // The menu key went down this frame: a level goes back to the stage select, the stage
    // select ends the game.
    bool menuPressed = false;

    // The key rules, shared by the engine's event handling and the tools that derive
    // input without SDL. beginFrame is the first step of every frame that begins
    // unpaused: the directions become the previous ones and the one-frame flags clear.
    void beginFrame();
    // A key goes down: it is held, and the last-pressed arrow of its axis gives the
    // direction.
    void press(Key key);
    // A key goes up: the direction falls back to the other arrow of its axis, if held.
    void release(Key key);

    bool operator==(const Controls& other) const;
    bool operator!=(const Controls& other) const { return !(*this == other); }
};
