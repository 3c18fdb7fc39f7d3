// Levels made in Tiled: a designer's new level imported, checked and played; every
// layer encoding Tiled writes; and the maps the game could not load, refused by name.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "config/loaderror.h"
#include "maps/mapsource.h"
#include "maps/tiledexport.h"
#include "maps/tiledimport.h"
#include "scratchdir.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int run(const fs::path& dir, const std::string& command) {
    const std::string line =
        "cd \"" + dir.string() + "\" && " + command + " >stdout.txt 2>stderr.txt";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The shipped tile sheet's pictures, as a designer sees them in Tiled: the global tile id
// of each character (picture + 1; 0 is Tiled's empty cell).
const std::map<char, int> kGids = {{'x', 0}, {'.', 1}, {'=', 3}, {'#', 4},
                                   {'-', 5}, {'H', 6}, {'|', 8}};

std::string csv(const std::vector<std::string>& rows) {
    std::string text = "\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            text += std::to_string(kGids.at(rows[r][c]));
            text += (c + 1 < rows[r].size() || r + 1 < rows.size()) ? "," : "";
        }
        text += "\n";
    }
    return text;
}

std::vector<std::string> repeat(const std::string& row, int times) {
    return std::vector<std::string>(static_cast<std::size_t>(times), row);
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// "Hop", two screens wide and nine high, drawn by a designer in Tiled on the desert sheet:
// a girder to jump onto, a run into the second screen, a ladder down into screen row 1,
// and the enemy's room in row 8. The rows between are left empty (no screens there).
std::vector<std::string> hopRows() {
    const auto row0 = repeat("|..............................|", 10) +
                      std::vector<std::string>{
                          "|.........---..................|", "|..............................|",
                          "========================H=======", "########################H#######",
                          "########################H#######"};
    const auto row1 = repeat("|.......................H......|", 12) +
                      std::vector<std::string>{"================================"} +
                      repeat("################################", 2);
    const auto row8 = repeat("|..............." + std::string(16, 'x'), 12) +
                      std::vector<std::string>{"================" + std::string(16, 'x')} +
                      repeat("################" + std::string(16, 'x'), 2);
    return row0 + row1 + repeat(std::string(32, 'x'), 6 * 15) + row8;
}

// As Tiled saves it, tileset embedded; the teleport stop dropped a few pixels off the
// beam's grid, and boundaries left unnamed.
std::string hopTmx() {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<map version="1.8" tiledversion="1.8.2" orientation="orthogonal" renderorder="right-down" width="32" height="135" tilewidth="16" tileheight="16" infinite="0" nextlayerid="3" nextobjectid="5">
 <properties>
  <property name="level" value="Hop"/>
 </properties>
 <tileset firstgid="1" name="desert" tilewidth="16" tileheight="16" tilecount="8" columns="8">
  <image source="../data/sablex_tiles.bmp" width="128" height="16"/>
  <tile id="0"><properties><property name="type" value="passable"/></properties></tile>
  <tile id="2"><properties><property name="type" value="solid"/></properties></tile>
  <tile id="3"><properties><property name="type" value="solid"/></properties></tile>
  <tile id="4"><properties><property name="type" value="solid"/></properties></tile>
  <tile id="5"><properties><property name="type" value="ladder"/></properties></tile>
  <tile id="7"><properties><property name="type" value="solid"/></properties></tile>
 </tileset>
 <layer id="1" name="ground" width="32" height="135">
  <data encoding="csv">)" +
           csv(hopRows()) + R"(</data>
 </layer>
 <objectgroup id="2" name="boundaries" visible="0">
  <object id="1" x="0" y="0" width="512" height="240"/>
  <object id="2" x="0" y="240" width="512" height="240"/>
  <object id="3" x="0" y="1920" width="256" height="240"/>
  <object id="4" name="teleport stop" x="130" y="170">
   <point/>
  </object>
 </objectgroup>
</map>
)";
}

const char* const kHopScript = R"(level Hop
character voltbot1
130 -            # ready message and the beam
12 right         # walk
1 right jump
25 right jump    # onto the girder
165 right        # off it and on: the camera follows into the second screen
20 -
380 down         # down the ladder: the screen scrolls down into row 1
40 left          # off the ladder's foot, back to the left
)";

struct TraceRow {
    std::string phase;
    std::string mode;
    int y = 0;
    int viewX = 0;
    int viewY = 0;
};

