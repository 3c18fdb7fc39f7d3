// The switch frame: the stage select goes, the level loads every file it needs and is
// drawn and presented once. The engine runs at the multiplier of settings.ini, as the
// game does. Argument: level index. Run from the data directory.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <memory>

#include "benchlevel.h"
#include "engine/gameengine.h"
#include "engine/scopedvideo.h"
#include "states/gamestatemanager.h"

namespace {

void loadLevel(benchmark::State& state) {
    const char* level = benchlevel::kLevels[state.range(0)];
    GameEngine engine;
    const ScopedVideo installed(&engine);
    for (auto _ : state) {
        state.PauseTiming();
        auto manager = std::make_unique<GameStateManager>();
        manager->setInitMessage(GameStateManager::InitMessageId::kLevel, level);
        manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, "voltbot1");
        manager->setNextState();
        state.ResumeTiming();

        manager->update(Controls{});
        manager->draw();
        engine.flipScreen();

        state.PauseTiming();
        manager.reset();
        state.ResumeTiming();
    }
    state.SetLabel(level);
}

}  // namespace

BENCHMARK(loadLevel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
