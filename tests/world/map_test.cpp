#include <algorithm>

#include "mapfixture.h"
#include "world/camera.h"

namespace {

using TileLookup = MapFixture;
using Boundaries = MapFixture;
using MapDrawing = MapFixture;

}  // namespace

TEST_F(TileLookup, ReadsTheTileOfTheScreenUnderThePixel) {
    auto rows = blankScreens(2, 1);
    setTileAt(rows, 300, 20, '#');
    setTileAt(rows, 16, 0, 'H');
    const auto map = load(level(rows, {{0, 0, 512, 240}}));
    ASSERT_EQ(map->getScreenCount(), 2);
    ASSERT_EQ(map->getScreensPerRow(), 2);

    // Screen 1, element 1 * 16 + 2.
    const Tile wall = map->getTile(300, 20);
    EXPECT_EQ(wall.index, 1);
    EXPECT_EQ(wall.type, TileType::kSolid);
    EXPECT_EQ(wall.x, 288);
    EXPECT_EQ(wall.y, 16);

    const Tile ladder = map->getTile(31, 15);
    EXPECT_EQ(ladder.index, 2);
    EXPECT_EQ(ladder.type, TileType::kLadder);
    EXPECT_EQ(ladder.x, 16);
    EXPECT_EQ(ladder.y, 0);

    const Tile empty = map->getTile(511, 239);
    EXPECT_EQ(empty.index, 0);
    EXPECT_EQ(empty.type, TileType::kPassable);
    EXPECT_EQ(empty.x, 496);
    EXPECT_EQ(empty.y, 224);
}

TEST_F(TileLookup, NegativeCoordinatesReadAsZero) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 0, 0, 'H');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    const Tile tile = map->getTile(-5, -100);
    EXPECT_EQ(tile.type, TileType::kLadder);
    EXPECT_EQ(tile.x, 0);
    EXPECT_EQ(tile.y, 0);
}

TEST_F(TileLookup, NegativeCoordinatesOverAnAbsentScreenReadAsOutOfMap) {
    auto rows = blankScreens(2, 1);
    fillScreen(rows, 0, 0, 'x');
    const auto map = load(level(rows, {{256, 0, 256, 240}}));
    const Tile tile = map->getTile(-5, -100);
    EXPECT_EQ(tile.index, 0);
    EXPECT_EQ(tile.type, TileType::kSolid);
    EXPECT_EQ(tile.x, 0);
    EXPECT_EQ(tile.y, 0);
}

TEST_F(TileLookup, AbsentScreenBelowIsSolidOnlyOnTheRowUnderTheBoundary) {
    auto rows = blankScreens(1, 2);
    fillScreen(rows, 0, 1, 'x');
    const auto map = load(level(rows, {{0, 0, 256, 240}}));
    EXPECT_FALSE(map->hasScreen(1));
    const Tile under = map->getTile(37, 240);
    EXPECT_EQ(under.type, TileType::kSolid);
    EXPECT_EQ(under.index, 0);
    EXPECT_EQ(under.x, 32);
    EXPECT_EQ(under.y, 240);
    EXPECT_EQ(map->getTile(37, 241).type, TileType::kPassable);
    EXPECT_EQ(map->getTile(37, 479).type, TileType::kPassable);
    // Below the whole map, too.
    EXPECT_EQ(map->getTile(37, 100000).type, TileType::kPassable);
}

TEST_F(TileLookup, SolidityDependsOnThePixelAskedNotTheTileRow) {
    auto rows = blankScreens(1, 3);
    setTileAt(rows, 0, 480, '#');  // tile row 30: pixels 480 to 495
    setTileAt(rows, 0, 224, '#');  // last row of the boundary above
    setTileAt(rows, 0, 240, '#');  // first row of the current boundary
    const auto map = load(level(rows, {{0, 0, 256, 240}, {0, 240, 256, 240}}));
    map->setCurrentBoundaryByPosition(10, 300);
    ASSERT_EQ(map->getCurrentBoundary().y, 240);
    EXPECT_EQ(map->getTile(0, 480).type, TileType::kSolid);
    EXPECT_EQ(map->getTile(0, 481).type, TileType::kPassable);
    EXPECT_EQ(map->getTile(0, 495).type, TileType::kPassable);
    EXPECT_EQ(map->getTile(0, 239).type, TileType::kPassable);
    EXPECT_EQ(map->getTile(0, 240).type, TileType::kSolid);
    // The record still names the tile's own picture.
    EXPECT_EQ(map->getTile(0, 481).index, 1);
}

