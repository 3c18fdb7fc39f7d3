#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/gameengine.h"
#include "scratchdir.h"

// A scratch working directory with a settings.ini, and the engine opened in it.
inline std::unique_ptr<GameEngine> openEngine(const ScratchDir& scratch, int pixelMultiplier) {
    scratch.write("settings.ini",
                  "[Video]\npixelMultiplier=" + std::to_string(pixelMultiplier) + "\n");
    return std::make_unique<GameEngine>();
}

// One frame as the main loop runs it, up to the picture being complete: the engine's
// events, one update of the states unless paused, their draw. Presenting is left to the
// caller, so a test may read the picture back first.
template <class States>
void updateAndDraw(GameEngine& engine, States& states) {
    engine.handleEvents();
    if (!engine.isPaused()) {
        states.update(engine.getControls());
    }
    states.draw();
}

// Reads back a rectangle of the current render target as 0xAARRGGBB values, row by row.
inline std::vector<std::uint32_t> readPixels(SDL_Renderer* renderer, SDL_Rect area) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(area.w * area.h));
    SDL_RenderReadPixels(renderer, &area, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                         area.w * static_cast<int>(sizeof(std::uint32_t)));
    return pixels;
}

inline std::uint32_t readPixel(SDL_Renderer* renderer, int x, int y) {
    return readPixels(renderer, SDL_Rect{x, y, 1, 1})[0];
}

// The screen's colour for an opaque red, green, blue.
constexpr std::uint32_t opaque(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return 0xFF000000u | static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
           b;
}
