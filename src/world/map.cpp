#include "world/map.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "config/datafile.h"
#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "engine/bitmapguard.h"
#include "engine/fixedpoint.h"
#include "engine/servicelocator.h"
#include "world/camera.h"

namespace {

constexpr int kHeaderSize = 5;    // width (2 bytes), height (2 bytes), pictures + 1
constexpr int kBytesPerTile = 2;  // picture number + 1, then the type
constexpr int kMaxBoundaries = 1024;
constexpr int kMaxBoundaryWidth = 65535;  // held in the 16-bit width of a Rect
// The teleport starts half a screen into boundary 0, a little below its top.
constexpr int kTeleportStartXOffset = 128;
constexpr int kTeleportStartYOffset = 1272;  // 4 + 248/256 pixels, in 1/256 pixel

// Messages are built from their parts with the parts' own types: no pattern can
// disagree with its arguments.
template <class... Parts>
std::string text(const Parts&... parts) {
    std::ostringstream out;
    (out << ... << parts);
    return out.str();
}

std::string boundaryKey(int i, const char* field) {
    char key[32];
    std::snprintf(key, sizeof key, "boundary%d%s", i, field);
    return key;
}

}  // namespace

Map::Map(const char* levelName, IniDictionary& levels) {
    const char* sheetPath = levels.getCStringValue("tileSheet", levelName, "empty");
    ServiceLocator::getVideoService()->loadBitmap(m_tileSheet, sheetPath);
    BitmapGuard guard;
    guard.watch(m_tileSheet);
    const char* mapPath = levels.getCStringValue("tileMap", levelName, "empty");
    loadTileMap(mapPath);
    checkTileSheet(sheetPath, mapPath);
    findOpaqueScreens();
    loadBoundaries(levels, levelName);
    guard.dismiss();
}

Map::~Map() {
    ServiceLocator::getVideoService()->unloadBitmap(m_tileSheet);
}

void Map::loadTileMap(const char* path) {
    std::ifstream file = DataFile::open(path);
    file.seekg(0, std::ios::end);
    const long long size = static_cast<long long>(file.tellg());
    file.seekg(0, std::ios::beg);
    if (size < kHeaderSize) {
        throw LoadError(path, text("is ", size, " bytes, shorter than its 5-byte header"));
    }

    unsigned char header[kHeaderSize] = {};
    file.read(reinterpret_cast<char*>(header), kHeaderSize);
    const int width = header[0] * 256 + header[1];
    const int height = header[2] * 256 + header[3];
    const int pictureCountPlusOne = header[4];

    if (width == 0 || height == 0) {
        throw LoadError(path,
                        text("header gives an empty map of ", width, " x ", height, " tiles"));
    }
    if (width % kScreenColumns != 0) {
        throw LoadError(path, text("header width of ", width, " tiles is not a multiple of ",
                                   kScreenColumns, " (the tiles across one screen)"));
    }
    if (height % kScreenRows != 0) {
        throw LoadError(path, text("header height of ", height, " tiles is not a multiple of ",
                                   kScreenRows, " (the tiles down one screen)"));
    }
    // The size is checked before anything is allocated, so a header promising a huge map
    // costs nothing when the data is not there.
    const long long expected = kHeaderSize + static_cast<long long>(width) * height * kBytesPerTile;
    if (size < expected) {
        throw LoadError(path,
                        text("is ", size, " bytes, shorter than the ", expected,
                             " bytes its header promises for ", width, " x ", height, " tiles"));
    }
    if (size > expected) {
        throw LoadError(path, text("has ", size - expected, " byte(s) after the ", expected,
                                   " its header promises for ", width, " x ", height,
                                   " tiles (is the header wrong?)"));
    }
    if (pictureCountPlusOne == 0) {
        throw LoadError(path,
                        "header's picture count byte is 0; it holds the number of "
                        "pictures plus one");
    }

    std::vector<unsigned char> data(static_cast<std::size_t>(expected - kHeaderSize));
    file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (file.gcount() != static_cast<std::streamsize>(data.size())) {
        throw LoadError(path, "could not be read to its end");
    }

    m_tileGraphicCount = pictureCountPlusOne - 1;
    m_tileRects.resize(static_cast<std::size_t>(m_tileGraphicCount));
    for (int n = 0; n < m_tileGraphicCount; ++n) {
        m_tileRects[static_cast<std::size_t>(n)] =
            Rect{n * Tile::kWidth, 0, Tile::kWidth, Tile::kHeight};
    }

    m_screensPerRow = width / kScreenColumns;
    m_screenRows = height / kScreenRows;
    m_screenCount = m_screensPerRow * m_screenRows;
    m_screens.resize(static_cast<std::size_t>(m_screenCount));

    std::size_t at = 0;
    for (int t = 0; t < height; ++t) {
        const int screenRow = t / kScreenRows;
        const int rowInScreen = t % kScreenRows;
        for (int c = 0; c < width; c += kScreenColumns) {
            const int n = screenRow * m_screensPerRow + c / kScreenColumns;
            std::unique_ptr<Screen>& screen = m_screens[static_cast<std::size_t>(n)];
            const bool present = data[at] != 0;
            // A screen is decided by its first row; every later row must agree with it.
            if (rowInScreen > 0 && present != (screen != nullptr)) {
                throw LoadError(
                    path, text("screen ", n, " (column ", c / kScreenColumns, ", row ", screenRow,
                               ") is only partly present: tile row ", t,
                               present ? " holds tiles but the screen's first row "
                                       : " is absent but the screen's first row ",
                               t - rowInScreen, present ? " is absent" : " holds tiles"));
            }
            if (!present) {
                at += static_cast<std::size_t>(kScreenColumns) * kBytesPerTile;
                continue;
            }
            if (m_tileGraphicCount == 0) {
                throw LoadError(
                    path, text("header promises no tile pictures, but screen ", n, " (column ",
                               c / kScreenColumns, ", row ", screenRow, ") is present"));
            }
            if (rowInScreen == 0) {
                screen = std::make_unique<Screen>();
            }
            for (int k = 0; k < kScreenColumns; ++k) {
                const int picture = data[at];
                const int type = data[at + 1];
                at += kBytesPerTile;
                if (picture == 0 || picture > m_tileGraphicCount) {
                    throw LoadError(path, text("tile column ", c + k, ", tile row ", t, " (screen ",
                                               n, ") holds picture byte ", picture,
                                               "; a present screen needs 1 to ", m_tileGraphicCount,
                                               " (the picture number plus one)"));
                }
                Tile& tile = (*screen)[static_cast<std::size_t>(rowInScreen) * kScreenColumns +
                                       static_cast<std::size_t>(k)];
                tile.index = picture - 1;
                tile.type = type;
                tile.x = (c + k) * Tile::kWidth;
                tile.y = t * Tile::kHeight;
            }
        }
    }
}