std::vector<TraceRow> parseTrace(const std::string& csvText) {
    std::vector<TraceRow> rows;
    std::istringstream lines(csvText);
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) {
            fields.push_back(cell);
        }
        if (fields.size() >= 17) {
            rows.push_back(TraceRow{fields[1], fields[6], std::stoi(fields[3]),
                                    std::stoi(fields[15]), std::stoi(fields[16])});
        }
    }
    return rows;
}

TEST(TiledDesign, NewLevelImportsPassesTheCheckAndPlays) {
    ScratchDir scratch;
    scratch.copyShippedData("data");
    scratch.write("design/hop.tmx", hopTmx());
    scratch.write("design/hop.txt", kHopScript);
    const fs::path data = scratch.path() / "data";

    ASSERT_EQ(run(data, std::string(KESTRELIX_MAPS_TOOL) +
                            " --from-tiled ../design/hop.tmx --map hop.map --rewrite levels.ini"),
              0)
        << readFile(data / "stderr.txt");
    EXPECT_NE(readFile(data / "stderr.txt")
                  .find("'teleport stop' lies 170 pixels below boundary 0's top, off the "
                        "beam's 16-pixel grid (4 + 16k); snapped to 164"),
              std::string::npos);
    const std::string levels = readFile(data / "levels.ini");
    EXPECT_NE(levels.find("[Hop]\ntileSheet = sablex_tiles.bmp\ntileMap = hop.map\n"
                          "teleportStopPosY = 164\nboundaries = 3\n"),
              std::string::npos);
    EXPECT_EQ(levels.find("[Sablex]"), readFile(sourceDir() / "data/levels.ini").find("[Sablex]"));

    scratch.write("data/stageselect.ini",
                  "[Levels]\namount = 1\nlevel0 = Hop\n"
                  "[Voltbots]\namount = 1\nvoltbot0 = voltbot1\nvoltbot0title = V\n");
    EXPECT_EQ(run(data, KESTRELIX_CHECK_TOOL), 0) << readFile(data / "stdout.txt");

    ASSERT_EQ(run(data, std::string(KESTRELIX_REPLAY_TOOL) + " --script ../design/hop.txt"), 0)
        << readFile(data / "stderr.txt");
    const std::vector<TraceRow> trace = parseTrace(readFile(data / "stdout.txt"));
    ASSERT_EQ(trace.size(), 774u);
    const int floorY = 46080;  // standing on screen row 0's floor, 1/256 pixel
    const auto seen = [&](auto predicate) {
        return std::any_of(trace.begin(), trace.end(), predicate);
    };
    EXPECT_TRUE(seen([&](const TraceRow& r) { return r.mode == "onGround" && r.y < floorY; }))
        << "never stood on the girder";
    EXPECT_TRUE(seen([](const TraceRow& r) { return r.viewX == 256; })) << "no scroll right";
    EXPECT_TRUE(seen([](const TraceRow& r) { return r.mode == "onLadder"; })) << "no climb";
    EXPECT_TRUE(seen([](const TraceRow& r) { return r.phase == "scrolling"; }));
    const TraceRow& last = trace.back();
    EXPECT_EQ(last.viewY, 240);  // in screen row 1
    EXPECT_EQ(last.mode, "onGround");
    EXPECT_EQ(last.y, (240 + 180) * 256);  // on its floor
    EXPECT_LT(last.viewX, 256);            // walking back left
}

// --- The importer on small maps: one screen row, two screens across.

class TiledImport : public ::testing::Test {
  protected:
    void SetUp() override { m_scratch.copyFromSource("data/sablex_tiles.bmp", "sheet.bmp"); }

    // A map of `rows` (two screens across when 32 wide) with the layer data as given.
    void writeMap(const std::vector<std::string>& rows, const std::string& data,
                  const std::string& extra = "", const std::string& objects = kObjects) {
        const std::string width = std::to_string(rows.empty() ? 0 : rows[0].size());
        const std::string height = std::to_string(rows.size());
        m_scratch.write(
            "level.tmx",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<map version=\"1.8\" orientation=\"orthogonal\" renderorder=\"right-down\" width=\"" +
                width + "\" height=\"" + height +
                "\" tilewidth=\"16\" tileheight=\"16\" infinite=\"0\">\n"
                " <properties><property name=\"level\" value=\"Tiny\"/>"
                "<property name=\"teleportStartYSpeedFraction\" type=\"int\" value=\"-40\"/>"
                "</properties>\n"
                " <tileset firstgid=\"1\" source=\"sheet.tsx\"/>\n"
                " <layer id=\"1\" name=\"tiles\" width=\"" +
                width + "\" height=\"" + height + "\">\n  " + data + "\n </layer>\n" + extra +
                " <objectgroup id=\"2\" name=\"boundaries\">\n" + objects + " </objectgroup>\n" +
                "</map>\n");
    }
    void writeTileset(const std::string& tiles = kTiles) {
        m_scratch.write("sheet.tsx",
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<tileset name=\"t\" tilewidth=\"16\" tileheight=\"16\" tilecount=\"8\" "
                        "columns=\"8\">\n <image source=\"sheet.bmp\" width=\"128\" "
                        "height=\"16\"/>\n" +
                            tiles + "</tileset>\n");
    }

