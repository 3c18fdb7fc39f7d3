#include <SDL.h>

#include <filesystem>
#include <iostream>
#include <memory>

#include "config/loaderror.h"
#include "engine/commandline.h"
#include "engine/framepacer.h"
#include "engine/gameengine.h"
#include "engine/mainloop.h"
#include "engine/servicelocator.h"
#include "states/gamestatemanager.h"
#include "states/workbench.h"

// SDL renames this to SDL_main where its own start-up code must run first.
int main(int argc, char* argv[]) {
    try {
        const CommandLine commandLine(argc, argv);
        if (commandLine.has("--help")) {
            std::cout << CommandLine::usage();
            return 0;
        }

        // Paths on the command line and new recordings belong to the folder the game was
        // started in, whatever the working folder becomes later.
        Workbench::Options benchOptions;
        benchOptions.startFolder = std::filesystem::current_path();
        if (commandLine.has("--record")) {
            benchOptions.recordPath =
                std::filesystem::absolute(commandLine.value("--record")).lexically_normal();
        }
        if (commandLine.has("--play")) {
            benchOptions.playPath =
                std::filesystem::absolute(commandLine.value("--play")).lexically_normal();
        }

        auto engine = std::make_unique<GameEngine>();
        // The first game state loads its pictures in the manager's constructor.
        ServiceLocator::provideVideoService(engine.get());
        auto manager = std::make_unique<GameStateManager>();
        auto workbench = std::make_unique<Workbench>(*manager, benchOptions);
        engine->setToolKeyListener(workbench.get());

        FramePacer pacer([] { return SDL_GetTicks(); },
                         [](std::uint32_t milliseconds) { SDL_Delay(milliseconds); });
        pacer.start();
        const int status = runMainLoop(*engine, *manager, pacer, *workbench);

        // A recording in progress gets its last span; the states release their pictures
        // through the engine, so they go before it.
        engine->setToolKeyListener(nullptr);
        workbench.reset();
        manager.reset();
        ServiceLocator::provideVideoService(nullptr);
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
