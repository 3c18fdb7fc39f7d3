#include "world/camera.h"

#include <gtest/gtest.h>

namespace {

Camera cameraIn(Rect boundary) {
    Camera camera;
    camera.setCurrentBoundary(boundary);
    return camera;
}

}  // namespace

TEST(CameraFollow, CentresTheSubjectWithinTheBoundary) {
    Camera camera = cameraIn({0, 0, 768, 240});
    camera.update({300, 100, 16, 24});
    EXPECT_EQ(camera.getAngleOfView()->x, 180);
    camera.update({50, 100, 16, 24});
    EXPECT_EQ(camera.getAngleOfView()->x, 0);
    camera.update({700, 100, 16, 24});
    EXPECT_EQ(camera.getAngleOfView()->x, 512);
}

TEST(CameraFollow, HalvesAnOddWidthRoundingDown) {
    Camera camera = cameraIn({0, 0, 768, 240});
    camera.update({200, 100, 17, 24});
    EXPECT_EQ(camera.getAngleOfView()->x, 80);
}

TEST(CameraFollow, NeverFollowsVertically) {
    Camera camera = cameraIn({0, 240, 768, 240});
    camera.update({300, 900, 16, 24});
    EXPECT_EQ(camera.getAngleOfView()->y, 240);
}

TEST(CameraFollow, BoundaryNarrowerThanTheViewPinsItsRightEnd) {
    Camera camera = cameraIn({512, 0, 128, 240});
    camera.update({632, 0, 16, 24});  // target 512
    EXPECT_EQ(camera.getAngleOfView()->x, 512 + 128 - 256);
    // Only a target left of the boundary is held at its left edge.
    camera.update({0, 0, 16, 24});
    EXPECT_EQ(camera.getAngleOfView()->x, 512);
}

TEST(CameraBoundary, SetsTheHeightAtOnceAndTheSideAtTheNextUpdate) {
    Camera camera;
    camera.setCurrentBoundary({256, 480, 512, 240});
    EXPECT_EQ(camera.getAngleOfView()->x, 0);
    EXPECT_EQ(camera.getAngleOfView()->y, 480);
    EXPECT_EQ(camera.getAngleOfView()->w, 256);
    EXPECT_EQ(camera.getAngleOfView()->h, 240);
    camera.update({300, 500, 16, 24});
    EXPECT_EQ(camera.getAngleOfView()->x, 256);
}

TEST(CameraBoundary, MoveIsUnclampedUntilTheNextBoundary) {
    Camera camera = cameraIn({256, 480, 512, 240});
    camera.move(0, 4);
    EXPECT_EQ(camera.getAngleOfView()->y, 484);
    camera.move(-300, 0);
    EXPECT_EQ(camera.getAngleOfView()->x, -300);
    camera.setCurrentBoundary({256, 480, 512, 240});
    EXPECT_EQ(camera.getAngleOfView()->y, 480);
}

TEST(CameraMapping, SubtractsTheViewPosition) {
    Camera camera = cameraIn({0, 240, 768, 240});
    camera.update({300, 100, 16, 24});
    EXPECT_EQ(camera.getScreenMappedXCoordinate(300), 120);
    EXPECT_EQ(camera.getScreenMappedXCoordinate(0), -180);
    EXPECT_EQ(camera.getScreenMappedXCoordinate(500), 320);
    EXPECT_EQ(camera.getScreenMappedYCoordinate(250), 10);
}

TEST(CameraVisibility, EdgesTouchingTheViewAreNotSeen) {
    Camera camera;
    Rect right{256, 0, 8, 8};
    Rect inside{248, 0, 8, 8};
    Rect left{-8, 0, 8, 8};
    Rect below{0, 240, 8, 8};
    Rect reachingIn{-7, 232, 8, 8};
    EXPECT_FALSE(camera.isViewingSubject(&right));
    EXPECT_TRUE(camera.isViewingSubject(&inside));
    EXPECT_FALSE(camera.isViewingSubject(&left));
    EXPECT_FALSE(camera.isViewingSubject(&below));
    EXPECT_TRUE(camera.isViewingSubject(&reachingIn));
}
