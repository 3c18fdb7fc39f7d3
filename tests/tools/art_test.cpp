#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "artsheet.h"
#include "bmpfile.h"
#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "scratchdir.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kKey = 0xFF80FF;

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<fs::path> artSources() {
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(sourceDir() / "assets/art")) {
        if (entry.path().extension() == ".txt") {
            sources.push_back(entry.path());
        }
    }
    std::sort(sources.begin(), sources.end());
    return sources;
}

ArtSheet parse(const std::string& text) {
    return parseArtSheet(text, "test.txt", fs::current_path());
}

// The "<file>:<line>" and problem of the error that parsing the text raises.
std::string errorOf(const std::string& text) {
    try {
        parse(text);
    } catch (const LoadError& error) {
        return error.file() + ": " + error.problem();
    }
    return "no error";
}

int runTool(const std::string& arguments, const std::string& errorFile) {
    const std::string command =
        std::string("\"") + KESTRELIX_ART_TOOL + "\" " + arguments + " >/dev/null 2>" + errorFile;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char* const kTwoColours =
    "size 3 2\n"
    "palette\n"
    ". = FF80FF\n"
    "K = 102030\n"
    "\n";

}  // namespace

TEST(ArtSources, ToolRegeneratesEveryCommittedPictureByteForByte) {
    ScratchDir scratch;
    ASSERT_EQ(runTool("--all \"" + (sourceDir() / "assets/art").string() + "\" .", "err.txt"), 0)
        << readBytes("err.txt");
    const std::vector<fs::path> sources = artSources();
    ASSERT_FALSE(sources.empty());
    for (const fs::path& source : sources) {
        const std::string name = source.stem().string() + ".bmp";
        const std::string committed = readBytes(sourceDir() / "data" / name);
        EXPECT_FALSE(committed.empty()) << "data/" << name << " is missing";
        EXPECT_TRUE(readBytes(name) == committed)
            << "data/" << name << " differs from its source; run the `assets` target";
    }
}

TEST(ArtSources, EveryShippedPictureHasASource) {
    for (const auto& entry : fs::directory_iterator(sourceDir() / "data")) {
        if (entry.path().extension() == ".bmp") {
            const fs::path source = sourceDir() / "assets/art" / entry.path().stem().concat(".txt");
            EXPECT_TRUE(fs::exists(source)) << entry.path() << " has no source";
        }
    }
}

TEST(ArtSources, FontIniPointsEveryCharacterAtItsGlyph) {
    const ArtSheet font = loadArtSheet(sourceDir() / "assets/art/font.txt");
    const std::string iniPath = (sourceDir() / "data/font.ini").string();
    const IniDictionary ini(iniPath.c_str());
    ASSERT_TRUE(ini.wasRead());
    EXPECT_STREQ(ini.getCStringValue("sheet", "Properties", "empty"), "font.bmp");
    EXPECT_EQ(ini.getIntValue("characterWidth", "Properties", 0), font.width);
    EXPECT_EQ(ini.getIntValue("characterHeight", "Properties", 0), font.height);
    // Numbers are drawn from the first ten cells without a lookup.
    for (int digit = 0; digit < 10; ++digit) {
        EXPECT_EQ(font.pictures[static_cast<std::size_t>(digit)].name, std::to_string(digit));
    }
    for (std::size_t i = 0; i < font.pictures.size(); ++i) {
        const std::string& key = font.pictures[i].name;
        EXPECT_EQ(ini.getIntValue(key.c_str(), "Characters", -1), font.cellY(static_cast<int>(i)))
            << "character " << key;
    }
    EXPECT_GE(font.find("space"), 0);
    EXPECT_GE(font.find("-"), 0);
    EXPECT_GE(font.find("z"), 0);
}

