#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bmpwriter.h"
#include "config/loaderror.h"
#include "engine/bmpfile.h"
#include "engine/gameengine.h"
#include "engineharness.h"
#include "scratchdir.h"

namespace {

// Logical pixel (x, y) of the gradient images has its own colour, so any misplaced or
// stretched pixel shows.
Rgb gradient(int x, int y) {
    return Rgb{static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 16), 77};
}

std::string gradientBmp(int width, int height) {
    std::vector<Rgb> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(gradient(x, y));
        }
    }
    return bmp24(width, height, pixels);
}

std::uint32_t onScreen(Rgb colour) {
    return opaque(colour.r, colour.g, colour.b);
}

constexpr Rgb kKey{255, 128, 255};
constexpr Rgb kAlmostKey{255, 128, 254};
constexpr std::uint32_t kBlack = opaque(0, 0, 0);

// Expects loading the file to be refused with a message that names it.
void expectRefused(GameEngine& engine, const char* path, const std::string& problemPart) {
    Bitmap bitmap;
    try {
        engine.loadBitmap(bitmap, path);
        ADD_FAILURE() << path << " was loaded";
        engine.unloadBitmap(bitmap);
    } catch (const LoadError& error) {
        EXPECT_EQ(error.file(), path);
        EXPECT_FALSE(error.problem().empty());
        EXPECT_NE(error.problem().find(problemPart), std::string::npos) << error.problem();
    }
}

}  // namespace

TEST(Enlarging, ImagesAndWindowGrowByTheMultiplier) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 3);
    scratch.write("tile.bmp", gradientBmp(16, 16));

    Bitmap tile;
    engine->loadBitmap(tile, "tile.bmp");
    EXPECT_EQ(tile.width, 48);
    EXPECT_EQ(tile.height, 48);
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(engine->renderer(), &width, &height);
    EXPECT_EQ(width, 768);
    EXPECT_EQ(height, 720);
    engine->unloadBitmap(tile);
}

TEST(Enlarging, SourceRectangleIsMultipliedAndNeverStretched) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 3);
    scratch.write("sheet.bmp", gradientBmp(32, 16));
    Bitmap sheet;
    engine->loadBitmap(sheet, "sheet.bmp");

    engine->clearScreen();
    Rect source{16, 0, 8, 8};
    engine->copyToScreen(sheet, 10, 20, &source);

    // Output pixels (48, 0, 24, 24) of the texture land at (30, 60, 24, 24) of the screen;
    // a one-pixel frame around them stays black.
    const std::vector<std::uint32_t> screen =
        readPixels(engine->renderer(), SDL_Rect{29, 59, 26, 26});
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 26; ++x) {
            const bool inside = x >= 1 && x <= 24 && y >= 1 && y <= 24;
            const std::uint32_t expected =
                inside ? onScreen(gradient(16 + (x - 1) / 3, (y - 1) / 3)) : kBlack;
            ASSERT_EQ(screen[static_cast<std::size_t>(y * 26 + x)], expected)
                << "screen pixel " << 29 + x << ", " << 59 + y;
        }
    }
    engine->unloadBitmap(sheet);
}

TEST(Enlarging, MultiplierOneDrawsTheImageAsItIs) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 1);
    scratch.write("small.bmp", gradientBmp(3, 2));
    Bitmap small;
    engine->loadBitmap(small, "small.bmp");
    EXPECT_EQ(small.width, 3);
    EXPECT_EQ(small.height, 2);

    engine->clearScreen();
    engine->copyToScreen(small, 5, 7, nullptr);
    const std::vector<std::uint32_t> screen = readPixels(engine->renderer(), SDL_Rect{5, 7, 4, 2});
    EXPECT_EQ(screen, (std::vector<std::uint32_t>{
                          onScreen(gradient(0, 0)), onScreen(gradient(1, 0)),
                          onScreen(gradient(2, 0)), kBlack, onScreen(gradient(0, 1)),
                          onScreen(gradient(1, 1)), onScreen(gradient(2, 1)), kBlack}));
    engine->unloadBitmap(small);
}

TEST(Enlarging, TopDownImageIsTheRightWayUp) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 2);
    scratch.write("down.bmp", bmp24(1, -2, {Rgb{10, 20, 30}, Rgb{40, 50, 60}}));
    Bitmap down;
    engine->loadBitmap(down, "down.bmp");
    EXPECT_EQ(down.height, 4);

    engine->copyToScreen(down, 0, 0, nullptr);
    EXPECT_EQ(readPixel(engine->renderer(), 1, 1), opaque(10, 20, 30));
    EXPECT_EQ(readPixel(engine->renderer(), 1, 2), opaque(40, 50, 60));
    engine->unloadBitmap(down);
}

