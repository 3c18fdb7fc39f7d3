#include "mapfixture.h"

namespace {

using HorizontalRoom = MapFixture;
using VerticalRoom = MapFixture;
using LadderProbes = MapFixture;
using ScreenEdges = MapFixture;

// The box of the worked examples: columns 100 to 116, rows 50 to 74 for these queries.
constexpr Rect kBox{100, 50, 16, 24};

}  // namespace

TEST_F(HorizontalRoom, RightStopsAtAWallFoundByAnyOfThreeProbes) {
    // Probe column 132; bottom (74), middle (62) and top (50) rows.
    for (const int y : {74, 62, 50}) {
        auto rows = blankScreens(1, 1);
        setTileAt(rows, 132, y, '#');
        const auto map = load(level(rows, {{0, 0, 256, 240}}));
        EXPECT_EQ(map->getMaxXDelta(kBox, Direction::kRight), 11) << "wall at y " << y;
    }
}

TEST_F(HorizontalRoom, RightIgnoresWhatTheProbesMiss) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 132, 90, '#');  // below the box
    setTileAt(rows, 132, 47, '#');  // above it
    setTileAt(rows, 116, 60, '#');  // the column the edge is already in
    setTileAt(rows, 148, 60, '#');  // two columns on
    setTileAt(rows, 132, 60, 'H');  // ladders never stop sideways movement
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    EXPECT_EQ(map->getMaxXDelta(kBox, Direction::kRight), 16);
}

TEST_F(HorizontalRoom, LeadingEdgeOnATileBorderGivesFifteen) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 144, 60, '#');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    EXPECT_EQ(map->getMaxXDelta({112, 50, 16, 24}, Direction::kRight), 15);
}

TEST_F(HorizontalRoom, LeftNearTheMapEdgeIsTheDistanceToIt) {
    auto rows = blankScreens(1, 1);
    fillScreen(rows, 0, 0, '#');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    EXPECT_EQ(map->getMaxXDelta({10, 50, 16, 24}, Direction::kLeft), 10);
    EXPECT_EQ(map->getMaxXDelta({15, 50, 16, 24}, Direction::kLeft), 15);
    EXPECT_EQ(map->getMaxXDelta({0, 50, 16, 24}, Direction::kLeft), 0);
}

TEST_F(HorizontalRoom, LeftProbesTheColumnBeforeTheBox) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 21, 74, '#');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    EXPECT_EQ(map->getMaxXDelta({37, 50, 16, 24}, Direction::kLeft), 5);
    // From x 48 the probe column is 32, past the wall.
    EXPECT_EQ(map->getMaxXDelta({48, 50, 16, 24}, Direction::kLeft), 16);
}

TEST_F(HorizontalRoom, AbsentScreenBesideIsAWall) {
    auto rows = blankScreens(2, 1);
    fillScreen(rows, 1, 0, 'x');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    EXPECT_EQ(map->getMaxXDelta({230, 50, 16, 24}, Direction::kRight), 9);
    EXPECT_EQ(map->getMaxXDelta({200, 50, 16, 24}, Direction::kRight), 16);
}

TEST_F(VerticalRoom, DownStopsOnAWallUnderEitherSide) {
    for (const int x : {116, 100}) {
        auto rows = blankScreens(1, 1);
        setTileAt(rows, x, 90, '#');
        const auto map = load(level(rows, {{0, 0, 256, 240}}));
        EXPECT_EQ(map->getMaxYDelta(kBox, Direction::kDown), 5) << "wall at x " << x;
    }
}

TEST_F(VerticalRoom, LadderTopCarriesAFallingBox) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 116, 90, 'H');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    EXPECT_EQ(map->getMaxYDelta(kBox, Direction::kDown), 5);
    // The same ladder under the left side carries too.
    EXPECT_EQ(map->getMaxYDelta({116, 50, 16, 24}, Direction::kDown), 5);
}

TEST_F(VerticalRoom, BoxAlreadyOnALadderGoesOnDown) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 116, 90, 'H');
    setTileAt(rows, 116, 74, 'H');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    EXPECT_EQ(map->getMaxYDelta(kBox, Direction::kDown), 16);
}

TEST_F(VerticalRoom, RightSideOnALadderStillChecksTheLeft) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 116, 90, 'H');
    setTileAt(rows, 116, 74, 'H');
    setTileAt(rows, 100, 90, 'H');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    // The left side's ladder starts below the box: its top carries it.
    EXPECT_EQ(map->getMaxYDelta(kBox, Direction::kDown), 5);
}

