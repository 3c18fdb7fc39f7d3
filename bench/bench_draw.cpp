// One frame's drawing: the real Level::draw plus present, against a bare SDL loop making
// the same screen copies (same count, sizes and places) from one texture, then present.
// The two run in alternation on the same renderer, one frame each per iteration, so that
// both see the same machine load; the figures are the medians of the per-frame times.
// Arguments: pixel multiplier, level index, window: 0 the starting size, 1 a 1000 x 700
// window (the picture scaled by the largest whole factor, 2, and centred; the bare loop
// makes its copies straight into that window). Run from the data directory.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "barecopies.h"
#include "benchlevel.h"
#include "countingvideo.h"
#include "engine/gameengine.h"
#include "engine/servicelocator.h"
#include "states/level.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kScaledWidth = 1000;
constexpr int kScaledHeight = 700;

double median(std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void levelVersusBare(benchmark::State& state) {
    const int multiplier = static_cast<int>(state.range(0));
    const int levelIndex = static_cast<int>(state.range(1));
    const bool scaled = state.range(2) != 0;
    GameEngine engine(multiplier);
    if (scaled) {
        SDL_SetWindowSize(SDL_RenderGetWindow(engine.renderer()), kScaledWidth, kScaledHeight);
        engine.handleEvents();
    }
    ServiceLocator::provideVideoService(&engine);
    std::vector<double> levelTimes;
    std::vector<double> bareTimes;
    {
        std::unique_ptr<ReplaySession> session =
            benchlevel::settledSession(benchlevel::kLevels[levelIndex]);
        Level& level = session->level();

        const CountingVideo::Frame counted = countedDraw(level, multiplier);
        BareCopies bare(engine.renderer(), counted.copies, 16 * multiplier);
        state.counters["copies"] = static_cast<double>(bare.copyCount());
        state.counters["imageCopies"] = counted.imageCopies;

        for (auto _ : state) {
            const Clock::time_point start = Clock::now();
            level.draw();
            engine.flipScreen();
            const Clock::time_point middle = Clock::now();
            // Scaled, the engine draws into its frame texture; the bare loop draws into the
            // window as a program without scaling would.
            SDL_Texture* target = SDL_GetRenderTarget(engine.renderer());
            SDL_SetRenderTarget(engine.renderer(), nullptr);
            bare.drawFrame();
            SDL_SetRenderTarget(engine.renderer(), target);
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
    state.SetLabel(std::string(benchlevel::kLevels[levelIndex]) + (scaled ? " scaled" : ""));
}

}  // namespace

BENCHMARK(levelVersusBare)
    ->ArgsProduct({{1, 3}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(1.0);
