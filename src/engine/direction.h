#pragma once

#include <cstdint>

// Directions are stored and compared as plain numbers throughout the game, so the
// values are fixed.
struct Direction {
    enum type : std::int32_t { kNone = 0, kUp = 1, kDown = 2, kLeft = 3, kRight = 4 };
};
