#include "playertest.h"

#include "states/level.h"

namespace {

// Two screens, one above the other, both boundaries. The upper screen is empty, so the
// player's transforming drop falls out of its bottom: the scroll starts in play frame 41,
// from pixel 238 + 248/256 at the terminal speed, and every scroll step moves 0x140.
class ScrollDown : public PlayerTest {
  protected:
    void fallToTheScroll(const std::string& options) {
        TestLevel description;
        description.rows = blankScreens(1, 2);
        description.rows[25] = std::string(16, '#');
        description.boundaries = {Rect{0, 0, 256, 240}, Rect{0, 240, 256, 240}};
        description.teleportStopPosY = 148;
        Character c;
        c.options = options;
        buildLevel(description, c);
        for (int frame = 1; frame <= 40; ++frame) {
            levelFrame();
            ASSERT_FALSE(player().isScrolling()) << frame;
        }
        ASSERT_EQ(player().getYPosition(), kBeforeScroll);
        levelFrame();
        ASSERT_TRUE(player().isScrolling());
        EXPECT_EQ(level->getPhase(), Level::kScrolling);
        EXPECT_EQ(player().getYSpeed(), kMinYSpeed);  // frozen: no gravity from now on
    }
    // The four scroll frames and the frame that ends the camera's scroll.
    void scrollOn(int yAfterStart) {
        for (int frame = 1; frame <= 4; ++frame) {
            levelFrame();
            EXPECT_EQ(player().getYPosition(), yAfterStart + frame * kScrolling);
        }
        levelFrame();
        EXPECT_EQ(level->getPhase(), Level::kAfterScrolling);
        EXPECT_EQ(level->getMap()->getCurrentBoundaryIndex(), 1);
        EXPECT_EQ(player().getYPosition(), yAfterStart + 4 * kScrolling);
        levelFrame();
        EXPECT_TRUE(player().isScrolling());
    }
    static constexpr int kBeforeScroll = px(238) + 248;
};

}  // namespace

TEST_F(ScrollDown, FallingOutOfTheBottomScrollsDownAndFallsOn) {
    fallToTheScroll("");
    const int yAfterStart = kBeforeScroll + kScrolling;
    EXPECT_EQ(player().getYPosition(), yAfterStart);
    EXPECT_EQ(player().getBoundingBox()->y, fixedpoint::pixel(yAfterStart) - 12);
    scrollOn(yAfterStart);
    levelFrame();  // the after-scroll wait ends: the scroll stops and play resumes
    EXPECT_EQ(level->getPhase(), Level::kPlaying);
    EXPECT_FALSE(player().isScrolling());
    EXPECT_EQ(player().getYPosition(), yAfterStart + 4 * kScrolling - kMinYSpeed);
    EXPECT_EQ(player().getState(), State::kTransforming);
}

TEST_F(ScrollDown, AdjustmentPlacesThePlayerInTheNewScreen) {
    fallToTheScroll("adjustPositionAfterScroll = true\n");
    scrollOn(kBeforeScroll + kScrolling);
    levelFrame();
    EXPECT_EQ(player().getYPosition(), px(240 + 8) - kMinYSpeed);
}

TEST_F(ScrollDown, ResetFractionStartsTheScrollOnAWholePixel) {
    fallToTheScroll("resetFractionAtScrollStart = true\n");
    EXPECT_EQ(player().getYPosition(), px(238) + kScrolling);
}

TEST_F(ScrollDown, SetFractionStartsTheScrollWithoutAStep) {
    fallToTheScroll("setFractionAtScrollStart = true\n");
    EXPECT_EQ(player().getYPosition(), px(238) + 64);
    scrollOn(px(238) + 64);
}

TEST_F(ScrollDown, DifferentFirstFrameSpeedMakesTheFirstStep) {
    fallToTheScroll("firstScrollingFrameIsDifferentSpeed = true\n");
    EXPECT_EQ(player().getYPosition(), kBeforeScroll + kScrollingFirstFrame);
    // The bounding box is not refreshed by that first step.
    EXPECT_EQ(player().getBoundingBox()->y, 238 - 12);
    scrollOn(kBeforeScroll + kScrollingFirstFrame);
}

namespace {

// The lower screen is boundary 0, with a floor at row 18 and a ladder (column 8, rows
// 5-17) up into the upper screen. The box starts at y - 4 so that the level finds the
// player in boundary 0 at the start. The player climbs from pixel 276 at 0xC0 per frame;
// the 47th climbing frame aims at row 240, the top of the lower screen.
class ScrollUp : public PlayerTest {
  protected:
    void climbToTheScroll(const std::string& options) {
        TestLevel description;
        description.rows = blankScreens(1, 2);
        description.rows[18] = std::string(16, '#');
        for (std::size_t r = 5; r <= 17; ++r) {
            description.rows[r][8] = 'H';
        }
        description.boundaries = {Rect{0, 240, 256, 240}, Rect{0, 0, 256, 240}};
        description.teleportStopPosY = 36;
        Character c;
        c.options = options;
        c.box = "yOffset = -4\nheight = 15\n";
        buildLevel(description, c);
        ASSERT_EQ(level->getMap()->getCurrentBoundaryIndex(), 0);
        arrive();
        ASSERT_EQ(player().getYPosition(), px(276));
        for (int frame = 1; frame <= 46; ++frame) {
            levelFrame(kUp);
            ASSERT_FALSE(player().isScrolling()) << frame;
        }
        EXPECT_EQ(player().getYPosition(), px(276) - 46 * kClimbing);
        levelFrame(kUp);
        ASSERT_TRUE(player().isScrolling());
        EXPECT_EQ(level->getPhase(), Level::kScrolling);
        EXPECT_EQ(level->getCamera().getAngleOfView()->y, 240 - 48);
    }
};

}  // namespace