    std::string errorOf() const {
        try {
            tiledimport::read(m_scratch.path() / "level.tmx");
        } catch (const LoadError& error) {
            return fs::path(error.file()).filename().string() + ": " + error.problem();
        }
        return "no error";
    }

    static constexpr const char* kObjects =
        "  <object id=\"1\" x=\"0\" y=\"0\" width=\"256\" height=\"240\"/>\n"
        "  <object id=\"2\" name=\"teleport stop\" x=\"128\" y=\"164\"><point/></object>\n";
    static constexpr const char* kTiles =
        " <tile id=\"0\"><properties><property name=\"type\" value=\"passable\"/></properties>"
        "</tile>\n"
        " <tile id=\"3\"><properties><property name=\"type\" value=\"solid\"/></properties>"
        "</tile>\n"
        " <tile id=\"5\"><properties><property name=\"type\" value=\"ladder\"/></properties>"
        "</tile>\n"
        " <tile id=\"7\"><properties><property name=\"type\" value=\"200\"/></properties>"
        "</tile>\n";

    ScratchDir m_scratch;
};

// One screen of sky over floor, a ladder and a tile of type 200, then an empty screen.
std::vector<std::string> twoScreens() {
    std::vector<std::string> rows = repeat("..............H." + std::string(16, 'x'), 12);
    rows.push_back("######|#########" + std::string(16, 'x'));
    rows.push_back("################" + std::string(16, 'x'));
    rows.push_back("################" + std::string(16, 'x'));
    return rows;
}

std::vector<std::uint32_t> gidsOf(const std::vector<std::string>& rows) {
    std::vector<std::uint32_t> gids;
    for (const std::string& row : rows) {
        for (const char c : row) {
            gids.push_back(static_cast<std::uint32_t>(kGids.at(c)));
        }
    }
    return gids;
}

std::string base64(const std::string& bytes) {
    static const char* const kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
        group |= i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0;
        group |= i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0;
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += i + 1 < bytes.size() ? kAlphabet[group >> 6 & 63] : '=';
        text += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
    }
    return text;
}

