#pragma once

#include "engine/direction.h"

// One frame's input, filled by the engine and handed by value to every update.
// The pressed and released flags last one frame; the held flags last from key-down to
// key-up. A direction is kNone only when neither of its two arrows is held; with both
// held it names the one pressed last.
struct Controls {
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
};