TEST_F(ScrollUp, ClimbingOutOfTheTopScrollsUpAndClimbsOn) {
    climbToTheScroll("");
    const int yAfterStart = px(276) - 46 * kClimbing - kScrolling;
    EXPECT_EQ(player().getYPosition(), yAfterStart);
    for (int frame = 1; frame <= 4; ++frame) {
        levelFrame(kUp);
        EXPECT_EQ(player().getYPosition(), yAfterStart - frame * kScrolling);
    }
    levelFrame(kUp);
    EXPECT_EQ(level->getPhase(), Level::kAfterScrolling);
    EXPECT_EQ(level->getMap()->getCurrentBoundaryIndex(), 1);
    EXPECT_EQ(level->getCamera().getAngleOfView()->y, 0);
    levelFrame(kUp);
    levelFrame(kUp);
    EXPECT_EQ(level->getPhase(), Level::kPlaying);
    EXPECT_EQ(player().getState(), State::kClimbing);
    EXPECT_EQ(player().getYPosition(), yAfterStart - 4 * kScrolling - kClimbing);
}

TEST_F(ScrollUp, AdjustmentPlacesThePlayerAtTheUpEndPosition) {
    climbToTheScroll("adjustPositionAfterScroll = true\n");
    for (int frame = 1; frame <= 7; ++frame) {
        levelFrame(kUp);
    }
    EXPECT_EQ(level->getPhase(), Level::kPlaying);
    EXPECT_EQ(player().getYPosition(), px(200) - kClimbing);
}

namespace {

// One screen above a missing one; the floor ends at x 128. Walking right off it, the
// player falls into the missing screen in the 40th frame of holding right.
class Reset : public PlayerTest {
  protected:
    void build() {
        TestLevel description;
        description.rows = blankScreens(1, 2);
        description.rows[10] = "########........";
        fillScreen(description.rows, 0, 1, 'x');
        description.boundaries = {Rect{0, 0, 256, 240}};
        description.teleportStopPosY = 148;
        Character c;
        c.durations = "ready = 2\n";  // so that the ready phase after the reset is seen
        buildLevel(description, c);
        arrive();
    }
};

}  // namespace

TEST_F(Reset, FallingIntoAMissingScreenReturnsToTheBeamAndKeepsTheRest) {
    build();
    for (int frame = 1; frame <= 38; ++frame) {
        levelFrame(kRight);
    }
    levelFrame(kRight | kShoot);  // a shot just before the fall ends
    ASSERT_TRUE(player().isShooting());
    ASSERT_EQ(player().getMovementMode(), MovementMode::kInAir);
    levelFrame(kRight);

    EXPECT_EQ(level->getPhase(), Level::kReady);
    EXPECT_EQ(player().getState(), State::kTeleporting);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kTeleporting);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 8);
    EXPECT_EQ(player().getXPosition(), px(128));
    EXPECT_EQ(player().getYPosition(), 1272);
    // 4 + 248/256 - 12 pixels is -7.03, which truncates toward zero.
    EXPECT_EQ(player().getBoundingBox()->y, -7);
    // Kept: the sideways speed and facing of the fall, the pose and the bullet.
    EXPECT_EQ(player().getXSpeed(), kJumpingX);
    EXPECT_EQ(player().getDirection(), Direction::kRight);
    EXPECT_TRUE(player().isShooting());
    ASSERT_TRUE(player().getBullet(0).isActive());
    const Rect bullet = player().getBullet(0).getBoundingBox();

    levelFrame();  // the ready phase ("ready" is 0) ends in this frame's draw
    EXPECT_EQ(level->getPhase(), Level::kPlaying);
    for (int frame = 1; frame <= 9; ++frame) {
        levelFrame();
        EXPECT_EQ(player().getState(), State::kTeleporting);
        EXPECT_EQ(player().getXPosition(), px(128));  // the beam does not drift
    }
    levelFrame();  // the beam stops on the floor; the kept speed moves it once
    EXPECT_EQ(player().getState(), State::kStanding);
    EXPECT_EQ(player().getXPosition(), px(128) + kJumpingX);
    EXPECT_EQ(player().getXSpeed(), 0);
    // The shooting counter ran on through the beam; the pose ends as soon as the
    // shooting step runs again, and the bullet was held still until then.
    EXPECT_TRUE(player().isShooting());
    EXPECT_EQ(player().getBullet(0).getBoundingBox().x, bullet.x);
    levelFrame();
    EXPECT_FALSE(player().isShooting());
    EXPECT_EQ(player().getBullet(0).getBoundingBox().x, bullet.x + 4);
}
