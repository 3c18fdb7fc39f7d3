#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmpwriter.h"
#include "engine/gameengine.h"
#include "engineharness.h"
#include "scratchdir.h"

// The window at other sizes than its starting one: every game pixel is a k x k block for
// the largest whole k that fits, the picture centred on black.

namespace {

constexpr int kSide = 16;
constexpr std::uint32_t kBlack = opaque(0, 0, 0);

// Every logical pixel of the image has its own colour, so any pixel sampled from the
// wrong place shows.
Rgb colourAt(int x, int y) {
    return Rgb{static_cast<std::uint8_t>(x * 16), static_cast<std::uint8_t>(y * 16), 200};
}

// Draws the image in two corners of the picture and presents it.
void drawCorners(GameEngine& engine, Bitmap& image) {
    engine.clearScreen();
    engine.copyToScreen(image, 0, 0, nullptr);
    engine.copyToScreen(image, 256 - kSide, 240 - kSide, nullptr);
    engine.flipScreen();
}

// The window's pixels as last presented, whatever the engine draws into.
std::vector<std::uint32_t> readWindow(GameEngine& engine, int width, int height) {
    SDL_Renderer* renderer = engine.renderer();
    SDL_Texture* target = SDL_GetRenderTarget(renderer);
    SDL_SetRenderTarget(renderer, nullptr);
    std::vector<std::uint32_t> pixels = readPixels(renderer, SDL_Rect{0, 0, width, height});
    SDL_SetRenderTarget(renderer, target);
    return pixels;
}

void resize(GameEngine& engine, int width, int height) {
    SDL_SetWindowSize(SDL_RenderGetWindow(engine.renderer()), width, height);
    engine.handleEvents();
}

}  // namespace

TEST(WindowScaling, EveryGamePixelBecomesAWholeBlockCentredOnBlack) {
    const struct {
        int multiplier;
        int width;
        int height;
        int scale;
    } cases[] = {
        {1, 700, 500, 2},   // room for 2 both ways, 188 x 20 pixels of border
        {2, 1000, 700, 2},  // the height limits: 3 x 240 > 700
        {3, 1000, 700, 2},  // smaller than the starting size: blocks shrink
        {1, 1024, 768, 3},  // exactly 3 high
        {2, 300, 250, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.multiplier) + ": " + std::to_string(c.width) + " x " +
                     std::to_string(c.height));
        ScratchDir scratch;
        auto engine = openEngine(scratch, c.multiplier);
        std::vector<Rgb> pixels;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                pixels.push_back(colourAt(x, y));
            }
        }
        scratch.write("image.bmp", bmp24(kSide, kSide, pixels));
        Bitmap image;
        engine->loadBitmap(image, "image.bmp");

        resize(*engine, c.width, c.height);
        ASSERT_EQ(engine->getScale(), c.scale);
        const SDL_Point origin = engine->getPictureOrigin();
        EXPECT_EQ(origin.x, (c.width - 256 * c.scale) / 2);
        EXPECT_EQ(origin.y, (c.height - 240 * c.scale) / 2);
        drawCorners(*engine, image);

        const std::vector<std::uint32_t> window = readWindow(*engine, c.width, c.height);
        const auto at = [&](int x, int y) {
            return window[static_cast<std::size_t>(y * c.width + x)];
        };
        int wrong = 0;
        for (int corner = 0; corner < 2; ++corner) {
            const int left = origin.x + (corner == 0 ? 0 : (256 - kSide) * c.scale);
            const int top = origin.y + (corner == 0 ? 0 : (240 - kSide) * c.scale);
            for (int y = 0; y < kSide * c.scale; ++y) {
                for (int x = 0; x < kSide * c.scale; ++x) {
                    const Rgb expected = colourAt(x / c.scale, y / c.scale);
                    wrong += at(left + x, top + y) != opaque(expected.r, expected.g, expected.b);
                }
            }
        }
        EXPECT_EQ(wrong, 0);
        // The border around the picture and the picture's own cleared middle are black.
        EXPECT_EQ(at(origin.x - 1, origin.y), kBlack);
        EXPECT_EQ(at(origin.x, origin.y - 1), kBlack);
        EXPECT_EQ(at(origin.x + 256 * c.scale, origin.y + 240 * c.scale - 1), kBlack);
        EXPECT_EQ(at(origin.x + 128 * c.scale, origin.y + 120 * c.scale), kBlack);
        engine->unloadBitmap(image);
    }
}

// Back at the starting size, drawing goes straight to the window again, pixel for pixel
// as before any resizing; bitmaps drawn into while scaled are unaffected.
TEST(WindowScaling, StartingSizeDrawsStraightToTheWindowAgain) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 2);
    scratch.write("image.bmp", bmp24(1, 1, {colourAt(3, 5)}));
    Bitmap image;
    engine->loadBitmap(image, "image.bmp");
    Bitmap canvas;
    engine->createBitmap(canvas, 4, 4);

    resize(*engine, 900, 900);
    EXPECT_EQ(engine->getScale(), 3);
    engine->copyToBitmap(image, canvas, 1, 1, nullptr);
    // From one scaled size to another: the window's size counts, not the frame texture's.
    resize(*engine, 1000, 700);
    EXPECT_EQ(engine->getScale(), 2);
    EXPECT_EQ(engine->getPictureOrigin().x, 244);
    resize(*engine, 512, 480);
    EXPECT_EQ(engine->getScale(), 2);
    EXPECT_EQ(engine->getPictureOrigin().x, 0);

    engine->clearScreen();
    engine->copyToScreen(canvas, 10, 20, nullptr);
    EXPECT_EQ(SDL_GetRenderTarget(engine->renderer()), nullptr);
    const Rgb expected = colourAt(3, 5);
    EXPECT_EQ(readPixel(engine->renderer(), 22, 42), opaque(expected.r, expected.g, expected.b));
    EXPECT_EQ(readPixel(engine->renderer(), 21, 41), kBlack);
    engine->flipScreen();
    engine->unloadBitmap(canvas);
    engine->unloadBitmap(image);
}

TEST(WindowScaling, F11AndAltEnterToggleFullscreenWithoutPausing) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 1);
    const auto pushKey = [](SDL_Keycode key, Uint16 mod) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = key;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    };
    pushKey(SDLK_F11, KMOD_NONE);
    engine->handleEvents();
    EXPECT_TRUE(engine->isFullscreen());
    // The dummy display is 1024 x 768: 3 x 240 fits, 4 x 256 too, so 3.
    EXPECT_EQ(engine->getScale(), 3);
    pushKey(SDLK_RETURN, KMOD_LALT);
    engine->handleEvents();
    EXPECT_FALSE(engine->isFullscreen());
    // (The dummy driver keeps the display's size after fullscreen; a real one restores the
    // window's.)
    EXPECT_FALSE(engine->isPaused());
    pushKey(SDLK_RETURN, KMOD_NONE);
    engine->handleEvents();
    EXPECT_TRUE(engine->isPaused());
}
