#include "testgame.h"

#include <string>
#include <vector>

#include "engineharness.h"
#include "fixture.h"
#include "scratchdir.h"
#include "states/level.h"
#include "textmap.h"

namespace testgame {
namespace {

std::string solid(int width, int height, Rgb colour) {
    return bmp24(width, height, std::vector<Rgb>(static_cast<std::size_t>(width * height), colour));
}

// One row of 16 x 16 pictures: empty, solid, ladder (the text map's picture numbers).
std::string tileSheet() {
    const Rgb pictures[] = {kSky, kWall, kLadder};
    std::vector<Rgb> pixels;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 48; ++x) {
            pixels.push_back(pictures[x / 16]);
        }
    }
    return bmp24(48, 16, pixels);
}

// The font of fixture.h: the ten digit cells, then R, E, A, D and Y, one 8 x 8 cell each.
std::string fontSheet() {
    std::vector<Rgb> pixels;
    for (int y = 0; y < 128; ++y) {
        const Rgb colour = y < 80 ? kDigit : y < 120 ? kLetter : Rgb{255, 128, 255};
        pixels.insert(pixels.end(), 8, colour);
    }
    return bmp24(8, 128, pixels);
}

const char* const kStageSelect =
    "[Levels]\namount = 2\nlevel0 = Meadow\nlevel1 = Tower\n"
    "[Voltbots]\namount = 2\nvoltbot0 = alpha.ini\nvoltbot0title = Alpha\n"
    "voltbot1 = beta.ini\nvoltbot1title = Beta\n";

// The fixture's character, climbing faster, with a ready phase and its own box offset.
std::string character(const std::string& sheetPrefix, int boxXOffset) {
    return fixture::character(
        "[YSpeed]\nclimbingInt = 1\nclimbingFraction = 128\n"
        "[ScrollConstants]\nupEndPosY = " +
            std::to_string(kUpEndPosY) + "\n[Durations]\nready = " + std::to_string(kReadyFrames) +
            "\n[BoundingBox]\nxOffset = " + std::to_string(boxXOffset) + "\n",
        sheetPrefix);
}

void writeCharacterSheets(const ScratchDir& scratch, const std::string& prefix, Rgb right, Rgb left,
                          Rgb rightShooting, Rgb leftShooting) {
    scratch.write(prefix + "_r.bmp", solid(24, 24, right));
    scratch.write(prefix + "_l.bmp", solid(24, 24, left));
    scratch.write(prefix + "_rs.bmp", solid(24, 24, rightShooting));
    scratch.write(prefix + "_ls.bmp", solid(24, 24, leftShooting));
}

std::vector<std::string> meadowRows() {
    std::vector<std::string> rows = blankScreens(1, 1);
    for (int x = 0; x < 256; x += 16) {
        setTileAt(rows, x, 192, '#');
    }
    return rows;
}

std::vector<std::string> towerRows() {
    std::vector<std::string> rows = blankScreens(1, 10);
    for (int row = 0; row < 8; ++row) {
        fillScreen(rows, 0, row, 'x');
    }
    for (int x = 0; x < 256; x += 16) {
        setTileAt(rows, x, kUpperFloorY, '#');
        setTileAt(rows, x, kLowerFloorY, '#');
    }
    // Row 8's floor is three tiles thick; the ladder and the hole go through all of it.
    for (int y = kUpperFloorY + 16; y < kLowerTop; y += 16) {
        for (int x = 0; x < 256; x += 16) {
            setTileAt(rows, x, y, '#');
        }
    }
    for (int y = kUpperFloorY; y < kLowerTop; y += 16) {
        setTileAt(rows, kHoleLeft, y, '.');
    }
    for (int y = kUpperFloorY; y < kLowerFloorY; y += 16) {
        setTileAt(rows, kLadderLeft, y, 'H');
    }
    return rows;
}

}  // namespace

void write(const ScratchDir& scratch, int pixelMultiplier, const std::string& settings) {
    scratch.write("settings.ini", "[Video]\npixelMultiplier = " + std::to_string(pixelMultiplier) +
                                      "\n" + settings);
    scratch.write("font.ini", fixture::text("font.ini"));
    scratch.write("font.bmp", fontSheet());
    scratch.write("selector.bmp", solid(8, 8, kSelector));
    scratch.write("stageselect.ini", kStageSelect);
    scratch.write("enemy.ini", fixture::text("enemy.ini"));
    scratch.write("enemy.bmp", solid(16, 16, kEnemy));  // two pictures of one colour
    scratch.write("bullet.bmp", solid(8, 8, Rgb{255, 255, 128}));
    scratch.write("tiles.bmp", tileSheet());

    scratch.write("alpha.ini", character("alpha", -7));
    writeCharacterSheets(scratch, "alpha", kAlpha, kAlpha, kAlpha, kAlpha);
    scratch.write("beta.ini", character("beta", 0));
    writeCharacterSheets(scratch, "beta", kBetaRight, kBetaLeft, Rgb{200, 200, 0},
                         Rgb{120, 120, 0});

    TestLevel meadow;
    meadow.name = "Meadow";
    meadow.rows = meadowRows();
    meadow.boundaries = {Rect{0, 0, 256, 240}};
    meadow.teleportStopPosY = 180;
    TestLevel tower;
    tower.name = "Tower";
    tower.rows = towerRows();
    tower.boundaries = {Rect{0, kUpperTop, 256, 240}, Rect{0, kLowerTop, 256, 240}};
    tower.teleportStopPosY = 180;
    writeTestLevels(scratch, {meadow, tower});
}

}  // namespace testgame

GameTest::~GameTest() {
    // The states give their pictures back to the engine, so they go first.
    manager.reset();
    provided.reset();
    engine.reset();
}

void GameTest::start(int pixelMultiplier, const std::string& settings) {
    testgame::write(scratch, pixelMultiplier, settings);
    engine = std::make_unique<GameEngine>();
    provided = std::make_unique<ScopedVideo>(engine.get());
    manager = std::make_unique<GameStateManager>();
}

void GameTest::drawFrame() {
    updateAndDraw(*engine, *manager);
}

void GameTest::present() {
    ASSERT_EQ(engine->flipScreen(), 0);
}

void GameTest::frame() {
    drawFrame();
    present();
}

bool GameTest::runUntil(const std::function<bool()>& condition, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (condition()) {
            return true;
        }
        frame();
    }
    return condition();
}

Level* GameTest::level() const {
    return dynamic_cast<Level*>(manager->getCurrentState());
}

Voltbot& GameTest::player() const {
    return *level()->getPlayer();
}
