#include "playertest.h"

namespace {

// Two screens side by side with five ladders around a floor at tile row 10 (the player
// stands at y 148: feet probe 159, middle 144, head 136):
//   A, column 11, rows 5-9:  standing beside it, feet, middle and head are on it (x 184)
//   B, column 16, rows 10-13: its top is part of the floor, only below the feet (x 256)
//   C, column 20, rows 2-7:  far above the head, reached only by jumping (x 328)
//   D, column 13, rows 7-8:  only the head is on it (x 216)
//   E, column 18, rows 9-13: below the feet and at feet and middle (x 292)
// A second floor at row 14 closes the shafts of B and E.
std::vector<std::string> ladderRows() {
    std::vector<std::string> rows = blankScreens(2, 1);
    const auto ladder = [&rows](int column, int firstRow, int lastRow) {
        for (int r = firstRow; r <= lastRow; ++r) {
            rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(column)] = 'H';
        }
    };
    rows[10] = std::string(32, '#');
    rows[14] = std::string(32, '#');
    ladder(11, 5, 9);
    ladder(16, 10, 13);
    ladder(20, 2, 7);
    ladder(13, 7, 8);
    ladder(18, 9, 13);
    return rows;
}

constexpr int kLadderA = 184;
constexpr int kLadderB = 256;
constexpr int kLadderC = 328;
constexpr int kLadderD = 216;
constexpr int kLadderE = 292;

class Ladders : public PlayerTest {
  protected:
    void standAt(int x, const std::string& options = "") {
        Character c;
        c.options = options;
        build(ladderRows(), c, x);
        arrive();
        ASSERT_EQ(player().getYPosition(), px(148));
    }
    void expectStillStanding(int x) {
        EXPECT_EQ(player().getState(), State::kStanding);
        EXPECT_EQ(player().getXPosition(), px(x));
        EXPECT_EQ(player().getYPosition(), px(148));
        EXPECT_EQ(player().getDirection(), Direction::kRight);
    }
};

class AlternativeGrab : public Ladders {
  protected:
    void standAt(int x, const std::string& options = "") {
        Ladders::standAt(x, "useAlternativeLadderGrabCheck = true\n" + options);
    }
};

}  // namespace

// ---- Grabbing before the state handler (the standard check)

TEST_F(Ladders, UpAtALadderBesideTheBodyClimbsAndTurnsAround) {
    standAt(kLadderA);
    step(kUp);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kOnLadder);
    EXPECT_EQ(player().getDirection(), Direction::kLeft);
    EXPECT_EQ(player().getXPosition(), px(184));  // already on the centre column
    EXPECT_EQ(player().getYPosition(), px(148) - kClimbing);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 5);
}

TEST_F(Ladders, DownInsideALadderDoesNotGrabIt) {
    standAt(kLadderA);
    step(kDown);
    expectStillStanding(kLadderA);
}

TEST_F(Ladders, UpAtALadderOnlyBelowTheFeetDoesNothing) {
    standAt(kLadderB);
    step(kUp);
    expectStillStanding(kLadderB);
}

TEST_F(Ladders, DownAtALadderTopStepsIntoItAndClimbsDown) {
    standAt(kLadderB);
    step(kDown);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getXPosition(), px(264));  // snapped to the centre column
    EXPECT_EQ(player().getDirection(), Direction::kLeft);
    // Stepped down by heightHalf, then one climbing step down.
    EXPECT_EQ(player().getYPosition(), px(148 + kHeightHalf) + kClimbing);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 6);
}

TEST_F(Ladders, UpWithTheLadderBelowAndAtTheFeetClimbsUp) {
    standAt(kLadderE);
    step(kUp);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getXPosition(), px(296));  // snapped from 292
    EXPECT_EQ(player().getYPosition(), px(148) - kClimbing);
    EXPECT_EQ(player().getDirection(), Direction::kLeft);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 6);  // head above the ladder
}

TEST_F(Ladders, DownWithTheLadderBelowAndAtTheFeetClimbsDownWithoutAStep) {
    standAt(kLadderE);
    step(kDown);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getXPosition(), px(296));
    EXPECT_EQ(player().getYPosition(), px(148) + kClimbing);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 5);
}

