#pragma once

#include <filesystem>
#include <string>

// Writes one level of levels.ini as a map of the Tiled editor: `<stem>.tmx` (orthogonal,
// 16 x 16 tiles, one tile layer) and its tileset `<stem>.tsx` on the level's tile sheet,
// where <stem> is the name of the level's .map file. The level is read through the game's
// own loaders, so only a level the game accepts is exported. Each picture of the sheet
// carries its tile type as the custom property "type"; a level whose map gives one
// picture two types cannot be written this way and is refused with both cells named.
// Boundaries and the teleport stop go to the hidden object layer "boundaries"; the
// section's other keys become map properties, and its name the property "level".
// The output is a pure function of the data, so committed exports can be compared.
namespace tiledexport {

enum class Encoding { kCsv, kBase64Zlib };

// Reads levels.ini in the working directory (the game's data directory, where the
// level's file names point) and writes the two files into `outDir`; returns the path of
// the .tmx. Throws LoadError.
std::filesystem::path exportLevel(const std::string& levelName, const std::filesystem::path& outDir,
                                  Encoding encoding);

}  // namespace tiledexport
