#pragma once

#include "engine/controls.h"

// A game state: the stage select or a level. The manager owns exactly one at a time.
class GameState {
  public:
    virtual ~GameState() = default;
    virtual void draw() = 0;
    virtual void update(Controls controls) = 0;
};
