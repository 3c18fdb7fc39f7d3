#include "world/bullet.h"

#include <gtest/gtest.h>

#include "recordingvideo.h"
#include "world/camera.h"

TEST(Bullet, StartsInactiveWithAnEightPixelBox) {
    const Bullet bullet;
    EXPECT_FALSE(bullet.isActive());
    EXPECT_EQ(bullet.getDirection(), Direction::kNone);
    EXPECT_EQ(bullet.getBoundingBox().w, 8);
    EXPECT_EQ(bullet.getBoundingBox().h, 8);
}

TEST(Bullet, FlyingRightIsGoneOnReachingTheViewsRightEdge) {
    Camera camera;
    Bullet bullet;
    ASSERT_TRUE(bullet.activate(248, 100, Direction::kRight));
    bullet.update(camera);
    EXPECT_EQ(bullet.getBoundingBox().x, 252);
    EXPECT_TRUE(bullet.isActive());
    bullet.update(camera);
    EXPECT_EQ(bullet.getBoundingBox().x, 256);
    EXPECT_FALSE(bullet.isActive());
    // Gone bullets can be fired again.
    EXPECT_TRUE(bullet.activate(10, 10, Direction::kLeft));
}

TEST(Bullet, FlyingLeftStaysWhileItsBoxReachesIntoTheView) {
    Camera camera;
    Bullet bullet;
    bullet.activate(2, 100, Direction::kLeft);
    bullet.update(camera);
    EXPECT_EQ(bullet.getBoundingBox().x, -2);
    EXPECT_TRUE(bullet.isActive());
    bullet.update(camera);
    EXPECT_EQ(bullet.getBoundingBox().x, -6);
    EXPECT_TRUE(bullet.isActive());
    bullet.update(camera);
    EXPECT_EQ(bullet.getBoundingBox().x, -10);
    EXPECT_FALSE(bullet.isActive());
}

TEST(Bullet, FiringAFlyingBulletChangesNothing) {
    Bullet bullet;
    bullet.activate(40, 50, Direction::kRight);
    EXPECT_FALSE(bullet.activate(0, 0, Direction::kLeft));
    EXPECT_EQ(bullet.getBoundingBox().x, 40);
    EXPECT_EQ(bullet.getBoundingBox().y, 50);
    EXPECT_EQ(bullet.getDirection(), Direction::kRight);
}

TEST(Bullet, WithoutAHorizontalDirectionItHangsWhileSeen) {
    Camera camera;
    Bullet up;
    Bullet none;
    up.activate(100, 100, Direction::kUp);
    none.activate(100, 100, Direction::kNone);
    for (int frame = 0; frame < 10; ++frame) {
        up.update(camera);
        none.update(camera);
    }
    EXPECT_TRUE(up.isActive());
    EXPECT_EQ(up.getBoundingBox().x, 100);
    EXPECT_EQ(up.getBoundingBox().y, 100);
    EXPECT_TRUE(none.isActive());
    camera.move(300, 0);
    up.update(camera);
    EXPECT_FALSE(up.isActive());
}

TEST(Bullet, DrawsTheWholePictureAtItsViewPosition) {
    RecordingVideo video;
    const ScopedVideo scope(&video);
    Camera camera;
    camera.move(100, 20);
    Bitmap picture;
    video.loadBitmap(picture, "bullet.bmp");
    Bullet bullet;
    bullet.draw(picture, camera);
    EXPECT_TRUE(video.screenCopiesOf("bullet.bmp").empty());

    bullet.activate(150, 60, Direction::kRight);
    bullet.draw(picture, camera);
    const auto copies = video.screenCopiesOf("bullet.bmp");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].x, 50);
    EXPECT_EQ(copies[0].y, 40);
    EXPECT_FALSE(copies[0].hasSourceRect);
}

TEST(Bullet, InactiveBulletNeitherMovesNorDraws) {
    RecordingVideo video;
    const ScopedVideo scope(&video);
    Camera camera;
    Bitmap picture;
    video.loadBitmap(picture, "bullet.bmp");
    Bullet bullet;
    bullet.activate(100, 100, Direction::kRight);
    bullet.deactivate();
    bullet.update(camera);
    bullet.draw(picture, camera);
    EXPECT_EQ(bullet.getBoundingBox().x, 100);
    EXPECT_FALSE(bullet.isActive());
    EXPECT_TRUE(video.screenCopiesOf("bullet.bmp").empty());
}
