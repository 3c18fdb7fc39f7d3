#pragma once

#include <cstdint>

// Positions and speeds of the player are 24.8 fixed point: value = pixels * 256 +
// fraction. The three pixel helpers round toward zero, like C++ integer division, never
// like an arithmetic shift: pixel(-1) is 0 and pixel(-257) is -1. floorDiv is the one
// division that rounds toward minus infinity, for the places that need a shift's result.
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

// value / divisor rounded toward minus infinity (divisor > 0): what an arithmetic shift
// right gives for a power of two, written as a division because shifting a negative value
// right is only implementation-defined before C++20. floorDiv(-1, 256) is -1.
constexpr long long floorDiv(long long value, long long divisor) {
    const long long quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace fixedpoint