void Map::checkTileSheet(const char* sheetPath, const char* mapPath) const {
    // The sheet is one row of square pictures as high as the sheet. Its size is held in
    // output pixels, so comparing against the height keeps the test free of the multiplier;
    // the message gives the sheet's own pixels, as an editor shows them.
    const long long needed = static_cast<long long>(m_tileGraphicCount) * m_tileSheet.height;
    if (m_tileSheet.width < needed) {
        const int m = std::max(ServiceLocator::getVideoService()->getPixelMultiplier(), 1);
        throw LoadError(sheetPath,
                        text("is ", m_tileSheet.width / m, " pixels wide, too narrow for the ",
                             m_tileGraphicCount, " pictures of ", mapPath, " (", needed / m,
                             " pixels needed)"));
    }
}

void Map::findOpaqueScreens() {
    // Asked once per picture, here, so drawing never looks at pixels: a screen that shows
    // a see-through tile lets the previous frame show through, and must be cleared first.
    VideoService* video = ServiceLocator::getVideoService();
    std::vector<bool> seeThrough(static_cast<std::size_t>(m_tileGraphicCount));
    for (int n = 0; n < m_tileGraphicCount; ++n) {
        seeThrough[static_cast<std::size_t>(n)] =
            video->hasSeeThroughPixels(m_tileSheet, m_tileRects[static_cast<std::size_t>(n)]);
    }
    m_screenOpaque.assign(static_cast<std::size_t>(m_screenCount), false);
    for (int n = 0; n < m_screenCount; ++n) {
        const Screen* screen = m_screens[static_cast<std::size_t>(n)].get();
        if (screen != nullptr) {
            m_screenOpaque[static_cast<std::size_t>(n)] =
                std::none_of(screen->begin(), screen->end(), [&seeThrough](const Tile& tile) {
                    return seeThrough[static_cast<std::size_t>(tile.index)];
                });
        }
    }
}

