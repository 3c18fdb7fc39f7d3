#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/gameengine.h"
#include "engineharness.h"
#include "player/voltbot.h"
#include "recordingvideo.h"
#include "scratchdir.h"
#include "sdlkeys.h"
#include "states/gamestatemanager.h"
#include "states/level.h"
#include "states/stageselect.h"
#include "testgame.h"
#include "world/map.h"

// The whole game, menu to play, in one process: the real engine under SDL's dummy video
// driver, the real state manager, the test game folder of testgame.h, and key events
// pushed into SDL's queue between frames, handled by the engine like any other.

namespace {

using testgame::kLowerStandingY;
using testgame::kLowerTop;
using testgame::kUpperStandingY;
using testgame::kUpperTop;

constexpr int kScale = 2;  // the pixel multiplier, so positions must be scaled to be right
constexpr int kLimit = 1000;

using Id = GameStateManager::InitMessageId;
using Mode = MovementMode;

std::uint32_t colour(Rgb rgb) {
    return opaque(rgb.r, rgb.g, rgb.b);
}

void press(SDL_Keycode key) {
    pushKey(SDL_KEYDOWN, key);
}

void release(SDL_Keycode key) {
    pushKey(SDL_KEYUP, key);
}

class Playthrough : public GameTest {
  protected:
    Playthrough() { start(kScale); }

    // The colour of logical pixel (x, y) of the picture drawn so far.
    std::uint32_t pixel(int x, int y) const {
        return readPixel(engine->renderer(), x * kScale, y * kScale);
    }

    // Down, shoot, down: the second level and the second character are selected, and
    // shoot is pressed again for the next frame, which confirms.
    void selectTowerAndBetaThenPressShoot() {
        press(SDLK_DOWN);
        frame();
        release(SDLK_DOWN);
        frame();
        press(SDLK_b);
        frame();
        release(SDLK_b);
        frame();
        press(SDLK_DOWN);
        frame();
        release(SDLK_DOWN);
        frame();
        press(SDLK_b);
    }

    // From the menu to the level's playing phase, with Beta standing where it arrived.
    void arrive() {
        selectTowerAndBetaThenPressShoot();
        frame();
        release(SDLK_b);
        ASSERT_TRUE(runUntil([&] { return level() != nullptr; }, 2));
        ASSERT_TRUE(runUntil([&] {
            return level()->getPhase() == Level::kPlaying &&
                   player().getState() == Voltbot::State::kStanding;
        }));
    }
};

TEST_F(Playthrough, MenuIsDrawnInTheConfirmingFrameAndTheLevelTakesOverInTheNextTwo) {
    selectTowerAndBetaThenPressShoot();

    // Frame N: the choice is confirmed, the menu is still what is drawn, with the cursor
    // beside the second character (its stored width is 8 x 2 output pixels = 16 logical).
    drawFrame();
    ASSERT_NE(dynamic_cast<StageSelect*>(manager->getCurrentState()), nullptr);
    EXPECT_EQ(manager->getInitMessage(Id::kLevel), "Tower");
    EXPECT_EQ(manager->getInitMessage(Id::kVoltbot), "beta.ini");
    EXPECT_EQ(pixel(128 - 16, 40), colour(testgame::kSelector));
    EXPECT_EQ(pixel(128 - 16, 32), opaque(0, 0, 0));
    EXPECT_EQ(pixel(32 - 16, 40), colour(testgame::kSelector));
    present();
    release(SDLK_b);

    // Frame N+1: the level is built and drawn, but not updated: map only, message hidden.
    drawFrame();
    Level* created = level();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->getPhase(), Level::kReady);
    EXPECT_EQ(created->getFrameCounter(), 0);
    EXPECT_FALSE(created->isReadyVisible());
    EXPECT_EQ(pixel(128, 100), colour(testgame::kSky));
    EXPECT_EQ(pixel(120, 200), colour(testgame::kWall));
    present();

    // Frame N+2: the first update shows the message.
    drawFrame();
    ASSERT_EQ(level(), created);
    EXPECT_EQ(created->getFrameCounter(), 1);
    EXPECT_TRUE(created->isReadyVisible());
    EXPECT_EQ(pixel(128, 100), colour(testgame::kLetter));
    present();
}

