#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/controls.h"
#include "replaysession.h"
#include "states/inputscript.h"

// What the benchmarks share: the shipped levels, and a level brought past its ready
// phase and the teleport landing so that a frame shows (and moves) everything.
namespace benchlevel {

inline const char* const kLevels[] = {"Sablex", "Corvane"};
constexpr int kSettleFrames = 160;

inline std::unique_ptr<ReplaySession> settledSession(const std::string& level) {
    auto session = std::make_unique<ReplaySession>(level, "voltbot1");
    const Controls nothing;
    for (int i = 0; i < kSettleFrames; ++i) {
        session->advance(nothing);
    }
    return session;
}

// Back and forth with jumps and shots: every state handler and the collision steps run.
inline std::vector<Controls> busyInput() {
    std::istringstream text(
        "20 right\n1 right jump\n25 right\n1 shoot\n10 -\n20 left\n1 left jump\n25 left\n"
        "1 shoot\n10 -\n");
    const InputScript script = InputScript::parse(text, "busy");
    return script.toControls(script.frameCount());
}

}  // namespace benchlevel
