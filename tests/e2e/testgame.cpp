#include "testgame.h"

#include <string>
#include <vector>

#include "scratchdir.h"
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

// The ten digit cells, then R, E, A, D and Y, one 8 x 8 cell each.
const char* const kFontIni =
    "[Properties]\nsheet = font.bmp\ncharacterHeight = 8\ncharacterWidth = 8\n"
    "[Characters]\nR = 80\nE = 88\nA = 96\nD = 104\nY = 112\nspace = 120\n";

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

const char* const kEnemyIni =
    "[Spritesheets]\namount = 1\nspritesheet0 = enemy.bmp\n"
    "[Sprites]\namount = 1\nwidth = 16\nheight = 8\nsprite0YPos = 0\n"
    "[Animations]\namount = 1\n[Animation0]\nnFrames = 1\nframe0SpriteIndex = 0\n"
    "frame0Duration = 1\n";

// The physics of a plain, well-behaved character; only the box and the pictures differ
// between Alpha and Beta.
const char* const kPhysics =
    "[Options]\nadjustPositionAfterScroll = true\n"
    "[XSpeed]\nacceleratingInt = 0\nacceleratingFraction = 32\n"
    "deceleratingInt = 0\ndeceleratingFraction = 128\n"
    "jumpAcceleratingInt = 1\njumpAcceleratingFraction = 80\n"
    "jumpingInt = 1\njumpingFraction = 80\nreelingInt = 0\nreelingFraction = 128\n"
    "runningInt = 1\nrunningFraction = 96\n"
    "[YSpeed]\nclimbingInt = 1\nclimbingFraction = 128\ncollisionInt = 0\n"
    "collisionFraction = -192\nfallingInt = 0\nfallingFraction = 0\ngravityInt = 0\n"
    "gravityFraction = 64\njumpingInt = 4\njumpingFraction = 223\njumpReleasedInt = 1\n"
    "jumpReleasedFraction = 0\njumpReleasedMaxInt = 2\njumpReleasedMaxFraction = 31\n"
    "minInt = -12\nminFraction = 0\nscrollingInt = 0\nscrollingFraction = 192\n"
    "reelingInt = 1\nreelingFraction = 0\n"
    "[ScrollConstants]\nverticalSpeed = 4\nstartPosTop = 0\nstartPosBottom = 240\n"
    "downEndPosY = 20\nupEndPosY = 224\n"
    "[Durations]\nready = 60\nscrolling = 61\nbeforeScrolling = 15\nafterScrolling = 15\n"
    "accelerating = 7\nacceleratingPreviousAnimation = 0\ndecelerating = 8\n"
    "deceleratingPreviousAnimation = 0\ninvincible = 111\nlanding = 10\nreeling = 20\n"
    "shooting = 15\n"
    "[ReadyMessage]\ndisplayInterval = 15\n"
    "[Bullet]\nspritesheet = bullet.bmp\nxOffsetLeft = -16\nxOffsetRight = 8\nyOffset = -4\n";

std::string character(const std::string& sheetPrefix, int boxXOffset) {
    std::string text = kPhysics;
    text += "[BoundingBox]\nheightHalf = 10\nxOffset = " + std::to_string(boxXOffset) +
            "\nyOffset = -12\nwidth = 14\nheight = 21\n";
    text += "[Spritesheets]\namount = 4\nspritesheet0 = " + sheetPrefix +
            "_r.bmp\nspritesheet1 = " + sheetPrefix + "_l.bmp\nspritesheet2 = " + sheetPrefix +
            "_rs.bmp\nspritesheet3 = " + sheetPrefix + "_ls.bmp\n";
    text +=
        "[Sprites]\namount = 1\nwidth = 24\nheight = 24\nxOffset = -12\nyOffset = -14\n"
        "sprite0YPos = 0\n[Animations]\namount = 10\n";
    for (int a = 0; a < 10; ++a) {
        text += "[Animation" + std::to_string(a) +
                "]\nnFrames = 1\nframe0SpriteIndex = 0\nframe0Duration = 1\n";
    }
    return text;
}

void writeCharacterSheets(const ScratchDir& scratch, const std::string& prefix, Rgb right, Rgb left,
                          Rgb rightShooting, Rgb leftShooting) {
    scratch.write(prefix + "_r.bmp", solid(24, 24, right));
    scratch.write(prefix + "_l.bmp", solid(24, 24, left));
    scratch.write(prefix + "_rs.bmp", solid(24, 24, rightShooting));
    scratch.write(prefix + "_ls.bmp", solid(24, 24, leftShooting));
}

std::string levelSection(const std::string& name, const std::vector<Rect>& boundaries,
                         int teleportStopPosY) {
    std::string ini = "[" + name + "]\ntileSheet = tiles.bmp\ntileMap = " + name + ".map\n";
    ini += "boundaries = " + std::to_string(boundaries.size()) + "\n";
    for (std::size_t i = 0; i < boundaries.size(); ++i) {
        const std::string key = "boundary" + std::to_string(i);
        ini += key + "x = " + std::to_string(boundaries[i].x) + "\n";
        ini += key + "y = " + std::to_string(boundaries[i].y) + "\n";
        ini += key + "w = " + std::to_string(boundaries[i].w) + "\n";
    }
    ini += "teleportStopPosY = " + std::to_string(teleportStopPosY) + "\n";
    ini += "teleportStartYSpeedFraction = 0\n";
    return ini;
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

void write(const ScratchDir& scratch, int pixelMultiplier) {
    scratch.write("settings.ini",
                  "[Video]\npixelMultiplier = " + std::to_string(pixelMultiplier) + "\n");
    scratch.write("font.ini", kFontIni);
    scratch.write("font.bmp", fontSheet());
    scratch.write("selector.bmp", solid(8, 8, kSelector));
    scratch.write("stageselect.ini", kStageSelect);
    scratch.write("enemy.ini", kEnemyIni);
    scratch.write("enemy.bmp", solid(16, 8, kEnemy));
    scratch.write("bullet.bmp", solid(8, 8, Rgb{255, 255, 128}));
    scratch.write("tiles.bmp", tileSheet());

    scratch.write("alpha.ini", character("alpha", -7));
    writeCharacterSheets(scratch, "alpha", kAlpha, kAlpha, kAlpha, kAlpha);
    scratch.write("beta.ini", character("beta", 0));
    writeCharacterSheets(scratch, "beta", kBetaRight, kBetaLeft, Rgb{200, 200, 0},
                         Rgb{120, 120, 0});

    std::string levels = std::string("[Common]\nreadyMessage = ") + kReadyMessage + "\n";
    levels += levelSection("Meadow", {Rect{0, 0, 256, 240}}, 180);
    levels +=
        levelSection("Tower", {Rect{0, kUpperTop, 256, 240}, Rect{0, kLowerTop, 256, 240}}, 180);
    scratch.write("levels.ini", levels);
    scratch.write("Meadow.map", buildTileMap(meadowRows()));
    scratch.write("Tower.map", buildTileMap(towerRows()));
}

}  // namespace testgame