TEST(ColourKey, OnlyTheExactKeyColourIsTransparent) {
    for (int multiplier : {1, 2}) {
        ScratchDir scratch;
        auto engine = openEngine(scratch, multiplier);
        scratch.write("key.bmp", bmp24(2, 1, {kKey, kAlmostKey}));
        Bitmap key;
        engine->loadBitmap(key, "key.bmp");

        engine->clearScreen();
        engine->copyToScreen(key, 0, 0, nullptr);
        const int m = multiplier;
        EXPECT_EQ(readPixel(engine->renderer(), 0, 0), kBlack) << "at multiplier " << m;
        EXPECT_EQ(readPixel(engine->renderer(), m, m - 1), onScreen(kAlmostKey))
            << "at multiplier " << m;
        engine->unloadBitmap(key);
    }
}

// What the level asks at load to decide where to clear; the engine and the headless
// tools (which read the file) must answer alike.
TEST(ColourKey, SeeThroughPixelsAreFoundWhereTheKeyIs) {
    for (int multiplier : {1, 3}) {
        ScratchDir scratch;
        auto engine = openEngine(scratch, multiplier);
        scratch.write("key.bmp", bmp24(3, 1, {kAlmostKey, kKey, kAlmostKey}));
        Bitmap key;
        engine->loadBitmap(key, "key.bmp");
        for (const Rect& area : {Rect{0, 0, 1, 1}, Rect{1, 0, 1, 1}, Rect{2, 0, 1, 1},
                                 Rect{0, 0, 3, 1}, Rect{2, 0, 5, 5}}) {
            const bool expected = area.x <= 1 && 1 < area.x + area.w;
            EXPECT_EQ(engine->hasSeeThroughPixels(key, area), expected)
                << "x " << area.x << " w " << area.w << " at multiplier " << multiplier;
            EXPECT_EQ(BmpFile("key.bmp", 1).hasSeeThroughPixels(area), expected)
                << "x " << area.x << " w " << area.w;
        }
        engine->unloadBitmap(key);
    }
}

TEST(ColourKey, IndexedImageKeepsItsColoursWhenEnlarged) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 2);
    const std::vector<Rgb> palette{Rgb{200, 10, 10}, kKey, Rgb{10, 200, 10}, kAlmostKey};
    scratch.write("indexed.bmp", bmp8(4, 1, palette, {0, 1, 2, 3}));
    Bitmap indexed;
    engine->loadBitmap(indexed, "indexed.bmp");
    EXPECT_EQ(indexed.width, 8);
    EXPECT_EQ(indexed.height, 2);

    engine->clearScreen();
    engine->copyToScreen(indexed, 0, 0, nullptr);
    const std::uint32_t red = onScreen(palette[0]);
    const std::uint32_t green = onScreen(palette[2]);
    const std::uint32_t almostKey = onScreen(kAlmostKey);
    const std::vector<std::uint32_t> row{red,   red,   kBlack,    kBlack,
                                         green, green, almostKey, almostKey};
    EXPECT_EQ(readPixels(engine->renderer(), SDL_Rect{0, 0, 8, 1}), row);
    EXPECT_EQ(readPixels(engine->renderer(), SDL_Rect{0, 1, 8, 1}), row);
    engine->unloadBitmap(indexed);
}

TEST(DrawableImage, NewImageIsFullyTransparent) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 2);
    Bitmap canvas;
    engine->createBitmap(canvas, 4, 3);
    EXPECT_EQ(canvas.width, 8);
    EXPECT_EQ(canvas.height, 6);

    SDL_SetRenderTarget(engine->renderer(), canvas.texture);
    EXPECT_EQ(readPixels(engine->renderer(), SDL_Rect{0, 0, 8, 6}),
              std::vector<std::uint32_t>(48, 0u));
    SDL_SetRenderTarget(engine->renderer(), nullptr);

    SDL_SetRenderDrawColor(engine->renderer(), 0, 0, 255, 255);
    SDL_RenderClear(engine->renderer());
    engine->copyToScreen(canvas, 1, 1, nullptr);
    EXPECT_EQ(readPixels(engine->renderer(), SDL_Rect{0, 0, 12, 10}),
              std::vector<std::uint32_t>(120, opaque(0, 0, 255)));
    engine->unloadBitmap(canvas);
}