TEST(ArtSources, VoltbotSheetsShareOneLayoutAndLeftMirrorsRight) {
    const fs::path art = sourceDir() / "assets/art";
    const ArtSheet right = loadArtSheet(art / "voltbot_right.txt");
    const char* const cells[] = {"stand",    "blink", "step", "run1",         "run2",
                                 "run3",     "jump",  "land", "climb1",       "climb2",
                                 "climbtop", "hit",   "beam", "materialise1", "materialise2"};
    ASSERT_EQ(right.pictures.size(), std::size(cells));
    for (std::size_t i = 0; i < std::size(cells); ++i) {
        EXPECT_EQ(right.pictures[i].name, cells[i]) << "cell " << i;
    }
    EXPECT_EQ(right.width, 24);
    EXPECT_EQ(right.height, 24);

    const std::vector<std::uint32_t> rightPixels = renderArtSheet(right);
    for (const char* other : {"voltbot_left", "voltbot_right_shoot", "voltbot_left_shoot"}) {
        const ArtSheet sheet = loadArtSheet(art / (std::string(other) + ".txt"));
        EXPECT_EQ(sheet.sheetWidth(), right.sheetWidth()) << other;
        EXPECT_EQ(sheet.sheetHeight(), right.sheetHeight()) << other;
    }
    const ArtSheet left = loadArtSheet(art / "voltbot_left.txt");
    const std::vector<std::uint32_t> leftPixels = renderArtSheet(left);
    for (int y = 0; y < right.sheetHeight(); ++y) {
        for (int x = 0; x < 24; ++x) {
            ASSERT_EQ(leftPixels[static_cast<std::size_t>(y * 24 + x)],
                      rightPixels[static_cast<std::size_t>(y * 24 + 23 - x)]);
        }
    }
    // Feet on the bottom row of every cell: the owner places the sprite by it.
    for (std::size_t i = 0; i < right.pictures.size(); ++i) {
        const std::string& bottom = right.pictures[i].rows.back();
        EXPECT_NE(bottom.find_first_not_of('.'), std::string::npos) << cells[i];
    }
}

TEST(ArtSources, TileSheetsAreOneRowOfEightTiles) {
    for (const char* name : {"sablex_tiles", "corvane_tiles"}) {
        const ArtSheet tiles =
            loadArtSheet(sourceDir() / "assets/art" / (std::string(name) + ".txt"));
        EXPECT_EQ(tiles.layout, ArtSheet::Layout::kRow) << name;
        EXPECT_EQ(tiles.width, 16) << name;
        EXPECT_EQ(tiles.height, 16) << name;
        EXPECT_EQ(tiles.pictures.size(), 8u) << name;
        // Tiles cover their whole cell: a see-through tile would show the last frame.
        for (const std::uint32_t pixel : renderArtSheet(tiles)) {
            ASSERT_NE(pixel, kKey) << name;
        }
    }
}

TEST(ArtSources, SmallSheetsHaveTheCellSizesTheGameUses) {
    const fs::path art = sourceDir() / "assets/art";
    const ArtSheet enemy = loadArtSheet(art / "enemy.txt");
    EXPECT_EQ(enemy.width, 16);
    EXPECT_EQ(enemy.height, 8);
    EXPECT_GE(enemy.pictures.size(), 2u);
    for (const char* name : {"bullet", "selector"}) {
        const ArtSheet sheet = loadArtSheet(art / (std::string(name) + ".txt"));
        EXPECT_EQ(sheet.sheetWidth(), 8) << name;
        EXPECT_EQ(sheet.sheetHeight(), 8) << name;
    }
}

TEST(ArtSource, ReadsPaletteAndPicturesIntoCells) {
    const ArtSheet sheet = parse(std::string(kTwoColours) +
                                 "picture a\n"
                                 "K..\n"
                                 ".K.\n"
                                 "\n"
                                 "# a comment between pictures\n"
                                 "picture b\n"
                                 "KKK\n"
                                 "..K\n");
    ASSERT_EQ(sheet.pictures.size(), 2u);
    EXPECT_EQ(sheet.sheetWidth(), 3);
    EXPECT_EQ(sheet.sheetHeight(), 4);
    EXPECT_EQ(sheet.cellY(1), 2);
    const std::vector<std::uint32_t> pixels = renderArtSheet(sheet);
    EXPECT_EQ(pixels[0], 0x102030u);
    EXPECT_EQ(pixels[1], kKey);
    EXPECT_EQ(pixels[3 * 3 + 2], 0x102030u);  // last pixel of picture b
}

