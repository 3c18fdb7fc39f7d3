#include "playertest.h"

namespace {

// Bullets start 8 pixels right (12 left) of the player and 2 pixels above its reference
// point, and fly 4 pixels in the frame they are fired. The pose lasts 5 frames.
class Shooting : public PlayerTest {};

}  // namespace

TEST_F(Shooting, AtMostThreeBulletsFly) {
    standOnFloor();
    step(kShoot);
    EXPECT_TRUE(player().getBullet(0).isActive());
    EXPECT_EQ(player().getBullet(0).getBoundingBox().x, 128 + 8 + 4);
    EXPECT_EQ(player().getBullet(0).getBoundingBox().y, 146);
    EXPECT_EQ(player().getBullet(0).getDirection(), Direction::kRight);
    step();
    step(kShoot);
    step();
    step(kShoot);
    EXPECT_TRUE(player().getBullet(1).isActive());
    EXPECT_TRUE(player().getBullet(2).isActive());
    EXPECT_EQ(player().getBullet(0).getBoundingBox().x, 140 + 4 * 4);
    EXPECT_EQ(player().getShootingFrameCounter(), 1);
    step();
    step(kShoot);  // all three in flight: the press is lost, the pose runs on
    EXPECT_EQ(player().getShootingFrameCounter(), 3);
    EXPECT_EQ(player().getBullet(0).getBoundingBox().x, 140 + 6 * 4);
}

TEST_F(Shooting, ShootingWithADirectionTurnsThePlayerFirst) {
    standOnFloor();
    step(kShoot | kLeft);
    EXPECT_EQ(player().getDirection(), Direction::kLeft);
    EXPECT_EQ(player().getBullet(0).getDirection(), Direction::kLeft);
    EXPECT_EQ(player().getBullet(0).getBoundingBox().x, 128 - 12 - 4);
}

TEST_F(Shooting, PoseLastsItsDurationAndUsesTheShootingSheets) {
    standOnFloor();
    EXPECT_EQ(sheetDrawn(), 0);
    step(kShoot);
    for (int frame = 1; frame < kShootingFrames; ++frame) {
        EXPECT_TRUE(player().isShooting()) << frame;
        EXPECT_EQ(sheetDrawn(), 2);
        step();
    }
    EXPECT_TRUE(player().isShooting());
    step();
    EXPECT_FALSE(player().isShooting());
    EXPECT_EQ(sheetDrawn(), 0);

    steps(kAcceleratingFrames, kLeft);
    EXPECT_EQ(sheetDrawn(), 1);
    step(kLeft | kShoot);
    EXPECT_EQ(sheetDrawn(), 3);
}

TEST_F(Shooting, ZeroDurationEndsThePoseInTheShotsFrame) {
    Character c;
    c.durations = "shooting = 0\n";
    standOnFloor(c);
    step(kShoot);
    EXPECT_FALSE(player().isShooting());
    EXPECT_TRUE(player().getBullet(0).isActive());
}

TEST_F(Shooting, PoseHoldsAClimberStill) {
    std::vector<std::string> rows = flatFloor();
    for (std::size_t r = 5; r <= 9; ++r) {
        rows[r][11] = 'H';
    }
    build(rows, {}, 184);
    arrive();
    step(kUp);
    const int y = player().getYPosition();
    step(kUp | kShoot);
    for (int frame = 1; frame < kShootingFrames; ++frame) {
        EXPECT_EQ(player().getYPosition(), y) << frame;
        EXPECT_EQ(player().getState(), State::kClimbing);
        step(kUp);
    }
    EXPECT_EQ(player().getYPosition(), y);
    step(kUp);  // the pose ends before the climbing step of this frame
    EXPECT_EQ(player().getYPosition(), y - kClimbing);
}
