#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bmpwriter.h"
#include "engine/gameengine.h"
#include "engine/scopedvideo.h"
#include "scratchdir.h"
#include "states/gamestatemanager.h"

class Level;
class Voltbot;

// A small but complete game folder with real BMP pictures, so the whole program can be
// played headless from the menu on: settings, font, menu cursor, enemy, two levels and
// two characters. Every picture is one flat colour, so a pixel read back from the
// screen says which object was drawn there last.
//
// The menu lists "Meadow" and "Tower", and the characters "Alpha" (alpha.ini) and
// "Beta" (beta.ini). Tower is one screen wide and ten screen rows high, of which only
// the two lowest rows exist, each its own boundary:
//
//   row 8 (y 1920..2159)  boundary 0: a floor at y 2112 with a ladder's top in tile
//                         column 12 and a hole beside it in column 13; the enemy stands
//                         on that floor at x 112..127
//   row 9 (y 2160..2399)  boundary 1: the ladder goes on down to a floor at y 2352
//
// The teleport beam comes down at x 128, right beside the enemy: Beta's box starts at its
// reference point (x offset 0), so it stands next to the enemy without touching it, while
// its picture (x offset -12) covers the enemy's right part. Nothing lies above boundary
// 0: the level picks its first boundary by the top of the arriving player's box, which is
// 8 pixels above boundary 0.
namespace testgame {

constexpr Rgb kSky{0, 0, 96};          // passable tile
constexpr Rgb kWall{128, 128, 128};    // solid tile
constexpr Rgb kLadder{160, 96, 32};    // ladder tile
constexpr Rgb kDigit{255, 255, 255};   // the font's digit cells
constexpr Rgb kLetter{255, 220, 0};    // the font's letter cells (R, E, A, D, Y)
constexpr Rgb kSelector{0, 255, 255};  // the menu cursor
constexpr Rgb kEnemy{255, 0, 0};
constexpr Rgb kBetaRight{0, 200, 0};  // Beta facing right
constexpr Rgb kBetaLeft{0, 120, 0};
constexpr Rgb kAlpha{0, 0, 255};  // every sheet of Alpha

// Map geometry of Tower, in map pixels.
constexpr int kUpperTop = 1920;        // boundary 0 (screen row 8)
constexpr int kLowerTop = 2160;        // boundary 1 (screen row 9)
constexpr int kUpperFloorY = 2112;     // top of the floor of row 8
constexpr int kLowerFloorY = 2352;     // top of the floor of row 9
constexpr int kUpperStandingY = 2102;  // reference y of Beta standing on row 8's floor
constexpr int kLowerStandingY = 2342;
constexpr int kBeamX = 128;         // the teleport beam's x
constexpr int kLadderLeft = 192;    // the ladder column's left edge
constexpr int kLadderCentre = 200;  // where a grab puts the reference point
constexpr int kHoleLeft = 208;      // the hole in row 8's floor beside the ladder
constexpr int kUpEndPosY = 224;     // where an upward scroll leaves Beta in the new row

// The ready message (the one writeTestLevels gives) and the font cell size it is drawn with.
constexpr const char* kReadyMessage = "READY";
constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 8;

// Beta's phase lengths, in frames.
constexpr int kReadyFrames = 60;
constexpr int kBlinkFrames = 15;

// Writes the whole folder into the scratch directory, with the given pixel multiplier and
// the extra lines after [Video] in settings.ini.
void write(const ScratchDir& scratch, int pixelMultiplier, const std::string& settings);

}  // namespace testgame

// The test game played from the menu on, in process: the real engine under SDL's dummy
// video driver as the video service and the real state manager.
class GameTest : public ::testing::Test {
  protected:
    ~GameTest() override;

    // Writes the folder (see testgame::write), then opens the engine and the manager.
    void start(int pixelMultiplier, const std::string& settings = "");
    // A frame as the main loop runs it, up to the picture being complete; present()
    // ends it. In between, the test may read the picture back.
    void drawFrame();
    void present();
    void frame();
    // Runs whole frames until the condition holds before a frame; false after the limit.
    bool runUntil(const std::function<bool()>& condition, int limit = 1000);

    // The level being played, or null in the menu.
    Level* level() const;
    Voltbot& player() const;

    ScratchDir scratch;
    std::unique_ptr<GameEngine> engine;
    std::unique_ptr<ScopedVideo> provided;
    std::unique_ptr<GameStateManager> manager;
};