TEST_F(VerticalRoom, BothSidesOnLaddersGoOnDown) {
    auto rows = blankScreens(1, 1);
    for (const int x : {100, 116}) {
        setTileAt(rows, x, 90, 'H');
        setTileAt(rows, x, 74, 'H');
    }
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    EXPECT_EQ(map->getMaxYDelta(kBox, Direction::kDown), 16);
}

TEST_F(VerticalRoom, UpStopsAtACeilingButNeverAtALadder) {
    for (const int x : {116, 100}) {
        auto rows = blankScreens(1, 1);
        setTileAt(rows, x, 34, '#');
        const auto map = load(level(rows, {{0, 0, 256, 240}}));
        EXPECT_EQ(map->getMaxYDelta(kBox, Direction::kUp), 2) << "ceiling at x " << x;
    }
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 116, 34, 'H');
    setTileAt(rows, 100, 34, 'H');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    EXPECT_EQ(map->getMaxYDelta(kBox, Direction::kUp), 16);
}

TEST_F(VerticalRoom, UpNearTheMapTopIsTheDistanceToIt) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 100, 0, '#');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    // The probe row lies above the map and reads as row 0; the room never goes negative.
    EXPECT_EQ(map->getMaxYDelta({100, 5, 16, 24}, Direction::kUp), 5);
    EXPECT_EQ(map->getMaxYDelta({100, 0, 16, 24}, Direction::kUp), 0);
    EXPECT_EQ(map->getMaxYDelta({100, 15, 16, 24}, Direction::kUp), 15);
    EXPECT_EQ(map->getMaxYDelta({100, 16, 16, 24}, Direction::kUp), 0);
    // Open sky above the map does not stop the box.
    EXPECT_EQ(map->getMaxYDelta({200, 5, 16, 24}, Direction::kUp), 16);
}

TEST_F(VerticalRoom, FloorsFarBelowTheBoundaryDoNotCarry) {
    auto rows = blankScreens(1, 2);
    fillScreen(rows, 0, 1, '#');
    setTileAt(rows, 20, 256, 'H');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    // Probe row 240, the first row below the boundary, still carries.
    EXPECT_EQ(map->getMaxYDelta({100, 200, 16, 24}, Direction::kDown), 15);
    // Probe row 241 lies beyond it: the wall reads as passable.
    EXPECT_EQ(map->getMaxYDelta({100, 201, 16, 24}, Direction::kDown), 16);
    // A ladder top there still carries (probe row 257, the box's bottom row 241).
    EXPECT_EQ(map->getMaxYDelta({4, 217, 16, 24}, Direction::kDown), 14);
}

TEST_F(LadderProbes, FeetAndBelowFeetShareTheirTileInTheWorkedExample) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 120, 211, 'H');  // tile row 13 holds both (120, 211) and (120, 215)
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    const LadderSonar sonar = map->getLadderSonar(120, 200, 203, -10, false, false);
    EXPECT_TRUE(sonar.atFeet);
    EXPECT_TRUE(sonar.belowFeet);
    EXPECT_FALSE(sonar.atMiddle);
    EXPECT_FALSE(sonar.atHead);
    EXPECT_FALSE(sonar.aboveHead);
}

TEST_F(LadderProbes, MiddleProbeIsFourAbove) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 120, 196, 'H');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    const LadderSonar sonar = map->getLadderSonar(120, 200, 203, -10, false, false);
    EXPECT_TRUE(sonar.atMiddle);
    EXPECT_FALSE(sonar.atFeet);
    EXPECT_FALSE(sonar.atHead);
    EXPECT_FALSE(sonar.belowFeet);
    // From y 211 the middle probe is 207, the ladder's last row; from 212 it is 208, below.
    EXPECT_TRUE(map->getLadderSonar(120, 211, 211, 0, false, false).atMiddle);
    EXPECT_FALSE(map->getLadderSonar(120, 212, 212, 0, false, false).atMiddle);
}

TEST_F(LadderProbes, HeadProbeUsesTheOffsetOnlyWhenAsked) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 120, 188, 'H');  // tile row 11: pixels 176 to 191
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    // Without the option the head is 12 above: 188.
    EXPECT_TRUE(map->getLadderSonar(120, 200, 203, -8, false, false).atHead);
    // With it the head is at y + offset: 192 misses, 191 hits.
    EXPECT_FALSE(map->getLadderSonar(120, 200, 203, -8, false, true).atHead);
    EXPECT_TRUE(map->getLadderSonar(120, 200, 203, -9, false, true).atHead);
}