TEST_F(Playthrough, ReadyMessageIsCentredAtRow98AndBlinks) {
    selectTowerAndBetaThenPressShoot();
    frame();
    release(SDLK_b);
    frame();
    drawFrame();
    ASSERT_NE(level(), nullptr);

    const int width =
        testgame::kGlyphWidth * static_cast<int>(std::string(testgame::kReadyMessage).size());
    const int left = 128 - width / 2;
    const int right = left + width - 1;
    const int top = 98;
    const int bottom = top + testgame::kGlyphHeight - 1;
    const std::uint32_t letter = colour(testgame::kLetter);
    const std::uint32_t sky = colour(testgame::kSky);
    EXPECT_EQ(pixel(left, top), letter);
    EXPECT_EQ(pixel(right, bottom), letter);
    EXPECT_EQ(pixel(left - 1, top), sky);
    EXPECT_EQ(pixel(right + 1, top), sky);
    EXPECT_EQ(pixel(left, top - 1), sky);
    EXPECT_EQ(pixel(left, bottom + 1), sky);
    // Neither the player nor the enemy is shown while the message is.
    EXPECT_EQ(pixel(113, 186), sky);
    present();

    // Shown for the updates with the counter at 0 to 14, hidden for 15 to 29.
    for (int i = 1; i < testgame::kBlinkFrames; ++i) {
        frame();
    }
    drawFrame();
    EXPECT_FALSE(level()->isReadyVisible());
    EXPECT_EQ(pixel(left, top), sky);
    present();
}

TEST_F(Playthrough, PlayerArrivesByTeleportAndStandsInFrontOfTheEnemy) {
    selectTowerAndBetaThenPressShoot();
    frame();
    release(SDLK_b);
    ASSERT_TRUE(runUntil([&] { return level() != nullptr; }, 2));
    ASSERT_TRUE(runUntil([&] { return level()->getPhase() == Level::kPlaying; }));
    EXPECT_EQ(player().getMovementMode(), Mode::kTeleporting);

    // The modes the player passes through, each recorded once.
    std::vector<Mode::type> modes{player().getMovementMode()};
    int previousY = player().getY();
    ASSERT_TRUE(runUntil([&] {
        if (player().getMovementMode() != modes.back()) {
            modes.push_back(player().getMovementMode());
        }
        EXPECT_GE(player().getY(), previousY) << "the beam only goes down";
        previousY = player().getY();
        return player().getState() == Voltbot::State::kStanding;
    }));
    EXPECT_EQ(modes,
              (std::vector<Mode::type>{Mode::kTeleporting, Mode::kTransforming, Mode::kOnGround}));
    EXPECT_EQ(player().getX(), testgame::kBeamX);
    EXPECT_EQ(player().getY(), kUpperStandingY);

    // The player's picture (x 116..139) covers the enemy's right part (x 112..127); the
    // player is drawn last, and the two boxes only touch, so the player is not hurt.
    for (int i = 0; i < 3; ++i) {
        frame();
    }
    drawFrame();
    EXPECT_EQ(player().getState(), Voltbot::State::kStanding);
    EXPECT_FALSE(player().isInvincible());
    const int enemyTop = 2104 - kUpperTop;
    EXPECT_EQ(pixel(113, enemyTop + 2), colour(testgame::kEnemy));
    EXPECT_EQ(pixel(120, enemyTop + 2), colour(testgame::kBetaRight));
    EXPECT_EQ(pixel(126, enemyTop + 6), colour(testgame::kBetaRight));
    EXPECT_EQ(pixel(120, enemyTop - 8), colour(testgame::kBetaRight));
    present();
}

TEST_F(Playthrough, PlayerWalksRightAndJumpsBackOntoTheFloor) {
    arrive();
    const int startX = player().getXPosition();

    press(SDLK_RIGHT);
    int previousX = startX;
    for (int i = 0; i < 20; ++i) {
        frame();
        EXPECT_GT(player().getXPosition(), previousX) << "frame " << i << " holding right";
        previousX = player().getXPosition();
    }
    EXPECT_EQ(player().getState(), Voltbot::State::kRunning);
    release(SDLK_RIGHT);
    ASSERT_TRUE(runUntil([&] { return player().getState() == Voltbot::State::kStanding; }));
    const int walkedX = player().getX();
    EXPECT_GT(walkedX, testgame::kBeamX + 10);
    EXPECT_EQ(player().getY(), kUpperStandingY);

    // The picture went along: where the player arrived there is only sky now.
    drawFrame();
    const int screenY = player().getY() - kUpperTop;
    EXPECT_EQ(pixel(walkedX, screenY), colour(testgame::kBetaRight));
    EXPECT_EQ(pixel(testgame::kBeamX - 10, screenY), colour(testgame::kSky));
    present();

    press(SDLK_SPACE);
    int highest = player().getY();
    bool tookOff = false;
    ASSERT_TRUE(runUntil([&] {
        highest = std::min(highest, player().getY());
        tookOff = tookOff || player().getMovementMode() == Mode::kInAir;
        return tookOff && player().getMovementMode() == Mode::kOnGround;
    }));
    release(SDLK_SPACE);
    EXPECT_LT(highest, kUpperStandingY - 30);
    EXPECT_EQ(player().getY(), kUpperStandingY);
    EXPECT_EQ(player().getX(), walkedX);
    EXPECT_EQ(level()->getPhase(), Level::kPlaying);
}

