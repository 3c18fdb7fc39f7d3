#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Turns a level's tile map written as text (assets/levels/<name>.txt) into the binary tile
// map file the game loads (data/<name>.map). The text has a header (picture count, the
// absent-screen character and a legend of one character per tile kind) and then the grid,
// one character per 16 x 16 tile. The output is a pure function of the text, so the
// committed maps can be checked byte for byte against their sources.
//
// Every problem is refused with LoadError whose file is "<path>:<line>", so a caller
// prints "<path>:<line>: <problem>".
namespace mapsource {

// One cell of a map about to be written: its picture and type, or a cell of an absent
// screen.
struct Cell {
    bool present = false;
    unsigned char picture = 0;
    unsigned char type = 0;
};

// The bytes of a .map file: `cells` holds width x height cells row by row, top to bottom.
// The caller has checked the shape (whole screens, each wholly present or absent).
std::string encodeMap(int width, int height, int pictures, const std::vector<Cell>& cells);

// A tile type as written in sources: passable, solid, ladder, or a number 0 to 255.
bool parseType(const std::string& text, int& type);
// The inverse: the name of types 0 to 2, the number otherwise.
std::string typeName(int type);

// Compiles the text of one source; `path` only names it in error messages.
std::string compile(const std::string& text, const std::string& path);

// Reads `source`, compiles it and writes `target` (only when compiling succeeded).
void compileFile(const std::filesystem::path& source, const std::filesystem::path& target);

// Compiles every "*.txt" in `sourceDir` into "<stem>.map" in `targetDir`, in name order;
// returns how many maps were written. Stops at the first bad source.
int compileAll(const std::filesystem::path& sourceDir, const std::filesystem::path& targetDir);

}  // namespace mapsource
