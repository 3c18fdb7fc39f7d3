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

void list(const fs::path& source) {
    const ArtSheet sheet = loadArtSheet(source);
    for (std::size_t i = 0; i < sheet.pictures.size(); ++i) {
        const int index = static_cast<int>(i);
        std::cout << index << " " << sheet.pictures[i].name << " " << sheet.cellX(index) << " "
                  << sheet.cellY(index) << "\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    ConverterTool tool;
    tool.name = "kestrelix-art";
    tool.usage =
        "usage: kestrelix-art <source.txt> <output.bmp>\n"
        "       kestrelix-art --all <source folder> <output folder>\n"
        "       kestrelix-art --list <source.txt>\n";
    tool.isSource = [](const fs::path& file) { return file.extension() == ".txt"; };
    tool.sourcesName = ".txt";
    tool.outputExtension = ".bmp";
    tool.convert = convert;
    tool.otherMode = [](const std::vector<std::string>& args) {
        if (args.size() != 2 || args[0] != "--list") {
            return false;
        }
        list(args[1]);
        return true;
    };
    return runConverterTool(tool, argc, argv);
}
