#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "engine/controls.h"
#include "engine/gameengine.h"
#include "engineharness.h"
#include "scratchdir.h"
#include "sdlkeys.h"

namespace {

void press(SDL_Keycode key) {
    pushKey(SDL_KEYDOWN, key);
}

void release(SDL_Keycode key) {
    pushKey(SDL_KEYUP, key);
}

// What the system sends again and again while a key stays down.
void autoRepeat(SDL_Keycode key) {
    pushKey(SDL_KEYDOWN, key, 1);
}

// The whole record in one line, so a failing comparison shows every field.
std::string describe(const Controls& c) {
    std::ostringstream text;
    text << "dir " << c.dirX << "," << c.dirY << " prev " << c.prevDirX << "," << c.prevDirY
         << " held u" << c.upHeld << " d" << c.downHeld << " l" << c.leftHeld << " r" << c.rightHeld
         << " shoot " << c.shootPressed << c.shootHeld << c.shootReleased << " jump "
         << c.jumpPressed << c.jumpHeld << c.jumpReleased;
    return text.str();
}

class KeyHandling : public ::testing::Test {
  protected:
    // Handles the events pushed so far as one frame and returns the resulting record.
    const Controls& frame() {
        engine->handleEvents();
        return engine->getControls();
    }

    ScratchDir scratch;
    std::unique_ptr<GameEngine> engine = openEngine(scratch, 1);
};

}  // namespace

TEST_F(KeyHandling, ArrowKeysSetDirectionWhileHeld) {
    press(SDLK_RIGHT);
    EXPECT_EQ(frame().dirX, Direction::kRight);
    EXPECT_TRUE(engine->getControls().rightHeld);
    release(SDLK_RIGHT);
    press(SDLK_UP);
    EXPECT_EQ(frame().dirX, Direction::kNone);
    EXPECT_FALSE(engine->getControls().rightHeld);
    EXPECT_EQ(engine->getControls().dirY, Direction::kUp);
    EXPECT_TRUE(engine->getControls().upHeld);
    release(SDLK_UP);
    press(SDLK_DOWN);
    EXPECT_EQ(frame().dirY, Direction::kDown);
    EXPECT_FALSE(engine->getControls().upHeld);
    EXPECT_TRUE(engine->getControls().downHeld);
    release(SDLK_DOWN);
    press(SDLK_LEFT);
    EXPECT_EQ(frame().dirY, Direction::kNone);
    EXPECT_EQ(engine->getControls().dirX, Direction::kLeft);
    EXPECT_TRUE(engine->getControls().leftHeld);
}

TEST_F(KeyHandling, WithBothArrowsOfAnAxisHeldTheLastPressedWins) {
    struct Axis {
        SDL_Keycode first;
        Direction::type firstDirection;
        SDL_Keycode second;
        Direction::type secondDirection;
        Direction::type Controls::*direction;
    };
    const Axis axes[] = {
        {SDLK_RIGHT, Direction::kRight, SDLK_LEFT, Direction::kLeft, &Controls::dirX},
        {SDLK_DOWN, Direction::kDown, SDLK_UP, Direction::kUp, &Controls::dirY},
        {SDLK_UP, Direction::kUp, SDLK_DOWN, Direction::kDown, &Controls::dirY},
    };
    for (const Axis& axis : axes) {
        press(axis.first);
        press(axis.second);
        EXPECT_EQ(frame().*axis.direction, axis.secondDirection);
        release(axis.second);
        EXPECT_EQ(frame().*axis.direction, axis.firstDirection);
        press(axis.second);
        release(axis.first);
        EXPECT_EQ(frame().*axis.direction, axis.secondDirection);
        release(axis.second);
        EXPECT_EQ(frame().*axis.direction, Direction::kNone);
    }
}

TEST_F(KeyHandling, PressedAndReleasedLastOneFrameHeldLastsUntilRelease) {
    press(SDLK_b);
    press(SDLK_SPACE);
    Controls c = frame();
    EXPECT_TRUE(c.shootPressed && c.shootHeld && !c.shootReleased);
    EXPECT_TRUE(c.jumpPressed && c.jumpHeld && !c.jumpReleased);
    c = frame();
    EXPECT_TRUE(!c.shootPressed && c.shootHeld && !c.shootReleased);
    EXPECT_TRUE(!c.jumpPressed && c.jumpHeld && !c.jumpReleased);
    release(SDLK_b);
    release(SDLK_SPACE);
    c = frame();
    EXPECT_TRUE(!c.shootPressed && !c.shootHeld && c.shootReleased);
    EXPECT_TRUE(!c.jumpPressed && !c.jumpHeld && c.jumpReleased);
    c = frame();
    EXPECT_TRUE(!c.shootReleased && !c.jumpReleased);
}

