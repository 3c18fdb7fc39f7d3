// The game's start-up up to its first presented frame, then exit: the engine (reading
// settings.ini, opening the window), the state manager with the stage select, and one
// frame of the main loop. Run from the data directory.
#include <memory>

#include "engine/gameengine.h"
#include "engine/scopedvideo.h"
#include "states/gamestatemanager.h"

int main() {
    auto engine = std::make_unique<GameEngine>();
    const ScopedVideo installed(engine.get());
    auto manager = std::make_unique<GameStateManager>();
    engine->handleEvents();
    manager->update(engine->getControls());
    manager->draw();
    const int status = engine->flipScreen() == -1 ? 1 : 0;
    manager.reset();
    return status;
}