void Map::loadBoundaries(IniDictionary& levels, const char* levelName) {
    const std::string section = std::string("[") + levelName + "] ";
    const int count = levels.getIntValue("boundaries", levelName, 0);
    if (count < 1) {
        throw LoadError(levels.path(), levels.describe("boundaries", levelName) +
                                           "; a level needs at least one boundary");
    }
    if (count > kMaxBoundaries) {
        throw LoadError(levels.path(), text(levels.describe("boundaries", levelName),
                                            ", more than the ", kMaxBoundaries, " allowed"));
    }
    m_boundaryCount = count;
    m_boundaries.resize(static_cast<std::size_t>(count));

    const long long mapWidth = static_cast<long long>(m_screensPerRow) * kScreenWidth;
    const long long mapHeight = static_cast<long long>(m_screenRows) * kScreenHeight;
    for (int i = 0; i < count; ++i) {
        const int x = levels.getIntValue(boundaryKey(i, "x").c_str(), levelName, 0);
        const int y = levels.getIntValue(boundaryKey(i, "y").c_str(), levelName, 0);
        const int w = levels.getIntValue(boundaryKey(i, "w").c_str(), levelName, 0);
        if (w < 1 || w > kMaxBoundaryWidth) {
            throw LoadError(levels.path(),
                            text(levels.describe(boundaryKey(i, "w").c_str(), levelName),
                                 "; a boundary is 1 to ", kMaxBoundaryWidth, " pixels wide"));
        }
        const std::string name =
            text(section, boundaryKey(i, ""), " (x ", x, ", y ", y, ", w ", w, ")");
        const long long right = static_cast<long long>(x) + w;
        const long long bottom = static_cast<long long>(y) + kScreenHeight;
        if (x < 0 || y < 0 || right > mapWidth || bottom > mapHeight) {
            throw LoadError(levels.path(), text(name, " lies outside the map of ", mapWidth, " x ",
                                                mapHeight, " pixels"));
        }
        // The camera may show any part of the boundary, and falling out of it asks for the
        // screens below, so every screen it touches must have tiles.
        for (int row = y / kScreenHeight; row <= (bottom - 1) / kScreenHeight; ++row) {
            for (int column = x / kScreenWidth; column <= (right - 1) / kScreenWidth; ++column) {
                if (screenAt(column, row) == nullptr) {
                    throw LoadError(levels.path(), text(name, " covers absent screen ",
                                                        row * m_screensPerRow + column, " (column ",
                                                        column, ", row ", row, ")"));
                }
            }
        }
        Rect& boundary = m_boundaries[static_cast<std::size_t>(i)];
        boundary.x = x;
        boundary.y = y;
        boundary.w = static_cast<std::uint16_t>(w);
        boundary.h = kScreenHeight;
    }

    m_teleportStartYSpeed = levels.getIntValue("teleportStartYSpeedFraction", levelName, 0);
    // Beyond 256 pixels a frame the first frames of the drop could overflow the position.
    constexpr int kMaxStartYSpeed = 256 * 256;
    if (m_teleportStartYSpeed < -kMaxStartYSpeed || m_teleportStartYSpeed > kMaxStartYSpeed) {
        throw LoadError(levels.path(), levels.describe("teleportStartYSpeedFraction", levelName) +
                                           " is outside -65536..65536");
    }
    // The beam stops at the first row it reaches at or below the stop (at once for a stop
    // above its start); a stop below boundary 0's screen row is never reached inside it,
    // and the player would never appear.
    const int stopKey = levels.getIntValue("teleportStopPosY", levelName, 0);
    if (stopKey >= kScreenHeight) {
        throw LoadError(levels.path(), levels.describe("teleportStopPosY", levelName) +
                                           " is below boundary 0's screen row (0 to 239): "
                                           "Voltbot would never appear");
    }
    m_teleportStopPosY = stopKey + m_boundaries[0].y;
}

const Map::Screen* Map::screenAt(int column, int row) const {
    if (column < 0 || row < 0 || column >= m_screensPerRow || row >= m_screenRows) {
        return nullptr;
    }
    return m_screens[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_screensPerRow) +
                     static_cast<std::size_t>(column)]
        .get();
}

bool Map::hasScreen(int n) const {
    return n >= 0 && n < m_screenCount && m_screens[static_cast<std::size_t>(n)] != nullptr;
}

