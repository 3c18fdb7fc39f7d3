#include "playertest.h"

namespace {

// Standard numbers: jump speed 0x4E0, gravity 0x40, terminal speed -0x400. A full jump
// rises 20 frames by 1248, 1184, ... 32 (50 pixels in all) and lands 21 frames later.
class Jumping : public PlayerTest {
  protected:
    // Frames of a jump that began with jump pressed; the rise of frame k (k >= 1).
    static int rise(int k) { return kJumpingY - kGravity * (k - 1); }
    static int yAfterRising(int frames) {
        int y = px(148);
        for (int k = 1; k <= frames; ++k) {
            y -= rise(k);
        }
        return y;
    }
};

}  // namespace

TEST_F(Jumping, JumpStartsAtTheEndOfThePressFrameAndMovesNextFrame) {
    standOnFloor();
    step(kJump);
    EXPECT_EQ(player().getYPosition(), px(148));
    EXPECT_EQ(player().getYSpeed(), kJumpingY);
    EXPECT_EQ(player().getState(), State::kJumping);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kInAir);
    EXPECT_EQ(player().getYCollisionResponse(), YCollisionResponse::kRising);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 0);  // the jump picture comes next frame

    step(kJump);
    EXPECT_EQ(player().getYPosition(), px(148) - kJumpingY);
    EXPECT_EQ(player().getYSpeed(), kJumpingY - kGravity);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 3);
}

TEST_F(Jumping, NoJumpDelayMovesInThePressFrame) {
    Character c;
    c.options = "noJumpDelay = true\n";
    standOnFloor(c);
    step(kJump);
    EXPECT_EQ(player().getYPosition(), px(148) - kJumpingY);
    EXPECT_EQ(player().getYSpeed(), kJumpingY - kGravity);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 3);
    EXPECT_EQ(player().getState(), State::kJumping);
}

TEST_F(Jumping, NoGravityAfterJumpKeepsTheFullSpeedForTheSecondFrame) {
    Character c;
    c.options = "noJumpDelay = true\nnoGravityApplicationAfterJump = true\n";
    standOnFloor(c);
    step(kJump);
    EXPECT_EQ(player().getYPosition(), px(148) - kJumpingY);
    EXPECT_EQ(player().getYSpeed(), kJumpingY);
    step(kJump);
    EXPECT_EQ(player().getYPosition(), px(148) - 2 * kJumpingY);
    EXPECT_EQ(player().getYSpeed(), kJumpingY - kGravity);
}

TEST_F(Jumping, NoGravityAfterJumpAloneChangesNothing) {
    Character c;
    c.options = "noGravityApplicationAfterJump = true\n";
    standOnFloor(c);
    step(kJump);
    step(kJump);
    EXPECT_EQ(player().getYPosition(), px(148) - kJumpingY);
    EXPECT_EQ(player().getYSpeed(), kJumpingY - kGravity);
}

TEST_F(Jumping, FullJumpPeaksAfterTwentyFramesAndLandsAfterFortyOne) {
    standOnFloor();
    step(kJump);
    for (int k = 1; k <= 20; ++k) {
        step(kJump);
        ASSERT_EQ(player().getYPosition(), yAfterRising(k)) << k;
        ASSERT_EQ(player().getYCollisionResponse(), YCollisionResponse::kRising) << k;
    }
    EXPECT_EQ(player().getYPosition(), px(98));  // the apex, 50 pixels up
    EXPECT_EQ(player().getYSpeed(), -32);

    step(kJump);  // the first falling frame: a contact from now on is a landing
    EXPECT_EQ(player().getYPosition(), px(98) + 32);
    EXPECT_EQ(player().getYCollisionResponse(), YCollisionResponse::kLanding);

    // 16 frames of growing speed take it to 130, then 4 frames at the terminal speed.
    steps(15, kJump);
    EXPECT_EQ(player().getYPosition(), px(130));
    EXPECT_EQ(player().getYSpeed(), kMinYSpeed);  // -0x420 clamped
    steps(4, kJump);
    EXPECT_EQ(player().getYPosition(), px(146));
    EXPECT_EQ(player().getState(), State::kJumping);

    step(kJump);  // frame 41: the floor
    EXPECT_EQ(player().getState(), State::kLanding);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 4);
    EXPECT_EQ(player().getYPosition(), px(148));
    EXPECT_EQ(player().getYSpeed(), kCollision);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kOnGround);

    steps(kLandingFrames - 1);
    EXPECT_EQ(player().getState(), State::kLanding);
    step();
    EXPECT_EQ(player().getState(), State::kStanding);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 0);
}

TEST_F(Jumping, ReleasedEarlyFallsSooner) {
    standOnFloor();
    steps(4, kJump);  // press and three rising frames
    EXPECT_EQ(player().getYPosition(), yAfterRising(3));
    step();  // released: 0x420 > 0x100, so the speed becomes the released speed
    EXPECT_EQ(player().getYPosition(), yAfterRising(3) - kJumpReleased);
    EXPECT_EQ(player().getYSpeed(), kJumpReleased - kGravity);
    const int apex = player().getYPosition();

    step();  // speed 0: no move; still not a landing (the speed is not below 0)
    EXPECT_EQ(player().getYPosition(), apex);
    EXPECT_EQ(player().getYCollisionResponse(), YCollisionResponse::kRising);
    // Ten falling frames (64 ... 640 sub-pixels), then the eleventh lands.
    steps(10);
    EXPECT_EQ(player().getYPosition(), apex + 32 * 10 * 11);
    EXPECT_EQ(player().getState(), State::kJumping);
    step();
    EXPECT_EQ(player().getState(), State::kLanding);
    EXPECT_EQ(player().getYPosition(), px(148));
}

