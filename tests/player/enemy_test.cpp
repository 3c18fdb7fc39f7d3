#include "world/enemy.h"

#include "playertest.h"

namespace {

class EnemyContact : public PlayerTest {};

}  // namespace

TEST_F(EnemyContact, StandsAtItsFixedPlace) {
    Enemy enemy;
    const Rect box = enemy.getCollider().getBoundary();
    EXPECT_EQ(box.x, 112);
    EXPECT_EQ(box.y, 2104);
    EXPECT_EQ(box.w, 16);
    EXPECT_EQ(box.h, 8);
}

TEST_F(EnemyContact, DrawsItsFirstSheetAtTheScreenMappedBox) {
    Enemy enemy;
    camera.move(100, 2000);
    enemy.update();
    enemy.draw(camera);
    const auto copies = video.screenCopiesOf("enemy.bmp");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].x, 112 - 100 - 12);  // the description's offset is -12
    EXPECT_EQ(copies[0].y, 2104 - 2000 - 12);
}

TEST_F(EnemyContact, HitMakesThePlayerReel) {
    build(flatFloor());
    arrive();
    Enemy enemy;
    enemy.hit(bot.get());
    EXPECT_EQ(player().getCurrentAnimationIndex(), 7);
    step();
    EXPECT_EQ(player().getState(), Voltbot::State::kReeling);
}

TEST_F(EnemyContact, ReleasesItsSheetWhenDestroyed) {
    const int before = video.liveBitmaps();
    {
        Enemy enemy;
        EXPECT_EQ(video.liveBitmaps(), before + 1);
    }
    EXPECT_EQ(video.liveBitmaps(), before);
}