TEST(DrawableImage, CopyToBitmapDrawsAtTheLogicalPositionInside) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 2);
    scratch.write("pair.bmp", bmp24(2, 1, {Rgb{250, 0, 0}, Rgb{0, 250, 0}}));
    Bitmap pair;
    Bitmap canvas;
    engine->loadBitmap(pair, "pair.bmp");
    engine->createBitmap(canvas, 4, 2);

    engine->copyToBitmap(pair, canvas, 1, 1, nullptr);
    // The screen is the render target again: this clear must not wipe the canvas.
    engine->clearScreen();
    engine->copyToScreen(canvas, 0, 0, nullptr);

    const std::uint32_t red = opaque(250, 0, 0);
    const std::uint32_t green = opaque(0, 250, 0);
    const std::vector<std::uint32_t> blankRow(8, kBlack);
    const std::vector<std::uint32_t> pairRow{kBlack, kBlack, red,    red,
                                             green,  green,  kBlack, kBlack};
    EXPECT_EQ(readPixels(engine->renderer(), SDL_Rect{0, 0, 8, 1}), blankRow);
    EXPECT_EQ(readPixels(engine->renderer(), SDL_Rect{0, 1, 8, 1}), blankRow);
    EXPECT_EQ(readPixels(engine->renderer(), SDL_Rect{0, 2, 8, 1}), pairRow);
    EXPECT_EQ(readPixels(engine->renderer(), SDL_Rect{0, 3, 8, 1}), pairRow);
    engine->unloadBitmap(canvas);
    engine->unloadBitmap(pair);
}

TEST(DrawableImage, RefusesSizesABitmapCannotHold) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 2);
    Bitmap canvas;
    EXPECT_THROW(engine->createBitmap(canvas, 0, 5), LoadError);
    EXPECT_THROW(engine->createBitmap(canvas, 40000, 1), LoadError);
    EXPECT_EQ(canvas.texture, nullptr);
}

TEST(BmpLoader, RefusesFilesThatAreMissingOrNotBmp) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 1);
    scratch.write("notes.bmp", "these are not pixels\n");
    scratch.write("short.bmp", gradientBmp(4, 4).substr(0, 20));

    expectRefused(*engine, "nowhere.bmp", "cannot be opened");
    expectRefused(*engine, "notes.bmp", "BM");
    expectRefused(*engine, "short.bmp", "too short");
}

TEST(BmpLoader, RefusesHeadersThatDoNotMatchTheFile) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 1);
    const std::string good = gradientBmp(4, 4);
    scratch.write("truncated.bmp", good.substr(0, good.size() - 5));
    std::string zeroWidth = good;
    putLe32(zeroWidth, kBmpWidthOffset, 0);
    scratch.write("zerowidth.bmp", zeroWidth);
    std::string zeroHeight = good;
    putLe32(zeroHeight, kBmpHeightOffset, 0);
    scratch.write("zeroheight.bmp", zeroHeight);
    // A 68-byte file claiming 65536 x 65536 pixels would make SDL allocate 16 GiB.
    std::string huge = good.substr(0, 68);
    putLe32(huge, kBmpWidthOffset, 65536);
    putLe32(huge, kBmpHeightOffset, 65536);
    scratch.write("huge.bmp", huge);
    std::string bigInSmall = good.substr(0, 68);
    putLe32(bigInSmall, kBmpWidthOffset, 4096);
    putLe32(bigInSmall, kBmpHeightOffset, static_cast<std::uint32_t>(-4096));
    scratch.write("biginsmall.bmp", bigInSmall);

    expectRefused(*engine, "truncated.bmp", "truncated");
    expectRefused(*engine, "zerowidth.bmp", "size of 0 x 4");
    expectRefused(*engine, "zeroheight.bmp", "size of 4 x 0");
    expectRefused(*engine, "huge.bmp", "size of 65536 x 65536");
    expectRefused(*engine, "biginsmall.bmp", "truncated");
}

TEST(BmpLoader, RefusesImagesTooLargeOnceEnlarged) {
    ScratchDir scratch;
    std::vector<Rgb> row(4096, Rgb{1, 2, 3});
    scratch.write("wide.bmp", bmp24(4096, 1, row));

    EXPECT_NO_THROW(GameEngine::checkBmpFile("wide.bmp", 15));
    try {
        GameEngine::checkBmpFile("wide.bmp", 16);
        ADD_FAILURE() << "a 65536 pixel wide image was accepted";
    } catch (const LoadError& error) {
        EXPECT_EQ(error.file(), "wide.bmp");
        EXPECT_NE(error.problem().find("65536 x 16"), std::string::npos) << error.problem();
    }
}

