#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/rect.h"

class RecordingVideo;
class ScratchDir;

// Tile maps written as text, one character per 16 x 16 tile, so that a test reads like
// the little level it sets up:
//
//   '.'  empty tile      picture 0, type 0 (passable)
//   '#'  solid tile      picture 1, type 1
//   'H'  ladder tile     picture 2, type 2
//   'x'  tile of an absent screen: every tile of such a screen must be 'x'
//
// Every row is one tile row of the map, top to bottom. The map is as wide as the rows
// (a multiple of 16 characters, all rows equally long) and as high as there are rows
// (a multiple of 15). In the file a picture number is stored plus one; an absent screen's
// chunks are all zero bytes. Malformed text (uneven rows, unknown characters, a screen
// mixing 'x' with other tiles) is a mistake in the test and fails it with ADD_FAILURE.

// The bytes of a tile map file for these rows; the header's picture count is pictureCount
// (stored as pictureCount + 1), which must cover pictures 0 to 2 when the rows use them.
std::string buildTileMap(const std::vector<std::string>& rows, int pictureCount = 3);

// Rows for a map of the given number of screens, every tile `fill`.
std::vector<std::string> blankScreens(int screensAcross, int screensDown, char fill = '.');

// Sets the tile that contains map pixel (x, y) to `tile`.
void setTileAt(std::vector<std::string>& rows, int x, int y, char tile);

// Fills every tile of screen (column, row) with `tile`, e.g. 'x' to make it absent.
void fillScreen(std::vector<std::string>& rows, int column, int row, char tile);

// Offset in the file bytes of the first (picture) byte of the tile at tile column and
// tile row, for tests that corrupt a built map on purpose.
std::size_t tileByteOffset(int mapWidthTiles, int column, int row);

// A complete little level: one section of levels.ini plus its tile map file.
struct TestLevel {
    std::string name = "Test";      // section name; the map file is "<name>.map"
    std::vector<std::string> rows;  // the tile map as text (see above)
    std::vector<Rect> boundaries;   // x, y and w are written; h is always 240
    int teleportStopPosY = 0;       // relative to boundary 0's top
    int teleportStartYSpeedFraction = 0;
    int pictureCount = 3;
    // Lines ("key = value\n") written at the top of the level's section. The first value
    // of a key wins, so these override the standard keys, e.g. "boundaries = -1\n".
    std::string extraKeys;
    // Text appended to levels.ini after the level's section (more sections).
    std::string extraSections;
};

// Writes (or overwrites) "levels.ini" in the scratch directory with a [Common] section
// holding readyMessage = READY, then the level's section (tileSheet = tiles.bmp,
// tileMap = <name>.map, the boundaries, the teleport keys), and writes "<name>.map".
// No tile sheet is written: with RecordingVideo none is needed, but the map refuses a
// sheet narrower than its pictures, so call useTileSheet(video, level.pictureCount)
// before constructing the Map.
void writeTestLevel(const ScratchDir& scratch, const TestLevel& level);
// The same for several levels in one levels.ini, each with its map file.
void writeTestLevels(const ScratchDir& scratch, const std::vector<TestLevel>& levels);

// Makes the fake video service report "tiles.bmp" wide enough for pictureCount tiles.
void useTileSheet(RecordingVideo& video, int pictureCount = 3);
