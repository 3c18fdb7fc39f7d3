// The keys of savestates, rewind and reload on the real engine (SDL's dummy driver), with
// key events pushed as a player's would arrive, and the level read back as trace rows.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/gameengine.h"
#include "engine/scopedvideo.h"
#include "engine/timemachinekeys.h"
#include "engineharness.h"
#include "scratchdir.h"
#include "sdlkeys.h"
#include "states/gamestatemanager.h"
#include "states/level.h"
#include "states/timemachine.h"
#include "tracewriter.h"

namespace fs = std::filesystem;

namespace {

void tap(SDL_Keycode key, Uint16 mod = KMOD_NONE) {
    pushKey(SDL_KEYDOWN, key, 0, mod);
    pushKey(SDL_KEYUP, key, 0, mod);
}

// The game as main() puts it together, on a copy of the shipped data, started straight
// into a level; frame() runs one frame of the main loop and keeps its trace row.
class Game {
  public:
    explicit Game(const std::string& level = "Sablex", const std::string& character = "voltbot1",
                  const std::string& bindings = "") {
        scratch.copyShippedData();
        scratch.write("settings.ini", "[Video]\npixelMultiplier=1\n" + bindings);
        engine = std::make_unique<GameEngine>();
        provided = std::make_unique<ScopedVideo>(engine.get());
        manager = std::make_unique<GameStateManager>();
        machine = std::make_unique<TimeMachine>(*manager);
        keys = std::make_unique<TimeMachineKeys>(*machine, *engine);
        engine->setKeyHandler(keys.get());
        manager->setInitMessage(GameStateManager::InitMessageId::kLevel, level.c_str());
        manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, character.c_str());
        manager->setNextState();
    }
    ~Game() {
        engine->setKeyHandler(nullptr);
        keys.reset();
        machine.reset();
        manager.reset();
        provided.reset();
    }

    TraceRow frame() {
        updateAndDraw(*engine, *machine);
        engine->flipScreen();
        rows.push_back(tracewriter::sample(static_cast<int>(rows.size()), *machine->level()));
        return rows.back();
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            frame();
        }
    }
    Level& level() { return *machine->level(); }

    ScratchDir scratch;
    std::unique_ptr<GameEngine> engine;
    std::unique_ptr<ScopedVideo> provided;
    std::unique_ptr<GameStateManager> manager;
    std::unique_ptr<TimeMachine> machine;
    std::unique_ptr<TimeMachineKeys> keys;
    std::vector<TraceRow> rows;
};

std::string rowText(TraceRow row) {
    row.frame = 0;
    return tracewriter::format(row);
}

// The gravity the trace shows: the fall in vertical speed from one frame of a jump's rise
// to the next (the trace's speeds are the raw 1/256-pixel values).
int gravityAfter(const std::vector<TraceRow>& rows, std::size_t from) {
    for (std::size_t i = from + 1; i + 1 < rows.size(); ++i) {
        const TraceRow& a = rows[i];
        const TraceRow& b = rows[i + 1];
        if (a.mode == "inAir" && b.mode == "inAir" && a.ySpeed > 0 && b.ySpeed > 0 &&
            b.ySpeed < a.ySpeed) {
            return a.ySpeed - b.ySpeed;
        }
    }
    return 0;
}

// Plays from the level's start until it stands, then jumps.
void standAndJump(Game& game) {
    game.frame();
    for (int i = 0;
         i < 400 && !(game.level().getPhase() == Level::kPlaying &&
                      game.level().getPlayer()->getMovementMode() == MovementMode::kOnGround);
         ++i) {
        game.frame();
    }
    pushKey(SDL_KEYDOWN, SDLK_SPACE);
    game.frames(20);
    pushKey(SDL_KEYUP, SDLK_SPACE);
    game.frames(40);
}

void setKey(const fs::path& file, const std::string& key, const std::string& value) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::string edited = text.str();
    const std::size_t start = edited.find("\n" + key + " = ");
    ASSERT_NE(start, std::string::npos) << key;
    const std::size_t end = edited.find('\n', start + 1);
    edited.replace(start, end - start, "\n" + key + " = " + value);
    std::ofstream(file) << edited;
}

}  // namespace

// F1 saves, play goes on, Shift+F1 restores: the level stands exactly where it stood at the
// save (its trace row and its whole state), and goes on from there with the keys held.
// A slot's key as bound: the default F2, or "2" after `slot2 = 2` (then F2 is no slot key).
class TimeMachineSlotKeys : public ::testing::TestWithParam<std::pair<const char*, SDL_Keycode>> {};

