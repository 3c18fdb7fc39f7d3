#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// Reads a map saved by the Tiled editor (.tmx) as a level: the .map bytes from its one
// tile layer (CSV, XML, base64, base64 with zlib or gzip), the tile sheet and the types
// from its one tileset (embedded or an external .tsx; each tile's custom property "type"),
// the boundaries from the rectangles of the object layer "boundaries" (in the layer's
// order), the teleport stop from the point object "teleport stop", and the section's other
// keys from the map properties (the property "level" names the section). What the game
// could not load is refused with LoadError naming the file and the tile, screen or object;
// positions that only miss the grid are snapped, with a note.
namespace tiledimport {

struct Boundary {
    int x = 0;
    int y = 0;
    int w = 0;
};

struct Level {
    std::string name;             // the section name; empty when the map does not say
    std::string mapBytes;         // the .map file
    std::filesystem::path sheet;  // the tileset's picture, as the .tmx names it
    std::vector<Boundary> boundaries;
    int teleportStopPosY = 0;  // relative to boundary 0's top, as levels.ini holds it
    std::vector<std::pair<std::string, std::string>> otherKeys;  // in the map's order
    std::vector<std::string> notes;                              // what was snapped
};

using Entries = std::vector<std::pair<std::string, std::string>>;

Level read(const std::filesystem::path& tmx);

// Whether a key of the level's section is made from the map itself (file names,
// boundaries, teleport stop) rather than carried as a map property.
bool isMadeByImport(const std::string& key);

// The level's section of levels.ini as key/value pairs, in the order the shipped file
// writes them; the two file names as given (relative to the game's data directory).
Entries sectionEntries(const Level& level, const std::string& tileSheet,
                       const std::string& tileMap);

// The section as text: "[name]" and one "key = value" line per entry.
std::string sectionText(const std::string& name, const Entries& entries);

// Rewrites section `name` of an INI text in place: values of keys already there are
// replaced where they stand (comments and order are kept), keys the new entries lack are
// dropped, new keys follow the section's last key. A missing section is appended.
std::string rewriteSection(const std::string& text, const std::string& name,
                           const Entries& entries);

}  // namespace tiledimport
