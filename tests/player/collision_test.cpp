#include "playertest.h"

namespace {

// A wall two tiles high beside the standing position. The player walks into it with one
// accelerating frame and then one running frame at 0x150, so the second step shows the
// contact rule: a blocked step keeps the last free pixel but takes the target's fraction.
class WallContact : public PlayerTest {
  protected:
    int stepIntoWall(int startX, int wallColumn, int keys, int accelerating) {
        std::vector<std::string> rows = flatFloor();
        rows[8][static_cast<std::size_t>(wallColumn)] = '#';
        rows[9][static_cast<std::size_t>(wallColumn)] = '#';
        Character c;
        c.xSpeed = "acceleratingInt = 0\nacceleratingFraction = " + std::to_string(accelerating) +
                   "\nrunningInt = 1\nrunningFraction = 80\n";
        c.durations = "accelerating = 1\nacceleratingPreviousAnimation = 0\n";
        build(rows, c, startX);
        arrive();
        step(keys);
        firstStep = player().getXPosition();
        step(keys);
        EXPECT_EQ(player().getState(), State::kRunning);
        return player().getXPosition();
    }
    int firstStep = 0;
};

}  // namespace

TEST_F(WallContact, RightWithTwoPixelsOfRoomMovesFreely) {
    // 0x8640 is pixel 134 + 0x40; the box's right edge is 141, two pixels from the wall.
    EXPECT_EQ(stepIntoWall(134, 9, kRight, 0x40), 0x8790);
    EXPECT_EQ(firstStep, 0x8640);
}

TEST_F(WallContact, RightWithoutRoomStaysInItsPixelWithTheTargetsFraction) {
    EXPECT_EQ(stepIntoWall(136, 9, kRight, 0x40), 0x8890);  // target 0x8990, limit 0x8800
    EXPECT_EQ(player().getBoundingBox()->x, 129);
}

TEST_F(WallContact, LeftWithoutRoomTakesALargerFractionToo) {
    EXPECT_EQ(stepIntoWall(135, 7, kLeft, 0xC0), 0x87F0);  // target 0x85F0, limit 0x8700
    // Already the first step was blocked: 0x8700 - 0xC0 kept only its fraction.
    EXPECT_EQ(firstStep, 0x8740);
    EXPECT_EQ(player().getBoundingBox()->x, 128);
}

TEST_F(WallContact, LeftWithTwoPixelsOfRoomMovesFreely) {
    EXPECT_EQ(stepIntoWall(138, 7, kLeft, 0xC0), 0x87F0);  // 0x8940 - 0x150, limit 0x8700
    EXPECT_EQ(firstStep, 0x8940);
}

namespace {

// The beam stops at row 116 and the transforming drop reaches the floor at 4 pixels per
// frame from pixel 146 + 248/256 with two pixels of room: the target is 150 + 248/256.
class FloorContact : public PlayerTest {
  protected:
    void dropOntoFloor(const Character& c) {
        build(flatFloor(), c, 128, 116);
        steps(23);
        ASSERT_EQ(player().getYPosition(), px(146) + 0xF8);
        ASSERT_EQ(player().getYSpeed(), -0x400);
        step();
        ASSERT_EQ(player().getState(), State::kStanding);
    }
};

}  // namespace

TEST_F(FloorContact, LandingRestsExactlyOnThePixel) {
    dropOntoFloor({});
    EXPECT_EQ(player().getYPosition(), px(148));
    EXPECT_EQ(player().getBoundingBox()->y, 136);
}

TEST_F(FloorContact, IntAdjustmentKeepsTheTargetsFraction) {
    Character c;
    c.options = "onlyIntAdjustmentAtYCollision = true\n";
    dropOntoFloor(c);
    EXPECT_EQ(player().getYPosition(), px(148) + 0xF8);
    EXPECT_EQ(player().getBoundingBox()->y, 136);
}

namespace {

// A ceiling (tile row 7) two pixels above a taller box (yOffset -18, height 29, top at
// y - 18 = 130), and a jump speed of 0x340, which the ceiling stops in the first frame.
class CeilingBump : public PlayerTest {
  protected:
    void jumpIntoCeiling(const std::string& options) {
        std::vector<std::string> rows = flatFloor();
        rows[7] = std::string(16, '#');
        Character c;
        c.options = options;
        c.ySpeed = "jumpingInt = 3\njumpingFraction = 64\n";
        c.box = "yOffset = -18\nheight = 29\n";
        build(rows, c);
        arrive();
        step(kJump);
        step(kJump);
    }
};

}  // namespace

TEST_F(CeilingBump, SpecialTreatmentKeepsTheFractionBelowMinusOnePixel) {
    jumpIntoCeiling("specialUpwardsYCollisionTreatment = true\n");
    EXPECT_EQ(player().getYSpeed(), -0xC0);
    EXPECT_EQ(player().getYPosition(), px(146));  // head against the ceiling at row 128
    EXPECT_EQ(player().getState(), State::kJumping);
    EXPECT_EQ(player().getYCollisionResponse(), YCollisionResponse::kLanding);
}

TEST_F(CeilingBump, PlainBumpTakesTheCollisionSpeed) {
    jumpIntoCeiling("");
    EXPECT_EQ(player().getYSpeed(), kCollision);  // no gravity after a contact
    EXPECT_EQ(player().getYPosition(), px(146));
    EXPECT_EQ(player().getState(), State::kJumping);
}