TEST_P(TimeMachineSlotKeys, SaveAndRestoreASlot) {
    const SDL_Keycode slotKey = GetParam().second;
    Game game("Sablex", "voltbot1", GetParam().first);
    game.frames(200);
    pushKey(SDL_KEYDOWN, SDLK_RIGHT);
    game.frames(30);
    const TraceRow atSave = game.rows.back();
    const Level::Snapshot saved = game.level().snapshot();
    tap(slotKey);
    game.frames(60);
    ASSERT_NE(rowText(game.rows.back()), rowText(atSave));

    pushKey(SDL_KEYDOWN, SDLK_RETURN);  // paused, the restore shows the saved moment
    tap(slotKey, KMOD_LSHIFT);
    game.frame();
    EXPECT_EQ(rowText(game.rows.back()), rowText(atSave));
    const Level::Snapshot restored = game.level().snapshot();
    EXPECT_EQ(std::memcmp(&saved, &restored, sizeof saved), 0);
    // An empty slot restores nothing.
    tap(SDLK_F4, KMOD_RSHIFT);
    game.frame();
    EXPECT_EQ(rowText(game.rows.back()), rowText(atSave));
}

INSTANTIATE_TEST_SUITE_P(Bindings, TimeMachineSlotKeys,
                         ::testing::Values(std::make_pair("", SDLK_F2),
                                           std::make_pair("[Keys]\nslot2 = 2\n", SDLK_2)));

// Held, Backspace takes one update back per frame and says so in the title; paused, one
// press is one update back.
TEST(TimeMachineKeys, RewindWhileHeldAndStepWhilePaused) {
    Game game;
    pushKey(SDL_KEYDOWN, SDLK_RIGHT);
    game.frames(300);
    const std::vector<TraceRow> before = game.rows;
    pushKey(SDL_KEYDOWN, SDLK_BACKSPACE);
    game.frames(50);
    EXPECT_NE(game.engine->getTitle().find("- rewinding"), std::string::npos);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(rowText(game.rows[300 + static_cast<std::size_t>(i)]),
                  rowText(before[298 - static_cast<std::size_t>(i)]));
    }
    pushKey(SDL_KEYUP, SDLK_BACKSPACE);
    pushKey(SDL_KEYDOWN, SDLK_RETURN);
    game.frame();
    EXPECT_EQ(game.engine->getTitle(), "Kestrelix - paused");
    EXPECT_EQ(rowText(game.rows.back()), rowText(before[249]));
    tap(SDLK_BACKSPACE);
    game.frame();
    tap(SDLK_BACKSPACE);
    game.frames(3);  // paused: nothing moves between the presses
    EXPECT_EQ(rowText(game.rows.back()), rowText(before[247]));
}

// A tuner edits the gravity while the level runs, presses F5, and the restarted level
// falls with the new value; a broken file leaves the level running with the values it had
// and reports the error on stderr and in the title.
TEST(TimeMachineKeys, ReloadTakesNewValuesAndSurvivesABrokenFile) {
    Game game;
    standAndJump(game);
    EXPECT_EQ(gravityAfter(game.rows, 0), 64);

    setKey(game.scratch.path() / "voltbot1", "gravityFraction", "128");
    tap(SDLK_F5);
    const std::size_t restart = game.rows.size();
    game.frame();
    EXPECT_EQ(game.rows.back().phase, "ready");
    EXPECT_EQ(game.level().getFrameCounter(), 1);
    standAndJump(game);
    EXPECT_EQ(gravityAfter(game.rows, restart), 128);

    setKey(game.scratch.path() / "voltbot1", "gravityFraction", "32");
    setKey(game.scratch.path() / "voltbot1", "verticalSpeed", "999");
    std::stringstream err;
    std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
    tap(SDLK_F5);
    const std::size_t failed = game.rows.size();
    game.frame();
    std::cerr.rdbuf(old);
    EXPECT_NE(game.rows.back().phase, "ready");
    EXPECT_EQ(err.str(),
              "kestrelix: voltbot1: [ScrollConstants] verticalSpeed = 999 is outside -240..240\n");
    EXPECT_NE(game.engine->getTitle().find("verticalSpeed = 999"), std::string::npos);
    pushKey(SDL_KEYDOWN, SDLK_SPACE);
    game.frames(20);
    pushKey(SDL_KEYUP, SDLK_SPACE);
    game.frames(40);
    EXPECT_EQ(gravityAfter(game.rows, failed), 128);

    // Mended, the next reload takes the file and clears the error from the title.
    setKey(game.scratch.path() / "voltbot1", "verticalSpeed", "4");
    tap(SDLK_F5);
    game.frame();
    EXPECT_EQ(game.engine->getTitle(), "Kestrelix");
    EXPECT_EQ(game.rows.back().phase, "ready");
}
