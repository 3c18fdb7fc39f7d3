#include "engine/fixedpoint.h"

#include <gtest/gtest.h>

using fixedpoint::fraction;
using fixedpoint::pixel;
using fixedpoint::whole;

// Negative positions must round toward zero like the map's pixel arithmetic, not like a
// shift: a player 1/256 pixel above row 0 still stands in row 0.
TEST(FixedPoint, NegativeValuesRoundTowardZero) {
    EXPECT_EQ(pixel(-1), 0);
    EXPECT_EQ(whole(-1), 0);
    EXPECT_EQ(fraction(-1), -1);

    EXPECT_EQ(pixel(-257), -1);
    EXPECT_EQ(whole(-257), -256);
    EXPECT_EQ(fraction(-257), -1);

    EXPECT_EQ(pixel(-256), -1);
    EXPECT_EQ(fraction(-256), 0);
}

TEST(FixedPoint, PositiveValuesSplitIntoPixelsAndFraction) {
    EXPECT_EQ(pixel(0x1190), 0x11);
    EXPECT_EQ(whole(0x1190), 0x1100);
    EXPECT_EQ(fraction(0x1190), 0x90);
    EXPECT_EQ(pixel(255), 0);
    EXPECT_EQ(fraction(255), 255);
    EXPECT_EQ(pixel(256), 1);
    EXPECT_EQ(fraction(256), 0);
}

TEST(FixedPoint, WholeAndFractionAddUpToTheValue) {
    for (int v : {-70000, -257, -256, -255, -1, 0, 1, 255, 256, 257, 70000}) {
        EXPECT_EQ(whole(v) + fraction(v), v) << v;
    }
}

// Floor division is what an arithmetic shift gives: the overlay's row and the map's screen
// of a view left of or above it. Checked against the shift itself on values where a shift
// of a negative number is well defined in practice (two's complement), and across 64 bits.
TEST(FixedPoint, FloorDivRoundsTowardMinusInfinity) {
    using fixedpoint::floorDiv;
    for (int v : {-70000, -513, -512, -257, -256, -255, -1, 0, 1, 255, 256, 257, 70000}) {
        EXPECT_EQ(floorDiv(v, 256), v >> 8) << v;
    }
    EXPECT_EQ(floorDiv(-1, 240), -1);
    EXPECT_EQ(floorDiv(-240, 240), -1);
    EXPECT_EQ(floorDiv(-241, 240), -2);
    EXPECT_EQ(floorDiv(239, 240), 0);
    EXPECT_EQ(floorDiv(-5000000000LL, 256), -19531250);
    EXPECT_EQ(floorDiv(-5000000001LL, 256), -19531251);
}
