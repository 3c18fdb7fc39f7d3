// The shipped levels in Tiled's file format, checked by Tiled's own programs: the committed
// exports match the data, Tiled's writer re-saves them into maps that import back byte for
// byte, and Tiled's renderer draws exactly what the engine draws.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "config/inidictionary.h"
#include "engine/gameengine.h"
#include "engine/scopedvideo.h"
#include "scratchdir.h"
#include "world/camera.h"
#include "world/map.h"

namespace fs = std::filesystem;

namespace {

struct ShippedLevel {
    const char* name;  // the section of levels.ini
    const char* stem;  // the file names
};
const ShippedLevel kLevels[] = {{"Sablex", "sablex"}, {"Corvane", "corvane"}};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a shell command in `dir`; its exit status (stdout and stderr go to files in dir).
int run(const fs::path& dir, const std::string& command) {
    const std::string line = "cd \"" + dir.string() + "\" && QT_QPA_PLATFORM=offscreen " + command +
                             " >stdout.txt 2>stderr.txt";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string maps() {
    return std::string("\"") + KESTRELIX_MAPS_TOOL + "\"";
}

// Every key of a section with its value.
std::vector<std::pair<std::string, std::string>> section(const IniDictionary& ini,
                                                         const char* name) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& key : ini.keysOf(name)) {
        entries.emplace_back(key, ini.getCStringValue(key.c_str(), name, ""));
    }
    return entries;
}

// A scratch copy of data/ in <scratch>/data, with an empty <scratch>/tiled beside it: the
// same relative place as assets/tiled, so exports name the sheets the same way.
class TiledShipped : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(sourceDir() / "data")) {
            m_scratch.copyFromSource("data/" + entry.path().filename().string(),
                                     "data/" + entry.path().filename().string());
        }
        fs::create_directories(data().parent_path() / "assets" / "tiled");
    }
    fs::path data() const { return m_scratch.path() / "data"; }
    fs::path out() const { return m_scratch.path() / "assets" / "tiled"; }

    ScratchDir m_scratch;
};

TEST_F(TiledShipped, CommittedExportsMatchTheShippedLevels) {
    // After a change to data/, `cmake --build build --target assets` rewrites them.
    for (const ShippedLevel& level : kLevels) {
        SCOPED_TRACE(level.name);
        ASSERT_EQ(run(data(), maps() + " --to-tiled " + level.name + " ../assets/tiled"), 0)
            << readFile(data() / "stderr.txt");
        for (const char* extension : {".tmx", ".tsx"}) {
            const std::string file = std::string(level.stem) + extension;
            EXPECT_EQ(readFile(out() / file), readFile(sourceDir() / "assets/tiled" / file))
                << file << " is out of date: rebuild the target 'assets'";
        }
    }
}

TEST_F(TiledShipped, ResavedByTiledImportsToTheShippedMapAndSection) {
    IniDictionary shipped((data() / "levels.ini").c_str());
    for (const ShippedLevel& level : kLevels) {
        for (const char* encoding : {"", " --zlib"}) {
            SCOPED_TRACE(std::string(level.name) + encoding);
            const std::string stem = level.stem;
            ASSERT_EQ(
                run(data(), maps() + " --to-tiled " + level.name + " ../assets/tiled" + encoding),
                0);
            // Tiled's own writer, into the same folder so the tileset stays where it is.
            ASSERT_EQ(run(out(), "tiled --export-map " + stem + ".tmx resaved.tmx"), 0)
                << readFile(out() / "stderr.txt");
            const std::string resaved = readFile(out() / "resaved.tmx");
            if (*encoding == '\0') {
                // We write what Tiled writes: its re-save changes nothing.
                EXPECT_EQ(resaved, readFile(out() / (stem + ".tmx")));
            } else {
                EXPECT_NE(resaved.find("compression=\"zlib\""), std::string::npos);
            }

            ASSERT_EQ(run(data(), maps() + " --from-tiled ../assets/tiled/resaved.tmx --map " +
                                      stem + ".map"),
                      0)
                << readFile(data() / "stderr.txt");
            EXPECT_EQ(readFile(data() / (stem + ".map")),
                      readFile(sourceDir() / "data" / (stem + ".map")));
            EXPECT_EQ(readFile(data() / "stderr.txt"), "");  // nothing needed snapping
            fs::rename(data() / "stdout.txt", data() / "section.ini");
            IniDictionary imported((data() / "section.ini").c_str());
            EXPECT_EQ(section(imported, level.name), section(shipped, level.name));
        }
    }
}

