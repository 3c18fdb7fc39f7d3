#include "states/stageselect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/loaderror.h"
#include "recordingvideo.h"
#include "scratchdir.h"
#include "states/gamestatemanager.h"
#include "testfont.h"

// The menu is driven through its own update: the manager's next update would replace it
// by a level, whose files these tests do not provide.

namespace {

using Kind = RecordingVideo::Kind;
using Id = GameStateManager::InitMessageId;

// 8 x 8 glyphs; only the letters of "empty" are listed, to recognise that title.
// Only the letters of "empty" have glyphs, to recognise that title.
const char* const kCharacters = "e = 80\nm = 88\np = 96\nt = 104\ny = 112\n";

const char* const kThreeLevelsTwoCharacters = R"(
[Levels]
amount = 3
level0 = Sablex
level1 = Cobalt
level2 = Quarry

[Voltbots]
amount = 2
voltbot0 = voltbot1
voltbot0title = VOLTBOT
voltbot1 = voltbot2
)";

// Builds each frame's input the way the engine does: prevDirY is last frame's dirY.
class Pad {
  public:
    Controls frame(Direction::type dirY, bool shoot = false, bool jump = false) {
        Controls controls;
        controls.prevDirY = m_dirY;
        controls.dirY = dirY;
        controls.shootPressed = shoot;
        controls.jumpPressed = jump;
        m_dirY = dirY;
        return controls;
    }

  private:
    Direction::type m_dirY = Direction::kNone;
};

class MenuTest : public ::testing::Test {
  protected:
    MenuTest() {
        scratch.write("font.ini", testFontIni(kCharacters));
        video.setImageSize("selector.bmp", 8, 8);
    }

    StageSelect& open(const std::string& stageSelectIni = kThreeLevelsTwoCharacters) {
        scratch.write("stageselect.ini", stageSelectIni);
        manager = std::make_unique<GameStateManager>();
        // Mark the messages, so a confirmation of the default names is visible.
        manager->setInitMessage(Id::kLevel, "unchosen");
        manager->setInitMessage(Id::kVoltbot, "unchosen");
        menu = dynamic_cast<StageSelect*>(manager->getCurrentState());
        EXPECT_NE(menu, nullptr);
        return *menu;
    }

    void press(Direction::type direction) {
        menu->update(pad.frame(direction));
        menu->update(pad.frame(Direction::kNone));
    }
    void shoot() { menu->update(pad.frame(Direction::kNone, true)); }
    void jump() { menu->update(pad.frame(Direction::kNone, false, true)); }

    bool confirmed() const { return manager->getInitMessage(Id::kLevel) != "unchosen"; }

    // Where the cursor is drawn in the last frame.
    std::vector<std::pair<int, int>> cursors() const {
        std::vector<std::pair<int, int>> at;
        for (const auto& copy : video.screenCopiesOf("selector.bmp")) {
            EXPECT_FALSE(copy.hasSourceRect);
            at.emplace_back(copy.x, copy.y);
        }
        return at;
    }
    std::vector<std::pair<int, int>> drawCursors() {
        video.clearCalls();
        menu->draw();
        return cursors();
    }

    ScratchDir scratch;
    RecordingVideo video;
    ScopedVideo service{&video};
    std::unique_ptr<GameStateManager> manager;
    StageSelect* menu = nullptr;
    Pad pad;
};

using Cursor = std::vector<std::pair<int, int>>;

}  // namespace

TEST_F(MenuTest, DrawsClearedScreenThenTitlesThenCursor) {
    open();
    video.clearCalls();
    menu->draw();
    ASSERT_FALSE(video.calls.empty());
    EXPECT_EQ(video.calls.front().kind, Kind::kClear);

    // First glyph of each title: levels at x 32, characters at x 128, a line apart.
    std::vector<std::pair<int, int>> lineStarts;
    for (const auto& copy : video.screenCopiesOf("glyphs.bmp")) {
        if (copy.x == 32 || copy.x == 128) {
            lineStarts.emplace_back(copy.x, copy.y);
        }
    }
    EXPECT_EQ(lineStarts, (Cursor{{32, 32}, {32, 40}, {32, 48}, {128, 32}, {128, 40}}));

    EXPECT_EQ(video.pathOf(video.calls.back().source), "selector.bmp");
    EXPECT_EQ(cursors(), (Cursor{{24, 32}}));
}

TEST_F(MenuTest, CursorKeepsItsOutputWidthLeftOfTheText) {
    video.setPixelMultiplier(2);
    open();
    EXPECT_EQ(drawCursors(), (Cursor{{16, 32}}));
}

TEST_F(MenuTest, CursorStopsAtBothEnds) {
    open();
    press(Direction::kUp);
    EXPECT_EQ(menu->getLevelIndex(), 0);
    for (int i = 0; i < 4; ++i) {
        press(Direction::kDown);
    }
    EXPECT_EQ(menu->getLevelIndex(), 2);
    EXPECT_EQ(drawCursors(), (Cursor{{24, 48}}));
}

