#include "mapsource.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "config/loaderror.h"

namespace mapsource {
namespace {

constexpr int kScreenColumns = 16;  // tiles across one screen
constexpr int kScreenRows = 15;     // tiles down one screen
constexpr int kMaxTiles = 65535;    // width and height are 16-bit fields
// The header stores the picture count plus one in a byte, and a tile stores its picture
// plus one in a byte, so 254 pictures is the most the file can describe.
constexpr int kMaxPictures = 254;

struct TileKind {
    bool defined = false;
    unsigned char picture = 0;  // picture number, stored plus one
    unsigned char type = 0;
};

struct Source {
    int pictures = -1;
    int absent = -1;  // the character of absent screens' tiles, -1 until given
    std::array<TileKind, 256> legend{};
    std::vector<std::string> rows;
    std::vector<int> rowLines;  // source line of each row, for messages
};

[[noreturn]] void fail(const std::string& path, int line, const std::string& problem) {
    throw LoadError(path + ":" + std::to_string(line), problem);
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A whole decimal number in [low, high], or false.
bool parseNumber(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    value = std::atoi(text.c_str());
    return value >= low && value <= high;
}

// "name = value" with exactly one printable, non-space character as the value.
bool singleCharacter(const std::string& text, char& c) {
    if (text.size() != 1 || text[0] <= ' ') {
        return false;
    }
    c = text[0];
    return true;
}

void readHeaderLine(Source& source, const std::string& line, const std::string& path,
                    int lineNumber) {
    const auto equals = line.find('=');
    const std::string word = line.substr(0, line.find(' '));
    if (word == "tile") {
        // tile <c> = <picture> <type>
        const std::string rest = trimmed(line.substr(4));
        if (rest.size() < 3 || rest[0] <= ' ') {
            fail(path, lineNumber, "expected 'tile <character> = <picture> <type>'");
        }
        const unsigned char c = static_cast<unsigned char>(rest[0]);
        const std::string afterChar = trimmed(rest.substr(1));
        if (afterChar.empty() || afterChar[0] != '=') {
            fail(path, lineNumber, "expected 'tile <character> = <picture> <type>'");
        }
        std::istringstream fields(afterChar.substr(1));
        std::string pictureText;
        std::string typeText;
        std::string extra;
        fields >> pictureText >> typeText >> extra;
        if (pictureText.empty() || typeText.empty() || !extra.empty()) {
            fail(path, lineNumber, "expected 'tile <character> = <picture> <type>'");
        }
        if (source.pictures < 0) {
            fail(path, lineNumber, "'pictures' must come before the first tile");
        }
        int picture = 0;
        if (!parseNumber(pictureText, 0, source.pictures - 1, picture)) {
            fail(path, lineNumber,
                 "picture '" + pictureText + "' is not between 0 and " +
                     std::to_string(source.pictures - 1));
        }
        int type = 0;
        if (!parseType(typeText, type)) {
            fail(path, lineNumber,
                 "type '" + typeText + "' is not passable, solid, ladder or 0 to 255");
        }
        if (source.legend[c].defined || static_cast<int>(c) == source.absent) {
            fail(path, lineNumber, std::string("character '") + rest[0] + "' is defined twice");
        }
        source.legend[c] =
            TileKind{true, static_cast<unsigned char>(picture), static_cast<unsigned char>(type)};
        return;
    }
    if (equals == std::string::npos) {
        fail(path, lineNumber, "expected 'key = value', 'tile ...' or 'map'");
    }
    const std::string key = trimmed(line.substr(0, equals));
    const std::string value = trimmed(line.substr(equals + 1));
    if (key == "pictures") {
        if (source.pictures >= 0) {
            fail(path, lineNumber, "'pictures' is given twice");
        }
        if (!parseNumber(value, 1, kMaxPictures, source.pictures)) {
            fail(path, lineNumber,
                 "pictures '" + value + "' is not between 1 and " + std::to_string(kMaxPictures));
        }
    } else if (key == "absent") {
        char c = 0;
        if (!singleCharacter(value, c)) {
            fail(path, lineNumber, "absent must be one character");
        }
        if (source.absent >= 0 || source.legend[static_cast<unsigned char>(c)].defined) {
            fail(path, lineNumber, std::string("character '") + c + "' is defined twice");
        }
        source.absent = static_cast<unsigned char>(c);
    } else {
        fail(path, lineNumber, "unknown key '" + key + "'");
    }
}

Source parse(const std::string& text, const std::string& path) {
    Source source;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    bool inGrid = false;
    int lastLine = 0;
    int mapLine = 0;  // the header's problems are reported where it ends
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (inGrid) {
            source.rows.push_back(line);
            source.rowLines.push_back(lineNumber);
            continue;
        }
        lastLine = lineNumber;
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == '#') {
            continue;
        }
        if (content == "map") {
            inGrid = true;
            mapLine = lineNumber;
            continue;
        }
        readHeaderLine(source, content, path, lineNumber);
    }
    if (!inGrid) {
        fail(path, lastLine, "no 'map' line: the grid is missing");
    }
    // Blank lines after the grid are harmless (an editor's final newline); inside it they
    // are rows of the wrong width and are reported as such below.
    while (!source.rows.empty() && source.rows.back().empty()) {
        source.rows.pop_back();
        source.rowLines.pop_back();
    }
    if (source.pictures < 0) {
        fail(path, mapLine, "'pictures' is missing");
    }
    if (source.absent < 0) {
        fail(path, mapLine, "'absent' is missing");
    }
    if (source.rows.empty()) {
        fail(path, lineNumber, "the grid has no rows");
    }
    return source;
}

void checkShape(const Source& source, const std::string& path) {
    const std::size_t width = source.rows[0].size();
    for (std::size_t r = 0; r < source.rows.size(); ++r) {
        if (source.rows[r].size() != width) {
            fail(path, source.rowLines[r],
                 "row has " + std::to_string(source.rows[r].size()) + " tiles, the first row has " +
                     std::to_string(width));
        }
    }
    if (width % kScreenColumns != 0 || width > kMaxTiles) {
        fail(path, source.rowLines[0],
             "the map is " + std::to_string(width) +
                 " tiles wide, which is not a multiple of 16 up to 65520");
    }
    if (source.rows.size() % kScreenRows != 0 || source.rows.size() > kMaxTiles) {
        fail(path, source.rowLines.back(),
             "the map has " + std::to_string(source.rows.size()) +
                 " rows, which is not a multiple of 15 up to 65535");
    }
}

// Every tile known, and every screen either wholly absent or wholly present.
void checkTiles(const Source& source, const std::string& path) {
    const std::size_t width = source.rows[0].size();
    for (std::size_t r = 0; r < source.rows.size(); ++r) {
        const std::string& row = source.rows[r];
        const std::size_t screenTop = r - r % kScreenRows;
        for (std::size_t c = 0; c < width; ++c) {
            const unsigned char tile = static_cast<unsigned char>(row[c]);
            const bool absent = tile == source.absent;
            if (!absent && !source.legend[tile].defined) {
                fail(path, source.rowLines[r],
                     "column " + std::to_string(c + 1) + ": character '" + row[c] +
                         "' is not in the legend");
            }
            // Compare with the screen's top-left tile: a screen is absent as a whole.
            const std::size_t screenLeft = c - c % kScreenColumns;
            const bool screenAbsent =
                static_cast<unsigned char>(source.rows[screenTop][screenLeft]) == source.absent;
            if (absent != screenAbsent) {
                fail(path, source.rowLines[r],
                     "column " + std::to_string(c + 1) + ": screen (column " +
                         std::to_string(c / kScreenColumns) + ", row " +
                         std::to_string(r / kScreenRows) + ") mixes absent and present tiles");
            }
        }
    }
}

std::string encode(const Source& source) {
    const std::size_t width = source.rows[0].size();
    std::vector<Cell> cells;
    cells.reserve(width * source.rows.size());
    for (const std::string& row : source.rows) {
        for (const char tileChar : row) {
            const unsigned char tile = static_cast<unsigned char>(tileChar);
            if (tile == source.absent) {
                cells.push_back(Cell{});
            } else {
                cells.push_back(Cell{true, source.legend[tile].picture, source.legend[tile].type});
            }
        }
    }
    return encodeMap(static_cast<int>(width), static_cast<int>(source.rows.size()), source.pictures,
                     cells);
}

}  // namespace