TEST_F(TileLookup, LaddersOutsideTheBoundaryStayLadders) {
    auto rows = blankScreens(1, 3);
    setTileAt(rows, 0, 100, 'H');
    setTileAt(rows, 0, 600, 'H');
    const auto map = load(level(rows, {{0, 240, 256, 240}}));
    EXPECT_EQ(map->getTile(0, 100).type, TileType::kLadder);
    EXPECT_EQ(map->getTile(0, 600).type, TileType::kLadder);
}

TEST_F(TileLookup, PixelsRightOfTheMapAreOutOfMapNotTheNextScreenRow) {
    auto rows = blankScreens(2, 2);
    fillScreen(rows, 0, 1, 'H');
    const auto map = load(level(rows, {{0, 0, 512, 240}}));
    // Truncating arithmetic alone would land in screen 2, the ladder screen below.
    const Tile tile = map->getTile(600, 10);
    EXPECT_EQ(tile.type, TileType::kSolid);
    EXPECT_EQ(tile.index, 0);
    EXPECT_EQ(tile.x, 592);
    EXPECT_EQ(tile.y, 0);
}

TEST_F(TileLookup, UnknownTypeByteBehavesLikePassable) {
    auto rows = blankScreens(1, 1);
    setTileAt(rows, 32, 64, '#');
    TestLevel testLevel = level(rows, {{0, 0, 256, 240}});
    writeTestLevel(scratch, testLevel);
    std::string bytes = buildTileMap(rows);
    bytes[tileByteOffset(16, 2, 4) + 1] = 7;
    scratch.write("Test.map", bytes);
    const auto map = loadWritten();
    const Tile tile = map->getTile(32, 64);
    EXPECT_NE(tile.type, TileType::kSolid);
    EXPECT_NE(tile.type, TileType::kLadder);
    // Nothing stops a box moving into it, and no ladder is found there.
    EXPECT_EQ(map->getMaxXDelta({0, 60, 16, 8}, Direction::kRight), 16);
    EXPECT_FALSE(map->getLadderSonar(40, 60, 60, 0, false, false).atFeet);
}

TEST_F(TileLookup, ChunkStartingWithZeroIsSkippedWhatever) {
    auto rows = blankScreens(2, 1);
    fillScreen(rows, 1, 0, 'x');
    TestLevel testLevel = level(rows, {{0, 0, 256, 240}});
    writeTestLevel(scratch, testLevel);
    std::string bytes = buildTileMap(rows);
    // Garbage in every byte of screen 1's chunks but the first: out-of-range pictures.
    for (int row = 0; row < 15; ++row) {
        const std::size_t chunk = tileByteOffset(32, 16, row);
        for (std::size_t i = 1; i < 32; ++i) {
            bytes[chunk + i] = static_cast<char>(0xff);
        }
    }
    scratch.write("Test.map", bytes);
    const auto map = loadWritten();
    EXPECT_TRUE(map->hasScreen(0));
    EXPECT_FALSE(map->hasScreen(1));
    EXPECT_EQ(map->getTile(300, 20).index, 0);
    EXPECT_EQ(map->getTile(300, 20).type, TileType::kSolid);
}

