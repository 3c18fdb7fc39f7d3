// kestrelix-maps: compiles the text tile maps of assets/levels into the binary .map files
// the game loads, and carries levels to and from the Tiled map editor.
//
//   kestrelix-maps <source.txt> <target.map>
//   kestrelix-maps --all <source dir> <target dir>
//   kestrelix-maps --to-tiled LEVEL OUTDIR [--zlib] [--data DIR]
//   kestrelix-maps --from-tiled FILE.tmx [--map FILE.map] [--level NAME] [--rewrite INI]
//                  [--data DIR]
//
// Problems are printed as "kestrelix-maps: <file>[:<line>]: <problem>" with status 1; a
// wrong command line gives the usage and status 2.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "config/datafolder.h"
#include "config/loaderror.h"
#include "maps/mapsource.h"
#include "maps/tiledexport.h"
#include "maps/tiledimport.h"

namespace fs = std::filesystem;

namespace {

const char* const kUsage =
    "usage: kestrelix-maps <source.txt> <target.map>\n"
    "       kestrelix-maps --all <source dir> <target dir>\n"
    "       kestrelix-maps --to-tiled LEVEL OUTDIR [--zlib] [--data DIR]\n"
    "       kestrelix-maps --from-tiled FILE.tmx [--map FILE.map] [--level NAME]\n"
    "                      [--rewrite LEVELS.ini] [--data DIR]\n"
    "--to-tiled reads the level where the game finds its data (--data DIR, the working\n"
    "directory, the installed data, the source tree's data/ from a build tree) and writes\n"
    "OUTDIR/<map>.tmx and .tsx (--zlib: layer data as base64 with zlib instead of CSV).\n"
    "--from-tiled writes the .map (beside the .tmx unless --map says where) and prints the\n"
    "level's levels.ini section, or with --rewrite replaces it in that file; file names in\n"
    "the section are relative to the folder of that file, else to the game's data folder.\n";

struct UsageError {};

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw LoadError(path.string(), "cannot be opened");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size()))) {
        throw LoadError(path.string(), "cannot be written");
    }
}

// Takes "--data DIR" out of the arguments; its value, or empty.
std::string takeDataOption(std::vector<std::string>& args) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--data") {
            std::string value = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return value;
        }
    }
    return "";
}

int toTiled(std::vector<std::string> args) {
    const std::string data = takeDataOption(args);
    if (args.size() < 2 || args.size() > 3 || (args.size() == 3 && args[2] != "--zlib")) {
        throw UsageError{};
    }
    const auto encoding =
        args.size() == 3 ? tiledexport::Encoding::kBase64Zlib : tiledexport::Encoding::kCsv;
    // The output folder is where the user meant it, before the data folder is entered.
    const std::string outDir = DataFolder::fromStartFolder(args[1]);
    DataFolder::enter(data);
    const fs::path tmx = tiledexport::exportLevel(args[0], outDir, encoding);
    std::printf("kestrelix-maps: %s written\n", tmx.string().c_str());
    return 0;
}

int fromTiled(std::vector<std::string> args) {
    const std::string data = takeDataOption(args);
    if (args.empty() || args[0].empty() || args[0][0] == '-') {
        throw UsageError{};
    }
    const fs::path tmx = args[0];
    fs::path mapPath = fs::path(tmx).replace_extension(".map");
    std::string levelName;
    std::string rewrite;
    for (std::size_t i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) {
            throw UsageError{};
        }
        if (args[i] == "--map") {
            mapPath = args[i + 1];
        } else if (args[i] == "--level") {
            levelName = args[i + 1];
        } else if (args[i] == "--rewrite") {
            rewrite = args[i + 1];
        } else {
            throw UsageError{};
        }
    }

    const tiledimport::Level level = tiledimport::read(tmx);
    for (const std::string& note : level.notes) {
        std::fprintf(stderr, "kestrelix-maps: %s: note: %s\n", tmx.string().c_str(), note.c_str());
    }
    if (levelName.empty()) {
        levelName = level.name;
    }
    if (levelName.empty()) {
        throw LoadError(tmx.string(),
                        "names no level: give --level NAME or the map property "
                        "'level'");
    }
    writeText(mapPath, level.mapBytes);

    // The game opens its files from its data folder: the one levels.ini lives in.
    const fs::path base = fs::weakly_canonical(
        rewrite.empty() ? fs::path(DataFolder::find(DataFolder::placesOf(data)))
                        : fs::absolute(rewrite).parent_path());
    const auto relative = [&base](const fs::path& path) {
        return fs::weakly_canonical(path).lexically_relative(base).generic_string();
    };
    const tiledimport::Entries entries =
        tiledimport::sectionEntries(level, relative(level.sheet), relative(mapPath));
    if (rewrite.empty()) {
        std::cout << tiledimport::sectionText(levelName, entries);
        return 0;
    }
    writeText(rewrite, tiledimport::rewriteSection(readText(rewrite), levelName, entries));
    std::printf("kestrelix-maps: [%s] rewritten in %s, %s written\n", levelName.c_str(),
                rewrite.c_str(), mapPath.string().c_str());
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && args[0] == "--to-tiled") {
            return toTiled({args.begin() + 1, args.end()});
        }
        if (!args.empty() && args[0] == "--from-tiled") {
            return fromTiled({args.begin() + 1, args.end()});
        }
        if (args.size() == 3 && args[0] == "--all") {
            const int count = mapsource::compileAll(args[1], args[2]);
            std::printf("kestrelix-maps: %d map%s written to %s\n", count, count == 1 ? "" : "s",
                        args[2].c_str());
            return 0;
        }
        if (args.size() == 2 && args[0][0] != '-') {
            mapsource::compileFile(args[0], args[1]);
            return 0;
        }
        if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    } catch (const LoadError& error) {
        std::fprintf(stderr, "kestrelix-maps: %s\n", error.what());
        return 1;
    } catch (const UsageError&) {
    }
    std::fprintf(stderr, "kestrelix-maps: wrong arguments\n%s", kUsage);
    return 2;
}