const Tile* Map::getStoredTile(int column, int row) const {
    if (column < 0 || row < 0) {
        return nullptr;
    }
    const Screen* screen = screenAt(column / kScreenColumns, row / kScreenRows);
    if (screen == nullptr) {
        return nullptr;
    }
    const int inScreen = (row % kScreenRows) * kScreenColumns + column % kScreenColumns;
    return &(*screen)[static_cast<std::size_t>(inScreen)];
}

Tile Map::getTile(int x, int y) const {
    const int px = std::max(x, 0);
    const int py = std::max(y, 0);
    // Columns right of the map are outside it, not the next screen row's first screens.
    const Screen* screen = screenAt(px / kScreenWidth, py / kScreenHeight);
    Tile tile;
    if (screen != nullptr) {
        const int inScreen = ((py % kScreenHeight) / Tile::kHeight) * kScreenColumns +
                             (px % kScreenWidth) / Tile::kWidth;
        tile = (*screen)[static_cast<std::size_t>(inScreen)];
    } else {
        tile.index = 0;
        tile.type = TileType::kSolid;
        tile.x = px - px % Tile::kWidth;
        tile.y = py - py % Tile::kHeight;
    }
    // Walls outside the current screen row do not exist for movement, so the player can
    // fall out of the bottom or climb out of the top; the row just below still carries.
    const int top = m_boundaries[static_cast<std::size_t>(m_currentBoundary)].y;
    if ((py < top || py > top + kScreenHeight) && tile.type == TileType::kSolid) {
        tile.type = TileType::kPassable;
    }
    return tile;
}

Rect Map::getCurrentBoundary() const {
    return m_boundaries[static_cast<std::size_t>(m_currentBoundary)];
}

void Map::setCurrentBoundaryByPosition(int x, int y) {
    for (int i = 0; i < m_boundaryCount; ++i) {
        const Rect& b = m_boundaries[static_cast<std::size_t>(i)];
        if (b.x <= x && x < b.x + b.w && b.y <= y && y < b.y + b.h) {
            m_currentBoundary = i;
            return;
        }
    }
}

bool Map::setCurrentBoundaryIndex(int index) {
    if (index < 0 || index >= m_boundaryCount) {
        return false;
    }
    m_currentBoundary = index;
    return true;
}

void Map::setScrollStartPositions(int top, int bottom) {
    m_scrollStartTop = top;
    m_scrollStartBottom = bottom;
}

int Map::getTeleportStartPosX() const {
    return (m_boundaries[0].x + kTeleportStartXOffset) * 256;
}

int Map::getTeleportStartPosY() const {
    return m_boundaries[0].y * 256 + kTeleportStartYOffset;
}

int Map::getTeleportStartYSpeed() const {
    return m_teleportStartYSpeed;
}

int Map::getTeleportStopPosY() const {
    return m_teleportStopPosY;
}

Map::ScreenSpan Map::screensUnder(const Rect& view) const {
    // Rounded toward minus infinity: for views that lie partly left of or above the map,
    // truncation would name the wrong screen.
    using fixedpoint::floorDiv;
    return ScreenSpan{floorDiv(view.x, kScreenWidth),
                      floorDiv(static_cast<long long>(view.x) + kScreenWidth - 1, kScreenWidth),
                      floorDiv(view.y, kScreenHeight),
                      floorDiv(static_cast<long long>(view.y) + kScreenHeight - 1, kScreenHeight)};
}

void Map::draw(Camera& camera) {
    // Every screen the view overlaps, up to two across and two down, in storage order.
    const ScreenSpan span = screensUnder(*camera.getAngleOfView());
    const long long firstColumn = std::max(span.firstColumn, 0LL);
    const long long lastColumn =
        std::min(span.lastColumn, static_cast<long long>(m_screensPerRow) - 1);
    const long long firstRow = std::max(span.firstRow, 0LL);
    const long long lastRow = std::min(span.lastRow, static_cast<long long>(m_screenRows) - 1);
    for (long long row = firstRow; row <= lastRow; ++row) {
        for (long long column = firstColumn; column <= lastColumn; ++column) {
            const int n = static_cast<int>(row * m_screensPerRow + column);
            if (hasScreen(n)) {
                drawScreen(n, camera);
            }
        }
    }
}

