#include "engine/mainloop.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/controls.h"
#include "engine/framepacer.h"
#include "engine/gameengine.h"
#include "engineharness.h"
#include "scratchdir.h"

namespace {

void pushEvent(Uint32 type, SDL_Keycode key = SDLK_UNKNOWN) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// Counts what the loop asks of the state manager; a script may act during a frame's draw.
struct ScriptedManager {
    std::vector<Controls> updates;
    int draws = 0;
    std::function<void(int frame)> duringDraw = [](int) {};

    void update(Controls controls) { updates.push_back(controls); }
    void draw() { duringDraw(draws++); }
    bool isQuitRequested() const { return false; }
};

// Time moves only by sleeping, so every frame is early and ends exactly on its deadline.
struct SleepClock {
    std::uint32_t now = 0;
    int sleeps = 0;
    FramePacer pacer{[this] { return now; },
                     [this](std::uint32_t milliseconds) {
                         now += milliseconds;
                         ++sleeps;
                     }};
};

}  // namespace

TEST(MainLoop, QuitArrivingInAFrameLetsItFinishIncludingTheWait) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 1);
    ScriptedManager manager;
    SleepClock clock;
    clock.pacer.start();

    pushEvent(SDL_QUIT);
    EXPECT_EQ(runMainLoop(*engine, manager, clock.pacer), 0);
    EXPECT_EQ(manager.updates.size(), 1u);
    EXPECT_EQ(manager.draws, 1);
    EXPECT_EQ(clock.now, 17u);
}

TEST(MainLoop, PausedFramesAreDrawnButNotUpdated) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 1);
    ScriptedManager manager;
    manager.duringDraw = [](int frame) {
        if (frame == 0) {
            pushEvent(SDL_KEYDOWN, SDLK_RETURN);  // frames 1 and 2 are paused
            pushEvent(SDL_KEYDOWN, SDLK_RIGHT);
        } else if (frame == 2) {
            pushEvent(SDL_KEYDOWN, SDLK_RETURN);
            pushEvent(SDL_QUIT);
        }
    };
    SleepClock clock;
    clock.pacer.start();

    EXPECT_EQ(runMainLoop(*engine, manager, clock.pacer), 0);
    EXPECT_EQ(manager.draws, 4);
    ASSERT_EQ(manager.updates.size(), 2u);
    EXPECT_EQ(manager.updates[1].dirX, Direction::kRight);
    // Four frames of 17, 17, 16 and 17 ms: drawing and pacing went on through the pause.
    EXPECT_EQ(clock.now, 67u);
}

TEST(MainLoop, FailedPresentationEndsAtOnceWithStatusOne) {
    struct FailingEngine {
        int presented = 0;
        Controls controls;
        void handleEvents() {}
        bool isPaused() const { return false; }
        bool isQuitRequested() const { return false; }
        const Controls& getControls() const { return controls; }
        int flipScreen() { return ++presented == 3 ? -1 : 0; }
    };
    FailingEngine engine;
    ScriptedManager manager;
    SleepClock clock;
    clock.pacer.start();

    EXPECT_EQ(runMainLoop(engine, manager, clock.pacer), 1);
    EXPECT_EQ(manager.draws, 3);
    EXPECT_EQ(clock.now, 34u);  // the failed frame is not paced
}