TEST_F(LadderProbes, UpwardLooksAboveTheHeadInsteadOfBelowTheFeet) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 120, 191, 'H');
    setTileAt(rows, 120, 215, 'H');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    // targetY 203: above the head is 191 (head offset -12).
    const LadderSonar up = map->getLadderSonar(120, 220, 203, -10, true, false);
    EXPECT_TRUE(up.aboveHead);
    EXPECT_FALSE(up.belowFeet);
    // With the option the head offset moves the upward probe too: 203 - 10 = 193.
    EXPECT_FALSE(map->getLadderSonar(120, 220, 203, -10, true, true).aboveHead);
    const LadderSonar down = map->getLadderSonar(120, 220, 203, -10, false, false);
    EXPECT_FALSE(down.aboveHead);
    EXPECT_TRUE(down.belowFeet);
}

TEST_F(LadderProbes, OnlyLaddersInTheOneColumnCount) {
    auto rows = blankScreens(1, 2);
    fillScreen(rows, 0, 0, '#');
    setTileAt(rows, 128, 211, 'H');  // the next column
    setTileAt(rows, 120, 300, 'H');  // below the boundary, still found
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    const LadderSonar sonar = map->getLadderSonar(120, 200, 203, -10, false, false);
    EXPECT_FALSE(sonar.atFeet || sonar.atMiddle || sonar.atHead || sonar.belowFeet);
    EXPECT_TRUE(map->getLadderSonar(120, 289, 289, 0, false, false).atFeet);
}

TEST_F(ScreenEdges, TriggersAreRelativeToTheBoundaryTop) {
    const auto map = load(level(blankScreens(1, 2), {{0, 0, 256, 240}, {0, 240, 256, 240}}));
    EXPECT_TRUE(map->isLeavingScreenBottom(240));
    EXPECT_FALSE(map->isLeavingScreenBottom(239));
    EXPECT_TRUE(map->isLeavingScreenTop(0));
    EXPECT_TRUE(map->isLeavingScreenTop(-3));
    EXPECT_FALSE(map->isLeavingScreenTop(1));

    map->setScrollStartPositions(16, 200);
    EXPECT_TRUE(map->isLeavingScreenTop(16));
    EXPECT_FALSE(map->isLeavingScreenTop(17));
    EXPECT_TRUE(map->isLeavingScreenBottom(200));
    EXPECT_FALSE(map->isLeavingScreenBottom(199));

    map->setCurrentBoundaryByPosition(0, 300);
    EXPECT_TRUE(map->isLeavingScreenTop(256));
    EXPECT_FALSE(map->isLeavingScreenTop(257));
    EXPECT_TRUE(map->isLeavingScreenBottom(440));
    EXPECT_FALSE(map->isLeavingScreenBottom(439));
}

TEST_F(ScreenEdges, InvalidScreenIsTheOneBelowTheBoundary) {
    auto rows = blankScreens(2, 2);
    fillScreen(rows, 1, 1, 'x');
    const auto map = load(level(rows, {{0, 0, 512, 240}}));
    EXPECT_TRUE(map->isEnteringInvalidScreen(300, 100));   // screen 3, absent
    EXPECT_FALSE(map->isEnteringInvalidScreen(100, 100));  // screen 2
    EXPECT_FALSE(map->isEnteringInvalidScreen(100, 239));
    EXPECT_TRUE(map->isEnteringInvalidScreen(100, 480));  // below the map
}

TEST_F(ScreenEdges, EveryScreenBelowAOneRowMapIsInvalid) {
    const auto map = load(level(blankScreens(2, 1), {{0, 0, 512, 240}}));
    EXPECT_TRUE(map->isEnteringInvalidScreen(300, 100));
    EXPECT_TRUE(map->isEnteringInvalidScreen(0, 0));
}

TEST_F(ScreenEdges, ColumnRightOfTheMapIsInvalid) {
    const auto map = load(level(blankScreens(2, 3), {{0, 0, 512, 240}}));
    // Truncating arithmetic alone would find screen 4, at the next row's start.
    EXPECT_TRUE(map->isEnteringInvalidScreen(600, 100));
    EXPECT_FALSE(map->isEnteringInvalidScreen(511, 100));
    EXPECT_TRUE(map->isEnteringInvalidScreen(-1, 100));
}
