#include "playertest.h"

#include "config/loaderror.h"

namespace {

// A floor at tile row 10 and nothing above it: the beam stops at row 116, 32 pixels
// above the standing height, so the transforming drop is visible.
class Arrival : public PlayerTest {};

}  // namespace

TEST_F(Arrival, BeamFallsSixteenPixelsPerFrameThenDropsIntoStanding) {
    build(flatFloor(), {}, 128, 116);
    EXPECT_EQ(player().getXPosition(), px(128));
    EXPECT_EQ(player().getYPosition(), 1272);  // 4 pixels and 248/256 below the top
    EXPECT_EQ(player().getCurrentAnimationIndex(), 8);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kTeleporting);

    for (int frame = 1; frame <= 7; ++frame) {
        step();
        EXPECT_EQ(player().getY(), 4 + 16 * frame);
        EXPECT_EQ(player().getState(), State::kTeleporting);
        EXPECT_EQ(player().getBoundingBox()->y, 4 + 16 * frame - 12);
    }
    EXPECT_EQ(player().getYSpeed(), 0);  // the beam ignores gravity

    // Row 116 reached: the drop starts in the same frame with the map's start speed (0).
    step();
    EXPECT_EQ(player().getState(), State::kTransforming);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kTransforming);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 9);
    EXPECT_EQ(player().getYPosition(), px(116) + 248);
    EXPECT_EQ(player().getYSpeed(), -kGravity);

    // 15 frames of free fall (64, 128, ... 960), then the 16th meets the floor.
    for (int frame = 9; frame <= 23; ++frame) {
        step();
        ASSERT_EQ(player().getState(), State::kTransforming) << frame;
    }
    EXPECT_EQ(player().getYPosition(), px(146) + 248);
    EXPECT_EQ(player().getYSpeed(), kMinYSpeed);
    step();
    // The first contact after the beam is always standing, never landing.
    EXPECT_EQ(player().getState(), State::kStanding);
    EXPECT_EQ(player().getCurrentAnimationIndex(), 0);
    EXPECT_EQ(player().getMovementMode(), MovementMode::kOnGround);
    EXPECT_EQ(player().getYPosition(), px(148));
    EXPECT_EQ(player().getYSpeed(), kCollision);
    EXPECT_EQ(player().getStateFrameCounter(), 1);
}

TEST_F(Arrival, StandingKeepsPressingIntoTheFloorWithoutSinking) {
    build(flatFloor());
    EXPECT_EQ(arrive(), 10);  // beam stops on the floor: it lands in its stop frame
    for (int frame = 0; frame < 5; ++frame) {
        step();
        EXPECT_EQ(player().getYPosition(), px(148));
        EXPECT_EQ(player().getYSpeed(), kCollision);
        EXPECT_EQ(player().getState(), State::kStanding);
    }
}

TEST_F(Arrival, BeamStopRowOffTheGridStopsAtTheFirstRowBelowIt) {
    std::vector<std::string> rows = blankScreens(1, 1);
    rows[14] = std::string(16, '#');
    build(rows, {}, 128, 150);  // 150 is not 4 + 16 k
    steps(10);
    EXPECT_EQ(player().getY(), 164);  // 148 < 150, so one more beam step
    EXPECT_EQ(player().getState(), State::kTeleporting);
    step();
    EXPECT_EQ(player().getState(), State::kTransforming);
    EXPECT_EQ(player().getY(), 164);
}

TEST_F(Arrival, BeamStopAboveTheStartEndsTheBeamAtOnce) {
    build(flatFloor(), {}, 128, 0);
    step();
    EXPECT_EQ(player().getState(), State::kTransforming);
    EXPECT_EQ(player().getYPosition(), 1272);
}

TEST_F(Arrival, SpeedsCombineWholeAndFractionKeys) {
    Character fast;
    fast.xSpeed = "acceleratingInt = 1\n";  // with the standard fraction 32
    build(flatFloor(), fast);
    arrive();
    step(kRight);
    EXPECT_EQ(player().getXSpeed(), 288);
    EXPECT_EQ(player().getXPosition(), px(128) + 288);
}

TEST_F(Arrival, PlayerReleasesEveryPictureItLoaded) {
    build(flatFloor());
    const int withPlayer = video.liveBitmaps();
    bot.reset();
    // Four sprite sheets, the bullet picture and the overlay's font sheet.
    EXPECT_EQ(withPlayer - video.liveBitmaps(), 6);
}

TEST_F(Arrival, CharacterWithoutAllTenAnimationsIsRefused) {
    Character c;
    c.options = "[Animations]\namount = 9\n";  // read before the standard section
    try {
        build(flatFloor(), c);
        FAIL() << "a character with 9 animations was accepted";
    } catch (const LoadError& error) {
        EXPECT_EQ(error.file(), "hero.ini");
        EXPECT_NE(error.problem().find("[Animations] amount = 9"), std::string::npos);
    }
    EXPECT_EQ(video.liveBitmaps(), 1);  // only the map's tile sheet is left
}

TEST_F(Arrival, NumbersThatWouldOverflowTheFrameArithmeticAreRefused) {
    struct Case {
        Character character;
        const char* named;
    };
    Case cases[3];
    cases[0].character.xSpeed = "runningInt = 2147483647\n";
    cases[0].named = "[XSpeed] runningInt = ";
    cases[1].character.box = "xOffset = -2147483648\n";
    cases[1].named = "[BoundingBox] xOffset = -2147483648 is outside -4096..4096";
    cases[2].character.options = "[Bullet]\nyOffset = 5000\n";
    cases[2].named = "[Bullet] yOffset = 5000";
    for (const Case& c : cases) {
        try {
            build(flatFloor(), c.character);
            ADD_FAILURE() << "accepted: " << c.named;
        } catch (const LoadError& error) {
            EXPECT_NE(error.problem().find(c.named), std::string::npos) << error.problem();
        }
        EXPECT_EQ(video.liveBitmaps(), 1) << c.named;  // only the map's tile sheet is left
        video.calls.clear();
    }
}