bool Map::coversView(const Rect& view) const {
    const ScreenSpan span = screensUnder(view);
    if (span.firstColumn < 0 || span.lastColumn >= m_screensPerRow || span.firstRow < 0 ||
        span.lastRow >= m_screenRows) {
        return false;
    }
    for (long long row = span.firstRow; row <= span.lastRow; ++row) {
        for (long long column = span.firstColumn; column <= span.lastColumn; ++column) {
            const int n = static_cast<int>(row * m_screensPerRow + column);
            if (!hasScreen(n) || !m_screenOpaque[static_cast<std::size_t>(n)]) {
                return false;
            }
        }
    }
    return true;
}

void Map::drawScreen(int n, Camera& camera) {
    VideoService* video = ServiceLocator::getVideoService();
    for (const Tile& tile : *m_screens[static_cast<std::size_t>(n)]) {
        video->copyToScreen(m_tileSheet, camera.getScreenMappedXCoordinate(tile.x),
                            camera.getScreenMappedYCoordinate(tile.y),
                            &m_tileRects[static_cast<std::size_t>(tile.index)]);
    }
}

int Map::getMaxXDelta(Rect box, Direction::type direction) const {
    int probeX = 0;
    int candidate = 0;
    if (direction == Direction::kRight) {
        probeX = box.x + box.w + Tile::kWidth;
        candidate = 15 - ((box.x + box.w) % Tile::kWidth);
    } else {
        probeX = box.x - Tile::kWidth;
        if (probeX < 0) {
            return box.x;  // the room left to the map's edge
        }
        candidate = box.x % Tile::kWidth;
    }
    // Bottom, middle, top: the first wall found in the next column decides.
    if (getTile(probeX, box.y + box.h).type == TileType::kSolid ||
        getTile(probeX, box.y + box.h / 2).type == TileType::kSolid ||
        getTile(probeX, box.y).type == TileType::kSolid) {
        return candidate;
    }
    return Tile::kWidth;
}

int Map::getMaxYDelta(Rect box, Direction::type direction) const {
    const bool down = direction == Direction::kDown;
    int probeY = 0;
    int candidate = 0;
    if (down) {
        probeY = box.y + box.h + Tile::kHeight;
        candidate = 15 - ((box.y + box.h) % Tile::kHeight);
    } else {
        probeY = box.y - Tile::kHeight;
        // Near the map's top the remainder would be negative; the room is what is left up
        // to row 0, as at the map's left edge.
        candidate = box.y < Tile::kHeight ? std::max(box.y, 0) : box.y % Tile::kHeight;
    }

    const int right = box.x + box.w;
    const Tile rightTile = getTile(right, probeY);
    if (rightTile.type == TileType::kSolid) {
        return candidate;
    }
    // The top of a ladder carries a falling box like a floor, unless the box is already
    // on the ladder.
    if (down && rightTile.type == TileType::kLadder &&
        getTile(right, box.y + box.h).type != TileType::kLadder) {
        return candidate;
    }

    const Tile leftTile = getTile(box.x, probeY);
    if (leftTile.type == TileType::kSolid) {
        return candidate;
    }
    if (down && leftTile.type == TileType::kLadder) {
        return getTile(box.x, box.y + box.h).type != TileType::kLadder ? candidate : Tile::kHeight;
    }
    return Tile::kHeight;
}

LadderSonar Map::getLadderSonar(int x, int y, int targetY, int headOffset, bool upward,
                                bool useHeadOffset) const {
    const auto isLadder = [this, x](int probeY) {
        return getTile(x, probeY).type == TileType::kLadder;
    };
    const int head = useHeadOffset ? headOffset : -12;
    LadderSonar sonar;
    sonar.atFeet = isLadder(y + 11);
    sonar.atMiddle = isLadder(y - 4);
    sonar.atHead = isLadder(y + head);
    if (upward) {
        sonar.aboveHead = isLadder(targetY + head);
    } else {
        sonar.belowFeet = isLadder(targetY + 12);
    }
    return sonar;
}

bool Map::isLeavingScreenTop(int y) const {
    return y - getCurrentBoundary().y <= m_scrollStartTop;
}

bool Map::isLeavingScreenBottom(int y) const {
    return y - getCurrentBoundary().y >= m_scrollStartBottom;
}

bool Map::isEnteringInvalidScreen(int x, int y) const {
    const int top = getCurrentBoundary().y;
    // Anything still inside the boundary asks about the screen row just below it.
    const int probeY =
        static_cast<long long>(y) - top <= kScreenHeight - 1 ? top + kScreenHeight : y;
    if (x < 0) {
        return true;
    }
    return screenAt(x / kScreenWidth, probeY / kScreenHeight) == nullptr;
}
