#pragma once

#include <array>
#include <memory>
#include <vector>

#include "engine/direction.h"
#include "engine/rect.h"
#include "engine/videoservice.h"

class Camera;
class IniDictionary;

struct TileType {
    enum type : int { kPassable = 0, kSolid = 1, kLadder = 2 };
};

// One tile of the map, returned by value: its picture, what it does to movement, and
// the map position of its top-left pixel.
struct Tile {
    static constexpr int kWidth = 16;
    static constexpr int kWidthHalf = 8;
    static constexpr int kHeight = 16;

    int index = 0;
    int type = TileType::kPassable;
    int x = 0;
    int y = 0;
};

// Where ladders lie around the player's reference point (see Map::getLadderSonar).
struct LadderSonar {
    bool belowFeet = false;
    bool atFeet = false;
    bool atMiddle = false;
    bool atHead = false;
    bool aboveHead = false;
};

// The playing field of one level: tiles stored sparsely, one block per 256 x 240 screen,
// the boundaries the camera scrolls in, the teleport start, and the movement queries.
// The loader refuses (LoadError) any level it could not answer or draw in range, so
// after construction every lookup is a constant-time index computation.
class Map {
  public:
    static constexpr int kScreenWidth = 256;
    static constexpr int kScreenHeight = 240;
    static constexpr int kScreenColumns = 16;  // tiles across one screen
    static constexpr int kScreenRows = 15;     // tiles down one screen
    static constexpr int kTilesPerScreen = kScreenColumns * kScreenRows;

    Map(const char* levelName, IniDictionary& levels);
    ~Map();
    Map(const Map&) = delete;
    Map& operator=(const Map&) = delete;

    Tile getTile(int x, int y) const;
    Rect getCurrentBoundary() const;
    void setCurrentBoundaryByPosition(int x, int y);
    void setScrollStartPositions(int top, int bottom);
    int getTeleportStartPosX() const;
    int getTeleportStartPosY() const;
    int getTeleportStartYSpeed() const;
    int getTeleportStopPosY() const;
    void draw(Camera& camera);
    // Whether drawing this view paints every pixel of it: every screen it overlaps lies
    // inside the map, is present and shows no tile with see-through pixels (decided at
    // load). Otherwise the level clears the picture first.
    bool coversView(const Rect& view) const;

    // Movement and ladder queries.
    int getMaxXDelta(Rect box, Direction::type direction) const;
    int getMaxYDelta(Rect box, Direction::type direction) const;
    LadderSonar getLadderSonar(int x, int y, int targetY, int headOffset, bool upward,
                               bool useHeadOffset) const;
    bool isLeavingScreenTop(int y) const;
    bool isLeavingScreenBottom(int y) const;
    bool isEnteringInvalidScreen(int x, int y) const;

    // For the level and the content check.
    int getBoundaryCount() const { return m_boundaryCount; }
    Rect getBoundary(int i) const { return m_boundaries[static_cast<std::size_t>(i)]; }
    int getCurrentBoundaryIndex() const { return m_currentBoundary; }
    // For savestates: the only thing about a map that changes while a level runs.
    // False, with nothing changed, for an index the map does not have.
    bool setCurrentBoundaryIndex(int index);
    int getScreensPerRow() const { return m_screensPerRow; }
    int getScreenCount() const { return m_screenCount; }
    bool hasScreen(int n) const;
    // For the Tiled export: the pictures in the sheet, and the tile as stored at tile
    // column and row (no boundary rule applied), or null in an absent screen or outside.
    int getTileGraphicCount() const { return m_tileGraphicCount; }
    const Tile* getStoredTile(int column, int row) const;

  private:
    // One screen's tiles, row by row: element r * 16 + c is screen column c, row r.
    using Screen = std::array<Tile, kTilesPerScreen>;

    void loadTileMap(const char* path);
    void checkTileSheet(const char* sheetPath, const char* mapPath) const;
    void loadBoundaries(IniDictionary& levels, const char* levelName);
    void findOpaqueScreens();
    // The screen columns and rows a view overlaps, before clamping to the map.
    struct ScreenSpan {
        long long firstColumn;
        long long lastColumn;
        long long firstRow;
        long long lastRow;
    };
    ScreenSpan screensUnder(const Rect& view) const;
    void drawScreen(int n, Camera& camera);
    // The screen at screen column and row, or null when absent or outside the map.
    const Screen* screenAt(int column, int row) const;

    int m_boundaryCount = 0;
    int m_currentBoundary = 0;
    int m_tileGraphicCount = 0;
    int m_screenCount = 0;
    int m_screensPerRow = 0;
    int m_scrollStartTop = 0;
    int m_scrollStartBottom = kScreenHeight;
    int m_teleportStopPosY = 0;
    Bitmap m_tileSheet;
    int m_teleportStartYSpeed = 0;
    std::vector<Rect> m_boundaries;
    std::vector<Rect> m_tileRects;
    std::vector<std::unique_ptr<Screen>> m_screens;
    std::vector<bool> m_screenOpaque;  // per screen: its tiles paint every pixel
    int m_screenRows = 0;
};
