#include "sdlkeys.h"

void pushKey(Uint32 type, SDL_Keycode key, Uint8 repeat, Uint16 mod) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.sym = key;
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);
}