TEST_F(Boundaries, FirstContainingBoundaryWins) {
    const auto map =
        load(level(blankScreens(2, 2), {{0, 0, 256, 240}, {0, 0, 512, 240}, {0, 240, 512, 240}}));
    EXPECT_EQ(map->getCurrentBoundaryIndex(), 0);
    map->setCurrentBoundaryByPosition(100, 10);
    EXPECT_EQ(map->getCurrentBoundaryIndex(), 0);
    // x = boundary x + w lies outside boundary 0.
    map->setCurrentBoundaryByPosition(256, 10);
    EXPECT_EQ(map->getCurrentBoundaryIndex(), 1);
    map->setCurrentBoundaryByPosition(256, 240);
    EXPECT_EQ(map->getCurrentBoundaryIndex(), 2);
    // A point in no boundary leaves the current one.
    map->setCurrentBoundaryByPosition(600, 10);
    EXPECT_EQ(map->getCurrentBoundaryIndex(), 2);
    map->setCurrentBoundaryByPosition(-1, 10);
    EXPECT_EQ(map->getCurrentBoundaryIndex(), 2);
    const Rect current = map->getCurrentBoundary();
    EXPECT_EQ(current.x, 0);
    EXPECT_EQ(current.y, 240);
    EXPECT_EQ(current.w, 512);
    EXPECT_EQ(current.h, 240);
}

TEST_F(Boundaries, TeleportValuesAlwaysComeFromBoundaryZero) {
    auto rows = blankScreens(3, 2);
    fillScreen(rows, 2, 0, 'x');
    fillScreen(rows, 0, 1, 'x');
    fillScreen(rows, 1, 1, 'x');
    TestLevel testLevel = level(rows, {{0, 0, 512, 240}, {512, 240, 256, 240}});
    testLevel.teleportStopPosY = 180;
    testLevel.teleportStartYSpeedFraction = -300;
    const auto map = load(testLevel);
    map->setCurrentBoundaryByPosition(600, 300);
    EXPECT_EQ(map->getCurrentBoundaryIndex(), 1);
    EXPECT_EQ(map->getTeleportStartPosX(), 32768);
    EXPECT_EQ(map->getTeleportStartPosY(), 1272);
    EXPECT_EQ(map->getTeleportStopPosY(), 180);
    EXPECT_EQ(map->getTeleportStartYSpeed(), -300);
}

TEST_F(Boundaries, TeleportStartsInsideALowerBoundaryZero) {
    TestLevel testLevel = level(blankScreens(2, 2), {{256, 240, 256, 240}, {0, 0, 512, 240}});
    testLevel.teleportStopPosY = 180;
    const auto map = load(testLevel);
    EXPECT_EQ(map->getTeleportStartPosX(), (256 + 128) * 256);
    EXPECT_EQ(map->getTeleportStartPosY(), 240 * 256 + 1272);
    EXPECT_EQ(map->getTeleportStopPosY(), 420);
}

TEST_F(Boundaries, LoadingLoadsTheSheetAndDestructionUnloadsIt) {
    {
        const auto map = load(level(blankScreens(1, 1), {{0, 0, 256, 240}}));
        ASSERT_EQ(video.callsOf(RecordingVideo::Kind::kLoad).size(), 1u);
        EXPECT_EQ(video.callsOf(RecordingVideo::Kind::kLoad)[0].path, "tiles.bmp");
        EXPECT_EQ(video.liveBitmaps(), 1);
        EXPECT_EQ(map->getBoundaryCount(), 1);
    }
    EXPECT_EQ(video.liveBitmaps(), 0);
}

namespace {

// The screens a frame drew, in drawing order, told apart by the map position of each
// screen's first tile (every screen is drawn as 240 copies in storage order).
std::vector<int> screensDrawn(const RecordingVideo& video, Camera& camera, int screensPerRow) {
    const auto copies = video.screenCopiesOf("tiles.bmp");
    EXPECT_EQ(copies.size() % 240, 0u);
    std::vector<int> screens;
    for (std::size_t i = 0; i < copies.size(); i += 240) {
        const int x = copies[i].x + camera.getAngleOfView()->x;
        const int y = copies[i].y + camera.getAngleOfView()->y;
        EXPECT_EQ(x % 256, 0);
        EXPECT_EQ(y % 240, 0);
        screens.push_back(y / 240 * screensPerRow + x / 256);
    }
    return screens;
}

std::vector<int> drawAt(Map& map, RecordingVideo& video, int x, int y) {
    Camera camera;
    camera.move(x, y);
    video.clearCalls();
    map.draw(camera);
    return screensDrawn(video, camera, map.getScreensPerRow());
}

}  // namespace

