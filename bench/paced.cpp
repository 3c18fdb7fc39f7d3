// The game running at 60 frames per second for 600 level frames, with the real pieces:
// the engine (settings.ini's multiplier, whatever SDL video driver is set), the state
// manager switched from the stage select into Sablex with voltbot1, the FramePacer on
// SDL_GetTicks and SDL_Delay, and runMainLoop itself. A thin manager in front of the real
// one notes when each frame starts and, after 600 level frames, posts the quit event the
// engine turns into its own quit request. Run from the data directory; an argument names
// a CSV file for every frame's notes.
#include <SDL.h>

#include <iostream>
#include <memory>

#include "config/loaderror.h"
#include "engine/framepacer.h"
#include "engine/gameengine.h"
#include "engine/mainloop.h"
#include "engine/scopedvideo.h"
#include "pacedframes.h"
#include "states/gamestatemanager.h"

namespace {

class RecordingManager {
  public:
    RecordingManager(GameStateManager& manager, pacedframes::FrameLog& log)
        : m_manager(manager), m_log(log) {}

    void update(Controls controls) {
        frameStarted();
        m_manager.update(controls);
    }

    bool isQuitRequested() const { return m_manager.isQuitRequested(); }

    void draw() {
        // A paused frame draws without an update: it still starts here.
        frameStarted();
        m_manager.draw();
        m_updated = false;
    }

  private:
    void frameStarted() {
        if (m_updated) {
            return;
        }
        m_updated = true;
        m_log.frameStarted();
        // The quit event is read at the start of the next frame, which the loop still runs
        // and paces in full: so it is posted in frame 599 and frame 600 is the last.
        if (m_log.frames() == pacedframes::kMeasuredFrames) {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        }
    }

    GameStateManager& m_manager;
    pacedframes::FrameLog& m_log;
    bool m_updated = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    try {
        auto engine = std::make_unique<GameEngine>();
        const ScopedVideo installed(engine.get());
        auto manager = std::make_unique<GameStateManager>();
        // What the stage select hands on when the player confirms a level.
        manager->setInitMessage(GameStateManager::InitMessageId::kLevel, "Sablex");
        manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, "voltbot1");
        manager->setNextState();

        FramePacer pacer([] { return SDL_GetTicks(); },
                         [](std::uint32_t milliseconds) { SDL_Delay(milliseconds); });
        pacedframes::FrameLog log(pacer);
        RecordingManager recording(*manager, log);
        pacer.start();
        const int status = runMainLoop(*engine, recording, pacer);
        log.finished();

        bool complete = log.report("kestrelix-bench-paced");
        if (argc > 1 && !log.writeFrames(argv[1])) {
            std::cerr << "kestrelix-bench-paced: cannot write " << argv[1] << '\n';
            complete = false;
        }
        manager.reset();
        return status == 0 && complete ? 0 : 1;
    } catch (const LoadError& error) {
        std::cerr << "kestrelix-bench-paced: " << error.what() << '\n';
        return 1;
    }
}
