#pragma once

#include <SDL.h>

// A key event as SDL delivers it from a keyboard, put on SDL's queue for the engine's next
// poll. `repeat` marks the keyboard's own repeats, `mod` the modifiers held with it.
void pushKey(Uint32 type, SDL_Keycode key, Uint8 repeat = 0, Uint16 mod = KMOD_NONE);