TEST_F(MenuTest, OnlyAChangeOfDirectionMovesTheCursor) {
    open();
    menu->update(pad.frame(Direction::kDown));
    menu->update(pad.frame(Direction::kDown));  // held
    EXPECT_EQ(menu->getLevelIndex(), 1);
    menu->update(pad.frame(Direction::kUp));  // up pressed while down is held
    EXPECT_EQ(menu->getLevelIndex(), 0);
    menu->update(pad.frame(Direction::kDown));  // up released, down still held
    EXPECT_EQ(menu->getLevelIndex(), 1);
}

TEST_F(MenuTest, ShootChoosesTheLevelThenConfirms) {
    open();
    shoot();
    EXPECT_TRUE(menu->isVoltbotColumnActive());
    EXPECT_FALSE(confirmed());
    EXPECT_EQ(drawCursors(), (Cursor{{24, 32}, {120, 32}}));

    shoot();
    EXPECT_EQ(manager->getInitMessage(Id::kLevel), "Sablex");
    EXPECT_EQ(manager->getInitMessage(Id::kVoltbot), "voltbot1");
}

TEST_F(MenuTest, JumpGoesBackToTheLevelsKeepingTheCharacter) {
    open();
    shoot();
    press(Direction::kDown);
    jump();
    EXPECT_FALSE(menu->isVoltbotColumnActive());
    EXPECT_EQ(drawCursors(), (Cursor{{24, 32}}));
    press(Direction::kDown);
    EXPECT_EQ(menu->getLevelIndex(), 1);
    EXPECT_EQ(menu->getVoltbotIndex(), 1);
    shoot();
    EXPECT_EQ(drawCursors(), (Cursor{{24, 40}, {120, 40}}));
    shoot();
    EXPECT_EQ(manager->getInitMessage(Id::kLevel), "Cobalt");
    EXPECT_EQ(manager->getInitMessage(Id::kVoltbot), "voltbot2");
}

TEST_F(MenuTest, ShootAndJumpTogether) {
    open();
    menu->update(pad.frame(Direction::kNone, true, true));
    EXPECT_FALSE(menu->isVoltbotColumnActive());
    EXPECT_FALSE(confirmed());

    shoot();
    menu->update(pad.frame(Direction::kNone, true, true));
    EXPECT_TRUE(confirmed());
    EXPECT_FALSE(menu->isVoltbotColumnActive());
}

TEST_F(MenuTest, MissingTitleShowsEmptyButHandsOnThePath) {
    open();
    video.clearCalls();
    menu->draw();
    std::vector<int> glyphs;
    for (const auto& copy : video.screenCopiesOf("glyphs.bmp")) {
        if (copy.y == 40 && copy.x >= 128) {
            glyphs.push_back(copy.sourceRect.y);
        }
    }
    EXPECT_EQ(glyphs, (std::vector<int>{80, 88, 96, 104, 112}));

    shoot();
    press(Direction::kDown);
    shoot();
    EXPECT_EQ(manager->getInitMessage(Id::kVoltbot), "voltbot2");
}

// A column without entries could never be confirmed, and an entry the count promises but
// the file lacks would only show "empty": such menus are refused at once, naming the key.
TEST_F(MenuTest, RefusesColumnsWithoutEntriesOrWithFewerThanTheirAmount) {
    const std::string levels = "[Levels]\namount = 1\nlevel0 = Sablex\n";
    const std::string voltbots = "[Voltbots]\namount = 1\nvoltbot0 = voltbot1\n";
    const struct {
        std::string file;
        std::string problem;
    } cases[] = {
        {levels + "[Voltbots]\namount = -3\n",
         "[Voltbots] amount = -3: the menu needs 1 to 64 characters"},
        {voltbots, "[Levels] amount is missing: the menu needs 1 to 64 levels"},
        {"[Levels]\namount = 100000\n" + voltbots,
         "[Levels] amount = 100000: the menu needs 1 to 64 levels"},
        {levels + "[Voltbots]\namount = 100000\n",
         "[Voltbots] amount = 100000: the menu needs 1 to 64 characters"},
        {"[Levels]\namount = 2\nlevel0 = Sablex\n" + voltbots,
         "[Levels] level1 is missing ([Levels] amount = 2)"},
        {levels + "[Voltbots]\namount = 1\nvoltbot0title = V\n",
         "[Voltbots] voltbot0 is missing ([Voltbots] amount = 1)"},
    };
    for (const auto& c : cases) {
        scratch.write("stageselect.ini", c.file);
        try {
            GameStateManager refused;
            ADD_FAILURE() << "accepted: " << c.file;
        } catch (const LoadError& error) {
            EXPECT_EQ(error.file(), "stageselect.ini");
            EXPECT_EQ(error.problem(), c.problem);
        }
        EXPECT_EQ(video.liveBitmaps(), 0);
    }
}

TEST_F(MenuTest, ReleasesFontAndCursorWhenDestroyed) {
    open();
    EXPECT_EQ(video.liveBitmaps(), 2);
    manager.reset();
    EXPECT_EQ(video.liveBitmaps(), 0);
}