TEST_F(Ladders, DownAtALadderAroundTheHeadGrabsAndStandsOnTheFloorAtOnce) {
    standAt(kLadderD);
    step(kDown);
    // The grab turned the player; the climbing step down met the floor.
    EXPECT_EQ(player().getState(), State::kStanding);
    EXPECT_EQ(player().getDirection(), Direction::kLeft);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 0);
    EXPECT_EQ(player().getYPosition(), px(148));
}

TEST_F(Ladders, NoLadderNoGrab) {
    standAt(kLadderC);  // C is out of reach from the floor
    step(kUp);
    expectStillStanding(kLadderC);
    step(kDown);
    expectStillStanding(kLadderC);
}

TEST_F(Ladders, UpToALadderOnlyAboveTheHeadLiftsThePlayerAndDropsIt) {
    standAt(kLadderC);
    steps(3, kJump);  // press and two rising frames: the last probe saw C above the head
    EXPECT_EQ(player().getYPosition(), px(138) + 0x80);
    step(kJump | kUp);
    // Top of the tile row (128) less the box height (23), fraction kept, then falling.
    EXPECT_EQ(player().getYPosition(), px(105) + 0x80 - kFalling);
    EXPECT_EQ(player().getState(), State::kJumping);
    EXPECT_EQ(player().getYSpeed(), kFalling - kGravity);
    EXPECT_EQ(player().getDirection(), Direction::kLeft);
}

// ---- Climbing

TEST_F(Ladders, ClimbingOffTheTopStandsOnTheLadder) {
    standAt(kLadderA);
    // The climbing handler sees the probe of the frame before, taken before that frame's
    // move: at frame 88 it is the probe at pixel row 83, where only the feet are on A.
    steps(87, kUp);
    ASSERT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getYPosition(), px(148) - 87 * kClimbing);
    step(kUp);
    EXPECT_EQ(player().getState(), State::kStanding);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kOnGround);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 0);
    // Raised to row 80 less heightHalf, then pressed onto the ladder's top.
    EXPECT_EQ(player().getYPosition(), px(68));
    EXPECT_EQ(player().getYSpeed(), kCollision);
    steps(3);
    EXPECT_EQ(player().getYPosition(), px(68));
}

TEST_F(Ladders, ClimbingDownOntoTheFloorStands) {
    standAt(kLadderB);
    int frames = 0;
    do {
        step(kDown);
        ++frames;
        ASSERT_LT(frames, 100);
    } while (player().getState() == State::kClimbing);
    EXPECT_EQ(player().getState(), State::kStanding);  // not landing
    EXPECT_EQ(player().getCurrentAnimationIndex(), 0);
    EXPECT_EQ(player().getYPosition(), px(212));  // feet on the floor at row 224
    EXPECT_EQ(player().getXPosition(), px(264));
}

TEST_F(Ladders, WithoutVerticalInputTheClimberHangsStill) {
    standAt(kLadderA);
    steps(5, kUp);
    const int y = player().getYPosition();
    steps(4);
    EXPECT_EQ(player().getYPosition(), y);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 5);
}

TEST_F(Ladders, JumpWithoutVerticalInputLetsGo) {
    standAt(kLadderA);
    steps(5, kUp);
    step(kUp | kJump);  // jump while climbing does nothing
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getYPosition(), px(148) - 6 * kClimbing);
    step();
    step(kJump | kRight);
    EXPECT_EQ(player().getState(), State::kJumping);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kInAir);
    EXPECT_EQ(player().getDirection(), Direction::kRight);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 3);
    EXPECT_EQ(player().getYPosition(), px(148) - 6 * kClimbing - kFalling);
    EXPECT_EQ(player().getYSpeed(), kFalling - kGravity);
}

// ---- Grabbing inside the vertical step (the alternative check)

TEST_F(AlternativeGrab, UpBesideTheLadderGrabsWithoutTurning) {
    standAt(kLadderA);
    step(kUp);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getDirection(), Direction::kRight);
    // The grab takes the frame's target, which for a standing player lies just below.
    EXPECT_EQ(player().getYPosition(), px(148) - kCollision);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 5);
}