// One 32-bit ARGB picture.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Uint32> pixels;
    Uint32 at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

Picture loadPng(const fs::path& path) {
    Picture picture;
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (loaded == nullptr) {
        ADD_FAILURE() << path << ": " << IMG_GetError();
        return picture;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    picture.width = argb->w;
    picture.height = argb->h;
    picture.pixels.resize(static_cast<std::size_t>(argb->w) * static_cast<std::size_t>(argb->h));
    for (int y = 0; y < argb->h; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(argb->pixels) +
                                                          y * argb->pitch);
        std::copy(row, row + argb->w, picture.pixels.begin() + y * argb->w);
    }
    SDL_FreeSurface(argb);
    return picture;
}

// The engine's own drawing of one screen of the map, on a background of one colour.
Picture engineScreen(GameEngine& engine, Map& map, int column, int row, Uint8 background) {
    SDL_Renderer* renderer = engine.renderer();
    SDL_SetRenderDrawColor(renderer, background, background, background, SDL_ALPHA_OPAQUE);
    SDL_RenderClear(renderer);
    Camera camera;
    camera.move(column * Map::kScreenWidth, row * Map::kScreenHeight);
    map.draw(camera);
    Picture picture;
    picture.width = Map::kScreenWidth;
    picture.height = Map::kScreenHeight;
    picture.pixels.resize(static_cast<std::size_t>(picture.width * picture.height));
    EXPECT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                   picture.pixels.data(), picture.width * 4),
              0);
    return picture;
}

TEST_F(TiledShipped, TmxrasterizerDrawsWhatTheEngineDraws) {
    fs::current_path(data());
    GameEngine engine(1);
    const ScopedVideo installed(&engine);
    IniDictionary levels("levels.ini");
    for (const ShippedLevel& level : kLevels) {
        SCOPED_TRACE(level.name);
        const fs::path tmx = sourceDir() / "assets/tiled" / (std::string(level.stem) + ".tmx");
        ASSERT_EQ(run(data(), "tmxrasterizer \"" + tmx.string() + "\" tiled.png"), 0)
            << readFile(data() / "stderr.txt");
        const Picture tiled = loadPng(data() / "tiled.png");
        Map map(level.name, levels);
        const int screenRows = map.getScreenCount() / map.getScreensPerRow();
        ASSERT_EQ(tiled.width, map.getScreensPerRow() * Map::kScreenWidth);
        ASSERT_EQ(tiled.height, screenRows * Map::kScreenHeight);

        int differences = 0;
        for (int row = 0; row < screenRows; ++row) {
            for (int column = 0; column < map.getScreensPerRow(); ++column) {
                // Drawn twice on two backgrounds: a pixel that changes with the background
                // is one the engine leaves unpainted, which Tiled must leave transparent.
                const Picture dark = engineScreen(engine, map, column, row, 0x00);
                const Picture light = engineScreen(engine, map, column, row, 0xFF);
                for (int y = 0; y < Map::kScreenHeight; ++y) {
                    for (int x = 0; x < Map::kScreenWidth; ++x) {
                        const Uint32 theirs =
                            tiled.at(column * Map::kScreenWidth + x, row * Map::kScreenHeight + y);
                        const bool painted = dark.at(x, y) == light.at(x, y);
                        const bool same =
                            painted ? theirs == (dark.at(x, y) | 0xFF000000u) : (theirs >> 24) == 0;
                        if (!same && differences++ < 5) {
                            ADD_FAILURE() << "screen (" << column << ", " << row << ") pixel (" << x
                                          << ", " << y << "): engine "
                                          << (painted ? "painted " : "left it unpainted ")
                                          << std::hex << dark.at(x, y) << ", Tiled " << theirs;
                        }
                    }
                }
            }
        }
        EXPECT_EQ(differences, 0);
    }
}

}  // namespace
