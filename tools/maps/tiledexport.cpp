#include "maps/tiledexport.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <regex>
#include <sstream>
#include <vector>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "engine/nullvideo.h"
#include "maps/mapsource.h"
#include "maps/tiledimport.h"
#include "world/map.h"

namespace fs = std::filesystem;

namespace tiledexport {
namespace {

// The colour the game's pictures treat as transparent (red 255, green 128, blue 255).
const char* const kColourKey = "ff80ff";
// Written as the format version; Tiled 1.8 (Debian 12) reads and re-saves it unchanged.
const char* const kTmxVersion = "1.8";
const char* const kTiledVersion = "1.8.2";
// The teleport beam falls in the middle of boundary 0's first screen.
constexpr int kBeamColumnOffset = 128;

bool isCanonicalInt(const std::string& value) {
    static const std::regex integer("-?(0|[1-9][0-9]{0,8})");
    return std::regex_match(value, integer) && value != "-0";
}

void addProperty(pugi::xml_node properties, const std::string& name, const std::string& value) {
    pugi::xml_node property = properties.append_child("property");
    property.append_attribute("name") = name.c_str();
    // Integers are typed so that Tiled offers a number field; Tiled writes them back as
    // the same digits.
    if (isCanonicalInt(value)) {
        property.append_attribute("type") = "int";
    }
    property.append_attribute("value") = value.c_str();
}

void addDeclaration(pugi::xml_document& document) {
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
}

void save(const pugi::xml_document& document, const fs::path& path) {
    std::ostringstream text;
    document.save(text, " ", pugi::format_indent, pugi::encoding_utf8);
    // Empty elements as Tiled writes them ("<point/>"), so that a re-save in Tiled leaves
    // the file as it was. A line's last " />" always closes a tag: values end in a quote.
    std::istringstream lines(text.str());
    std::string out;
    for (std::string line; std::getline(lines, line);) {
        if (line.size() >= 3 && line.compare(line.size() - 3, 3, " />") == 0) {
            line.erase(line.size() - 3, 1);
        }
        out += line + "\n";
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !file.write(out.data(), static_cast<std::streamsize>(out.size()))) {
        throw LoadError(path.string(), "cannot be written");
    }
}

std::string base64(const std::vector<unsigned char>& bytes) {
    static const char* const kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        const std::uint32_t group = (std::uint32_t{bytes[i]} << 16) |
                                    (left > 1 ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                    (left > 2 ? std::uint32_t{bytes[i + 2]} : 0);
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        text += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return text;
}

// Tiled's layer data: global tile ids (first gid 1, 0 for no tile).
std::string layerText(const std::vector<std::uint32_t>& gids, int width, Encoding encoding) {
    if (encoding == Encoding::kCsv) {
        std::string text = "\n";
        for (std::size_t i = 0; i < gids.size(); ++i) {
            text += std::to_string(gids[i]);
            const bool rowEnd = (i + 1) % static_cast<std::size_t>(width) == 0;
            if (i + 1 < gids.size()) {
                text += rowEnd ? ",\n" : ",";
            }
        }
        return text + "\n";
    }
    std::vector<unsigned char> raw;
    raw.reserve(gids.size() * 4);
    for (const std::uint32_t gid : gids) {
        for (int shift = 0; shift < 32; shift += 8) {
            raw.push_back(static_cast<unsigned char>(gid >> shift));  // little-endian
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        throw LoadError("zlib", "could not compress the layer data");
    }
    packed.resize(packedSize);
    return "\n   " + base64(packed) + "\n  ";
}

struct TypeSeen {
    bool seen = false;
    int type = 0;
    int column = 0;
    int row = 0;
};

// The one type of every picture, from the cells that use it; unused pictures stay unseen.
std::vector<TypeSeen> pictureTypes(const Map& map, int width, int height, const char* mapPath) {
    std::vector<TypeSeen> types(static_cast<std::size_t>(map.getTileGraphicCount()));
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const Tile* tile = map.getStoredTile(column, row);
            if (tile == nullptr) {
                continue;
            }
            TypeSeen& seen = types[static_cast<std::size_t>(tile->index)];
            if (!seen.seen) {
                seen = TypeSeen{true, tile->type, column, row};
            } else if (seen.type != tile->type) {
                throw LoadError(
                    mapPath, "picture " + std::to_string(tile->index) + " is " +
                                 mapsource::typeName(seen.type) + " at tile column " +
                                 std::to_string(seen.column) + ", row " + std::to_string(seen.row) +
                                 " but " + mapsource::typeName(tile->type) + " at column " +
                                 std::to_string(column) + ", row " + std::to_string(row) +
                                 "; a Tiled tileset gives each picture one type");
            }
        }
    }
    return types;
}

void writeTileset(const fs::path& path, const std::string& name, const std::string& imageSource,
                  int sheetWidth, int sheetHeight, const std::vector<TypeSeen>& types) {
    pugi::xml_document document;
    addDeclaration(document);
    pugi::xml_node tileset = document.append_child("tileset");
    tileset.append_attribute("version") = kTmxVersion;
    tileset.append_attribute("tiledversion") = kTiledVersion;
    tileset.append_attribute("name") = name.c_str();
    tileset.append_attribute("tilewidth") = Tile::kWidth;
    tileset.append_attribute("tileheight") = Tile::kHeight;
    tileset.append_attribute("tilecount") = static_cast<int>(types.size());
    tileset.append_attribute("columns") = static_cast<int>(types.size());
    pugi::xml_node image = tileset.append_child("image");
    image.append_attribute("source") = imageSource.c_str();
    image.append_attribute("trans") = kColourKey;
    image.append_attribute("width") = sheetWidth;
    image.append_attribute("height") = sheetHeight;
    for (std::size_t id = 0; id < types.size(); ++id) {
        if (!types[id].seen) {
            continue;
        }
        pugi::xml_node tile = tileset.append_child("tile");
        tile.append_attribute("id") = static_cast<int>(id);
        pugi::xml_node property = tile.append_child("properties").append_child("property");
        property.append_attribute("name") = "type";
        property.append_attribute("value") = mapsource::typeName(types[id].type).c_str();
    }
    save(document, path);
}

}  // namespace

fs::path exportLevel(const std::string& levelName, const fs::path& outDir, Encoding encoding) {
    IniDictionary levels("levels.ini");
    if (!levels.hasSection(levelName.c_str())) {
        throw LoadError(levels.path(), "has no section [" + levelName + "]");
    }
    NullVideo video;
    ScopedVideo installed(&video);
    const Map map(levelName.c_str(), levels);

    const std::string sheetPath = levels.getCStringValue("tileSheet", levelName.c_str(), "empty");
    const std::string mapPath = levels.getCStringValue("tileMap", levelName.c_str(), "empty");
    const auto [sheetWidth, sheetHeight] = video.sizeOf(sheetPath);
    const int width = map.getScreensPerRow() * Map::kScreenColumns;
    const int height = map.getScreenCount() / map.getScreensPerRow() * Map::kScreenRows;
    const std::vector<TypeSeen> types = pictureTypes(map, width, height, mapPath.c_str());

    std::error_code error;
    fs::create_directories(outDir, error);
    if (error) {
        throw LoadError(outDir.string(), "cannot be created: " + error.message());
    }
    const std::string stem = fs::path(mapPath).stem().string();
    const fs::path tsxPath = outDir / (stem + ".tsx");
    fs::path tmxPath = outDir / (stem + ".tmx");
    const std::string imageSource = fs::weakly_canonical(sheetPath)
                                        .lexically_relative(fs::weakly_canonical(outDir))
                                        .generic_string();
    writeTileset(tsxPath, fs::path(sheetPath).stem().string(), imageSource, sheetWidth, sheetHeight,
                 types);

    pugi::xml_document document;
    addDeclaration(document);
    pugi::xml_node root = document.append_child("map");
    root.append_attribute("version") = kTmxVersion;
    root.append_attribute("tiledversion") = kTiledVersion;
    root.append_attribute("orientation") = "orthogonal";
    root.append_attribute("renderorder") = "right-down";
    root.append_attribute("width") = width;
    root.append_attribute("height") = height;
    root.append_attribute("tilewidth") = Tile::kWidth;
    root.append_attribute("tileheight") = Tile::kHeight;
    root.append_attribute("infinite") = 0;
    root.append_attribute("nextlayerid") = 3;
    root.append_attribute("nextobjectid") = map.getBoundaryCount() + 2;

    // In name order, as Tiled itself keeps properties, so a re-save changes nothing.
    std::map<std::string, std::string> properties{{"level", levelName}};
    for (const std::string& key : levels.keysOf(levelName.c_str())) {
        if (!tiledimport::isMadeByImport(key)) {
            properties.emplace(key, levels.getCStringValue(key.c_str(), levelName.c_str(), ""));
        }
    }
    pugi::xml_node propertyList = root.append_child("properties");
    for (const auto& [name, value] : properties) {
        addProperty(propertyList, name, value);
    }

    pugi::xml_node tilesetRef = root.append_child("tileset");
    tilesetRef.append_attribute("firstgid") = 1;
    tilesetRef.append_attribute("source") = tsxPath.filename().c_str();

    std::vector<std::uint32_t> gids;
    gids.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const Tile* tile = map.getStoredTile(column, row);
            gids.push_back(tile == nullptr ? 0 : static_cast<std::uint32_t>(tile->index) + 1);
        }
    }
    pugi::xml_node layer = root.append_child("layer");
    layer.append_attribute("id") = 1;
    layer.append_attribute("name") = "tiles";
    layer.append_attribute("width") = width;
    layer.append_attribute("height") = height;
    pugi::xml_node data = layer.append_child("data");
    data.append_attribute("encoding") = encoding == Encoding::kCsv ? "csv" : "base64";
    if (encoding == Encoding::kBase64Zlib) {
        data.append_attribute("compression") = "zlib";
    }
    data.append_child(pugi::node_pcdata).set_value(layerText(gids, width, encoding).c_str());

    // Hidden, so that renderers (and tmxrasterizer) draw only the tiles.
    pugi::xml_node objects = root.append_child("objectgroup");
    objects.append_attribute("id") = 2;
    objects.append_attribute("name") = "boundaries";
    objects.append_attribute("visible") = 0;
    for (int i = 0; i < map.getBoundaryCount(); ++i) {
        const Rect boundary = map.getBoundary(i);
        pugi::xml_node object = objects.append_child("object");
        object.append_attribute("id") = i + 1;
        object.append_attribute("name") = ("boundary " + std::to_string(i)).c_str();
        object.append_attribute("x") = boundary.x;
        object.append_attribute("y") = boundary.y;
        object.append_attribute("width") = static_cast<int>(boundary.w);
        object.append_attribute("height") = static_cast<int>(boundary.h);
    }
    pugi::xml_node stop = objects.append_child("object");
    stop.append_attribute("id") = map.getBoundaryCount() + 1;
    stop.append_attribute("name") = "teleport stop";
    stop.append_attribute("x") = map.getBoundary(0).x + kBeamColumnOffset;
    stop.append_attribute("y") = map.getTeleportStopPosY();
    stop.append_child("point");

    save(document, tmxPath);
    return tmxPath;
}

}  // namespace tiledexport