// zlib (windowBits 15) or gzip (31) with zlib's own deflate, as Tiled writes them.
std::string deflated(const std::string& raw, int windowBits) {
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(raw.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    stream.avail_in = static_cast<uInt>(raw.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string littleEndian(const std::vector<std::uint32_t>& gids) {
    std::string raw;
    for (const std::uint32_t gid : gids) {
        for (int shift = 0; shift < 32; shift += 8) {
            raw.push_back(static_cast<char>(gid >> shift));
        }
    }
    return raw;
}

TEST_F(TiledImport, EveryLayerEncodingGivesTheSameMap) {
    writeTileset();
    const std::vector<std::string> rows = twoScreens();
    const std::string raw = littleEndian(gidsOf(rows));
    std::string xmlTiles;
    for (const std::uint32_t gid : gidsOf(rows)) {
        xmlTiles += gid == 0 ? "<tile/>" : "<tile gid=\"" + std::to_string(gid) + "\"/>";
    }
    const std::vector<std::pair<std::string, std::string>> encodings = {
        {"csv", "<data encoding=\"csv\">" + csv(rows) + "</data>"},
        {"xml", "<data>" + xmlTiles + "</data>"},
        {"base64", "<data encoding=\"base64\">\n   " + base64(raw) + "\n  </data>"},
        {"zlib",
         "<data encoding=\"base64\" compression=\"zlib\">" + base64(deflated(raw, 15)) + "</data>"},
        {"gzip",
         "<data encoding=\"base64\" compression=\"gzip\">" + base64(deflated(raw, 31)) + "</data>"},
    };
    // The map as the text compiler writes it from the same picture.
    std::vector<mapsource::Cell> cells;
    for (const std::string& row : rows) {
        for (const char c : row) {
            const int gid = kGids.at(c);
            const int type = c == '#' || c == '|' ? (c == '|' ? 200 : 1) : c == 'H' ? 2 : 0;
            cells.push_back(gid == 0 ? mapsource::Cell{}
                                     : mapsource::Cell{true, static_cast<unsigned char>(gid - 1),
                                                       static_cast<unsigned char>(type)});
        }
    }
    const std::string expected = mapsource::encodeMap(32, 15, 8, cells);
    for (const auto& [name, data] : encodings) {
        SCOPED_TRACE(name);
        writeMap(rows, data);
        const tiledimport::Level level = tiledimport::read(m_scratch.path() / "level.tmx");
        EXPECT_EQ(level.mapBytes, expected);
        EXPECT_EQ(level.name, "Tiny");
        ASSERT_EQ(level.boundaries.size(), 1u);
        EXPECT_EQ(level.teleportStopPosY, 164);
        EXPECT_EQ(level.otherKeys, (tiledimport::Entries{{"teleportStartYSpeedFraction", "-40"}}));
        EXPECT_TRUE(level.notes.empty());
    }
}

TEST_F(TiledImport, RefusesWhatTheGameCouldNotLoadNamingWhere) {
    const std::vector<std::string> good = twoScreens();
    std::vector<std::string> partly = good;
    partly[3][20] = '.';  // one tile in the empty screen
    std::vector<std::string> narrow = good;
    for (std::string& row : narrow) {
        row.pop_back();
    }
    const std::string csvData = "<data encoding=\"csv\">" + csv(good) + "</data>";
    std::string flipped = csvData;
    flipped.replace(flipped.find(">\n") + 2, 1, "2147483649");  // tile 1, flipped across

    struct Case {
        const char* what;
        std::vector<std::string> rows;
        std::string data;
        std::string extra;
        std::string objects;
        std::string tiles;
        const char* message;
    };
    const std::string kObj = kObjects;
    const std::string kTil = kTiles;
    const std::vector<Case> cases = {
        {"partly filled screen", partly, "<data encoding=\"csv\">" + csv(partly) + "</data>", "",
         kObj, kTil,
         "level.tmx: screen (column 1, row 0) is only partly filled: tile column 16, row 0 is "
         "empty but tile column 20, row 3 is not"},
        {"not whole screens", narrow, "<data encoding=\"csv\">" + csv(narrow) + "</data>", "", kObj,
         kTil, "level.tmx: is 31 x 15 tiles, not a whole number of screens (16 x 15 tiles each)"},
        {"flipped tile", good, flipped, "", kObj, kTil,
         "level.tmx: tile column 0, row 0 is flipped or rotated"},
        {"tile without a type", good, csvData, "", kObj,
         " <tile id=\"0\"><properties><property name=\"type\" value=\"passable\"/></properties>"
         "</tile>\n",
         "sheet.tsx: tile 5 (used at tile column 14, row 0) has no custom property 'type'"},
        {"unknown type", good, csvData, "", kObj,
         " <tile id=\"3\"><properties><property name=\"type\" value=\"lava\"/></properties>"
         "</tile>\n",
         "sheet.tsx: tile 3: type 'lava' is not passable, solid, ladder or 0 to 255"},
        {"second tile layer", good, csvData,
         " <group name=\"deco\"><layer id=\"5\" name=\"plants\" width=\"32\" height=\"15\">"
         "<data encoding=\"csv\">" +
             csv(good) + "</data></layer></group>\n",
         kObj, kTil, "level.tmx: has 2 tile layers ('tiles', 'plants'); a level has exactly one"},
        {"zstd", good, "<data encoding=\"base64\" compression=\"zstd\">AAAA</data>", "", kObj, kTil,
         "level.tmx: tile layer 'tiles' is compressed with 'zstd'"},
        {"damaged zlib", good, "<data encoding=\"base64\" compression=\"zlib\">eJwDAAA=</data>", "",
         kObj, kTil, "level.tmx: the compressed layer data is damaged or longer than the layer"},
        {"short layer", good, "<data encoding=\"csv\">1,1,1</data>", "", kObj, kTil,
         "level.tmx: tile layer 'tiles' holds 3 tiles; the map's 32 x 15 needs 480"},
        {"boundary two screens high", good, csvData, "",
         "  <object id=\"1\" x=\"0\" y=\"0\" width=\"256\" height=\"480\"/>\n"
         "  <object id=\"2\" name=\"teleport stop\" x=\"128\" y=\"164\"><point/></object>\n",
         kTil,
         "level.tmx: boundary 0 (object 1 '') is 480 pixels high; a boundary is one screen row"},
        {"boundary over the empty screen", good, csvData, "",
         "  <object id=\"1\" x=\"0\" y=\"0\" width=\"300\" height=\"240\"/>\n"
         "  <object id=\"2\" name=\"teleport stop\" x=\"128\" y=\"164\"><point/></object>\n",
         kTil,
         "level.tmx: boundary 0 (object 1 '') covers screen (column 1, row 0), which is empty"},
        {"no teleport stop", good, csvData, "",
         "  <object id=\"1\" x=\"0\" y=\"0\" width=\"256\" height=\"240\"/>\n", kTil,
         "level.tmx: has no point object named 'teleport stop'"},
        {"teleport stop above boundary 0", good, csvData, "",
         "  <object id=\"1\" x=\"0\" y=\"0\" width=\"256\" height=\"240\"/>\n"
         "  <object id=\"2\" name=\"teleport stop\" x=\"128\" y=\"-30\"><point/></object>\n",
         kTil, "level.tmx: 'teleport stop' lies -30 pixels below boundary 0's top"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeTileset(c.tiles);
        writeMap(c.rows, c.data, c.extra, c.objects);
        const std::string error = errorOf();
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
    }
}

TEST_F(TiledImport, SnapsBoundariesToTilesAndScreenRowsWithANote) {
    writeTileset();
    writeMap(
        twoScreens(), "<data encoding=\"csv\">" + csv(twoScreens()) + "</data>", "",
        "  <object id=\"7\" name=\"start\" x=\"3.5\" y=\"-10\" width=\"250\" height=\"245\"/>\n"
        "  <object id=\"2\" name=\"teleport stop\" x=\"128\" y=\"180\"><point/></object>\n");
    const tiledimport::Level level = tiledimport::read(m_scratch.path() / "level.tmx");
    ASSERT_EQ(level.boundaries.size(), 1u);
    EXPECT_EQ(level.boundaries[0].x, 0);
    EXPECT_EQ(level.boundaries[0].y, 0);
    EXPECT_EQ(level.boundaries[0].w, 256);
    EXPECT_EQ(level.teleportStopPosY, 180);  // 4 + 16 * 11: on the grid, no note
    ASSERT_EQ(level.notes.size(), 1u);
    EXPECT_EQ(level.notes[0],
              "boundary 0 (object 7 'start') at x 3.5, y -10, 250 x 245 snapped "
              "to x 0, y 0, 256 x 240");
}

TEST(TiledSection, RewriteKeepsCommentsAndOtherSectionsAndDropsStaleKeys) {
    const std::string before =
        "; levels\n[A]\nx = 1\n\n; the one we import\n[Tiny]\n"
        "tileMap = old.map\n; row 0\nboundaries = 2\nboundary0x = 0\n"
        "boundary1x = 256\ncolour = red\n\n[B]\ny = 2\n";
    const tiledimport::Entries entries = {{"tileMap", "tiny.map"},
                                          {"teleportStopPosY", "164"},
                                          {"boundaries", "1"},
                                          {"boundary0x", "16"}};
    EXPECT_EQ(tiledimport::rewriteSection(before, "Tiny", entries),
              "; levels\n[A]\nx = 1\n\n; the one we import\n[Tiny]\ntileMap = tiny.map\n"
              "; row 0\nboundaries = 1\nboundary0x = 16\nteleportStopPosY = 164\n\n[B]\ny = 2\n");
    EXPECT_EQ(tiledimport::rewriteSection("[A]\nx = 1\n", "Tiny", entries),
              "[A]\nx = 1\n\n" + tiledimport::sectionText("Tiny", entries));
}

TEST(TiledExport, RefusesAPictureWithTwoTypesNamingBothCells) {
    ScratchDir scratch;
    scratch.copyFromSource("data/sablex_tiles.bmp", "sheet.bmp");
    std::string source =
        "pictures = 8\nabsent = x\ntile . = 0 passable\ntile # = 3 solid\n"
        "tile ? = 3 passable\nmap\n";
    for (int r = 0; r < 15; ++r) {
        source += r == 14   ? "####?###########\n"
                  : r == 13 ? "################\n"
                            : "................\n";
    }
    scratch.write("two.map", mapsource::compile(source, "two.txt"));
    scratch.write("levels.ini",
                  "[Two]\ntileSheet = sheet.bmp\ntileMap = two.map\nboundaries = 1\n"
                  "boundary0w = 256\n");
    try {
        tiledexport::exportLevel("Two", "out", tiledexport::Encoding::kCsv);
        FAIL() << "exported";
    } catch (const LoadError& error) {
        EXPECT_EQ(error.what(), std::string("two.map: picture 3 is solid at tile column 0, row 13 "
                                            "but passable at column 4, row 14; a Tiled tileset "
                                            "gives each picture one type"));
    }
    EXPECT_FALSE(fs::exists("out/two.tmx"));
}

}  // namespace
