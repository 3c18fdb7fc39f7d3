// Sweep throughput: one run of a sweep (the level loaded, 600 frames of input played
// headless, events counted, nothing drawn or written) against the bare cost of the same
// 600 updates on a level that is already loaded. Both report updates per second.
#include <benchmark/benchmark.h>

#include <sstream>

#include "benchlevel.h"
#include "engine/nullvideo.h"
#include "states/level.h"
#include "sweeprun.h"

namespace {

constexpr int kFrames = 600;

InputScript sweepScript() {
    // The ready phase, a run with a full jump, a tapped jump, back the other way.
    std::istringstream text(
        "130 -\n30 right\n1 right jump\n25 right jump\n40 right\n1 jump\n"
        "373 left\n");
    return InputScript::parse(text, "sweep");
}

void BM_SweepRun(benchmark::State& state) {
    const std::string level = benchlevel::kLevels[state.range(0)];
    const InputScript script = sweepScript();
    NullVideo video;
    ScopedVideo installed(&video);
    for (auto _ : state) {
        benchmark::DoNotOptimize(measureRun(level, "voltbot1", script, kFrames));
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.SetLabel(level);
}

void BM_BareUpdates(benchmark::State& state) {
    const std::string level = benchlevel::kLevels[state.range(0)];
    const std::vector<Controls> input = sweepScript().toControls(kFrames);
    NullVideo video;
    ScopedVideo installed(&video);
    std::unique_ptr<ReplaySession> session = benchlevel::settledSession(level);
    for (auto _ : state) {
        for (const Controls& controls : input) {
            session->level().update(controls);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.SetLabel(level);
}

}  // namespace

BENCHMARK(BM_SweepRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareUpdates)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
