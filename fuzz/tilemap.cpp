// The tile map loader on arbitrary map files, with one fixed level section. A map that
// loads must answer every query and draw every visible screen within its tables; the
// tile sheet is reported exactly as wide as the header's picture count, so a picture
// number past the count shows up as a copy outside the sheet.

#include <cstdint>
#include <string>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "fuzzsupport.h"
#include "world/camera.h"
#include "world/map.h"

namespace {

const char* const kLevels =
    "[Common]\nreadyMessage = READY\n"
    "[Fuzz]\ntileSheet = tiles.bmp\ntileMap = fuzz.map\nboundaries = 1\n"
    "boundary0x = 0\nboundary0y = 0\nboundary0w = 256\n"
    "teleportStartYSpeedFraction = -256\nteleportStopPosY = 180\n";

void checkDelta(int delta, const char* what) {
    if (delta < 0 || delta > 16) {
        fuzz::trap(std::string(what) + " gave " + std::to_string(delta) + ", outside 0..16");
    }
}

void exercise(Map& map, int mapWidth, int mapHeight) {
    if (static_cast<long long>(map.getScreensPerRow()) * Map::kScreenWidth != mapWidth ||
        static_cast<long long>(map.getScreenCount()) * Map::kScreenWidth * Map::kScreenHeight !=
            static_cast<long long>(mapWidth) * mapHeight) {
        fuzz::trap("screen table does not match the header's size");
    }
    if (!map.hasScreen(0) || map.getBoundaryCount() != 1) {
        fuzz::trap("a loaded map lacks the screen or the boundary its level names");
    }
    // A coarse grid over the map and a margin around it, with odd steps so that every
    // position within a tile is met somewhere.
    const int stepX = mapWidth / 23 + 7;
    const int stepY = mapHeight / 23 + 5;
    for (int y = -300; y < mapHeight + 300; y += stepY) {
        for (int x = -300; x < mapWidth + 300; x += stepX) {
            const Tile tile = map.getTile(x, y);
            const int px = x < 0 ? 0 : x;
            const int py = y < 0 ? 0 : y;
            if (tile.x != px / 16 * 16 || tile.y != py / 16 * 16 || tile.index < 0) {
                fuzz::trap("getTile(" + std::to_string(x) + ", " + std::to_string(y) +
                           ") gave a tile at (" + std::to_string(tile.x) + ", " +
                           std::to_string(tile.y) + ") index " + std::to_string(tile.index));
            }
            // Movement is only ever asked about boxes inside the map.
            const Rect box{x, y, 14, 21};
            if (x >= 0 && y >= 0 && x < mapWidth && y < mapHeight) {
                checkDelta(map.getMaxXDelta(box, Direction::kLeft), "getMaxXDelta left");
                checkDelta(map.getMaxXDelta(box, Direction::kRight), "getMaxXDelta right");
                checkDelta(map.getMaxYDelta(box, Direction::kUp), "getMaxYDelta up");
                checkDelta(map.getMaxYDelta(box, Direction::kDown), "getMaxYDelta down");
            }
            map.getLadderSonar(x, y, y - 3, -12, (x & 1) != 0, (y & 1) != 0);
            map.isEnteringInvalidScreen(x, y);
            map.setCurrentBoundaryByPosition(x, y);
            if (map.getCurrentBoundaryIndex() != 0) {
                fuzz::trap("current boundary left the one boundary");
            }
        }
    }
    // Draw with the view at every screen edge and in between, also partly outside.
    Camera camera;
    camera.setCurrentBoundary(map.getCurrentBoundary());
    for (int y = -240; y <= mapHeight; y += 120) {
        for (int x = -256; x <= mapWidth; x += 128) {
            Camera moved = camera;
            const Rect* view = moved.getAngleOfView();
            moved.move(x - view->x, y - view->y);
            map.draw(moved);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::workDir();
    fuzz::writeFilesOnce({{"levels.ini", kLevels}});
    fuzz::writeFile("fuzz.map", data, size);

    fuzz::CheckingVideo video;
    video.setPixelMultiplier(2);
    video.setStrictRects(true);
    const int pictures = size >= 5 && data[4] > 1 ? data[4] - 1 : 1;
    video.setImageSize("tiles.bmp", pictures * 16, 16);
    const ScopedVideo provided(&video);

    IniDictionary levels("levels.ini");
    try {
        Map map("Fuzz", levels);
        exercise(map, (data[0] * 256 + data[1]) * 16, (data[2] * 256 + data[3]) * 16);
    } catch (const LoadError& error) {
        fuzz::checkRefusal(error);
    }
    if (video.liveBitmaps() != 0) {
        fuzz::trap("the tile sheet was not released");
    }
    return 0;
}