TEST_F(Playthrough, FallingOutOfTheBottomScrollsDownAndClimbingOutOfTheTopScrollsUp) {
    arrive();
    Map& map = *level()->getMap();
    EXPECT_EQ(map.getCurrentBoundaryIndex(), 0);

    // Right, over the ladder's top, into the hole beside it.
    press(SDLK_RIGHT);
    ASSERT_TRUE(runUntil([&] { return player().getMovementMode() == Mode::kInAir; }));
    release(SDLK_RIGHT);
    EXPECT_GE(player().getX(), testgame::kHoleLeft);
    ASSERT_TRUE(runUntil([&] { return level()->getPhase() != Level::kPlaying; }));
    EXPECT_EQ(level()->getPhase(), Level::kBeforeScrolling);
    EXPECT_GT(player().getY(), kLowerTop - 16) << "it left at the bottom edge";
    ASSERT_TRUE(runUntil([&] { return level()->getPhase() == Level::kScrolling; }));
    ASSERT_TRUE(runUntil([&] { return level()->getPhase() == Level::kPlaying; }));
    EXPECT_EQ(map.getCurrentBoundaryIndex(), 1);
    EXPECT_EQ(level()->getCamera().getAngleOfView()->y, kLowerTop);
    ASSERT_TRUE(runUntil([&] { return player().getMovementMode() == Mode::kOnGround; }));
    EXPECT_EQ(player().getY(), kLowerStandingY);

    // Left to the ladder and up.
    press(SDLK_LEFT);
    ASSERT_TRUE(runUntil([&] { return player().getX() <= testgame::kLadderCentre + 3; }));
    release(SDLK_LEFT);
    press(SDLK_UP);
    frame();
    EXPECT_EQ(player().getMovementMode(), Mode::kOnLadder);
    EXPECT_EQ(player().getX(), testgame::kLadderCentre);

    // Up the ladder, a little in every frame, until the level starts the transition.
    for (int i = 0; i < kLimit && level()->getPhase() == Level::kPlaying; ++i) {
        const int previousY = player().getYPosition();
        frame();
        if (level()->getPhase() == Level::kPlaying) {
            ASSERT_LT(player().getYPosition(), previousY) << "climbing while up is held";
        }
    }
    release(SDLK_UP);
    EXPECT_EQ(level()->getPhase(), Level::kBeforeScrolling);
    EXPECT_LE(player().getY(), kLowerTop + 1) << "it left at the top edge";
    ASSERT_TRUE(runUntil([&] { return level()->getPhase() == Level::kPlaying; }));
    EXPECT_EQ(map.getCurrentBoundaryIndex(), 0);
    EXPECT_EQ(level()->getCamera().getAngleOfView()->y, kUpperTop);
    EXPECT_EQ(player().getMovementMode(), Mode::kOnLadder);
    EXPECT_EQ(player().getY(), kUpperTop + testgame::kUpEndPosY);

    // On up the ladder and off its top onto the floor the player arrived on.
    press(SDLK_UP);
    ASSERT_TRUE(runUntil([&] { return player().getMovementMode() == Mode::kOnGround; }));
    release(SDLK_UP);
    frame();
    EXPECT_EQ(player().getY(), kUpperStandingY);
    EXPECT_EQ(player().getX(), testgame::kLadderCentre);
    EXPECT_EQ(level()->getPhase(), Level::kPlaying);
}

TEST_F(Playthrough, EnterPausesAndTabAdvancesExactlyOneFrame) {
    arrive();
    frame();
    const int counter = level()->getFrameCounter();

    press(SDLK_RETURN);
    frame();
    release(SDLK_RETURN);
    EXPECT_TRUE(engine->isPaused());
    EXPECT_EQ(level()->getFrameCounter(), counter) << "the frame Enter arrives in is paused";
    for (int i = 0; i < 5; ++i) {
        frame();
    }
    EXPECT_EQ(level()->getFrameCounter(), counter);

    // Moving while paused changes nothing until a step.
    press(SDLK_RIGHT);
    frame();
    const int x = player().getXPosition();
    EXPECT_EQ(x, testgame::kBeamX * 256);

    press(SDLK_TAB);
    frame();
    release(SDLK_TAB);
    EXPECT_EQ(level()->getFrameCounter(), counter + 1);
    EXPECT_GT(player().getXPosition(), x) << "the step runs the player with the held key";
    const int steppedX = player().getXPosition();
    for (int i = 0; i < 5; ++i) {
        frame();
    }
    EXPECT_TRUE(engine->isPaused());
    EXPECT_EQ(level()->getFrameCounter(), counter + 1);
    EXPECT_EQ(player().getXPosition(), steppedX);

    press(SDLK_RETURN);
    frame();
    release(SDLK_RETURN);
    EXPECT_FALSE(engine->isPaused());
    EXPECT_EQ(level()->getFrameCounter(), counter + 2);
    frame();
    EXPECT_EQ(level()->getFrameCounter(), counter + 3);
    release(SDLK_RIGHT);
}

}  // namespace
