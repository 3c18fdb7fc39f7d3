#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/controls.h"
#include "engine/nullvideo.h"
#include "player/voltbot.h"
#include "scratchdir.h"
#include "states/gamestatemanager.h"
#include "states/level.h"
#include "world/map.h"

namespace fs = std::filesystem;

namespace {

// Plays a shipped level with a shipped character, frame by frame, with the keys a player
// would hold, through the game's own level state.
class Pilot {
  public:
    Pilot(const std::string& level, const std::string& character) {
        for (const auto& entry : fs::directory_iterator(sourceDir() / "data")) {
            m_scratch.copyFromSource("data/" + entry.path().filename().string(),
                                     entry.path().filename().string());
        }
        m_manager = std::make_unique<GameStateManager>();
        m_manager->setInitMessage(GameStateManager::InitMessageId::kLevel, level.c_str());
        m_manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, character.c_str());
        m_manager->setNextState();
        m_manager->update(Controls{});
        m_level = dynamic_cast<Level*>(m_manager->getCurrentState());
    }

    Level& level() { return *m_level; }
    Voltbot& player() { return *m_level->getPlayer(); }
    int x() { return player().getX(); }
    int y() { return player().getY(); }
    int boundary() { return m_level->getMap()->getCurrentBoundaryIndex(); }
    bool playing() { return m_level->getPhase() == Level::kPlaying; }
    bool onGround() { return playing() && player().getMovementMode() == MovementMode::kOnGround; }
    bool onLadder() { return player().getMovementMode() == MovementMode::kOnLadder; }
    int frames() const { return m_frames; }
    bool wasEverHit() const { return m_everHit; }
    // The camera shows exactly the current boundary's screen row.
    bool cameraOnBoundary() {
        return m_level->getCamera().getAngleOfView()->y ==
               m_level->getMap()->getCurrentBoundary().y;
    }

    // One frame with these keys held ('L', 'R', 'U', 'D', 'J' in any order).
    void frame(const std::string& keys) {
        const bool left = keys.find('L') != std::string::npos;
        const bool right = keys.find('R') != std::string::npos;
        const bool up = keys.find('U') != std::string::npos;
        const bool down = keys.find('D') != std::string::npos;
        const bool jump = keys.find('J') != std::string::npos;
        Controls c{};
        c.prevDirX = m_controls.dirX;
        c.prevDirY = m_controls.dirY;
        c.dirX = right ? Direction::kRight : left ? Direction::kLeft : Direction::kNone;
        c.dirY = up ? Direction::kUp : down ? Direction::kDown : Direction::kNone;
        c.leftHeld = left;
        c.rightHeld = right;
        c.upHeld = up;
        c.downHeld = down;
        c.jumpHeld = jump;
        c.jumpPressed = jump && !m_controls.jumpHeld;
        c.jumpReleased = !jump && m_controls.jumpHeld;
        m_controls = c;
        m_manager->update(c);
        m_manager->draw();
        ++m_frames;
        m_everHit = m_everHit || player().isInvincible();
    }

    // Holds the keys until the condition holds (true) or the frame limit passes (false).
    bool holdUntil(const std::string& keys, const std::function<bool()>& done, int limit = 1200) {
        for (int i = 0; i < limit; ++i) {
            if (done()) {
                return true;
            }
            frame(keys);
        }
        return done();
    }

    bool waitUntilStanding() {
        return holdUntil("", [&] { return onGround() && player().getXSpeed() == 0; });
    }

    // Walks (or runs) towards x and stops there.
    bool walkTo(int target) {
        const std::string key = target > x() ? "R" : "L";
        const bool reached = holdUntil(
            key, [&] { return !playing() || (key == "R" ? x() >= target : x() <= target); });
        return reached && waitUntilStanding();
    }

    // A full jump holding the direction, until the player stands again.
    bool jump(const std::string& direction) {
        frame(direction + "J");
        holdUntil(
            direction + "J", [&] { return !onGround(); }, 10);
        holdUntil(
            direction + "J", [&] { return onGround(); }, 300);
        return waitUntilStanding();
    }

    // Grabs the ladder at the player's column and climbs until it stands again.
    bool climb(const std::string& key) {
        if (!holdUntil(
                key, [&] { return onLadder(); }, 30)) {
            return false;
        }
        return holdUntil(
            key, [&] { return onGround(); }, 3000);
    }

    std::string where() {
        std::ostringstream text;
        text << "frame " << m_frames << ": x " << x() << ", y " << y() << ", boundary "
             << boundary() << ", phase " << m_level->getPhase() << ", mode "
             << player().getMovementMode();
        return text.str();
    }

  private:
    ScratchDir m_scratch;
    NullVideo m_video;
    ScopedVideo m_service{&m_video};
    std::unique_ptr<GameStateManager> m_manager;
    Level* m_level = nullptr;
    Controls m_controls{};
    int m_frames = 0;
    bool m_everHit = false;
};

