#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "engine/gameengine.h"
#include "player/voltbot.h"
#include "recordingvideo.h"
#include "scratchdir.h"
#include "sdlkeys.h"
#include "states/gamestatemanager.h"
#include "states/level.h"
#include "states/stageselect.h"
#include "testgame.h"
#include "virtualpad.h"

// The game as a player meets it beyond the keyboard's first keys: the menu and play from a
// virtual pad, the way back from a level to the menu, and a rebound key. The real engine
// under the dummy driver, the real manager, the test game folder of testgame.h.

namespace {

class MenuAndPad : public GameTest {
  protected:
    // Extra settings.ini lines go after [Video].
    void start(const std::string& settings = "") {
        VirtualPad::deliverWithoutFocus();
        GameTest::start(1, settings);
    }

    // A key or button pressed for one frame and let go in the next.
    void tapKey(SDL_Keycode key) {
        pushKey(SDL_KEYDOWN, key);
        frame();
        pushKey(SDL_KEYUP, key);
        frame();
    }
    void tapButton(SDL_GameControllerButton button) {
        pad->press(button);
        frame();
        pad->release(button);
        frame();
    }

    StageSelect* menu() const { return dynamic_cast<StageSelect*>(manager->getCurrentState()); }

    bool playing() const {
        return level() != nullptr && level()->getPhase() == Level::kPlaying &&
               player().getState() == Voltbot::State::kStanding;
    }

    std::unique_ptr<VirtualPad> pad;
};

}  // namespace

// The whole way with the pad alone: down the menu, into the character column, confirm,
// play, and out again by unplugging, which pauses.
TEST_F(MenuAndPad, PadChoosesInTheMenuPlaysAndUnpluggingPauses) {
    start();
    pad = std::make_unique<VirtualPad>();
    ASSERT_TRUE(pad->attached()) << SDL_GetError();
    frame();

    tapButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    ASSERT_NE(menu(), nullptr);
    EXPECT_EQ(menu()->getLevelIndex(), 1);
    tapButton(SDL_CONTROLLER_BUTTON_X);
    EXPECT_TRUE(menu()->isVoltbotColumnActive());
    // The stick moves the cursor once per lean, like a pressed arrow.
    pad->stick(SDL_CONTROLLER_AXIS_LEFTY, 32767);
    frame();
    frame();
    pad->stick(SDL_CONTROLLER_AXIS_LEFTY, 0);
    frame();
    EXPECT_EQ(menu()->getVoltbotIndex(), 1);
    tapButton(SDL_CONTROLLER_BUTTON_X);
    ASSERT_TRUE(runUntil([&] { return playing(); }));
    EXPECT_EQ(manager->getInitMessage(GameStateManager::InitMessageId::kLevel), "Tower");

    const int startX = player().getXPosition();
    pad->press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    for (int i = 0; i < 10; ++i) {
        frame();
    }
    EXPECT_GT(player().getXPosition(), startX);
    pad->press(SDL_CONTROLLER_BUTTON_A);
    frame();
    frame();
    EXPECT_EQ(player().getMovementMode(), MovementMode::kInAir);

    pad->detach();
    frame();
    ASSERT_TRUE(engine->isPaused());
    const int frozenX = player().getXPosition();
    const int frozenY = player().getYPosition();
    for (int i = 0; i < 5; ++i) {
        frame();
    }
    EXPECT_EQ(player().getXPosition(), frozenX);
    EXPECT_EQ(player().getYPosition(), frozenY);
    // Resumed, nothing the pad held is still pressed: the player stops running.
    tapKey(SDLK_RETURN);
    EXPECT_FALSE(engine->getControls().rightHeld);
    EXPECT_FALSE(engine->getControls().jumpHeld);
}

// Escape leaves the level through the manager's switch in the next frame, paused or not;
// the menu comes back with the cursors on the last choice; Escape in the menu quits.
TEST_F(MenuAndPad, EscapeGoesBackToTheMenuWhichKeepsTheChoiceAndThenQuits) {
    start();
    tapKey(SDLK_DOWN);
    tapKey(SDLK_b);
    tapKey(SDLK_DOWN);
    tapKey(SDLK_b);
    ASSERT_TRUE(runUntil([&] { return playing(); }));

    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "playing");
        if (paused) {
            tapKey(SDLK_b);
            ASSERT_TRUE(runUntil([&] { return playing(); }));
            tapKey(SDLK_RETURN);
            ASSERT_TRUE(engine->isPaused());
        }
        const Level* left = level();
        pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
        frame();
        EXPECT_EQ(level(), left);  // the switch comes with the next update, like the confirm
        EXPECT_FALSE(engine->isPaused());
        pushKey(SDL_KEYUP, SDLK_ESCAPE);
        frame();
        ASSERT_NE(menu(), nullptr);
        EXPECT_EQ(menu()->getLevelIndex(), 1);
        EXPECT_EQ(menu()->getVoltbotIndex(), 1);
        EXPECT_FALSE(menu()->isVoltbotColumnActive());
        EXPECT_FALSE(manager->isQuitRequested());
        tapKey(SDLK_b);  // to the character column, confirmed by the next b
    }

    ASSERT_NE(menu(), nullptr);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    frame();
    EXPECT_TRUE(manager->isQuitRequested());
}

// A rebound jump key jumps; the old one no longer does anything.
TEST_F(MenuAndPad, ReboundJumpKeyDrivesAJump) {
    start("[Keys]\njump = x\nshoot = Left Ctrl\n");
    tapKey(SDLK_LCTRL);
    tapKey(SDLK_LCTRL);
    ASSERT_TRUE(runUntil([&] { return playing(); }));

    pushKey(SDL_KEYDOWN, SDLK_SPACE);
    for (int i = 0; i < 5; ++i) {
        frame();
    }
    pushKey(SDL_KEYUP, SDLK_SPACE);
    frame();
    EXPECT_EQ(player().getMovementMode(), MovementMode::kOnGround);

    const int floorY = player().getY();
    pushKey(SDL_KEYDOWN, SDLK_x);
    int highest = floorY;
    bool tookOff = false;
    ASSERT_TRUE(runUntil([&] {
        highest = std::min(highest, player().getY());
        tookOff = tookOff || player().getMovementMode() == MovementMode::kInAir;
        return tookOff && player().getMovementMode() == MovementMode::kOnGround;
    }));
    pushKey(SDL_KEYUP, SDLK_x);
    EXPECT_LT(highest, floorY - 30);
    EXPECT_EQ(player().getY(), floorY);
}
