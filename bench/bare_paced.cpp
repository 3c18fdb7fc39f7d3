// The bare companion of kestrelix-bench-paced: the same window and renderer, the same
// SDL_RenderCopy calls in every frame (count, sizes and places of each of the 601 frames,
// taken beforehand from a headless run of the same level on the same input) made from one
// texture, the same pacing by the real FramePacer, and the same notes and figures. What
// differs from the game is only the game's own work: events into controls, updates and
// the drawing code. Run from the data directory; an argument names a CSV file for every
// frame's notes.
#include <SDL.h>

#include <iostream>
#include <memory>
#include <vector>

#include "barecopies.h"
#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "countingvideo.h"
#include "engine/framepacer.h"
#include "engine/servicelocator.h"
#include "pacedframes.h"
#include "states/gamestatemanager.h"

namespace {

constexpr int kScreenWidth = 256;
constexpr int kScreenHeight = 240;
constexpr int kTileSide = 16;

// The game's frames 0 to 600 as the main loop runs them with no key pressed: the switch
// frame (the level is created and drawn without an update), then update and draw.
std::vector<CountingVideo::Frame> levelFrames(int multiplier) {
    CountingVideo video(multiplier);
    ScopedVideo scoped(&video);
    GameStateManager manager;
    manager.setInitMessage(GameStateManager::InitMessageId::kLevel, "Sablex");
    manager.setInitMessage(GameStateManager::InitMessageId::kVoltbot, "voltbot1");
    manager.setNextState();
    video.beginFrame();
    manager.update(Controls{});
    manager.draw();
    for (int frame = 1; frame <= pacedframes::kMeasuredFrames; ++frame) {
        video.beginFrame();
        manager.update(Controls{});
        manager.draw();
    }
    return video.frames();
}

}  // namespace

int main(int argc, char* argv[]) {
    int multiplier = 1;
    std::vector<CountingVideo::Frame> frames;
    try {
        const IniDictionary settings("settings.ini");
        multiplier = settings.getIntValue("pixelMultiplier", "Video", 1);
        frames = levelFrames(multiplier);
    } catch (const LoadError& error) {
        std::cerr << "bare-paced: " << error.what() << '\n';
        return 1;
    }
    // One texture for every frame: sized by all the copies of the run.
    std::vector<SDL_Rect> allCopies;
    for (const CountingVideo::Frame& frame : frames) {
        allCopies.insert(allCopies.end(), frame.copies.begin(), frame.copies.end());
    }

    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) != 0) {
        std::cerr << "bare-paced: " << SDL_GetError() << '\n';
        return 1;
    }
    SDL_Window* window =
        SDL_CreateWindow("Kestrelix", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                         kScreenWidth * multiplier, kScreenHeight * multiplier, SDL_WINDOW_SHOWN);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_TARGETTEXTURE);
    if (window == nullptr || renderer == nullptr) {
        std::cerr << "bare-paced: " << SDL_GetError() << '\n';
        return 1;
    }
    bool complete = false;
    {
        BareCopies bare(renderer, allCopies, kTileSide * multiplier);
        FramePacer pacer([] { return SDL_GetTicks(); },
                         [](std::uint32_t milliseconds) { SDL_Delay(milliseconds); });
        pacedframes::FrameLog log(pacer);
        pacer.start();
        for (const CountingVideo::Frame& frame : frames) {
            SDL_Event event;
            while (SDL_PollEvent(&event) != 0) {
            }
            log.frameStarted();
            if (frame.cleared) {
                SDL_SetRenderDrawColor(renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
                SDL_RenderClear(renderer);
            }
            bare.drawFrame(frame.copies);
            pacer.waitForNextFrame();
        }
        log.finished();
        complete = log.report("bare-paced");
        if (argc > 1 && !log.writeFrames(argv[1])) {
            std::cerr << "bare-paced: cannot write " << argv[1] << '\n';
            complete = false;
        }
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return complete ? 0 : 1;
}
