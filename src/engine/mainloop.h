#pragma once

#include "engine/framepacer.h"

// The game's heartbeat: input, one update unless paused, draw, present, pace. A quit
// request is looked at only after the frame is complete, so the frame it arrives in is
// still updated, drawn, presented and paced in full. The engine asks for it (the window
// closed) or the states do (the menu key in the menu). Returns the process exit status:
// 0 after a quit, 1 when presenting fails. A template over the engine and the state
// manager, so tests can drive it with fakes of either. afterFrame is called once the
// frame is presented, for what watches the game from beside it (sound).
struct NothingAfterFrame {
    void operator()() const {}
};

template <class Engine, class Manager, class AfterFrame = NothingAfterFrame>
int runMainLoop(Engine& engine, Manager& manager, FramePacer& pacer,
                AfterFrame afterFrame = AfterFrame()) {
    for (;;) {
        engine.handleEvents();
        if (!engine.isPaused()) {
            manager.update(engine.getControls());
        }
        manager.draw();
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
