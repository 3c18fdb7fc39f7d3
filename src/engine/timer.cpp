#include "engine/timer.h"

#include <SDL.h>

void Timer::start() {
    m_startTicks = SDL_GetTicks();
}

std::uint32_t Timer::getTicks() const {
    return SDL_GetTicks() - m_startTicks;
}
