#pragma once

// Shared fixture of the player tests: the test character of fixture.h in its distinct
// tuning, little levels written as text rows, and keys held per frame, turned into Controls
// by the engine's own key rules.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/controls.h"
#include "engine/fixedpoint.h"
#include "levelfixture.h"
#include "player/voltbot.h"
#include "world/camera.h"
#include "world/map.h"

using State = Voltbot::State;

// Keys held in one frame, one bit per game key; combine with |.
constexpr int keyBit(Controls::Key key) {
    return 1 << static_cast<int>(key);
}
constexpr int kNoKey = 0;
constexpr int kLeft = keyBit(Controls::Key::kLeft);
constexpr int kRight = keyBit(Controls::Key::kRight);
constexpr int kUp = keyBit(Controls::Key::kUp);
constexpr int kDown = keyBit(Controls::Key::kDown);
constexpr int kJump = keyBit(Controls::Key::kJump);
constexpr int kShoot = keyBit(Controls::Key::kShoot);

// Lines put in front of the sections of the test character; the first value of a key
// wins, so a line here overrides the tuning's value.
struct Character {
    std::string options;
    std::string xSpeed;
    std::string ySpeed;
    std::string durations;
    std::string scroll;
    std::string box;
};

// The tuning of the player tests (fixture/distinct.ini over character.ini), in 1/256 pixel:
constexpr int kAccelerating = 0x20;
constexpr int kDecelerating = 0x80;
constexpr int kJumpAccelerating = 0x40;
constexpr int kJumpingX = 0x150;
constexpr int kReelingX = 0xC0;
constexpr int kRunning = 0x160;
constexpr int kClimbing = 0xC0;
constexpr int kCollision = -0x40;  // written as Int -1, Fraction 192
constexpr int kFalling = -0x80;    // written as Int -1, Fraction 128
constexpr int kGravity = 0x40;
constexpr int kJumpingY = 0x4E0;
constexpr int kJumpReleased = 0x40;
constexpr int kJumpReleasedMax = 0x100;
constexpr int kMinYSpeed = -0x400;
constexpr int kScrolling = 0x140;
constexpr int kScrollingFirstFrame = 0x200;
constexpr int kReelingY = 0x100;
// Durations in frames.
constexpr int kAcceleratingFrames = 6;
constexpr int kAcceleratingPreviousAnimationFrames = 2;
constexpr int kDeceleratingFrames = 4;
constexpr int kDeceleratingPreviousAnimationFrames = 1;
constexpr int kInvincibleFrames = 10;
constexpr int kLandingFrames = 3;
constexpr int kReelingFrames = 12;
constexpr int kShootingFrames = 5;
// Geometry: the box spans x - 7 .. x + 7 and y - 12 .. y + 11 (feet at y + 11).
constexpr int kHeightHalf = 12;
constexpr int kBoxHeight = 23;

std::string characterIni(const Character& character);

// Pixels to 1/256 pixel.
constexpr int px(int pixels) {
    return pixels * fixedpoint::kOne;
}

class PlayerTest : public ::testing::Test, public LevelFixture {
  protected:
    PlayerTest();
    ~PlayerTest() override;

    // One screen, floor (tile row 10, y 160) across the whole width.
    static std::vector<std::string> flatFloor();

    // Builds the map and a player without a level (no scroll or reset callbacks).
    // The player arrives at x = startX (boundary 0 starts 128 pixels to its left) and its
    // beam stops at pixel row stopY.
    void build(const std::vector<std::string>& rows, const Character& character = {},
               int startX = 128, int stopY = 148);
    // build() on flatFloor(), then arrive().
    void standOnFloor(const Character& character = {});
    // Builds a real Level through a state manager, from the level description given.
    void buildLevel(const TestLevel& description, const Character& character = {});

    // One frame with the given keys held.
    void step(int keys = kNoKey);
    void steps(int count, int keys = kNoKey);
    // Frames without input until the player stands; returns how many it took.
    int arrive();
    // One frame of the level: update, then draw (the level ends its ready phase in draw).
    void levelFrame(int keys = kNoKey);
    // Which of the player's four sheets (right, left, right and left shooting) one draw
    // of the player used; -1 when it drew none.
    int sheetDrawn();

    Voltbot& player();

    Camera camera;
    std::unique_ptr<Map> map;
    std::unique_ptr<Voltbot> bot;

  private:
    Controls controlsFor(int keys);

    Controls m_controls;
    int m_previousKeys = kNoKey;
};
