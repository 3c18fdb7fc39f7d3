// A plain program for instruction counts under callgrind: brings a level past its ready
// phase, then runs N level updates (headless, no drawing) or N draws with present
// (the real engine, software renderer). Counting N and 2N frames and taking the
// difference leaves exactly N frames' work, without start-up and loading. "bare" repeats
// one level frame's screen copies from a single texture on the same renderer instead.
// "record" is "update" with a recording running: the recorder observes every update's
// input and writes a span line to a scratch file whenever the input changes.
//   kestrelix-bench-frames update|record|draw|bare N [level] [multiplier]
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "barecopies.h"
#include "benchlevel.h"
#include "common/headlessvideo.h"
#include "countingvideo.h"
#include "engine/gameengine.h"
#include "engine/servicelocator.h"
#include "states/level.h"
#include "states/recorder.h"

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::cerr << "usage: kestrelix-bench-frames update|draw|bare N [level] [multiplier]\n";
        return 2;
    }
    const std::string mode = argv[1];
    const int frames = std::atoi(argv[2]);
    const std::string level = argc > 3 ? argv[3] : "Sablex";
    const int multiplier = argc > 4 ? std::atoi(argv[4]) : 1;

    if (mode == "update" || mode == "record") {
        HeadlessVideo video;
        ServiceLocator::provideVideoService(&video);
        const std::filesystem::path scratch =
            std::filesystem::temp_directory_path() / "kestrelix-bench-record.txt";
        {
            std::unique_ptr<ReplaySession> session = benchlevel::settledSession(level);
            const std::vector<Controls> input = benchlevel::busyInput();
            Recorder recorder;
            if (mode == "record" &&
                !recorder.start(scratch.string(), level, "voltbot1", "0000000000000000", {})) {
                return 1;
            }
            for (int i = 0; i < frames; ++i) {
                const Controls& controls = input[static_cast<std::size_t>(i) % input.size()];
                session->level().update(controls);
                recorder.record(controls);
            }
            recorder.stop();
            std::error_code ignored;
            std::filesystem::remove(recorder.path(), ignored);
        }
        ServiceLocator::provideVideoService(nullptr);
        return 0;
    }
    if (mode == "draw") {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        GameEngine engine(multiplier);
        ServiceLocator::provideVideoService(&engine);
        {
            std::unique_ptr<ReplaySession> session = benchlevel::settledSession(level);
            for (int i = 0; i < frames; ++i) {
                session->level().draw();
                engine.flipScreen();
            }
        }
        ServiceLocator::provideVideoService(nullptr);
        return 0;
    }
    if (mode == "bare") {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        GameEngine engine(multiplier);
        std::vector<SDL_Rect> copies;
        {
            ServiceLocator::provideVideoService(&engine);
            std::unique_ptr<ReplaySession> session = benchlevel::settledSession(level);
            CountingVideo counting(engine);
            ServiceLocator::provideVideoService(&counting);
            session->level().draw();
            copies = counting.screenCopies();
            ServiceLocator::provideVideoService(&engine);
            engine.flipScreen();
        }
        ServiceLocator::provideVideoService(nullptr);
        BareCopies bare(engine.renderer(), copies, 16 * multiplier);
        for (int i = 0; i < frames; ++i) {
            bare.drawFrame();
        }
        return 0;
    }
    std::cerr << "kestrelix-bench-frames: unknown mode '" << mode << "'\n";
    return 2;
}
