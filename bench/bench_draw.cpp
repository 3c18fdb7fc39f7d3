// One frame's drawing: the real Level::draw plus present, against a bare SDL loop making
// the same screen copies (same count, sizes and places) from one texture, then present.
// The two run in alternation on the same renderer, one frame each per iteration, so that
// both see the same machine load; the figures are the medians of the per-frame times.
// Arguments: pixel multiplier, level index. Run from the data directory.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "barecopies.h"
#include "benchlevel.h"
#include "countingvideo.h"
#include "engine/servicelocator.h"
#include "states/level.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void levelVersusBare(benchmark::State& state) {
    const int multiplier = static_cast<int>(state.range(0));
    const int levelIndex = static_cast<int>(state.range(1));
    GameEngine engine(multiplier);
    ServiceLocator::provideVideoService(&engine);
    std::vector<double> levelTimes;
    std::vector<double> bareTimes;
    {
        std::unique_ptr<ReplaySession> session =
            benchlevel::settledSession(benchlevel::kLevels[levelIndex]);
        Level& level = session->level();

        CountingVideo counting(engine);
        ServiceLocator::provideVideoService(&counting);
        level.draw();
        ServiceLocator::provideVideoService(&engine);
        engine.flipScreen();
        BareCopies bare(engine.renderer(), counting.screenCopies(), 16 * multiplier);
        state.counters["copies"] = static_cast<double>(bare.copyCount());
        state.counters["imageCopies"] = counting.imageCopies();

        for (auto _ : state) {
            const Clock::time_point start = Clock::now();
            level.draw();
            engine.flipScreen();
            const Clock::time_point middle = Clock::now();
            bare.drawFrame();
            const Clock::time_point end = Clock::now();
            levelTimes.push_back(std::chrono::duration<double, std::micro>(middle - start).count());
            bareTimes.push_back(std::chrono::duration<double, std::micro>(end - middle).count());
        }
    }
    ServiceLocator::provideVideoService(nullptr);
    const double levelUs = median(levelTimes);
    const double bareUs = median(bareTimes);
    state.counters["levelUs"] = levelUs;
    state.counters["bareUs"] = bareUs;
    state.counters["ratio"] = bareUs > 0.0 ? levelUs / bareUs : 0.0;
    state.SetLabel(benchlevel::kLevels[levelIndex]);
}

}  // namespace

BENCHMARK(levelVersusBare)
    ->ArgsProduct({{1, 3}, {0, 1}})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(1.0);
