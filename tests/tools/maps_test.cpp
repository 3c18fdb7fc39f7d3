#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/loaderror.h"
#include "maps/mapsource.h"
#include "scratchdir.h"

namespace fs = std::filesystem;

namespace {

const char* const kLegend =
    "# a test level\n"
    "pictures = 8\n"
    "absent = x\n"
    "tile . = 0 passable\n"
    "tile # = 3 solid\n"
    "tile H = 5 ladder\n"
    "tile ? = 7 200\n";

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// `screensDown` screen rows of the given 16-character screen rows side by side.
std::string grid(const std::vector<std::string>& screens, int screensDown = 1) {
    std::string rows;
    for (int down = 0; down < screensDown; ++down) {
        for (int r = 0; r < 15; ++r) {
            for (const std::string& screen : screens) {
                rows += screen;
            }
            rows += "\n";
        }
    }
    return rows;
}

std::string errorOf(const std::string& text) {
    try {
        mapsource::compile(text, "t.txt");
    } catch (const LoadError& error) {
        return error.file() + ": " + error.problem();
    }
    return "no error";
}

unsigned byteAt(const std::string& bytes, std::size_t offset) {
    return static_cast<unsigned char>(bytes.at(offset));
}

}  // namespace

TEST(MapSource, WritesBigEndianHeaderAndPictureCountPlusOne) {
    // 32 x 300 tiles: the height needs both bytes.
    std::string text = std::string(kLegend) + "map\n";
    for (int r = 0; r < 300; ++r) {
        text += std::string(32, '.') + "\n";
    }
    const std::string bytes = mapsource::compile(text, "t.txt");
    ASSERT_EQ(bytes.size(), 5u + 32u * 300u * 2u);
    EXPECT_EQ(byteAt(bytes, 0), 0u);
    EXPECT_EQ(byteAt(bytes, 1), 32u);
    EXPECT_EQ(byteAt(bytes, 2), 1u);  // 300 = 0x012C
    EXPECT_EQ(byteAt(bytes, 3), 0x2Cu);
    EXPECT_EQ(byteAt(bytes, 4), 9u);  // 8 pictures, stored plus one
}

TEST(MapSource, StoresPicturePlusOneAndTypeInRowMajorChunks) {
    // Two screens across, two down; one marked tile in each present screen.
    std::vector<std::string> rows(30, std::string(32, '.'));
    rows[16][17] = 'H';  // screen (1, 1), tile row 16, column 17
    rows[0][3] = '#';
    rows[2][20] = '?';
    std::string text = std::string(kLegend) + "map\n";
    for (const std::string& row : rows) {
        text += row + "\n";
    }
    const std::string bytes = mapsource::compile(text, "t.txt");
    auto tile = [&](int column, int row) { return 5u + (row * 32u + column) * 2u; };
    EXPECT_EQ(byteAt(bytes, tile(17, 16)), 6u);  // ladder picture 5
    EXPECT_EQ(byteAt(bytes, tile(17, 16) + 1), 2u);
    EXPECT_EQ(byteAt(bytes, tile(3, 0)), 4u);
    EXPECT_EQ(byteAt(bytes, tile(3, 0) + 1), 1u);
    EXPECT_EQ(byteAt(bytes, tile(20, 2) + 1), 200u);  // a numeric type passes unchanged
    EXPECT_EQ(byteAt(bytes, tile(0, 0)), 1u);         // background picture 0
    EXPECT_EQ(byteAt(bytes, tile(0, 0) + 1), 0u);
}

TEST(MapSource, WritesAbsentScreensAsZeroChunks) {
    const std::string text = std::string(kLegend) + "map\n" +
                             grid({std::string(16, 'x'), std::string(16, '#')}) +
                             "\n\n";  // trailing blank lines are allowed
    const std::string bytes = mapsource::compile(text, "t.txt");
    for (int row = 0; row < 15; ++row) {
        const std::size_t chunk = 5 + row * 64;
        EXPECT_EQ(bytes.substr(chunk, 32), std::string(32, '\0')) << "row " << row;
        EXPECT_EQ(byteAt(bytes, chunk + 32), 4u) << "row " << row;
    }
}

TEST(MapSource, AcceptsCarriageReturnLineEnds) {
    std::string text = std::string(kLegend) + "map\n" + grid({std::string(16, '.')});
    std::string crlf;
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(mapsource::compile(crlf, "t.txt"), mapsource::compile(text, "t.txt"));
}

TEST(MapSourceErrors, NameTheLineAndTheProblem) {
    const std::string head = std::string(kLegend) + "map\n";  // the grid starts on line 9
    EXPECT_EQ(errorOf(head + grid({std::string(15, '.') + "Z"})),
              "t.txt:9: column 16: character 'Z' is not in the legend");
    std::string uneven = grid({std::string(16, '.')});
    uneven.insert(uneven.find('\n', 20), ".");
    EXPECT_EQ(errorOf(head + uneven), "t.txt:10: row has 17 tiles, the first row has 16");
    EXPECT_EQ(errorOf(head + grid({std::string(8, '.')})),
              "t.txt:9: the map is 8 tiles wide, which is not a multiple of 16 up to 65520");
    EXPECT_EQ(errorOf(head + std::string(16, '.') + "\n"),
              "t.txt:9: the map has 1 rows, which is not a multiple of 15 up to 65535");
    EXPECT_EQ(errorOf(std::string(kLegend)), "t.txt:7: no 'map' line: the grid is missing");
    EXPECT_EQ(errorOf(head), "t.txt:8: the grid has no rows");
}

