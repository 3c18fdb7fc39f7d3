#include "playertest.h"

namespace {

// Standard numbers: knock-back 0xC0 per frame, upward 0x100 under gravity, reeling for 12
// frames (it ends on the floor), invincible for 10.
class Damage : public PlayerTest {
  protected:
    // Draws one frame and tells whether the player's own picture was drawn (any sheet).
    bool spriteDrawn() { return sheetDrawn() >= 0; }
};

}  // namespace

TEST_F(Damage, HitShowsAtOnceAndReelingStartsNextFrame) {
    standOnFloor();
    player().receiveDamage();
    EXPECT_EQ(player().getCurrentAnimationIndex(), 7);
    EXPECT_TRUE(player().hasPendingTransition());
    EXPECT_EQ(player().getStateFrameCounter(), 1);
    EXPECT_EQ(player().getState(), State::kStanding);

    step(kRight);  // input is ignored while reeling
    EXPECT_EQ(player().getState(), State::kReeling);
    EXPECT_FALSE(player().hasPendingTransition());
    EXPECT_EQ(player().getDirection(), Direction::kLeft);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kInAir);
    EXPECT_EQ(player().getXPosition(), px(128) - kReelingX);
    EXPECT_EQ(player().getYPosition(), px(148) - kReelingY);
    EXPECT_EQ(player().getYSpeed(), kReelingY - kGravity);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 7);
}

TEST_F(Damage, ReelingEndsStandingInvincibleAndFacingForwardAgain) {
    standOnFloor();
    player().receiveDamage();
    steps(kReelingFrames - 1);
    EXPECT_EQ(player().getState(), State::kReeling);
    EXPECT_EQ(player().getYPosition(), px(148));  // landed with a halt, still reeling
    step();
    EXPECT_EQ(player().getState(), State::kStanding);
    EXPECT_EQ(player().getDirection(), Direction::kRight);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 0);
    EXPECT_EQ(player().getXPosition(), px(128) - (kReelingFrames - 1) * kReelingX);
    EXPECT_EQ(player().getXSpeed(), 0);
    EXPECT_TRUE(player().isInvincible());
    EXPECT_EQ(player().getInvincibleFrameCounter(), 1);

    steps(kInvincibleFrames - 2);
    EXPECT_TRUE(player().isInvincible());
    step();
    EXPECT_FALSE(player().isInvincible());
    EXPECT_EQ(player().getInvincibleFrameCounter(), 0);
}

TEST_F(Damage, HitsWhileReelingOrInvincibleAreIgnored) {
    standOnFloor();
    player().receiveDamage();
    steps(3);
    player().receiveDamage();
    EXPECT_FALSE(player().hasPendingTransition());
    EXPECT_EQ(player().getStateFrameCounter(), 4);
    steps(kReelingFrames - 3);
    ASSERT_TRUE(player().isInvincible());
    player().receiveDamage();
    EXPECT_FALSE(player().hasPendingTransition());
    EXPECT_EQ(player().getCurrentAnimationIndex(), 0);
    step();
    EXPECT_EQ(player().getState(), State::kStanding);
}

TEST_F(Damage, InvinciblePlayerBlinksTwoFramesOnTwoOff) {
    standOnFloor();
    EXPECT_TRUE(spriteDrawn());
    player().receiveDamage();
    steps(kReelingFrames);
    ASSERT_EQ(player().getInvincibleFrameCounter(), 1);
    step(kShoot);  // a bullet in flight is drawn whether or not the player is
    const bool expected[] = {false, true, true, false, false, true, true, false};
    for (int counter = 2; counter <= 9; ++counter) {
        ASSERT_EQ(player().getInvincibleFrameCounter(), counter);
        EXPECT_EQ(spriteDrawn(), expected[counter - 2]) << "counter " << counter;
        EXPECT_EQ(video.screenCopiesOf("bullet.bmp").size(), 1u) << "counter " << counter;
        step();
    }
    EXPECT_FALSE(player().isInvincible());
    EXPECT_TRUE(spriteDrawn());
}

TEST_F(Damage, ReelingThatEndsInTheAirFallsOnFromStanding) {
    Character c;
    c.durations = "reeling = 8\n";
    standOnFloor(c);
    player().receiveDamage();
    steps(8);
    // Standing was entered in mid-air; the same frame's vertical step found no floor.
    EXPECT_EQ(player().getState(), State::kJumping);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kInAir);
    EXPECT_TRUE(player().isInvincible());
    EXPECT_EQ(player().getDirection(), Direction::kRight);
    step();
    EXPECT_EQ(player().getState(), State::kLanding);
}
