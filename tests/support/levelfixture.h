#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/controls.h"
#include "recordingvideo.h"
#include "scratchdir.h"
#include "states/gamestatemanager.h"
#include "states/level.h"
#include "textmap.h"

// A little game folder in a scratch directory: the game files and the standard character
// ("hero.ini") of fixture.h, and a level "Test", played through a recording video service.
//
// The level is one screen wide and two screen rows high, each row its own boundary. Both
// rows have a floor whose right quarter is open, so walking right drops the player into
// the row below (a downward transition), and from the lower row into nothing (a restart).
// The teleport beam stops at row 180, two pixels above where the player stands.
class LevelFixture {
  public:
    LevelFixture();

    // The standard character with these lines in front (see fixture::character).
    void writeCharacter(const std::string& overrides = "");
    void writeLevel(const TestLevel& test);
    // Creates the manager (with its stage select) and the level from the files.
    Level& start();

    // One frame as the main loop runs it: update, then draw.
    void frame(const Controls& controls = Controls());
    // Runs frames until the condition holds; false if it did not within the limit.
    bool runUntil(const std::function<bool()>& condition, const Controls& controls,
                  int limit = 2000);

    static TestLevel standardLevel();
    static Controls holding(Direction::type dirX);

    ScratchDir scratch;
    RecordingVideo video;
    ScopedVideo provided{&video};
    std::unique_ptr<GameStateManager> manager;
    std::unique_ptr<Level> level;
};
