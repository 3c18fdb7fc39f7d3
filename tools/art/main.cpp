// kestrelix-art: turns the text picture sources of assets/art into the game's BMP sheets.
//
//   kestrelix-art <source.txt> <output.bmp>      one sheet
//   kestrelix-art --all <assets/art> <data>      every <name>.txt into <data>/<name>.bmp
//   kestrelix-art --list <source.txt>            cell index, name, x and y of each picture
//
// The source format is described in artsheet.h and assets/README.md. Problems are printed
// as "kestrelix-art: <file>:<line>: <problem>" and the exit status is 1. A tile sheet (row
// layout) with colour-key pixels is written with a warning on stderr; the status stays 0.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "artsheet.h"
#include "bmpfile.h"
#include "config/loaderror.h"
#include "convertfolder.h"

namespace fs = std::filesystem;

namespace {

// A tile that is not painted whole leaves the level clearing the screen behind it; the
// sheet is still written (the game plays it), with a warning a modder can act on.
void warnAboutSeeThroughTiles(const fs::path& source, const ArtSheet& sheet) {
    if (sheet.layout != ArtSheet::Layout::kRow) {
        return;  // sprite and font sheets are meant to be see-through around their figures
    }
    std::string pictures;
    for (const int index : seeThroughPictures(sheet)) {
        pictures += (pictures.empty() ? "" : ", ") + std::to_string(index) + " (" +
                    sheet.pictures[static_cast<std::size_t>(index)].name + ")";
    }
    if (!pictures.empty()) {
        std::cerr << "kestrelix-art: warning: " << source.string() << ": tile pictures " << pictures
                  << " have transparent pixels (colour FF80FF): the level clears the screen "
                     "behind every screen that shows them\n";
    }
}

void convert(const fs::path& source, const fs::path& output) {
    const ArtSheet sheet = loadArtSheet(source);
    writeFileIfChanged(output,
                       encodeBmp(sheet.sheetWidth(), sheet.sheetHeight(), renderArtSheet(sheet)));
    warnAboutSeeThroughTiles(source, sheet);
}

void convertAll(const fs::path& sourceFolder, const fs::path& outputFolder) {
    convertFolder(
        sourceFolder, outputFolder, [](const fs::path& file) { return file.extension() == ".txt"; },
        ".txt", ".bmp", convert);
}

void list(const fs::path& source) {
    const ArtSheet sheet = loadArtSheet(source);
    for (std::size_t i = 0; i < sheet.pictures.size(); ++i) {
        const int index = static_cast<int>(i);
        std::cout << index << " " << sheet.pictures[i].name << " " << sheet.cellX(index) << " "
                  << sheet.cellY(index) << "\n";
    }
}

int usage() {
    std::cerr << "usage: kestrelix-art <source.txt> <output.bmp>\n"
                 "       kestrelix-art --all <source folder> <output folder>\n"
                 "       kestrelix-art --list <source.txt>\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 3 && args[0] == "--all") {
            convertAll(args[1], args[2]);
        } else if (args.size() == 2 && args[0] == "--list") {
            list(args[1]);
        } else if (args.size() == 2 && args[0].rfind("--", 0) != 0) {
            convert(args[0], args[1]);
        } else {
            return usage();
        }
    } catch (const LoadError& error) {
        std::cerr << "kestrelix-art: " << error.file() << ": " << error.problem() << "\n";
        return 1;
    }
    return 0;
}