TEST_F(MapDrawing, DrawsEveryScreenTheViewOverlaps) {
    const auto map = load(level(blankScreens(3, 2), {{0, 0, 768, 240}}));
    using Screens = std::vector<int>;
    EXPECT_EQ(drawAt(*map, video, 0, 0), (Screens{0}));
    EXPECT_EQ(drawAt(*map, video, 256, 0), (Screens{1}));
    EXPECT_EQ(drawAt(*map, video, 260, 0), (Screens{1, 2}));
    EXPECT_EQ(drawAt(*map, video, 256, 10), (Screens{1, 4}));
    // Scrolling down while the view straddles two columns shows all four.
    EXPECT_EQ(drawAt(*map, video, 260, 10), (Screens{1, 2, 4, 5}));
    EXPECT_EQ(drawAt(*map, video, 100, 10), (Screens{0, 1, 3, 4}));
}

TEST_F(MapDrawing, SkipsAbsentScreensAndAnythingOutsideTheMap) {
    auto rows = blankScreens(3, 2);
    fillScreen(rows, 2, 1, 'x');
    const auto map = load(level(rows, {{0, 0, 768, 240}}));
    using Screens = std::vector<int>;
    EXPECT_EQ(drawAt(*map, video, 260, 10), (Screens{1, 2, 4}));
    EXPECT_EQ(drawAt(*map, video, -10, -10), (Screens{0}));
    EXPECT_EQ(drawAt(*map, video, 600, 300), (Screens{}));
    EXPECT_EQ(drawAt(*map, video, 700, 0), (Screens{2}));
    EXPECT_EQ(drawAt(*map, video, 0, 500), (Screens{}));
}

TEST_F(MapDrawing, CoversOnlyViewsWhoseScreensAreAllPresent) {
    auto rows = blankScreens(3, 2);
    fillScreen(rows, 2, 1, 'x');
    const auto map = load(level(rows, {{0, 0, 768, 240}}));
    EXPECT_TRUE(map->coversView(Rect{0, 0, 256, 240}));
    EXPECT_TRUE(map->coversView(Rect{260, 0, 256, 240}));
    EXPECT_TRUE(map->coversView(Rect{100, 10, 256, 240}));
    EXPECT_FALSE(map->coversView(Rect{260, 10, 256, 240}));  // screen 5 is absent
    EXPECT_FALSE(map->coversView(Rect{-1, 0, 256, 240}));    // left of the map
    EXPECT_FALSE(map->coversView(Rect{0, 241, 256, 240}));   // below the map
    EXPECT_FALSE(map->coversView(Rect{513, 0, 256, 240}));   // right of the map
}

TEST_F(MapDrawing, DrawsEachTileInStorageOrderWithItsPicture) {
    auto rows = blankScreens(2, 1);
    setTileAt(rows, 272, 0, '#');
    setTileAt(rows, 256, 16, 'H');
    const auto map = load(level(rows, {{0, 0, 512, 240}}));
    Camera camera;
    camera.move(250, 0);
    map->draw(camera);
    const auto copies = video.screenCopiesOf("tiles.bmp");
    ASSERT_EQ(copies.size(), 480u);
    // Screen 0 first: its first tile at picture column -250.
    EXPECT_EQ(copies[0].x, -250);
    EXPECT_EQ(copies[0].y, 0);
    const auto& second = copies[240 + 1];  // screen 1, tile column 1, row 0
    EXPECT_EQ(second.x, 22);
    EXPECT_EQ(second.y, 0);
    ASSERT_TRUE(second.hasSourceRect);
    EXPECT_EQ(second.sourceRect.x, 16);
    EXPECT_EQ(second.sourceRect.w, 16);
    EXPECT_EQ(second.sourceRect.h, 16);
    const auto& below = copies[240 + 16];  // screen 1, tile column 0, row 1
    EXPECT_EQ(below.x, 6);
    EXPECT_EQ(below.y, 16);
    EXPECT_EQ(below.sourceRect.x, 32);
    EXPECT_EQ(copies[240].sourceRect.x, 0);
}
