#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "levelfixture.h"
#include "states/gamestatemanager.h"
#include "states/level.h"
#include "states/stageselect.h"

// The manager's switch from the menu to the level, frame by frame, on a little folder
// whose only level is "Sablex" and whose only character file is "voltbot1": the names
// the manager starts with.

namespace {

using Id = GameStateManager::InitMessageId;
using Kind = RecordingVideo::Kind;

class StateSwitch : public ::testing::Test {
  protected:
    StateSwitch() {
        // A ready phase long enough to tell the creating frame from the first update.
        files.writeCharacter("[Durations]\nready = 60\n");
        std::ifstream hero("hero.ini", std::ios::binary);
        files.scratch.write("voltbot1", std::string(std::istreambuf_iterator<char>(hero), {}));
        files.scratch.write(
            "stageselect.ini",
            "[Levels]\namount = 1\nlevel0 = Sablex\n[Voltbots]\namount = 1\nvoltbot0 = voltbot1\n");
        TestLevel sablex = LevelFixture::standardLevel();
        sablex.name = "Sablex";
        files.writeLevel(sablex);
        // Only Sablex and voltbot1 exist, so a level built from anything else fails.
        std::filesystem::remove("hero.ini");
        manager = std::make_unique<GameStateManager>();
    }

    // One frame as the main loop runs it, never paused.
    void frame(const Controls& controls = Controls()) {
        manager->update(controls);
        manager->draw();
    }

    static Controls shoot() {
        Controls controls;
        controls.shootPressed = true;
        return controls;
    }

    Level* level() const { return dynamic_cast<Level*>(manager->getCurrentState()); }

    // Whether a picture file was loaded since the calls were last cleared.
    bool loaded(const std::string& path) const {
        for (const RecordingVideo::Call& call : files.video.callsOf(Kind::kLoad)) {
            if (call.path == path) {
                return true;
            }
        }
        return false;
    }

    LevelFixture files;
    // Built once the folder is complete: its menu reads stageselect.ini at once.
    std::unique_ptr<GameStateManager> manager;
};

TEST_F(StateSwitch, ConfirmingFrameDrawsTheMenuAndTheNextBuildsTheLevelWithoutUpdatingIt) {
    frame(shoot());  // to the character column
    frame();

    // Frame N confirms and still draws the menu.
    files.video.clearCalls();
    frame(shoot());
    ASSERT_NE(dynamic_cast<StageSelect*>(manager->getCurrentState()), nullptr);
    EXPECT_FALSE(files.video.screenCopiesOf("selector.bmp").empty());
    EXPECT_EQ(manager->getInitMessage(Id::kLevel), "Sablex");
    EXPECT_EQ(manager->getInitMessage(Id::kVoltbot), "voltbot1");

    // Frame N+1: the menu's pictures are all given back before the level loads its own,
    // then the level is drawn, not updated.
    files.video.clearCalls();
    frame();
    Level* created = level();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->getFrameCounter(), 0);
    EXPECT_FALSE(created->isReadyVisible());

    // Handles count up, so the menu's pictures are those with handles below the first one
    // the level gets; the level's temporary font comes and goes after that.
    const std::vector<RecordingVideo::Call>& calls = files.video.calls;
    std::size_t firstLoad = calls.size();
    for (std::size_t i = 0; i < calls.size() && firstLoad == calls.size(); ++i) {
        if (calls[i].kind == Kind::kLoad || calls[i].kind == Kind::kCreate) {
            firstLoad = i;
        }
    }
    ASSERT_LT(firstLoad, calls.size());
    const int firstLevelHandle = calls[firstLoad].source;
    std::vector<std::string> menuUnloads;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].kind == Kind::kUnload && calls[i].source < firstLevelHandle) {
            EXPECT_LT(i, firstLoad) << files.video.pathOf(calls[i].source);
            menuUnloads.push_back(files.video.pathOf(calls[i].source));
        }
    }
    EXPECT_EQ(menuUnloads, (std::vector<std::string>{"selector.bmp", "font.bmp"}));
    EXPECT_TRUE(loaded("tiles.bmp"));
    EXPECT_TRUE(loaded("hero_r.bmp"));
    EXPECT_TRUE(loaded("enemy.bmp"));
    EXPECT_FALSE(files.video.screenCopiesOf("tiles.bmp").empty()) << "the level is drawn";
    EXPECT_TRUE(files.video.screenCopiesOf("selector.bmp").empty());
    EXPECT_TRUE(files.video.callsOf(Kind::kClear).empty()) << "the map paints the whole view";

    // Frame N+2: the first update.
    frame();
    ASSERT_EQ(level(), created);
    EXPECT_EQ(created->getFrameCounter(), 1);
    EXPECT_TRUE(created->isReadyVisible());
}

TEST_F(StateSwitch, WithoutInitMessagesTheLevelIsSablexPlayedWithVoltbot1) {
    manager->setNextState();
    frame();
    ASSERT_NE(level(), nullptr);
    EXPECT_TRUE(loaded("hero_r.bmp"));
    EXPECT_EQ(manager->getInitMessage(Id::kLevel), "Sablex");
    EXPECT_EQ(manager->getInitMessage(Id::kVoltbot), "voltbot1");
}

TEST_F(StateSwitch, RepeatedRequestsSwitchOnceAndTheLevelThenRunsEveryFrame) {
    manager->setNextState();
    manager->setNextState();
    manager->setNextState();
    frame();
    Level* created = level();
    ASSERT_NE(created, nullptr);
    const int liveAfterSwitch = files.video.liveBitmaps();

    for (int i = 1; i <= 3; ++i) {
        frame();
        ASSERT_EQ(level(), created) << "no second switch";
        EXPECT_EQ(created->getFrameCounter(), i);
    }
    EXPECT_EQ(files.video.liveBitmaps(), liveAfterSwitch);
}

}  // namespace
