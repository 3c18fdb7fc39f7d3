// The tool's level pictures against the game's own drawing: the map-only picture of each
// shipped level is the level's size, and every present screen in it is, pixel for pixel,
// what the game shows when its view rests on that screen; a script's path runs through
// the trace's positions.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "engine/fixedpoint.h"
#include "engine/gameengine.h"
#include "engine/scopedvideo.h"
#include "replaysession.h"
#include "scratchdir.h"
#include "states/level.h"
#include "toolrun.h"
#include "tracewriter.h"
#include "world/camera.h"
#include "world/map.h"

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A PNG as 32-bit ARGB, so every pixel reads as one word.
Surface loadArgb(const std::string& path) {
    Surface loaded(IMG_Load(path.c_str()));
    if (!loaded) {
        return nullptr;
    }
    return Surface(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
}

std::uint32_t at(const SDL_Surface& surface, int x, int y) {
    return static_cast<const std::uint32_t*>(
        surface.pixels)[static_cast<std::size_t>(y) * (surface.pitch / 4) + x];
}

}  // namespace

TEST(LevelPicture, MapOnlyPictureIsTheLevelAsTheGameDrawsEachScreen) {
    for (const char* levelName : {"Sablex", "Corvane"}) {
        SCOPED_TRACE(levelName);
        ScratchDir scratch;
        const std::string out = (scratch.path() / "level.png").string();
        const ToolResult made = runTool(
            scratch, std::string("--level ") + levelName + " --level-picture '" + out + "'");
        ASSERT_EQ(made.status, 0) << made.err;
        EXPECT_EQ(made.out, "");
        const Surface picture = loadArgb(out);
        ASSERT_TRUE(picture) << IMG_GetError();

        InShippedData inData;
        GameEngine engine(1);
        const ScopedVideo installed(&engine);
        {
            ReplaySession session(levelName, "voltbot1");
            Level& level = session.level();
            Map& map = *level.getMap();
            const int across = map.getScreensPerRow();
            const int down = map.getScreenCount() / across;
            EXPECT_EQ(picture->w, 256 * across);
            EXPECT_EQ(picture->h, 240 * down);
            ASSERT_EQ(level.getPhase(), Level::kReady);
            ASSERT_FALSE(level.isReadyVisible()) << "frame 0 draws the map and nothing else";

            Surface window(
                SDL_CreateRGBSurfaceWithFormat(0, 256, 240, 32, SDL_PIXELFORMAT_ARGB8888));
            int present = 0;
            for (int n = 0; n < map.getScreenCount(); ++n) {
                const int left = n % across * 256;
                const int top = n / across * 240;
                int mismatches = 0;
                if (map.hasScreen(n)) {
                    ++present;
                    // The level's own draw with its view resting on the screen, as in a
                    // frame of the ready phase: black where the tiles leave a pixel unpainted.
                    Rect* view = level.getCamera().getAngleOfView();
                    view->x = left;
                    view->y = top;
                    engine.clearScreen();
                    level.draw();
                    ASSERT_EQ(
                        SDL_RenderReadPixels(engine.renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888,
                                             window->pixels, window->pitch),
                        0);
                }
                for (int y = 0; y < 240; ++y) {
                    for (int x = 0; x < 256; ++x) {
                        const std::uint32_t shown = at(*picture, left + x, top + y);
                        std::uint32_t expected = 0;
                        if (map.hasScreen(n)) {
                            const std::uint32_t game = at(*window, x, y) & 0xFFFFFFu;
                            // A see-through pixel is transparent in the picture, black in the game.
                            expected = game == 0 && (shown >> 24) == 0 ? 0 : game | 0xFF000000u;
                        }
                        mismatches += shown != expected;
                    }
                }
                EXPECT_EQ(mismatches, 0) << "screen " << n;
            }
            EXPECT_GT(present, 3);
        }
    }
}

TEST(LevelPicture, StartScreenEqualsTheToolsFrameZeroPicture) {
    ScratchDir scratch;
    const std::string png = (scratch.path() / "level.png").string();
    const std::string bmp = (scratch.path() / "frame0.bmp").string();
    ASSERT_EQ(runTool(scratch, "--level Corvane --level-picture '" + png + "'").status, 0);
    ASSERT_EQ(runTool(scratch, "--level Corvane --frame 0 --picture '" + bmp + "'").status, 0);
    const Surface picture = loadArgb(png);
    const Surface loaded(SDL_LoadBMP(bmp.c_str()));
    ASSERT_TRUE(loaded) << SDL_GetError();
    const Surface frame(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    ASSERT_TRUE(picture && frame);
    // Corvane starts in its second screen column (its first boundary begins at x 256).
    int mismatches = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 256; ++x) {
            mismatches += (at(*picture, 256 + x, y) | 0xFF000000u) != at(*frame, x, y);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(LevelPicture, PathRunsThroughTheTracePositions) {
    ScratchDir scratch;
    const std::string script =
        (sourceDir() / "tests/replay/scripts/sablex-voltbot1-route.txt").string();
    const std::string png = (scratch.path() / "path.png").string();
    const ToolResult drawn =
        runTool(scratch, "--script '" + script + "' --level-picture '" + png + "'");
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    const ToolResult trace = runTool(scratch, "--script '" + script + "'");
    const Surface picture = loadArgb(png);
    ASSERT_TRUE(picture);

    std::istringstream rows(trace.out);
    std::string line;
    std::getline(rows, line);
    int checked = 0;
    int off = 0;
    while (std::getline(rows, line)) {
        TraceRow row;
        ASSERT_TRUE(tracewriter::parse(line, row)) << line;
        const int x = fixedpoint::pixel(row.x);
        const int y = fixedpoint::pixel(row.y);
        // The legend covers the top-left corner; the teleport starts above the map.
        if (y < 0 || (x < 220 && y < 80)) {
            continue;
        }
        ++checked;
        // The first run's colour, opaque.
        off += at(*picture, x, y) != 0xFFFFD600u;
    }
    EXPECT_GT(checked, 1000);
    EXPECT_EQ(off, 0);
}
