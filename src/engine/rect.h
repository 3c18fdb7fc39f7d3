#pragma once

#include <cstdint>

// A box in logical (or map) pixels. It covers x .. x + w - 1 and y .. y + h - 1 in the
// overlap tests; the map's movement queries treat it as one column and row larger.
struct Rect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint16_t w = 0;
    std::uint16_t h = 0;
};
