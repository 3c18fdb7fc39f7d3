#include "textmap.h"

#include <gtest/gtest.h>

#include "recordingvideo.h"
#include "scratchdir.h"

namespace {

constexpr int kScreenColumns = 16;
constexpr int kScreenRows = 15;

// Picture byte (picture number + 1) and type byte of one text tile; false if unknown.
bool encode(char tile, char& picture, char& type) {
    switch (tile) {
        case '.':
            picture = 1;
            type = 0;
            return true;
        case '#':
            picture = 2;
            type = 1;
            return true;
        case 'H':
            picture = 3;
            type = 2;
            return true;
        case 'x':
            picture = 0;
            type = 0;
            return true;
        default:
            return false;
    }
}

// Whether the rows have a usable shape; reports every problem as a test failure.
bool checkShape(const std::vector<std::string>& rows) {
    if (rows.empty() || rows.size() % kScreenRows != 0) {
        ADD_FAILURE() << "text map: " << rows.size() << " rows, need a multiple of 15";
        return false;
    }
    const std::size_t width = rows.front().size();
    if (width == 0 || width % kScreenColumns != 0) {
        ADD_FAILURE() << "text map: rows of " << width << " tiles, need a multiple of 16";
        return false;
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].size() != width) {
            ADD_FAILURE() << "text map: row " << r << " has " << rows[r].size()
                          << " tiles, row 0 has " << width;
            return false;
        }
    }
    return true;
}

// Every tile of a screen is 'x' or none is.
void checkScreensWhole(const std::vector<std::string>& rows) {
    const std::size_t across = rows.front().size() / kScreenColumns;
    const std::size_t down = rows.size() / kScreenRows;
    for (std::size_t sr = 0; sr < down; ++sr) {
        for (std::size_t sc = 0; sc < across; ++sc) {
            int absent = 0;
            for (std::size_t r = 0; r < kScreenRows; ++r) {
                for (std::size_t c = 0; c < kScreenColumns; ++c) {
                    absent += rows[sr * kScreenRows + r][sc * kScreenColumns + c] == 'x';
                }
            }
            if (absent != 0 && absent != kScreenColumns * kScreenRows) {
                ADD_FAILURE() << "text map: screen column " << sc << ", row " << sr
                              << " mixes 'x' with present tiles";
            }
        }
    }
}

void appendBigEndian16(std::string& bytes, std::size_t value) {
    bytes.push_back(static_cast<char>((value >> 8) & 0xff));
    bytes.push_back(static_cast<char>(value & 0xff));
}

}  // namespace

std::string buildTileMap(const std::vector<std::string>& rows, int pictureCount) {
    if (!checkShape(rows)) {
        return std::string();
    }
    checkScreensWhole(rows);
    const std::size_t width = rows.front().size();
    std::string bytes;
    bytes.reserve(5 + rows.size() * width * 2);
    appendBigEndian16(bytes, width);
    appendBigEndian16(bytes, rows.size());
    bytes.push_back(static_cast<char>(pictureCount + 1));
    // The file's order (tile rows, each cut in screen-wide chunks) is the text's order.
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < width; ++c) {
            char picture = 0;
            char type = 0;
            if (!encode(rows[r][c], picture, type)) {
                ADD_FAILURE() << "text map: unknown tile '" << rows[r][c] << "' at column " << c
                              << ", row " << r;
            }
            bytes.push_back(picture);
            bytes.push_back(type);
        }
    }
    return bytes;
}

std::vector<std::string> blankScreens(int screensAcross, int screensDown, char fill) {
    return std::vector<std::string>(
        static_cast<std::size_t>(screensDown * kScreenRows),
        std::string(static_cast<std::size_t>(screensAcross * kScreenColumns), fill));
}

void setTileAt(std::vector<std::string>& rows, int x, int y, char tile) {
    const std::size_t row = static_cast<std::size_t>(y / 16);
    const std::size_t column = static_cast<std::size_t>(x / 16);
    if (x < 0 || y < 0 || row >= rows.size() || column >= rows[row].size()) {
        ADD_FAILURE() << "text map: pixel (" << x << ", " << y << ") lies outside the map";
        return;
    }
    rows[row][column] = tile;
}

void fillScreen(std::vector<std::string>& rows, int column, int row, char tile) {
    for (int r = 0; r < kScreenRows; ++r) {
        for (int c = 0; c < kScreenColumns; ++c) {
            setTileAt(rows, (column * kScreenColumns + c) * 16, (row * kScreenRows + r) * 16, tile);
        }
    }
}

std::size_t tileByteOffset(int mapWidthTiles, int column, int row) {
    return 5 + (static_cast<std::size_t>(row) * static_cast<std::size_t>(mapWidthTiles) +
                static_cast<std::size_t>(column)) *
                   2;
}

namespace {

std::string levelSection(const TestLevel& level) {
    std::string ini = "[" + level.name + "]\n";
    ini += level.extraKeys;
    ini += "tileSheet = tiles.bmp\n";
    ini += "tileMap = " + level.name + ".map\n";
    ini += "boundaries = " + std::to_string(level.boundaries.size()) + "\n";
    for (std::size_t i = 0; i < level.boundaries.size(); ++i) {
        const std::string key = "boundary" + std::to_string(i);
        const Rect& b = level.boundaries[i];
        ini += key + "x = " + std::to_string(b.x) + "\n";
        ini += key + "y = " + std::to_string(b.y) + "\n";
        ini += key + "w = " + std::to_string(b.w) + "\n";
    }
    ini += "teleportStopPosY = " + std::to_string(level.teleportStopPosY) + "\n";
    ini +=
        "teleportStartYSpeedFraction = " + std::to_string(level.teleportStartYSpeedFraction) + "\n";
    return ini + level.extraSections;
}

}  // namespace

void writeTestLevels(const ScratchDir& scratch, const std::vector<TestLevel>& levels) {
    std::string ini = "[Common]\nreadyMessage = READY\n";
    for (const TestLevel& level : levels) {
        ini += "\n" + levelSection(level);
        scratch.write(level.name + ".map", buildTileMap(level.rows, level.pictureCount));
    }
    scratch.write("levels.ini", ini);
}

void writeTestLevel(const ScratchDir& scratch, const TestLevel& level) {
    writeTestLevels(scratch, {level});
}

void useTileSheet(RecordingVideo& video, int pictureCount) {
    video.setImageSize("tiles.bmp", 16 * pictureCount, 16);
}
