#pragma once

#include <cstdint>

// Positions and speeds of the player are 24.8 fixed point: value = pixels * 256 +
// fraction. All three helpers round toward zero, like C++ integer division, never like
// an arithmetic shift: pixel(-1) is 0 and pixel(-257) is -1.
namespace fixedpoint {

constexpr int kOne = 256;  // one whole pixel in sub-pixel units

// Whole pixels of v, truncated toward zero.
constexpr int pixel(int v) {
    return v / kOne;
}

// v rounded toward zero to a multiple of one pixel.
constexpr int whole(int v) {
    return pixel(v) * kOne;
}

// What whole() dropped: the fraction with the sign of v (0..255 for v >= 0).
constexpr int fraction(int v) {
    return v - whole(v);
}

}  // namespace fixedpoint