TEST(ArtSource, RowLayoutPlacesCellsSideBySide) {
    const ArtSheet sheet = parse(std::string(kTwoColours) +
                                 "layout row\n"
                                 "picture a\nK..\n...\n\n"
                                 "picture b\n..K\n...\n");
    EXPECT_EQ(sheet.sheetWidth(), 6);
    EXPECT_EQ(sheet.sheetHeight(), 2);
    EXPECT_EQ(sheet.cellX(1), 3);
    EXPECT_EQ(renderArtSheet(sheet)[5], 0x102030u);
}

TEST(ArtSource, MirrorFlipsRowsLeftToRight) {
    const ArtSheet sheet = parse(std::string(kTwoColours) +
                                 "picture a\nKK.\nK..\n\n"
                                 "picture b = mirror a\n"
                                 "picture c = copy a\n");
    ASSERT_EQ(sheet.pictures.size(), 3u);
    EXPECT_EQ(sheet.pictures[1].rows, (std::vector<std::string>{".KK", "..K"}));
    EXPECT_EQ(sheet.pictures[2].rows, sheet.pictures[0].rows);
}

TEST(ArtSource, DerivedSheetMirrorsRecoloursAndReplacesInPlace) {
    ScratchDir scratch;
    scratch.write("base.txt", std::string(kTwoColours) +
                                  "picture a\nK..\n...\n\n"
                                  "picture b\n.K.\n...\n\n"
                                  "picture c\n..K\n...\n");
    const ArtSheet derived = parseArtSheet(
        "from base\n"
        "mirror all\n"
        "palette\n"
        "K = 0000FF\n"
        "R = FF0000\n"
        "\n"
        "picture b\nRRR\nRRR\n\n"
        "picture d = mirror c\n",
        "derived.txt", scratch.path());
    ASSERT_EQ(derived.pictures.size(), 4u);
    EXPECT_EQ(derived.pictures[0].rows[0], "..K");  // mirrored
    EXPECT_EQ(derived.pictures[1].rows[0], "RRR");  // replaced, kept its cell
    EXPECT_EQ(derived.pictures[2].rows[0], "K..");
    EXPECT_EQ(derived.pictures[3].rows[0], "..K");     // mirror of the already mirrored c
    EXPECT_EQ(renderArtSheet(derived)[2], 0x0000FFu);  // inherited pixel, new colour
}

TEST(ArtSource, RefusesMistakesNamingFileAndLine) {
    const std::string head = kTwoColours;  // four lines and a blank one
    EXPECT_EQ(errorOf(head + "picture a\nK.X\n...\n"), "test.txt:7: unknown palette character 'X'");
    EXPECT_EQ(errorOf(head + "picture a\nK.\n...\n"),
              "test.txt:7: row has 2 pixels, the picture is 3 wide");
    EXPECT_EQ(errorOf(head + "picture a\nK..\n\n"), "test.txt:6: picture 'a' has 1 rows, not 2");
    EXPECT_EQ(errorOf(head + "picture a\nK..\n...\n...\n"),
              "test.txt:9: picture 'a' has more than 2 rows");
    EXPECT_EQ(errorOf(head + "picture b = mirror a\n"),
              "test.txt:6: there is no picture 'a' to mirror");
    EXPECT_EQ(errorOf(head + "picture a\nK..\n...\n\npicture a = copy a\n"),
              "test.txt:10: picture 'a' is defined twice");
    EXPECT_EQ(errorOf("palette\n. = FF80F\n"), "test.txt:2: expected \". = RRGGBB\"");
    EXPECT_EQ(errorOf("palette\n. = FF80FF\n. = 000000\n"),
              "test.txt:3: palette character '.' is defined twice");
    EXPECT_EQ(errorOf("palette\n. = FF80FF\n\npicture a\n"),
              "test.txt:4: \"size\" must come before the first picture");
    EXPECT_EQ(errorOf("size 0 8\n"), "test.txt:1: picture sizes are whole numbers from 1 to 256");
    EXPECT_EQ(errorOf("size 8 8\nlayout diagonal\n"),
              "test.txt:2: layout is \"column\" or \"row\", not 'diagonal'");
    EXPECT_EQ(errorOf("sizes 8 8\n"), "test.txt:1: unknown directive 'sizes'");
    EXPECT_EQ(errorOf("size 8 8\n"), "test.txt:1: the sheet has no pictures");
    EXPECT_EQ(errorOf("size 8 8\nfrom other\n"),
              "test.txt:2: \"from\" must be the first directive of a sheet");
}

