#pragma once

#include <SDL.h>

#include "engine/controls.h"

// Keys a feature beside the game answers to. The engine offers its handler every key-down
// (repeats excepted) and key-up that no binding claims, so a player's own bindings win.
// The handler may change the live input record (a restored moment brings its own
// previous-frame directions).
class KeyHandler {
  public:
    virtual ~KeyHandler() = default;
    // True when the key was the handler's.
    virtual bool keyDown(const SDL_Keysym& key, Controls& controls, bool paused) = 0;
    virtual bool keyUp(const SDL_Keysym& key, Controls& controls, bool paused) = 0;
};