// Runs a route of commands, each followed by the boundary the player must then be in:
//   w<x>   walk to x and stop          j<R|L>  a full jump in that direction
//   u / d  climb the ladder here up / down until standing again
struct Step {
    const char* command;
    int boundary;
};

void play(Pilot& pilot, const std::vector<Step>& route) {
    ASSERT_TRUE(pilot.waitUntilStanding()) << pilot.where();
    ASSERT_EQ(pilot.boundary(), 0) << pilot.where();
    for (const Step& step : route) {
        const std::string command = step.command;
        const std::string argument = command.substr(1);
        bool done = false;
        switch (command[0]) {
            case 'w':
                done = pilot.walkTo(std::atoi(argument.c_str()));
                break;
            case 'j':
                done = pilot.jump(argument);
                break;
            case 'u':
                done = pilot.climb("U");
                break;
            case 'd':
                done = pilot.climb("D");
                break;
            default:
                FAIL() << "unknown command " << command;
        }
        ASSERT_TRUE(done) << command << " did not finish, " << pilot.where();
        ASSERT_EQ(pilot.boundary(), step.boundary) << "after " << command << ", " << pilot.where();
        ASSERT_TRUE(pilot.cameraOnBoundary()) << "after " << command << ", " << pilot.where();
    }
}

// Start, jump onto a girder, over the pit and a low wall, drop into row 1, climb down into
// row 2, under the low ceiling, drop into row 3, over the second pit, down the shaft of
// rows 4 to 7 and into the enemy's room.
const std::vector<Step> kSablexRoute = {
    {"jR", 0},   {"w345", 0}, {"jR", 0},   {"jR", 0},   {"w552", 0}, {"jR", 0},   {"w690", 1},
    {"w648", 1}, {"d", 2},    {"w70", 3},  {"w120", 3}, {"jR", 3},   {"w365", 3}, {"jR", 3},
    {"w552", 3}, {"jR", 3},   {"w712", 3}, {"d", 4},    {"w660", 5}, {"w380", 5}, {"jL", 5},
    {"w56", 5},  {"d", 6},    {"w180", 7}, {"w56", 7},  {"d", 8},    {"w140", 8}};

// Start one screen in, onto a girder, over the pit, down the ladder into the shaft room,
// drop into row 2, over a wall, up the ladder into row 1, drop into the closed room behind
// the wall, down into row 3, over two walls, and down through rows 4 to 7 into the enemy's
// room.
const std::vector<Step> kCorvaneRoute = {
    {"w440", 0}, {"jR", 0},   {"w585", 0}, {"jR", 0},   {"jR", 0},   {"w968", 0},
    {"d", 1},    {"w930", 3}, {"w599", 3}, {"jL", 3},   {"w376", 3}, {"u", 2},
    {"w300", 3}, {"w322", 3}, {"d", 4},    {"w440", 4}, {"jR", 4},   {"w552", 4},
    {"jR", 4},   {"w725", 5}, {"w664", 5}, {"d", 6},    {"w327", 6}, {"jL", 6},
    {"w56", 7},  {"w168", 7}, {"d", 8},    {"w56", 9},  {"w140", 9}};

class Playthrough : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(Playthrough, SablexFromTheStartToTheEnemy) {
    Pilot pilot("Sablex", GetParam());
    play(pilot, kSablexRoute);
    EXPECT_TRUE(pilot.wasEverHit()) << "the enemy at x 112 was walked past without a hit";
}

TEST_P(Playthrough, CorvaneFromTheStartToTheEnemy) {
    Pilot pilot("Corvane", GetParam());
    play(pilot, kCorvaneRoute);
    EXPECT_TRUE(pilot.wasEverHit()) << "the enemy at x 112 was walked past without a hit";
}

TEST_P(Playthrough, FallingIntoThePitRestartsAtTheTeleport) {
    Pilot pilot("Sablex", GetParam());
    play(pilot, {{"jR", 0}, {"w345", 0}});
    // Walk on into the pit: the player is sent back and arrives by the beam again.
    ASSERT_TRUE(pilot.holdUntil(
        "R", [&] { return !pilot.playing(); }, 300))
        << pilot.where();
    EXPECT_EQ(pilot.level().getPhase(), Level::kReady);
    ASSERT_TRUE(pilot.waitUntilStanding()) << pilot.where();
    // The beam starts at x 128; the speed kept from the fall carries the drop a little on.
    EXPECT_GE(pilot.x(), 128);
    EXPECT_LT(pilot.x(), 144);
    EXPECT_EQ(pilot.y(), 180);
    EXPECT_EQ(pilot.boundary(), 0);
    EXPECT_TRUE(pilot.cameraOnBoundary());
}

INSTANTIATE_TEST_SUITE_P(ShippedCharacters, Playthrough, ::testing::Values("voltbot1", "voltbot2"));
