#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "check/contentcheck.h"
#include "scratchdir.h"
#include "textmap.h"

namespace fs = std::filesystem;

namespace {

// A scratch copy of the shipped data; the tests then break one thing at a time. Keys
// written before a section's shipped keys win (the first value of a key counts), so an
// override is prepended: "[BoundingBox]\nheightHalf = 10\n" + the shipped file.
class ContentCheck : public ::testing::Test {
  protected:
    void SetUp() override { m_scratch.copyShippedData(); }

    std::string shipped(const std::string& name) const {
        std::ifstream in(sourceDir() / "data" / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Writes the character "voltbot1" as the shipped one with these lines first.
    void overrideCharacter(const std::string& lines) {
        m_scratch.write("voltbot1", lines + "\n" + shipped("voltbot1"));
    }

    // One level "Test" (plus the shipped ones) whose map is the given rows.
    void writeLevel(const std::vector<std::string>& rows, const std::string& keys) {
        m_scratch.write("test.map", buildTileMap(rows, 3));
        m_scratch.write("levels.ini", shipped("levels.ini") +
                                          "\n[Test]\ntileSheet = sablex_tiles.bmp\n"
                                          "tileMap = test.map\n" +
                                          keys);
        m_scratch.write("stageselect.ini",
                        "[Levels]\namount = 1\nlevel0 = Test\n"
                        "[Voltbots]\namount = 1\nvoltbot0 = voltbot1\nvoltbot0title = V\n");
    }

    // Every reported line, "<file>: <problem>".
    std::vector<std::string> problems() const {
        std::vector<std::string> lines;
        for (const auto& problem : contentcheck::checkAll()) {
            lines.push_back(problem.file + ": " + problem.text);
        }
        return lines;
    }

    static bool has(const std::vector<std::string>& lines, const std::string& part) {
        for (const auto& line : lines) {
            if (line.find(part) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    // Nine screen rows, one screen wide, a floor on tile row 12 of every screen (so the
    // enemy at y 2104 stands on row 132) and the start screen's floor under the beam.
    static std::vector<std::string> nineRows() {
        auto rows = blankScreens(1, 9, '.');
        for (int row = 0; row < 9; ++row) {
            for (int x = 0; x < 256; x += 16) {
                setTileAt(rows, x, row * 240 + 192, '#');
            }
        }
        return rows;
    }

    ScratchDir m_scratch;
};

std::string listOf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += "  " + line + "\n";
    }
    return text;
}

}  // namespace

TEST_F(ContentCheck, FindsNothingInTheShippedData) {
    const auto lines = problems();
    EXPECT_TRUE(lines.empty()) << listOf(lines);
}

// A scroll that shows part of a neighbouring screen is found where a player can pass.
TEST_F(ContentCheck, ReportsAScrollThatDoesNotShowWholeScreens) {
    m_scratch.write("levels.ini", "[Sablex]\nboundary0w = 700\n" + shipped("levels.ini"));
    const auto lines = problems();
    EXPECT_TRUE(has(lines,
                    "[Sablex] the scroll between boundary 0 and boundary 1 at x 672 to 687 "
                    "shows view x 444 in boundary 0 and 512 in boundary 1: part of a "
                    "neighbouring screen scrolls into view: the camera jumps sideways"))
        << listOf(lines);
}

TEST_F(ContentCheck, ReportsALevelTheLoaderRefuses) {
    m_scratch.write("levels.ini", "[Sablex]\nboundaries = 0\n" + shipped("levels.ini"));
    const auto lines = problems();
    EXPECT_TRUE(has(lines, "levels.ini: [Sablex] boundaries = 0")) << listOf(lines);
    EXPECT_FALSE(has(lines, "[Corvane] boundaries")) << listOf(lines);
}

TEST_F(ContentCheck, ReportsATeleportStopOffTheBeamsGrid) {
    m_scratch.write("levels.ini", "[Sablex]\nteleportStopPosY = 170\n" + shipped("levels.ini"));
    const auto lines = problems();
    EXPECT_TRUE(has(lines, "levels.ini: [Sablex] teleportStopPosY 170 is not 4 + 16k"))
        << listOf(lines);
}

TEST_F(ContentCheck, ReportsALevelWithoutTheEnemysScreenOrFloor) {
    auto rows = blankScreens(1, 2, '.');
    setTileAt(rows, 0, 192, '#');
    setTileAt(rows, 128, 192, '#');
    writeLevel(rows, "boundaries = 1\nboundary0w = 256\nteleportStopPosY = 164\n");
    auto lines = problems();
    EXPECT_TRUE(has(lines, "[Test] has no screen at row 8, column 0")) << listOf(lines);

    rows = nineRows();
    setTileAt(rows, 112, 2112, '.');  // a hole in the floor under the enemy
    fillScreen(rows, 0, 7, 'x');
    writeLevel(rows,
               "boundaries = 2\nboundary0w = 256\nboundary1y = 1920\nboundary1w = 256\n"
               "teleportStopPosY = 164\n");
    lines = problems();
    EXPECT_TRUE(has(lines, "[Test] no floor under the enemy at x 112 to 127, y 2112"))
        << listOf(lines);
}

TEST_F(ContentCheck, ReportsAStartThatWouldChooseTheBoundaryAbove) {
    // Boundary 0 is the second screen row; boundary 1 above it covers the start box's
    // top-left corner, a few pixels above boundary 0's top.
    writeLevel(nineRows(),
               "boundaries = 2\nboundary0y = 240\nboundary0w = 256\nboundary1w = 256\n"
               "teleportStopPosY = 164\n");
    const auto lines = problems();
    EXPECT_TRUE(has(lines, "lies in boundary 1, so the level would start there")) << listOf(lines);
}

TEST_F(ContentCheck, ReportsABeamFallingThroughTheEnemy) {
    writeLevel(nineRows(),
               "boundaries = 1\nboundary0y = 1920\nboundary0w = 256\n"
               "teleportStopPosY = 164\n");
    const auto lines = problems();
    EXPECT_TRUE(has(lines, "runs over the enemy at x 112, y 2104")) << listOf(lines);
}

TEST_F(ContentCheck, ReportsABeamThatNeverLands) {
    auto rows = nineRows();
    for (int x = 0; x < 256; x += 16) {
        setTileAt(rows, x, 192, '.');  // the start screen has no floor at all
    }
    writeLevel(rows, "boundaries = 1\nboundary0w = 256\nteleportStopPosY = 164\n");
    const auto lines = problems();
    EXPECT_TRUE(has(lines, "nothing below the teleport stop at x 128")) << listOf(lines);
}

TEST_F(ContentCheck, ReportsABoxThatDoesNotFitTheLadderGeometry) {
    overrideCharacter("[BoundingBox]\nheightHalf = 10\nxOffset = -9\n");
    const auto lines = problems();
    EXPECT_TRUE(has(lines, "voltbot1: [BoundingBox] spans x -9 to 5")) << listOf(lines);
    EXPECT_TRUE(has(lines, "voltbot1: [BoundingBox] heightHalf is 10, but the box stands 12"))
        << listOf(lines);
}

TEST_F(ContentCheck, ReportsSpriteDescriptionsOutOfRange) {
    overrideCharacter(
        "[Spritesheets]\namount = 3\n[Animations]\namount = 9\n"
        "[Sprites]\nsprite14YPos = 340\n");
    auto lines = problems();
    EXPECT_TRUE(has(lines, "voltbot1: [Spritesheets] amount is 3, a character needs 4"))
        << listOf(lines);
    EXPECT_TRUE(has(lines, "voltbot1: [Animations] amount is 9")) << listOf(lines);
    EXPECT_TRUE(has(lines, "sprite14YPos = 340 reaches outside voltbot_right.bmp"))
        << listOf(lines);

    overrideCharacter("[Animation4]\nframe0SpriteIndex = 15\n");
    lines = problems();
    EXPECT_TRUE(has(lines, "voltbot1: [Animation4] frame0SpriteIndex = 15 is outside 0..14"))
        << listOf(lines);
}

TEST_F(ContentCheck, ReportsTransitionTimingsThatDoNotScrollOneScreen) {
    overrideCharacter("[Durations]\nscrolling = 60\nafterScrolling = 0\n");
    auto lines = problems();
    EXPECT_TRUE(has(lines, "moves the camera 59 times 4 = 236 pixels, not 240")) << listOf(lines);
    // The game's own warning, in its words.
    EXPECT_TRUE(has(lines, "voltbot1: [Durations] afterScrolling = 0 is less than one frame"))
        << listOf(lines);

    // Without the pause before, the first step is taken at once: 60 x 4 is right.
    overrideCharacter("[Durations]\nscrolling = 60\nbeforeScrolling = 0\n");
    lines = problems();
    EXPECT_FALSE(has(lines, "moves the camera")) << listOf(lines);
}

TEST_F(ContentCheck, ReportsTransitionsThatCannotCarryThePlayerAcross) {
    overrideCharacter("[YSpeed]\nscrollingFraction = 8\n[ScrollConstants]\ndownEndPosY = 240\n");
    const auto lines = problems();
    EXPECT_TRUE(has(lines, "does not cross into the screen above")) << listOf(lines);
    EXPECT_TRUE(has(lines, "does not cross into the screen below")) << listOf(lines);
    EXPECT_TRUE(has(lines, "downEndPosY 240 is not above the bottom trigger")) << listOf(lines);
}

TEST_F(ContentCheck, ReportsAListedFileThatIsMissing) {
    m_scratch.write("stageselect.ini",
                    "[Levels]\namount = 1\nlevel0 = Nowhere\n"
                    "[Voltbots]\namount = 1\nvoltbot0 = voltbot9\n");
    const auto lines = problems();
    EXPECT_TRUE(has(lines, "voltbot9: cannot be opened")) << listOf(lines);
    EXPECT_TRUE(has(lines, "levels.ini: no section [Nowhere] for the chosen level"))
        << listOf(lines);
}
