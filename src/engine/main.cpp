#include <SDL.h>

#include <filesystem>
#include <fstream>
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
#include "engine/timemachinekeys.h"
#include "states/gamestatemanager.h"
#include "states/ghost.h"
#include "states/inputscript.h"
#include "states/soundobserver.h"
#include "states/timemachine.h"
#include "states/workbench.h"

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

// --from-slot's slot, 1 to 4; 0 when not given. It names a slot of the --play script.
int parseFromSlot(const CommandLine& commandLine) {
    if (!commandLine.has("--from-slot")) {
        return 0;
    }
    const std::string text = commandLine.value("--from-slot");
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + TimeMachine::kSlotCount) {
        throw CommandLineError("--from-slot wants a slot from 1 to " +
                               std::to_string(TimeMachine::kSlotCount) + ", not '" + text + "'");
    }
    if (!commandLine.has("--play")) {
        throw CommandLineError("--from-slot needs --play FILE (the recording the slot is of)");
    }
    return text[0] - '0';
}

// A character file named on the command line (--ghost, --character): the user's own file
// where they started the game, else a character of the data folder. Checked here, so a
// typo stops the game before the menu rather than when a level starts. Empty stays empty.
std::string characterFile(const CommandLine& commandLine, const char* option, const char* what) {
    std::string given = commandLine.value(option);
    if (given.empty()) {
        return given;
    }
    std::string own = DataFolder::fromStartFolder(given);
    if (std::ifstream(own)) {
        return own;
    }
    if (!std::ifstream(given)) {
        throw LoadError(given, std::string("cannot be opened (") + what + ")");
    }
    return given;
}

// The script of a --ghost-play run, read and checked against the data here, so that a
// broken or foreign script stops the game before the menu; null without the option.
std::unique_ptr<const InputScript> ghostScript(const std::string& path) {
    if (path.empty()) {
        return nullptr;
    }
    auto script = std::make_unique<const InputScript>(InputScript::parseFile(path));
    Ghost::checkScript(*script, path);
    return script;
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
        if (commandLine.has("--ghost") && commandLine.has("--ghost-play")) {
            throw CommandLineError("--ghost and --ghost-play cannot be used together");
        }
        const int quitAfter = parseFrameCount(commandLine, "--quit-after");
        if (commandLine.has("--play") &&
            (commandLine.has("--level") || commandLine.has("--character"))) {
            throw CommandLineError(
                "--play starts in the level and character of its script; "
                "--level and --character cannot be added");
        }
        // New recordings go to the folder the game was started in, as the paths given on
        // the command line already do, whatever the data folder is.
        Workbench::Options benchOptions;
        benchOptions.startFolder = std::filesystem::current_path();
        benchOptions.recordPath = commandLine.value("--record");
        benchOptions.playPath = commandLine.value("--play");
        benchOptions.fromSlot = parseFromSlot(commandLine);
        DataFolder::enter(commandLine.value("--data"));
        const std::string ghost = characterFile(commandLine, "--ghost", "the --ghost character");
        const std::string character =
            characterFile(commandLine, "--character", "the --character file");
        const std::string ghostPlayPath = commandLine.value("--ghost-play");
        std::unique_ptr<const InputScript> ghostPlay = ghostScript(ghostPlayPath);

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
            using Id = GameStateManager::InitMessageId;
            const std::string level =
                commandLine.value("--level", manager->getInitMessage(Id::kLevel));
            manager->setInitMessage(Id::kLevel, level.c_str());
            if (!character.empty()) {
                manager->setInitMessage(Id::kVoltbot, character.c_str());
            }
            manager->setNextState();
        }
        manager->setGhostCharacter(ghost);
        if (ghostPlay) {
            manager->setGhostScript(std::move(ghostPlay), ghostPlayPath);
        }
        // Savestates, rewind and reload sit between the loop and the manager; recording,
        // watching and the speed keys beside the loop.
        auto timeMachine = std::make_unique<TimeMachine>(*manager);
        TimeMachineKeys timeMachineKeys(*timeMachine, *engine);
        engine->setKeyHandler(&timeMachineKeys);
        auto workbench = std::make_unique<Workbench>(*manager, benchOptions);
        engine->setToolKeyListener(workbench.get());
        timeMachine->setObserver(workbench.get());
        workbench->setTimeMachine(timeMachine.get());

        FramePacer pacer([] { return SDL_GetTicks(); },
                         [](std::uint32_t milliseconds) { SDL_Delay(milliseconds); });
        pacer.start();
        const auto afterFrame = [&] {
            audio->setMuted(engine->isMuted());
            // Fast-forwarded frames would sound every effect of four updates at once, and
            // stepping back through time replays no sounds.
            sound.setQuiet(workbench->isFastForwarding() || timeMachine->isRewinding());
            sound.afterFrame(*manager, !engine->isPaused(),
                             engine->isPaused() || engine->isStepPending());
        };
        int status = 0;
        if (commandLine.has("--frame-rate")) {
            FrameReport report(stdout);
            const auto microseconds = [] {
                return SDL_GetPerformanceCounter() * 1000000 / SDL_GetPerformanceFrequency();
            };
            ReportingManager reporting(*timeMachine, report, microseconds,
                                       [] { return SDL_GetTicks(); });
            status = runMainLoop(*engine, reporting, pacer, *workbench, afterFrame);
        } else {
            status = runMainLoop(*engine, *timeMachine, pacer, *workbench, afterFrame);
        }

        // A recording in progress gets its last span; the states release their pictures
        // through the engine, so they go before it.
        engine->setToolKeyListener(nullptr);
        engine->setKeyHandler(nullptr);
        timeMachine->setObserver(nullptr);
        workbench.reset();
        timeMachine.reset();
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
