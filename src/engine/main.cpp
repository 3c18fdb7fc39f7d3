#include <SDL.h>

#include <iostream>
#include <memory>
#include <string>

#include "config/datafolder.h"
#include "config/loaderror.h"
#include "engine/commandline.h"
#include "engine/framepacer.h"
#include "engine/framereport.h"
#include "engine/gameengine.h"
#include "engine/mainloop.h"
#include "engine/mixeraudio.h"
#include "engine/servicelocator.h"
#include "states/gamestatemanager.h"
#include "states/soundobserver.h"

namespace {

// A whole number of frames, 1 or more; 0 when the option was not given.
int parseFrameCount(const CommandLine& commandLine, const char* option) {
    if (!commandLine.has(option)) {
        return 0;
    }
    const std::string text = commandLine.value(option);
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos || std::stoi(text) < 1) {
        throw CommandLineError(std::string(option) + " wants a number of frames, not '" + text +
                               "'");
    }
    return std::stoi(text);
}

}  // namespace

// SDL renames this to SDL_main where its own start-up code must run first.
int main(int argc, char* argv[]) {
    try {
        const CommandLine commandLine(argc, argv);
        if (commandLine.has("--help")) {
            std::cout << CommandLine::usage();
            return 0;
        }
        if (commandLine.has("--version")) {
            std::cout << "kestrelix " << KESTRELIX_VERSION << '\n';
            return 0;
        }
        const int quitAfter = parseFrameCount(commandLine, "--quit-after");
        DataFolder::enter(commandLine.value("--data"));

        auto engine = std::make_unique<GameEngine>();
        engine->setPauseOnFocusLoss(commandLine.has("--pause-on-focus-loss"));
        engine->quitAfterFrames(quitAfter);
        // Sound opens after the window; without a device it stays silent.
        auto audio = std::make_unique<MixerAudio>(commandLine.has("--verbose"));
        SoundObserver sound(*audio);
        // The first game state loads its pictures in the manager's constructor.
        ServiceLocator::provideVideoService(engine.get());
        auto manager = std::make_unique<GameStateManager>();
        if (commandLine.has("--level") || commandLine.has("--character")) {
            // The same hand-over as a confirm in the menu: the level replaces the menu
            // at the first update.
            const std::string level = commandLine.value(
                "--level", manager->getInitMessage(GameStateManager::InitMessageId::kLevel));
            const std::string character = commandLine.value(
                "--character", manager->getInitMessage(GameStateManager::InitMessageId::kVoltbot));
            manager->setInitMessage(GameStateManager::InitMessageId::kLevel, level.c_str());
            manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, character.c_str());
            manager->setNextState();
        }

        FramePacer pacer([] { return SDL_GetTicks(); },
                         [](std::uint32_t milliseconds) { SDL_Delay(milliseconds); });
        pacer.start();
        const auto afterFrame = [&] {
            audio->setMuted(engine->isMuted());
            sound.afterFrame(*manager, !engine->isPaused(),
                             engine->isPaused() || engine->isStepPending());
        };
        int status = 0;
        if (commandLine.has("--frame-rate")) {
            FrameReport report(stdout);
            const auto microseconds = [] {
                return SDL_GetPerformanceCounter() * 1000000 / SDL_GetPerformanceFrequency();
            };
            ReportingManager reporting(*manager, report, microseconds,
                                       [] { return SDL_GetTicks(); });
            status = runMainLoop(*engine, reporting, pacer, afterFrame);
        } else {
            status = runMainLoop(*engine, *manager, pacer, afterFrame);
        }

        // The states release their pictures through the engine, so they go first.
        manager.reset();
        ServiceLocator::provideVideoService(nullptr);
        audio.reset();
        engine.reset();
        return status;
    } catch (const CommandLineError& error) {
        std::cerr << "kestrelix: " << error.what() << '\n' << CommandLine::usage();
        return 2;
    } catch (const LoadError& error) {
        ServiceLocator::provideVideoService(nullptr);
        std::cerr << "kestrelix: " << error.what() << '\n';
        return 1;
    }
}