TEST_F(KeyHandling, KeyTappedWithinOneFrameShowsOnlyTheRelease) {
    press(SDLK_b);
    release(SDLK_b);
    press(SDLK_SPACE);
    release(SDLK_SPACE);
    const Controls c = frame();
    EXPECT_TRUE(!c.shootPressed && !c.shootHeld && c.shootReleased);
    EXPECT_TRUE(!c.jumpPressed && !c.jumpHeld && c.jumpReleased);
}

TEST_F(KeyHandling, PreviousDirectionIsTheOneTheFrameBeganWith) {
    press(SDLK_RIGHT);
    press(SDLK_UP);
    Controls c = frame();
    EXPECT_EQ(c.prevDirX, Direction::kNone);
    EXPECT_EQ(c.prevDirY, Direction::kNone);
    c = frame();
    EXPECT_EQ(c.prevDirX, Direction::kRight);
    EXPECT_EQ(c.prevDirY, Direction::kUp);
}

TEST_F(KeyHandling, EnterTogglesPauseAndTwiceInOneFrameChangesNothing) {
    press(SDLK_RETURN);
    frame();
    EXPECT_TRUE(engine->isPaused());
    press(SDLK_RETURN);
    press(SDLK_RETURN);
    frame();
    EXPECT_TRUE(engine->isPaused());
    press(SDLK_RETURN);
    frame();
    EXPECT_FALSE(engine->isPaused());
}

// A newcomer who pressed Enter must see why nothing moves; a single step stays "paused".
TEST_F(KeyHandling, WindowTitleSaysPausedWhilePausedOrStepping) {
    const auto title = [this] {
        return std::string(SDL_GetWindowTitle(SDL_RenderGetWindow(engine->renderer())));
    };
    EXPECT_EQ(title(), "Kestrelix");
    press(SDLK_RETURN);
    frame();
    EXPECT_EQ(title(), "Kestrelix - paused");
    press(SDLK_TAB);
    frame();
    EXPECT_EQ(title(), "Kestrelix - paused");
    frame();
    EXPECT_EQ(title(), "Kestrelix - paused");
    press(SDLK_RETURN);
    frame();
    EXPECT_EQ(title(), "Kestrelix");
}

TEST_F(KeyHandling, TabStepsOneFrameOnlyWhilePaused) {
    press(SDLK_TAB);
    frame();
    EXPECT_FALSE(engine->isPaused());
    EXPECT_FALSE(engine->isStepPending());

    press(SDLK_RETURN);
    frame();
    press(SDLK_TAB);
    frame();
    EXPECT_FALSE(engine->isPaused());  // this frame runs one update
    EXPECT_TRUE(engine->isStepPending());
    frame();
    EXPECT_TRUE(engine->isPaused());
    EXPECT_FALSE(engine->isStepPending());

    // Enter while stepping pauses at once; the step still ends in plain pause.
    press(SDLK_TAB);
    press(SDLK_RETURN);
    frame();
    EXPECT_TRUE(engine->isPaused());
    EXPECT_TRUE(engine->isStepPending());
    frame();
    EXPECT_TRUE(engine->isPaused());
    EXPECT_FALSE(engine->isStepPending());
}

TEST_F(KeyHandling, SteppedFrameClearsOneFrameFlagsBeforePausingAgain) {
    press(SDLK_RETURN);
    frame();
    press(SDLK_b);
    press(SDLK_TAB);
    EXPECT_TRUE(frame().shootPressed);  // the stepped frame's update sees the press
    EXPECT_FALSE(frame().shootPressed);
    EXPECT_TRUE(engine->isPaused());
}

TEST_F(KeyHandling, PauseKeepsOneFrameFlagsAndPreviousDirectionForTheNextUpdate) {
    press(SDLK_RETURN);
    frame();
    press(SDLK_RIGHT);
    press(SDLK_SPACE);
    Controls c = frame();
    EXPECT_TRUE(c.jumpPressed);
    EXPECT_EQ(c.dirX, Direction::kRight);
    c = frame();
    EXPECT_TRUE(c.jumpPressed);
    EXPECT_EQ(c.prevDirX, Direction::kNone);

    // The frame that unpauses began paused: its update still sees the press and the edge.
    press(SDLK_RETURN);
    c = frame();
    EXPECT_FALSE(engine->isPaused());
    EXPECT_TRUE(c.jumpPressed);
    EXPECT_EQ(c.prevDirX, Direction::kNone);
    EXPECT_EQ(c.dirX, Direction::kRight);
    c = frame();
    EXPECT_FALSE(c.jumpPressed);
    EXPECT_EQ(c.prevDirX, Direction::kRight);
}

