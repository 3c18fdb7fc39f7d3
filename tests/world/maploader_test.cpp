#include <filesystem>

#include "mapfixture.h"

namespace {

// Loads the level of levels.ini and returns the error it is refused with. Whatever the
// reason, the tile sheet must not be left loaded.
class TileMapLoader : public MapFixture {
  protected:
    void SetUp() override {
        writeTestLevel(scratch, level(blankScreens(2, 1), {{0, 0, 512, 240}}));
    }

    LoadError refusal() {
        try {
            loadWritten();
            ADD_FAILURE() << "the level was accepted";
        } catch (const LoadError& error) {
            EXPECT_EQ(video.liveBitmaps(), 0) << "tile sheet left loaded";
            return error;
        }
        return LoadError("", "");
    }

    LoadError refusalOfMap(const std::string& bytes) {
        scratch.write("Test.map", bytes);
        return refusal();
    }

    LoadError refusalOfLevel(const TestLevel& testLevel) {
        writeTestLevel(scratch, testLevel);
        return refusal();
    }

    // The map file of a whole-present 2 x 1 screen map of '.' tiles.
    static std::string goodMap() { return buildTileMap(blankScreens(2, 1)); }

    static std::string header(int width, int height, int picturesPlusOne) {
        return std::string{static_cast<char>(width >> 8), static_cast<char>(width & 0xff),
                           static_cast<char>(height >> 8), static_cast<char>(height & 0xff),
                           static_cast<char>(picturesPlusOne)};
    }