bool parseType(const std::string& text, int& type) {
    if (text == "passable") {
        type = 0;
    } else if (text == "solid") {
        type = 1;
    } else if (text == "ladder") {
        type = 2;
    } else {
        return parseNumber(text, 0, 255, type);
    }
    return true;
}

std::string typeName(int type) {
    switch (type) {
        case 0:
            return "passable";
        case 1:
            return "solid";
        case 2:
            return "ladder";
        default:
            return std::to_string(type);
    }
}

std::string encodeMap(int width, int height, int pictures, const std::vector<Cell>& cells) {
    std::string bytes;
    bytes.reserve(5 + cells.size() * 2);
    bytes.push_back(static_cast<char>(width >> 8));
    bytes.push_back(static_cast<char>(width & 0xFF));
    bytes.push_back(static_cast<char>(height >> 8));
    bytes.push_back(static_cast<char>(height & 0xFF));
    bytes.push_back(static_cast<char>(pictures + 1));
    // Row-major: each tile row is the row's chunks of 16 tiles, one chunk per screen
    // column. An absent screen's chunk is 32 zero bytes (its leading zero marks it).
    for (const Cell& cell : cells) {
        if (!cell.present) {
            bytes.append(2, '\0');
        } else {
            bytes.push_back(static_cast<char>(cell.picture + 1));
            bytes.push_back(static_cast<char>(cell.type));
        }
    }
    return bytes;
}

std::string compile(const std::string& text, const std::string& path) {
    const Source source = parse(text, path);
    checkShape(source, path);
    checkTiles(source, path);
    return encode(source);
}

void compileFile(const std::filesystem::path& source, const std::filesystem::path& target) {
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        throw LoadError(source.string(), "cannot be opened");
    }
    std::ostringstream text;
    text << in.rdbuf();
    const std::string bytes = compile(text.str(), source.string());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        throw LoadError(target.string(), "cannot be written");
    }
}

int compileAll(const std::filesystem::path& sourceDir, const std::filesystem::path& targetDir) {
    std::error_code error;
    std::vector<std::filesystem::path> sources;
    for (const auto& entry : std::filesystem::directory_iterator(sourceDir, error)) {
        if (entry.is_regular_file() && entry.path().extension() == ".txt") {
            sources.push_back(entry.path());
        }
    }
    if (error) {
        throw LoadError(sourceDir.string(), "cannot be read: " + error.message());
    }
    std::sort(sources.begin(), sources.end());
    for (const auto& source : sources) {
        compileFile(source, targetDir / source.stem().concat(".map"));
    }
    return static_cast<int>(sources.size());
}

}  // namespace mapsource
