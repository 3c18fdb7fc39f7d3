#pragma once

#include "engine/controls.h"
#include "engine/framepacer.h"

// What the loop asks of the tools beside the game (recording, watching, speed). The plain
// game has none: one update per unpaused frame with the keyboard's record.
struct PlainFrames {
    static constexpr bool kSteersEngine = false;
    int updatesThisFrame(bool /*stepping*/) { return 1; }
    bool mayUpdate() { return true; }
    Controls input(const Controls& keyboard, int /*index*/) { return keyboard; }
    void afterUpdate(const Controls& /*used*/) {}
};

// The game's heartbeat: input, one update unless paused, draw, present, pace. A quit
// request is looked at only after the frame is complete, so the frame it arrives in is
// still updated, drawn, presented and paced in full. The engine asks for it (the window
// closed) or the states do (the menu key in the menu). Returns the process exit status:
// 0 after a quit, 1 when presenting fails. A template over the engine and the state
// manager, so tests can drive it with fakes of either. afterFrame is called once the
// frame is presented, for what watches the game from beside it (sound).
//
// The bench may ask for several updates in one presented frame (fast-forward): each is
// drawn as well, because drawing the level ends its ready phase, so a fast frame
// simulates exactly what the same updates would at normal speed. It may supply the input
// instead of the keyboard (watching a script), pause the engine, set the window title and
// slow the pacing down.
struct NothingAfterFrame {
    void operator()() const {}
};

template <class Engine, class Manager, class Bench, class AfterFrame>
int runMainLoop(Engine& engine, Manager& manager, FramePacer& pacer, Bench& bench,
                AfterFrame afterFrame) {
    for (;;) {
        engine.handleEvents();
        int updates = 0;
        if (!engine.isPaused()) {
            bool stepping = false;
            if constexpr (Bench::kSteersEngine) {
                stepping = engine.isStepPending();
            }
            const int wanted = bench.updatesThisFrame(stepping);
            for (; updates < wanted && bench.mayUpdate(); ++updates) {
                const Controls controls = bench.input(engine.getControls(), updates);
                manager.update(controls);
                manager.draw();
                bench.afterUpdate(controls);
            }
        }
        if (updates == 0) {
            manager.draw();
        }
        if constexpr (Bench::kSteersEngine) {
            if (bench.takePauseRequest()) {
                engine.setPaused(true);
            }
            if (const char* title = bench.titleChange(engine.isPaused())) {
                engine.setWindowTitle(title);
            }
            pacer.setSlowdown(bench.slowdown());
        }
        if (engine.flipScreen() == -1) {
            return 1;
        }
        afterFrame();
        pacer.waitForNextFrame();
        if (engine.isQuitRequested() || manager.isQuitRequested()) {
            return 0;
        }
    }
}

template <class Engine, class Manager, class AfterFrame = NothingAfterFrame>
int runMainLoop(Engine& engine, Manager& manager, FramePacer& pacer,
                AfterFrame afterFrame = AfterFrame()) {
    PlainFrames plain;
    return runMainLoop(engine, manager, pacer, plain, afterFrame);
}
