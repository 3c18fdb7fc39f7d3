#include "world/collider.h"

#include <gtest/gtest.h>

TEST(Collider, SharedEdgesAndCornersDoNotCollide) {
    Rect a{0, 0, 16, 16};
    Rect beside{16, 0, 16, 16};
    Rect corner{16, 16, 16, 16};
    Rect overlapping{15, 15, 16, 16};
    EXPECT_FALSE(Collider::areColliding(&a, &beside));
    EXPECT_FALSE(Collider::areColliding(&a, &corner));
    EXPECT_TRUE(Collider::areColliding(&a, &overlapping));
    EXPECT_TRUE(Collider::areColliding(&overlapping, &a));
}

TEST(Collider, ZeroSizedBoxCollidesOnlyWithWhatContainsIt) {
    Rect point{5, 5, 0, 0};
    Rect around{0, 0, 16, 16};
    Rect touching{5, 5, 16, 16};
    Rect flat{0, 8, 16, 0};
    EXPECT_TRUE(Collider::areColliding(&point, &around));
    EXPECT_TRUE(Collider::areColliding(&around, &point));
    EXPECT_FALSE(Collider::areColliding(&point, &touching));
    EXPECT_TRUE(Collider::areColliding(&flat, &around));
    EXPECT_FALSE(Collider::areColliding(&point, &point));
}

TEST(Collider, WideBoxesDoNotWrapAround) {
    Rect wide{-65535, -65535, 65535, 65535};
    Rect origin{0, 0, 1, 1};
    Rect justInside{-1, -1, 1, 1};
    EXPECT_FALSE(Collider::areColliding(&wide, &origin));
    EXPECT_TRUE(Collider::areColliding(&wide, &justInside));
}

TEST(Collider, FollowsTheObservedBox) {
    Rect player{0, 0, 16, 24};
    Rect enemy{100, 0, 16, 8};
    const Collider playerCollider(&player);
    Collider enemyCollider(&enemy);
    EXPECT_FALSE(playerCollider.collidesWith(&enemyCollider));
    player.x = 90;
    EXPECT_TRUE(playerCollider.collidesWith(&enemyCollider));
    EXPECT_EQ(playerCollider.getBoundary().x, 90);
}