TEST_F(AlternativeGrab, ClimbAfterGrabAddsOneClimbingStep) {
    standAt(kLadderA, "climbAfterJumpingGrab = true\n");
    step(kUp);
    EXPECT_EQ(player().getYPosition(), px(148) - kCollision - kClimbing);
}

TEST_F(AlternativeGrab, UpAtALadderOnlyBelowTheFeetDoesNothing) {
    standAt(kLadderB);
    step(kUp);
    expectStillStanding(kLadderB);
}

TEST_F(AlternativeGrab, DownAtALadderTopStepsIntoIt) {
    standAt(kLadderB);
    step(kDown);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getXPosition(), px(264));
    EXPECT_EQ(player().getYPosition(), px(148 + kHeightHalf));
    EXPECT_EQ(player().getDirection(), Direction::kRight);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 6);
}

TEST_F(AlternativeGrab, DownInsideALadderNeedsTheBelowTopOption) {
    standAt(kLadderA);
    step(kDown);
    expectStillStanding(kLadderA);
}

TEST_F(AlternativeGrab, BelowTopOptionGrabsDownInsideALadder) {
    standAt(kLadderA, "allowLadderDownGrabBelowTop = true\n");
    step(kDown);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getYPosition(), px(148));
    EXPECT_EQ(player().getDirection(), Direction::kRight);
}

TEST_F(AlternativeGrab, DownInTheAirGrabsOnlyWithTheBelowTopOption) {
    standAt(kLadderA);
    step(kJump);
    step(kJump | kDown);
    EXPECT_EQ(player().getState(), State::kJumping);
    EXPECT_EQ(player().getYPosition(), px(148) - kJumpingY);
}

TEST_F(AlternativeGrab, BelowTopOptionGrabsDownInTheAir) {
    standAt(kLadderA, "allowLadderDownGrabBelowTop = true\n");
    step(kJump);
    step(kJump | kDown);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getYPosition(), px(148));  // a downward grab keeps y
    EXPECT_EQ(player().getCurrentAnimationIndex(), 5);
}

TEST_F(AlternativeGrab, JumpingUpIntoALadderGrabsItAtTheTarget) {
    standAt(kLadderC);
    step(kJump);
    step(kJump | kUp);  // the head probe at row 131 is still below C
    EXPECT_EQ(player().getState(), State::kJumping);
    step(kJump | kUp);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getYPosition(), px(138) + 0x80);
    EXPECT_EQ(player().getDirection(), Direction::kRight);
}

namespace {

// Ladder C enclosed by a ceiling at row 7 on both sides: a jump off the centre bumps.
class EnclosedLadder : public PlayerTest {
  protected:
    void jumpAt(int x, const std::string& options) {
        std::vector<std::string> rows = ladderRows();
        rows[7][19] = '#';
        rows[7][21] = '#';
        Character c;
        c.options = "useAlternativeLadderGrabCheck = true\n" + options;
        build(rows, c, x);
        arrive();
        step(kJump);
        steps(2, kJump | kUp);
    }
};

const char* const kLimited = "limitedEnclosedLadderGrabAssist = true\n";

}  // namespace

TEST_F(EnclosedLadder, LimitedAssistBumpsWhenOffTheCentre) {
    jumpAt(325, kLimited);
    EXPECT_EQ(player().getState(), State::kJumping);
    EXPECT_EQ(player().getYPosition(), px(140));  // head against the ceiling's underside
    EXPECT_EQ(player().getYSpeed(), kCollision);
    EXPECT_EQ(player().getYCollisionResponse(), YCollisionResponse::kLanding);
}

TEST_F(EnclosedLadder, LimitedAssistGrabsWithinAPixelOfTheCentre) {
    jumpAt(329, kLimited);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getXPosition(), px(328));
    EXPECT_EQ(player().getYPosition(), px(138) + 0x80);
}

TEST_F(EnclosedLadder, WithoutLimitTheGrabSnapsFromAnywhere) {
    jumpAt(325, "");
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getXPosition(), px(328));
}