TEST(ArtSource, RefusesSheetsThatDeriveFromEachOther) {
    ScratchDir scratch;
    scratch.write("a.txt", "from b\n");
    scratch.write("b.txt", "from a\n");
    try {
        loadArtSheet(scratch.path() / "a.txt");
        FAIL() << "a loop was accepted";
    } catch (const LoadError& error) {
        EXPECT_NE(error.problem().find("loop"), std::string::npos) << error.problem();
    }
    EXPECT_THROW(loadArtSheet(scratch.path() / "missing.txt"), LoadError);
}

TEST(BmpFile, WritesBottomUpBgrRowsPaddedToFourBytes) {
    // 2 x 2: top row red, blue; bottom row green, white. Rows take 6 bytes + 2 padding.
    const std::string bmp = encodeBmp(2, 2, {0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF});
    ASSERT_EQ(bmp.size(), 54u + 16u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    auto u32 = [&bmp](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bmp[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bmp[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bmp[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bmp[at + 3])) << 24;
    };
    EXPECT_EQ(u32(2), 70u);   // file size
    EXPECT_EQ(u32(10), 54u);  // pixel data offset
    EXPECT_EQ(u32(14), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(u32(18), 2u);
    EXPECT_EQ(u32(22), 2u);  // positive height: bottom-up
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 24);
    EXPECT_EQ(u32(30), 0u);  // uncompressed
    const std::string pixels = bmp.substr(54);
    EXPECT_EQ(pixels, std::string("\x00\xFF\x00\xFF\xFF\xFF\x00\x00"  // bottom row first
                                  "\x00\x00\xFF\xFF\x00\x00\x00\x00",
                                  16));
}

TEST(ArtTool, ReportsTheFileAndLineOfAProblemAndFails) {
    ScratchDir scratch;
    scratch.write("bad.txt", "size 2 1\npalette\n. = FF80FF\n\npicture a\n.Q\n");
    EXPECT_EQ(runTool("bad.txt out.bmp", "err.txt"), 1);
    EXPECT_EQ(readBytes("err.txt"), "kestrelix-art: bad.txt:6: unknown palette character 'Q'\n");
    EXPECT_FALSE(fs::exists("out.bmp"));

    scratch.write("good.txt", "size 2 1\npalette\n. = FF80FF\nK = 000000\n\npicture a\n.K\n");
    EXPECT_EQ(runTool("good.txt out.bmp", "err.txt"), 0) << readBytes("err.txt");
    EXPECT_EQ(readBytes("out.bmp").size(), 54u + 8u);
}

// A tile sheet with colour-key pixels is written, with a warning naming the pictures; a
// sprite sheet is see-through around its figure by design and gets none.
TEST(ArtTool, WarnsAboutSeeThroughPixelsOnlyInTileSheets) {
    ScratchDir scratch;
    const std::string palette = "size 2 1\npalette\n. = FF80FF\nK = 102030\n\n";
    const std::string pictures = "picture floor\nKK\n\npicture grate\nK.\n\npicture pipe\n.K\n";
    scratch.write("tiles.txt", palette + "layout row\n" + pictures);
    EXPECT_EQ(runTool("tiles.txt tiles.bmp", "err.txt"), 0);
    EXPECT_EQ(readBytes("err.txt"),
              "kestrelix-art: warning: tiles.txt: tile pictures 1 (grate), 2 (pipe) have "
              "transparent pixels (colour FF80FF): the level clears the screen behind every "
              "screen that shows them\n");
    EXPECT_TRUE(fs::exists("tiles.bmp"));

    scratch.write("sprite.txt", palette + "layout column\n" + pictures);
    EXPECT_EQ(runTool("sprite.txt sprite.bmp", "err.txt"), 0);
    EXPECT_EQ(readBytes("err.txt"), "");
}
