// A plain program for instruction counts under callgrind: brings a level past its ready
// phase, then runs N level updates (headless, no drawing) or N draws with present
// (the real engine, software renderer). Counting N and 2N frames and taking the
// difference leaves exactly N frames' work, without start-up and loading. "bare" repeats
// one level frame's screen copies from a single texture on the same renderer instead.
// "record" is "update" with a recording running: the recorder observes every update's
// input and writes a span line to a scratch file whenever the input changes.
// "sound" runs the updates with the sound observer after each and SDL_mixer open on the
// dummy audio driver (effects and the level's tune play); it prints on stderr how many
// samples the mixing thread made, since that thread runs on the clock, not per frame.
// "mix" and "mix-effects" measure that thread alone: N seconds of the level's tune on the
// dummy driver, without or with an effect started every 100 ms.
//   kestrelix-bench-frames update|record|sound|mix|mix-effects|draw|bare N [level] [mult.]
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "barecopies.h"
#include "benchlevel.h"
#include "countingvideo.h"
#include "engine/gameengine.h"
#include "engine/mixeraudio.h"
#include "engine/nullvideo.h"
#include "states/level.h"
#include "states/recorder.h"
#include "states/soundobserver.h"

#include <SDL_mixer.h>

namespace {

// Runs the work with SDL_mixer open on the dummy audio driver and prints how many samples
// its thread mixed meanwhile.
int withMixer(const std::function<void(MixerAudio&)>& work) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    long long mixedBytes = 0;
    {
        MixerAudio audio(false);
        if (!audio.isOpen()) {
            std::cerr << "kestrelix-bench-frames: the dummy audio driver did not open\n";
            return 1;
        }
        Mix_SetPostMix(
            [](void* counter, Uint8*, int length) { *static_cast<long long*>(counter) += length; },
            &mixedBytes);
        work(audio);
        Mix_SetPostMix(nullptr, nullptr);
    }
    std::cerr << "mixed samples: " << mixedBytes / 2 << "\n";  // 16-bit mono
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::cerr
            << "usage: kestrelix-bench-frames update|sound|draw|bare N [level] [multiplier]\n";
        return 2;
    }
    const std::string mode = argv[1];
    const int frames = std::atoi(argv[2]);
    const std::string level = argc > 3 ? argv[3] : "Sablex";
    const int multiplier = argc > 4 ? std::atoi(argv[4]) : 1;

    if (mode == "update" || mode == "record") {
        NullVideo video;
        const ScopedVideo provided(&video);
        const std::filesystem::path scratch =
            std::filesystem::temp_directory_path() / "kestrelix-bench-record.txt";
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
        return 0;
    }
    if (mode == "sound") {
        NullVideo video;
        const ScopedVideo provided(&video);
        return withMixer([&level, frames](MixerAudio& audio) {
            std::unique_ptr<ReplaySession> session = benchlevel::settledSession(level);
            SoundObserver observer(audio);
            const std::vector<Controls> input = benchlevel::busyInput();
            for (int i = 0; i < frames; ++i) {
                session->level().update(input[static_cast<std::size_t>(i) % input.size()]);
                observer.afterFrame(session->manager(), true, false);
            }
        });
    }
    if (mode == "mix" || mode == "mix-effects") {
        return withMixer([&level, &mode, frames](MixerAudio& audio) {
            audio.playMusic(level == "Corvane" ? "corvane.wav" : "sablex.wav");
            for (int tenth = 0; tenth < frames * 10; ++tenth) {
                if (mode == "mix-effects") {
                    audio.playEffect(tenth % 2 == 0 ? SoundEffect::kJump : SoundEffect::kShoot);
                }
                SDL_Delay(100);
            }
        });
    }
    if (mode == "draw") {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        GameEngine engine(multiplier);
        const ScopedVideo provided(&engine);
        std::unique_ptr<ReplaySession> session = benchlevel::settledSession(level);
        for (int i = 0; i < frames; ++i) {
            session->level().draw();
            engine.flipScreen();
        }
        return 0;
    }
    if (mode == "bare") {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        GameEngine engine(multiplier);
        std::vector<SDL_Rect> copies;
        {
            const ScopedVideo provided(&engine);
            std::unique_ptr<ReplaySession> session = benchlevel::settledSession(level);
            copies = countedDraw(session->level(), multiplier).copies;
        }
        BareCopies bare(engine.renderer(), copies, 16 * multiplier);
        for (int i = 0; i < frames; ++i) {
            bare.drawFrame();
        }
        return 0;
    }
    std::cerr << "kestrelix-bench-frames: unknown mode '" << mode << "'\n";
    return 2;
}