    static std::string tiles(int width, int height) {
        std::string bytes;
        for (int i = 0; i < width * height; ++i) {
            bytes += std::string("\x01\x00", 2);  // picture 0, passable
        }
        return bytes;
    }
};

::testing::AssertionResult mentions(const LoadError& error, const std::string& file,
                                    std::initializer_list<const char*> words) {
    if (error.file() != file) {
        return ::testing::AssertionFailure() << "file is '" << error.file() << "'";
    }
    for (const char* word : words) {
        if (error.problem().find(word) == std::string::npos) {
            return ::testing::AssertionFailure()
                   << "'" << error.problem() << "' does not mention '" << word << "'";
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(TileMapLoader, AcceptsAWellFormedLevel) {
    const auto map = loadWritten();
    EXPECT_EQ(map->getScreenCount(), 2);
}

TEST_F(TileMapLoader, RefusesAMissingMapFile) {
    std::filesystem::remove("Test.map");
    EXPECT_TRUE(mentions(refusal(), "Test.map", {"cannot be opened"}));
}

TEST_F(TileMapLoader, MissingTileSheetIsReportedByTheVideoService) {
    video.failOn("tiles.bmp");
    EXPECT_TRUE(mentions(refusal(), "tiles.bmp", {}));
}

TEST_F(TileMapLoader, RefusesAFileShorterThanItsHeader) {
    EXPECT_TRUE(
        mentions(refusalOfMap(std::string("\x00\x20\x00", 3)), "Test.map", {"3 bytes", "header"}));
    EXPECT_TRUE(mentions(refusalOfMap(""), "Test.map", {"0 bytes"}));
}

TEST_F(TileMapLoader, RefusesAFileOneByteShort) {
    std::string bytes = goodMap();
    bytes.pop_back();
    EXPECT_TRUE(mentions(refusalOfMap(bytes), "Test.map", {"964 bytes", "965", "32 x 15"}));
}

TEST_F(TileMapLoader, RefusesTrailingBytes) {
    EXPECT_TRUE(mentions(refusalOfMap(goodMap() + "z"), "Test.map", {"1 byte(s)", "header"}));
}

TEST_F(TileMapLoader, RefusesAHugeHeaderWithoutData) {
    // 65520 x 65535 tiles would promise 8 GB; the size check comes before any allocation.
    EXPECT_TRUE(
        mentions(refusalOfMap(header(65520, 65535, 4)), "Test.map", {"5 bytes", "65520 x 65535"}));
}

TEST_F(TileMapLoader, RefusesWidthsAndHeightsThatAreNotWholeScreens) {
    EXPECT_TRUE(mentions(refusalOfMap(header(17, 15, 4) + tiles(17, 15)), "Test.map",
                         {"width of 17 tiles"}));
    EXPECT_TRUE(mentions(refusalOfMap(header(16, 14, 4) + tiles(16, 14)), "Test.map",
                         {"height of 14 tiles"}));
    EXPECT_TRUE(mentions(refusalOfMap(header(0, 15, 4)), "Test.map", {"empty"}));
    EXPECT_TRUE(mentions(refusalOfMap(header(16, 0, 4)), "Test.map", {"empty"}));
}

TEST_F(TileMapLoader, RefusesAScreenMissingSomeRows) {
    std::string bytes = goodMap();
    bytes[tileByteOffset(32, 16, 3)] = 0;  // screen 1 loses its tile row 3
    EXPECT_TRUE(
        mentions(refusalOfMap(bytes), "Test.map", {"screen 1", "partly present", "tile row 3"}));
}

TEST_F(TileMapLoader, RefusesAScreenMissingItsFirstRows) {
    auto rows = blankScreens(1, 2);
    fillScreen(rows, 0, 1, 'x');
    std::string bytes = buildTileMap(rows);
    bytes[tileByteOffset(16, 0, 20)] = 1;  // a row of the absent screen 1 holds tiles
    EXPECT_TRUE(mentions(refusalOfMap(bytes), "Test.map",
                         {"screen 1", "partly present", "tile row 20", "first row 15"}));
}

TEST_F(TileMapLoader, RefusesPictureZeroInAPresentScreen) {
    std::string bytes = goodMap();
    bytes[tileByteOffset(32, 5, 3)] = 0;  // not the chunk's first tile
    EXPECT_TRUE(mentions(refusalOfMap(bytes), "Test.map",
                         {"tile column 5", "tile row 3", "screen 0", "byte 0"}));
}

TEST_F(TileMapLoader, RefusesPicturesBeyondTheHeadersCount) {
    std::string bytes = goodMap();
    bytes[tileByteOffset(32, 20, 7)] = 4;  // picture 3 of a three-picture sheet
    EXPECT_TRUE(mentions(refusalOfMap(bytes), "Test.map",
                         {"tile column 20", "tile row 7", "screen 1", "byte 4"}));
}

TEST_F(TileMapLoader, RefusesPresentScreensWithoutPictures) {
    std::string bytes = goodMap();
    bytes[4] = 1;  // no pictures at all
    EXPECT_TRUE(mentions(refusalOfMap(bytes), "Test.map", {"no tile pictures", "screen 0"}));
    bytes[4] = 0;
    EXPECT_TRUE(mentions(refusalOfMap(bytes), "Test.map", {"picture count"}));
}

TEST_F(TileMapLoader, RefusesATileSheetNarrowerThanItsPictures) {
    useTileSheet(video, 2);
    EXPECT_TRUE(mentions(refusal(), "tiles.bmp", {"32 pixels wide", "3 pictures", "Test.map"}));
}

TEST_F(TileMapLoader, MeasuresTheTileSheetWhateverTheMultiplier) {
    video.setPixelMultiplier(3);
    useTileSheet(video, 3);
    EXPECT_NO_THROW(loadWritten());
    useTileSheet(video, 2);
    // In the sheet's own pixels, as an editor shows them.
    EXPECT_TRUE(mentions(refusal(), "tiles.bmp", {"32 pixels wide", "48 pixels needed"}));
}

TEST_F(TileMapLoader, RefusesALevelWithoutBoundaries) {
    TestLevel testLevel = level(blankScreens(2, 1), {});
    EXPECT_TRUE(mentions(refusalOfLevel(testLevel), "levels.ini", {"[Test]", "boundaries = 0"}));
    testLevel.extraKeys = "boundaries = -1\n";
    EXPECT_TRUE(mentions(refusalOfLevel(testLevel), "levels.ini", {"boundaries = -1"}));
    testLevel.extraKeys = "boundaries = 1000000000\n";
    EXPECT_TRUE(mentions(refusalOfLevel(testLevel), "levels.ini", {"boundaries = 1000000000"}));
}

TEST_F(TileMapLoader, RefusesBoundariesWithoutWidth) {
    TestLevel testLevel = level(blankScreens(2, 1), {{0, 0, 512, 240}, {0, 0, 0, 240}});
    EXPECT_TRUE(mentions(refusalOfLevel(testLevel), "levels.ini", {"boundary1w = 0"}));
    testLevel.extraKeys = "boundary0w = 70000\n";
    EXPECT_TRUE(mentions(refusalOfLevel(testLevel), "levels.ini", {"boundary0w = 70000"}));
    testLevel.extraKeys = "boundary0w = -5\n";
    EXPECT_TRUE(mentions(refusalOfLevel(testLevel), "levels.ini", {"boundary0w = -5"}));
}

TEST_F(TileMapLoader, RefusesABoundaryOverAnAbsentScreen) {
    auto rows = blankScreens(2, 1);
    fillScreen(rows, 1, 0, 'x');
    EXPECT_TRUE(mentions(refusalOfLevel(level(rows, {{0, 0, 257, 240}})), "levels.ini",
                         {"boundary0", "absent screen 1"}));
}

TEST_F(TileMapLoader, RefusesABoundaryOutsideTheMap) {
    const auto rows = blankScreens(2, 1);
    EXPECT_TRUE(mentions(refusalOfLevel(level(rows, {{0, 0, 512, 240}, {0, 1, 512, 240}})),
                         "levels.ini", {"boundary1", "outside the map of 512 x 240"}));
    EXPECT_TRUE(mentions(refusalOfLevel(level(rows, {{1, 0, 512, 240}})), "levels.ini",
                         {"boundary0 (x 1, y 0, w 512)"}));
    EXPECT_TRUE(
        mentions(refusalOfLevel(level(rows, {{-256, 0, 256, 240}})), "levels.ini", {"boundary0"}));
}

TEST_F(TileMapLoader, AcceptsABoundaryNotAlignedToScreens) {
    writeTestLevel(scratch, level(blankScreens(2, 1), {{100, 0, 300, 240}}));
    const auto map = loadWritten();
    EXPECT_EQ(map->getCurrentBoundary().x, 100);
    EXPECT_EQ(map->getCurrentBoundary().w, 300);
}

TEST_F(TileMapLoader, RefusesATeleportStopBeyondRange) {
    TestLevel testLevel = level(blankScreens(1, 2), {{0, 240, 256, 240}});
    testLevel.teleportStopPosY = 2147483647;
    EXPECT_TRUE(mentions(refusalOfLevel(testLevel), "levels.ini", {"teleportStopPosY"}));
}

TEST_F(TileMapLoader, MissingLevelSectionNamesTheDefaultFiles) {
    try {
        loadWritten("Elsewhere");
        ADD_FAILURE() << "the level was accepted";
    } catch (const LoadError& error) {
        // The fake video loads any sheet, so the map file "empty" is the first to fail.
        EXPECT_EQ(error.file(), "empty");
    }
    EXPECT_EQ(video.liveBitmaps(), 0);
}
