#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "engine/controls.h"
#include "engine/gameengine.h"
#include "engineharness.h"
#include "scratchdir.h"
#include "sdlkeys.h"
#include "virtualpad.h"

// Game controllers made by SDL's virtual joystick driver, handled by the real engine
// headless: they feed the same input record as the keyboard, under the same rules.

namespace {

using Button = SDL_GameControllerButton;

class Gamepad : public ::testing::Test {
  protected:
    Gamepad() {
        frame();  // the pad's arrival
    }

    const Controls& frame() {
        engine->handleEvents();
        return engine->getControls();
    }

    ScratchDir scratch;
    bool hint = VirtualPad::deliverWithoutFocus();
    std::unique_ptr<GameEngine> engine = openEngine(scratch, 1);
    VirtualPad pad;
};

}  // namespace

TEST_F(Gamepad, PluggedInPadIsOpenedAndItsButtonsAreTheGameKeys) {
    ASSERT_TRUE(pad.attached()) << SDL_GetError();
    EXPECT_EQ(engine->getPadCount(), 1);

    pad.press(SDL_CONTROLLER_BUTTON_A);
    pad.press(SDL_CONTROLLER_BUTTON_X);
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    const Controls& pressed = frame();
    EXPECT_TRUE(pressed.jumpPressed && pressed.jumpHeld);
    EXPECT_TRUE(pressed.shootPressed && pressed.shootHeld);
    EXPECT_EQ(pressed.dirX, Direction::kLeft);

    // Held: the one-frame flags are gone, the held ones stay; nothing repeats.
    const Controls& held = frame();
    EXPECT_FALSE(held.jumpPressed || held.shootPressed);
    EXPECT_TRUE(held.jumpHeld && held.shootHeld);

    pad.release(SDL_CONTROLLER_BUTTON_A);
    pad.release(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    const Controls& released = frame();
    EXPECT_TRUE(released.jumpReleased);
    EXPECT_FALSE(released.jumpHeld);
    EXPECT_EQ(released.dirX, Direction::kNone);
    EXPECT_EQ(released.prevDirX, Direction::kLeft);
    EXPECT_EQ(released.dirY, Direction::kDown);
}

// The left stick is the arrows outside its dead zone; each axis names the side it leans to.
TEST_F(Gamepad, LeftStickActsAsArrowsOutsideTheDeadZone) {
    ASSERT_TRUE(pad.attached()) << SDL_GetError();
    const struct {
        int x;
        int y;
        Direction::type dirX;
        Direction::type dirY;
    } steps[] = {
        {GameEngine::kStickDeadZone - 1, 0, Direction::kNone, Direction::kNone},
        {GameEngine::kStickDeadZone, 0, Direction::kRight, Direction::kNone},
        {32767, -32768, Direction::kRight, Direction::kUp},
        {-GameEngine::kStickDeadZone, -1000, Direction::kLeft, Direction::kNone},
        {-20000, 20000, Direction::kLeft, Direction::kDown},
        {0, 0, Direction::kNone, Direction::kNone},
    };
    for (const auto& step : steps) {
        pad.stick(SDL_CONTROLLER_AXIS_LEFTX, step.x);
        pad.stick(SDL_CONTROLLER_AXIS_LEFTY, step.y);
        const Controls& c = frame();
        EXPECT_EQ(c.dirX, step.dirX) << step.x << "," << step.y;
        EXPECT_EQ(c.dirY, step.dirY) << step.x << "," << step.y;
        EXPECT_EQ(c.leftHeld, step.dirX == Direction::kLeft);
        EXPECT_EQ(c.rightHeld, step.dirX == Direction::kRight);
    }
    // The right stick moves nothing.
    pad.stick(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    EXPECT_EQ(frame().dirX, Direction::kNone);
}

// An action held on two sources (keyboard, d-pad, stick) is one press and one release:
// it lets go only when the last source does, and the second source does not press again.
TEST_F(Gamepad, ActionHeldOnBothIsReleasedOnlyWhenNeitherHoldsIt) {
    ASSERT_TRUE(pad.attached()) << SDL_GetError();
    pushKey(SDL_KEYDOWN, SDLK_SPACE);
    EXPECT_TRUE(frame().jumpPressed);
    pad.press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_FALSE(frame().jumpPressed);
    pushKey(SDL_KEYUP, SDLK_SPACE);
    const Controls& padStillHolds = frame();
    EXPECT_TRUE(padStillHolds.jumpHeld);
    EXPECT_FALSE(padStillHolds.jumpReleased);
    pad.release(SDL_CONTROLLER_BUTTON_A);
    const Controls& neither = frame();
    EXPECT_FALSE(neither.jumpHeld);
    EXPECT_TRUE(neither.jumpReleased);

    // The same for a direction, with the d-pad, the stick and the key on one arrow; the
    // other arrow pressed meanwhile still wins as the last pressed.
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    pad.stick(SDL_CONTROLLER_AXIS_LEFTX, 30000);
    pushKey(SDL_KEYDOWN, SDLK_RIGHT);
    EXPECT_EQ(frame().dirX, Direction::kRight);
    pushKey(SDL_KEYDOWN, SDLK_LEFT);
    pad.release(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    pushKey(SDL_KEYUP, SDLK_RIGHT);
    const Controls& stickHolds = frame();
    EXPECT_EQ(stickHolds.dirX, Direction::kLeft);
    EXPECT_TRUE(stickHolds.rightHeld);
    pushKey(SDL_KEYUP, SDLK_LEFT);
    EXPECT_EQ(frame().dirX, Direction::kRight);
    pad.stick(SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(frame().dirX, Direction::kNone);
    EXPECT_FALSE(engine->getControls().rightHeld);

    // Start pressed while Enter is held does not toggle the pause a second time.
    pushKey(SDL_KEYDOWN, SDLK_RETURN);
    pad.press(SDL_CONTROLLER_BUTTON_START);
    frame();
    EXPECT_TRUE(engine->isPaused());
}

TEST_F(Gamepad, StartPausesAndBackStepsOneFrame) {
    ASSERT_TRUE(pad.attached()) << SDL_GetError();
    pad.press(SDL_CONTROLLER_BUTTON_START);
    frame();
    EXPECT_TRUE(engine->isPaused());
    pad.release(SDL_CONTROLLER_BUTTON_START);
    pad.press(SDL_CONTROLLER_BUTTON_BACK);
    frame();
    EXPECT_FALSE(engine->isPaused());
    EXPECT_TRUE(engine->isStepPending());
    pad.release(SDL_CONTROLLER_BUTTON_BACK);
    frame();
    EXPECT_TRUE(engine->isPaused());
}

// Unplugged while playing: the game pauses and nothing the pad held stays held; a pad
// plugged in again plays on.
TEST_F(Gamepad, UnpluggingPausesAndLetsGoOfWhatThePadHeld) {
    ASSERT_TRUE(pad.attached()) << SDL_GetError();
    pad.press(SDL_CONTROLLER_BUTTON_X);
    pad.stick(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    pushKey(SDL_KEYDOWN, SDLK_SPACE);
    frame();
    ASSERT_FALSE(engine->isPaused());

    pad.detach();
    const Controls& after = frame();
    EXPECT_TRUE(engine->isPaused());
    EXPECT_EQ(engine->getPadCount(), 0);
    EXPECT_FALSE(after.shootHeld);
    EXPECT_EQ(after.dirX, Direction::kNone);
    EXPECT_TRUE(after.jumpHeld);  // the keyboard's

    VirtualPad second;
    ASSERT_TRUE(second.attached()) << SDL_GetError();
    pushKey(SDL_KEYDOWN, SDLK_RETURN);
    frame();
    EXPECT_EQ(engine->getPadCount(), 1);
    EXPECT_FALSE(engine->isPaused());
    second.press(SDL_CONTROLLER_BUTTON_X);
    EXPECT_TRUE(frame().shootPressed);
}