TEST_F(KeyHandling, OtherKeysAndTheMouseDoNothing) {
    for (SDL_Keycode key : {SDLK_a, SDLK_ESCAPE, SDLK_z, SDLK_LSHIFT, SDLK_KP_ENTER}) {
        press(key);
        release(key);
    }
    SDL_Event mouse{};
    mouse.type = SDL_MOUSEBUTTONDOWN;
    mouse.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&mouse);
    mouse.type = SDL_MOUSEMOTION;
    SDL_PushEvent(&mouse);
    mouse.type = SDL_MOUSEWHEEL;
    SDL_PushEvent(&mouse);

    EXPECT_EQ(describe(frame()), describe(Controls{}));
    EXPECT_FALSE(engine->isPaused());
    EXPECT_FALSE(engine->isQuitRequested());
}

TEST_F(KeyHandling, HeldKeyRepeatsAreNotNewPresses) {
    press(SDLK_b);
    press(SDLK_SPACE);
    press(SDLK_RIGHT);
    press(SDLK_LEFT);
    frame();
    autoRepeat(SDLK_b);
    autoRepeat(SDLK_SPACE);
    autoRepeat(SDLK_RIGHT);  // must not take the direction back from the later left
    const Controls c = frame();
    EXPECT_FALSE(c.shootPressed);
    EXPECT_FALSE(c.jumpPressed);
    EXPECT_TRUE(c.shootHeld && c.jumpHeld);
    EXPECT_EQ(c.dirX, Direction::kLeft);

    press(SDLK_RETURN);
    frame();
    autoRepeat(SDLK_RETURN);
    autoRepeat(SDLK_RETURN);
    autoRepeat(SDLK_RETURN);
    frame();
    EXPECT_TRUE(engine->isPaused());
}

TEST_F(KeyHandling, QuitRequestIsRememberedAndLeavesControlsAlone) {
    press(SDLK_RIGHT);
    frame();
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    const Controls c = frame();
    EXPECT_TRUE(engine->isQuitRequested());
    EXPECT_EQ(c.dirX, Direction::kRight);
    frame();
    EXPECT_TRUE(engine->isQuitRequested());
}

// Focus loss and hiding pause only when asked to, only while they last at the end of the
// frame's events, and never resume by themselves. The dummy driver's window never has the
// keyboard, so a focus loss leaves it unfocused; hiding is done for real, so the window's
// state follows.
TEST(PauseOnFocusLoss, PausesWhileTheWindowIsAwayOnlyWhenAsked) {
    ScratchDir scratch;
    for (const bool asked : {false, true}) {
        SCOPED_TRACE(asked ? "asked" : "not asked");
        std::unique_ptr<GameEngine> engine = openEngine(scratch, 1);
        engine->setPauseOnFocusLoss(asked);
        SDL_Window* window = SDL_RenderGetWindow(engine->renderer());
        ASSERT_NE(window, nullptr);
        const auto frame = [&engine] {
            engine->handleEvents();
            return engine->isPaused();
        };
        const auto pushWindowEvent = [](SDL_WindowEventID id) {
            SDL_Event event{};
            event.type = SDL_WINDOWEVENT;
            event.window.event = static_cast<Uint8>(id);
            SDL_PushEvent(&event);
        };
        const auto resume = [&frame] {
            press(SDLK_RETURN);
            release(SDLK_RETURN);
            return frame();
        };

        // Creating the renderer hides the window and shows it again: no pause at start.
        EXPECT_FALSE(frame());

        pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
        EXPECT_EQ(frame(), asked);
        pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
        EXPECT_EQ(frame(), asked) << "getting the focus back resumes nothing";
        if (asked) {
            EXPECT_FALSE(resume());
        }

        SDL_HideWindow(window);
        EXPECT_EQ(frame(), asked);
        SDL_ShowWindow(window);
        EXPECT_EQ(frame(), asked);
        if (asked) {
            EXPECT_FALSE(resume());
        }

        // Hidden and shown again within one frame: nothing to pause for.
        SDL_HideWindow(window);
        SDL_ShowWindow(window);
        EXPECT_FALSE(frame());

        for (const SDL_WindowEventID other :
             {SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_RESTORED,
              SDL_WINDOWEVENT_ENTER, SDL_WINDOWEVENT_LEAVE, SDL_WINDOWEVENT_MOVED}) {
            pushWindowEvent(other);
            EXPECT_FALSE(frame()) << "window event " << other;
        }

        // Already paused: losing the focus keeps it paused rather than toggling.
        press(SDLK_RETURN);
        release(SDLK_RETURN);
        pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
        EXPECT_TRUE(frame());
        resume();
        // A Tab step pending when the focus goes does not run.
        press(SDLK_RETURN);
        frame();
        press(SDLK_TAB);
        pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
        EXPECT_TRUE(frame() || !asked);
        if (asked) {
            EXPECT_FALSE(engine->isStepPending());
        }
    }
}