TEST(BmpLoader, RefusesSmallFilesThatWouldEnlargeToGigabytes) {
    ScratchDir scratch;
    // Run-length data that ends at once: a file of a few dozen bytes stands for a whole
    // 4096 x 4096 picture, which the decoder would fill in.
    std::string rle = bmp8(1, 1, {Rgb{1, 1, 1}}, {0});
    putLe32(rle, kBmpWidthOffset, 4096);
    putLe32(rle, kBmpHeightOffset, 4096);
    putLe32(rle, kBmpCompressionOffset, 1);
    rle[rle.size() - 4] = 0;
    rle[rle.size() - 3] = 1;
    scratch.write("flat.bmp", rle);

    EXPECT_NO_THROW(GameEngine::checkBmpFile("flat.bmp", 2));  // 256 MB, the most allowed
    try {
        GameEngine::checkBmpFile("flat.bmp", 3);
        ADD_FAILURE() << "a picture of 576 MB once enlarged was accepted";
    } catch (const LoadError& error) {
        EXPECT_EQ(error.file(), "flat.bmp");
        EXPECT_NE(error.problem().find("576 MB when enlarged 3 times"), std::string::npos)
            << error.problem();
    }
}

TEST(BmpLoader, PassesOnWhatSdlRefuses) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 1);
    // Run-length data that stops without its end marker: only the decoder can tell.
    std::string rle = bmp8(2, 1, {Rgb{1, 1, 1}, Rgb{2, 2, 2}}, {0, 0});
    putLe32(rle, kBmpCompressionOffset, 1);
    rle[rle.size() - 4] = 2;
    scratch.write("rle.bmp", rle);
    expectRefused(*engine, "rle.bmp", "");
}

TEST(EngineStartUp, RefusesPixelMultiplierOutOfRange) {
    ScratchDir scratch;
    for (int multiplier : {0, -3, 17}) {
        try {
            openEngine(scratch, multiplier);
            ADD_FAILURE() << "pixelMultiplier " << multiplier << " was accepted";
        } catch (const LoadError& error) {
            EXPECT_EQ(error.file(), "settings.ini");
            EXPECT_NE(error.problem().find("pixelMultiplier = " + std::to_string(multiplier)),
                      std::string::npos)
                << error.problem();
        }
    }
    // SDL was shut down cleanly each time, so it starts again.
    EXPECT_EQ(openEngine(scratch, 2)->getPixelMultiplier(), 2);
}

TEST(EngineStartUp, WithoutSettingsFileTheMultiplierIsOne) {
    ScratchDir scratch;
    testing::internal::CaptureStderr();
    GameEngine engine;
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(engine.getPixelMultiplier(), 1);
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(engine.renderer(), &width, &height);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 240);
}

TEST(EngineStartUp, SdlFailureNamesTheCallThatFailed) {
    ScratchDir scratch;
    scratch.write("settings.ini", "[Video]\npixelMultiplier=1\n");
    const char* previous = std::getenv("SDL_VIDEODRIVER");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("SDL_VIDEODRIVER", "nosuchdriver", 1);
    try {
        GameEngine engine;
        ADD_FAILURE() << "SDL started without a video driver";
    } catch (const LoadError& error) {
        EXPECT_EQ(error.file(), "SDL_Init");
        EXPECT_FALSE(error.problem().empty());
    }
    if (previous != nullptr) {
        setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
    } else {
        unsetenv("SDL_VIDEODRIVER");
    }
}

TEST(Translucency, CopyWithAlphaBlendsOnceAndLeavesThePictureOpaque) {
    ScratchDir scratch;
    auto engine = openEngine(scratch, 2);
    // A picture without the see-through colour (no blending of its own) and one with it.
    scratch.write("plain.bmp", bmp24(2, 1, {Rgb{200, 100, 0}, Rgb{200, 100, 0}}));
    scratch.write("keyed.bmp", bmp24(2, 1, {Rgb{200, 100, 0}, kKey}));
    for (const char* path : {"plain.bmp", "keyed.bmp"}) {
        SCOPED_TRACE(path);
        Bitmap picture;
        engine->loadBitmap(picture, path);
        engine->clearScreen();
        engine->copyToScreenWithAlpha(picture, 0, 0, nullptr, 128);
        // Half of the colour over black (SDL rounds the blend either way by one).
        const std::uint32_t half = readPixel(engine->renderer(), 1, 1);
        EXPECT_NEAR(static_cast<int>(half >> 16 & 0xFF), 100, 1);
        EXPECT_NEAR(static_cast<int>(half >> 8 & 0xFF), 50, 1);
        // Alpha 255 is the ordinary copy, and the next ordinary copy is opaque again.
        engine->copyToScreenWithAlpha(picture, 4, 0, nullptr, 255);
        engine->copyToScreen(picture, 8, 0, nullptr);
        EXPECT_EQ(readPixel(engine->renderer(), 9, 1), onScreen(Rgb{200, 100, 0}));
        EXPECT_EQ(readPixel(engine->renderer(), 17, 1), onScreen(Rgb{200, 100, 0}));
        // The see-through pixel stays see-through at any opacity.
        if (std::string(path) == "keyed.bmp") {
            EXPECT_EQ(readPixel(engine->renderer(), 3, 1), kBlack);
        }
        engine->unloadBitmap(picture);
    }
}