TEST(MapSourceErrors, RefuseAScreenThatIsPartlyAbsent) {
    std::vector<std::string> rows(15, std::string(16, 'x'));
    rows[4][9] = '.';
    std::string text = std::string(kLegend) + "map\n";
    for (auto& row : rows)
        text += row + "\n";
    EXPECT_EQ(errorOf(text),
              "t.txt:13: column 10: screen (column 0, row 0) mixes absent and present tiles");
    // The other way round: an absent tile inside a present screen.
    rows.assign(15, std::string(16, '.'));
    rows[14][0] = 'x';
    text = std::string(kLegend) + "map\n";
    for (auto& row : rows)
        text += row + "\n";
    EXPECT_EQ(errorOf(text),
              "t.txt:23: column 1: screen (column 0, row 0) mixes absent and present tiles");
}

TEST(MapSourceErrors, RefuseABadLegend) {
    const std::string map = "map\n" + grid({std::string(16, '.')});
    EXPECT_EQ(errorOf("pictures = 8\nabsent = x\ntile . = 8 solid\n" + map),
              "t.txt:3: picture '8' is not between 0 and 7");
    EXPECT_EQ(errorOf("pictures = 8\nabsent = x\ntile . = 0 slippery\n" + map),
              "t.txt:3: type 'slippery' is not passable, solid, ladder or 0 to 255");
    EXPECT_EQ(errorOf("pictures = 8\nabsent = x\ntile . = 0 solid\ntile . = 1 solid\n" + map),
              "t.txt:4: character '.' is defined twice");
    EXPECT_EQ(errorOf("pictures = 8\nabsent = .\ntile . = 0 solid\n" + map),
              "t.txt:3: character '.' is defined twice");
    EXPECT_EQ(errorOf("pictures = 255\n" + map),
              "t.txt:1: pictures '255' is not between 1 and 254");
    EXPECT_EQ(errorOf("absent = x\ntile . = 0 solid\n" + map),
              "t.txt:2: 'pictures' must come before the first tile");
    EXPECT_EQ(errorOf("pictures = 8\ntile . = 0 solid\n" + map), "t.txt:3: 'absent' is missing");
    EXPECT_EQ(errorOf("pictures = 8\nabsent = x\nsize = 3\n" + map), "t.txt:3: unknown key 'size'");
}

// Every committed map must be exactly what its source compiles to, and every map in data/
// must have a source: an edited .txt without regenerating, or a hand-patched .map, fails.
TEST(ShippedMaps, MatchTheirSourcesByteForByte) {
    ScratchDir scratch;
    const int count = mapsource::compileAll(sourceDir() / "assets/levels", scratch.path());
    EXPECT_GE(count, 2);
    int shipped = 0;
    for (const auto& entry : fs::directory_iterator(sourceDir() / "data")) {
        if (entry.path().extension() != ".map") {
            continue;
        }
        ++shipped;
        const fs::path generated = scratch.path() / entry.path().filename();
        ASSERT_TRUE(fs::exists(generated)) << entry.path() << " has no source in assets/levels";
        EXPECT_TRUE(readBytes(generated) == readBytes(entry.path()))
            << entry.path() << " differs from its source: run the assets-maps target";
    }
    EXPECT_EQ(shipped, count);
}

namespace {

int runTool(const std::string& arguments, const std::string& errorFile) {
    const std::string command =
        std::string("\"") + KESTRELIX_MAPS_TOOL + "\" " + arguments + " >/dev/null 2>" + errorFile;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(MapsTool, CompilesAFolderAndReportsTheFirstBadSource) {
    ScratchDir scratch;
    scratch.write("src/a.txt", std::string(kLegend) + "map\n" + grid({std::string(16, '.')}));
    fs::create_directories(scratch.path() / "out");
    EXPECT_EQ(runTool("--all src out", "err.txt"), 0);
    EXPECT_EQ(fs::file_size(scratch.path() / "out/a.map"), 5u + 16u * 15u * 2u);

    scratch.write("src/b.txt", std::string(kLegend) + "map\n" + grid({std::string(16, 'Q')}));
    EXPECT_EQ(runTool("--all src out", "err.txt"), 1);
    EXPECT_EQ(readBytes(scratch.path() / "err.txt"),
              "kestrelix-maps: src/b.txt:9: column 1: character 'Q' is not in the legend\n");
    EXPECT_FALSE(fs::exists(scratch.path() / "out/b.map"));

    EXPECT_EQ(runTool("missing.txt out/m.map", "err.txt"), 1);
    EXPECT_EQ(readBytes(scratch.path() / "err.txt"),
              "kestrelix-maps: missing.txt: cannot be opened\n");
    EXPECT_EQ(runTool("--all", "err.txt"), 2);
}
