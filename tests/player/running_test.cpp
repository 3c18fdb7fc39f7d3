#include "playertest.h"

namespace {

// Flat floor; the player stands at x 128 after its arrival.
class Running : public PlayerTest {
  protected:
    void expectFrame(int x, State state, int animation, const char* what) {
        EXPECT_EQ(player().getXPosition(), x) << what;
        EXPECT_EQ(player().getState(), state) << what;
        EXPECT_EQ(player().getCurrentAnimationIndex(), animation) << what;
    }
};

}  // namespace

TEST_F(Running, AcceleratesRunsAndSlowsToAStop) {
    standOnFloor();
    int x = px(128);

    // Accelerating: the standing picture stays for 2 frames, running starts at frame 7.
    step(kRight);
    x += kAccelerating;
    expectFrame(x, State::kAccelerating, 0, "first accelerating frame");
    EXPECT_EQ(player().getDirection(), Direction::kRight);
    step(kRight);
    x += kAccelerating;
    expectFrame(x, State::kAccelerating, 0, "previous picture still shown");
    for (int frame = 3; frame <= kAcceleratingFrames; ++frame) {
        step(kRight);
        x += kAccelerating;
        expectFrame(x, State::kAccelerating, 1, "step picture");
    }
    step(kRight);
    x += kRunning;
    expectFrame(x, State::kRunning, 2, "running");
    EXPECT_EQ(player().getXSpeed(), kRunning);
    steps(2, kRight);
    x += 2 * kRunning;
    expectFrame(x, State::kRunning, 2, "running on");

    // Decelerating: the running picture stays one frame, standing after 4 frames.
    step();
    x += kDecelerating;
    expectFrame(x, State::kDecelerating, 2, "first decelerating frame");
    for (int frame = 2; frame <= kDeceleratingFrames; ++frame) {
        step();
        x += kDecelerating;
        expectFrame(x, State::kDecelerating, 1, "decelerating");
    }
    step();
    expectFrame(x, State::kStanding, 0, "standing again");
    EXPECT_EQ(player().getXSpeed(), 0);
}

TEST_F(Running, WalkingSpeedOptionsMakeOnlyTheFirstFrameFast) {
    Character c;
    c.options =
        "firstAcceleratingFrameIsWalkingSpeed = true\n"
        "firstDeceleratingFrameIsWalkingSpeed = true\n";
    standOnFloor(c);
    int x = px(128);
    step(kRight);
    x += kRunning;
    EXPECT_EQ(player().getXPosition(), x);
    step(kRight);
    x += kAccelerating;
    EXPECT_EQ(player().getXPosition(), x);
    steps(kAcceleratingFrames - 1, kRight);  // the last of them enters running
    x += (kAcceleratingFrames - 2) * kAccelerating + kRunning;
    ASSERT_EQ(player().getState(), State::kRunning);
    EXPECT_EQ(player().getXPosition(), x);

    step();
    x += kRunning;
    EXPECT_EQ(player().getXPosition(), x);
    step();
    x += kDecelerating;
    EXPECT_EQ(player().getXPosition(), x);
}

TEST_F(Running, LettingGoWhileAcceleratingStopsAtOnce) {
    standOnFloor();
    steps(3, kRight);
    step();
    EXPECT_EQ(player().getState(), State::kStanding);
    EXPECT_EQ(player().getXSpeed(), 0);
    EXPECT_EQ(player().getXPosition(), px(128) + 3 * kAccelerating);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 0);
}

TEST_F(Running, ZeroDecelerationStopsRunningDirectly) {
    Character c;
    c.durations = "decelerating = 0\n";
    standOnFloor(c);
    steps(kAcceleratingFrames + 1, kRight);
    ASSERT_EQ(player().getState(), State::kRunning);
    const int x = player().getXPosition();
    step();
    EXPECT_EQ(player().getState(), State::kStanding);
    EXPECT_EQ(player().getXPosition(), x);
}

TEST_F(Running, PressingBackWhileSlowingDownAcceleratesTheOtherWay) {
    standOnFloor();
    steps(kAcceleratingFrames + 1, kRight);
    step();
    ASSERT_EQ(player().getState(), State::kDecelerating);
    const int x = player().getXPosition();
    step(kLeft);
    EXPECT_EQ(player().getState(), State::kAccelerating);
    EXPECT_EQ(player().getDirection(), Direction::kLeft);
    EXPECT_EQ(player().getXPosition(), x - kAccelerating);
}

TEST_F(Running, PreviousAnimationAsLongAsAccelerationNeverRunsByTime) {
    Character c;
    c.durations = "acceleratingPreviousAnimation = 6\n";
    standOnFloor(c);
    steps(kAcceleratingFrames, kRight);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 0);
    step(kRight);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 1);
    steps(30, kRight);
    EXPECT_EQ(player().getState(), State::kAccelerating);
    EXPECT_EQ(player().getXSpeed(), kAccelerating);
}

TEST_F(Running, WalkingOffAnEdgeStartsAFall) {
    std::vector<std::string> rows = blankScreens(1, 1);
    rows[10] = "########........";  // the floor ends at x 128
    rows[14] = std::string(16, '#');
    build(rows);
    arrive();
    // Six accelerating frames and four running frames still find floor under the left
    // edge of the box (x - 7 < 128).
    steps(kAcceleratingFrames + 4, kRight);
    ASSERT_EQ(player().getState(), State::kRunning);
    EXPECT_EQ(player().getYPosition(), px(148));
    step(kRight);
    EXPECT_EQ(player().getXPosition(), px(128) + 6 * kAccelerating + 5 * kRunning);
    EXPECT_EQ(player().getBoundingBox()->x, 128);
    // Moved by the collision speed, then once more by the falling speed, then gravity.
    EXPECT_EQ(player().getYPosition(), px(148) - kCollision - kFalling);
    EXPECT_EQ(player().getYSpeed(), kFalling - kGravity);
    EXPECT_EQ(player().getState(), State::kJumping);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kInAir);
    EXPECT_EQ(player().getYCollisionResponse(), YCollisionResponse::kLanding);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 3);
}