TEST_F(Jumping, ReleasedEarlyWithIntAdjustmentKeepsOnlyTheFraction) {
    Character c;
    c.options = "onlyIntAdjustmentAtJumpReleased = true\n";
    standOnFloor(c);
    steps(10, kJump);  // press and nine rising frames: the speed is now 0x2A0
    ASSERT_EQ(player().getYSpeed(), 0x2A0);
    const int y = player().getYPosition();
    step();
    EXPECT_EQ(player().getYPosition(), y - 0xA0);
    EXPECT_EQ(player().getYSpeed(), 0xA0 - kGravity);
}

TEST_F(Jumping, ReleasedEarlyWithoutIntAdjustmentTakesTheReleasedSpeed) {
    standOnFloor();
    steps(10, kJump);
    ASSERT_EQ(player().getYSpeed(), 0x2A0);
    const int y = player().getYPosition();
    step();
    EXPECT_EQ(player().getYPosition(), y - kJumpReleased);
    EXPECT_EQ(player().getYSpeed(), kJumpReleased - kGravity);
}

TEST_F(Jumping, ReleasingNearTheTopChangesNothing) {
    standOnFloor();
    steps(17, kJump);  // the speed is now 0xE0, below the release maximum 0x100
    ASSERT_EQ(player().getYSpeed(), 0xE0);
    step();
    EXPECT_EQ(player().getYPosition(), yAfterRising(17));
    EXPECT_EQ(player().getYSpeed(), 0xE0 - kGravity);
}

TEST_F(Jumping, AirSteeringStartsSlowHoldsFastAndStopsWhenReleased) {
    standOnFloor();
    steps(2, kJump);
    int x = player().getXPosition();
    step(kJump | kRight);  // no direction last frame
    x += kJumpAccelerating;
    EXPECT_EQ(player().getXPosition(), x);
    step(kJump | kRight);
    x += kJumpingX;
    EXPECT_EQ(player().getXPosition(), x);
    step(kJump | kLeft);  // switching directly counts as held
    x -= kJumpingX;
    EXPECT_EQ(player().getXPosition(), x);
    EXPECT_EQ(player().getDirection(), Direction::kLeft);
    step(kJump);
    EXPECT_EQ(player().getXPosition(), x);
    EXPECT_EQ(player().getXSpeed(), 0);
}

TEST_F(Jumping, LandingWithTheDirectionHeldRunsOnAtOnce) {
    standOnFloor();
    step(kJump);
    steps(41, kJump | kRight);
    EXPECT_EQ(player().getState(), State::kRunning);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 2);
    EXPECT_EQ(player().getXSpeed(), kRunning);
    EXPECT_EQ(player().getYPosition(), px(148));
}

TEST_F(Jumping, GravityBeforeTheMoveShortensTheFirstRise) {
    Character c;
    c.options = "applyGravityBeforeCollisionCheck = true\n";
    standOnFloor(c);
    step(kJump);
    EXPECT_EQ(player().getYSpeed(), kJumpingY);
    step(kJump);
    EXPECT_EQ(player().getYPosition(), px(148) - (kJumpingY - kGravity));
    EXPECT_EQ(player().getYSpeed(), kJumpingY - kGravity);
}

namespace {

// Walking off the edge of a floor starts a fall at the configured falling speed; these
// tests use that first fall frame to reach speeds beyond the terminal speed.
class TerminalSpeed : public PlayerTest {
  protected:
    int fallOffEdge(const std::string& options, const std::string& fallingSpeed) {
        std::vector<std::string> rows = blankScreens(1, 1);
        rows[10] = "########........";
        rows[14] = std::string(16, '#');
        Character c;
        c.options = options;
        c.ySpeed = fallingSpeed + "minInt = -7\nminFraction = 0\n";  // -0x700
        build(rows, c);
        arrive();
        steps(kAcceleratingFrames + 5, kRight);
        EXPECT_EQ(player().getState(), State::kJumping);
        return player().getYSpeed();
    }
};

const char* const kFalling0x760 = "fallingInt = -8\nfallingFraction = 160\n";
const char* const kFalling0x860 = "fallingInt = -9\nfallingFraction = 160\n";
const char* const kIntClamp = "onlyIntAdjustmentAtBelowYSpeedMin = true\n";

}  // namespace

TEST_F(TerminalSpeed, ClampSetsTheMinimumSpeed) {
    EXPECT_EQ(fallOffEdge("", kFalling0x760), -0x700);  // -0x7A0 clamped
}

TEST_F(TerminalSpeed, ClampSetsTheMinimumSpeedFromFarBelow) {
    EXPECT_EQ(fallOffEdge("", kFalling0x860), -0x700);
}

TEST_F(TerminalSpeed, IntClampKeepsAnExcessBelowOnePixel) {
    EXPECT_EQ(fallOffEdge(kIntClamp, kFalling0x760), -0x7A0);
}

TEST_F(TerminalSpeed, IntClampRemovesOnlyTheWholePixelsOfTheExcess) {
    EXPECT_EQ(fallOffEdge(kIntClamp, kFalling0x860), -0x7A0);
}
