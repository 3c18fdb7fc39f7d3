#include "maps/tiledimport.h"

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <pugixml.hpp>
#include <regex>
#include <sstream>

#include "config/loaderror.h"
#include "engine/nullvideo.h"
#include "maps/mapsource.h"

namespace fs = std::filesystem;

namespace tiledimport {
namespace {

constexpr int kTileSize = 16;
constexpr int kScreenColumns = 16;
constexpr int kScreenRows = 15;
constexpr int kScreenWidth = kScreenColumns * kTileSize;
constexpr int kScreenHeight = kScreenRows * kTileSize;
constexpr int kMaxTiles = 65535;   // width and height are 16-bit fields of the .map
constexpr int kMaxPictures = 254;  // pictures are stored plus one in a byte
constexpr int kMaxBoundaries = 1024;
constexpr int kMaxBoundaryWidth = 65535;
// The beam starts 4 pixels below boundary 0's top and falls 16 pixels a frame, so it can
// only stop on rows 4 + 16k; it falls in the middle of boundary 0's first screen.
constexpr int kBeamStart = 4;
constexpr int kBeamStep = 16;
constexpr int kBeamColumnOffset = 128;
// Tiled keeps flips and rotations in the top bits of a global tile id.
constexpr std::uint32_t kFlipBits = 0xF0000000u;

using Node = pugi::xml_node;

std::string where(int column, int row) {
    return "tile column " + std::to_string(column) + ", row " + std::to_string(row);
}

std::string screenName(int column, int row) {
    return "screen (column " + std::to_string(column) + ", row " + std::to_string(row) + ")";
}

std::string number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

pugi::xml_document loadXml(const fs::path& path) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_file(path.c_str());
    if (result.status == pugi::status_file_not_found || result.status == pugi::status_io_error) {
        throw LoadError(path.string(), "cannot be opened");
    }
    if (!result) {
        throw LoadError(path.string(), std::string("is not well-formed XML: ") +
                                           result.description() + " at byte " +
                                           std::to_string(result.offset));
    }
    return document;
}

// An attribute that must hold a whole number in [low, high].
int intAttribute(const fs::path& file, Node node, const char* name, int low, int high,
                 int fallback) {
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) {
        return fallback;
    }
    const std::string text = attribute.value();
    static const std::regex integer("-?[0-9]{1,9}");
    if (!std::regex_match(text, integer) || std::stoi(text) < low || std::stoi(text) > high) {
        throw LoadError(file.string(), std::string("<") + node.name() + "> " + name + "=\"" + text +
                                           "\" is not a whole number from " + std::to_string(low) +
                                           " to " + std::to_string(high));
    }
    return std::stoi(text);
}

std::string propertyValue(Node property) {
    // Tiled writes multi-line strings as the element's text instead of an attribute.
    const pugi::xml_attribute value = property.attribute("value");
    return value ? value.value() : property.text().get();
}

// --- Layer data: every encoding Tiled writes for a finite map.

std::vector<unsigned char> decodeBase64(const fs::path& file, const std::string& text) {
    std::vector<unsigned char> bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        int value = -1;
        if (c >= 'A' && c <= 'Z') {
            value = c - 'A';
        } else if (c >= 'a' && c <= 'z') {
            value = c - 'a' + 26;
        } else if (c >= '0' && c <= '9') {
            value = c - '0' + 52;
        } else if (c == '+') {
            value = 62;
        } else if (c == '/') {
            value = 63;
        } else if (c == '=' || c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            continue;
        } else {
            throw LoadError(file.string(),
                            std::string("layer data holds '") + c + "', which is not base64");
        }
        group = (group << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<unsigned char>(group >> bits));
        }
    }
    return bytes;
}

std::vector<unsigned char> inflate(const fs::path& file, const std::vector<unsigned char>& packed,
                                   std::size_t expected) {
    // Grown as the data comes, never past one byte more than the layer needs: the header's
    // size alone allocates nothing, and data longer than the layer is noticed.
    std::vector<unsigned char> bytes;
    z_stream stream{};
    // 15 + 32: zlib or gzip, whichever header the data has.
    if (inflateInit2(&stream, 15 + 32) != Z_OK) {
        throw LoadError(file.string(), "zlib could not be started");
    }
    stream.next_in = const_cast<unsigned char*>(packed.data());
    stream.avail_in = static_cast<uInt>(packed.size());
    int result = Z_OK;
    unsigned char chunk[65536];
    while (result == Z_OK && bytes.size() <= expected) {
        stream.next_out = chunk;
        stream.avail_out = sizeof chunk;
        result = ::inflate(&stream, Z_NO_FLUSH);
        bytes.insert(bytes.end(), chunk, chunk + (sizeof chunk - stream.avail_out));
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END || bytes.size() > expected) {
        throw LoadError(file.string(),
                        "the compressed layer data is damaged or longer than the layer");
    }
    return bytes;
}

std::vector<std::uint32_t> readLayer(const fs::path& file, Node layer, int width, int height) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const Node data = layer.child("data");
    const std::string name = std::string("tile layer '") + layer.attribute("name").value() + "'";
    if (!data) {
        throw LoadError(file.string(), name + " has no <data>");
    }
    if (data.child("chunk")) {
        throw LoadError(file.string(), name +
                                           " is stored in chunks (an infinite map); untick "
                                           "Infinite in the map's properties");
    }
    const std::string encoding = data.attribute("encoding").value();
    const std::string compression = data.attribute("compression").value();
    // Not reserved from the header's size: only what the file really holds is stored.
    std::vector<std::uint32_t> gids;
    if (encoding.empty()) {
        for (const Node tile : data.children("tile")) {
            gids.push_back(tile.attribute("gid").as_uint());
        }
    } else if (encoding == "csv") {
        const std::string text = data.text().get();
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = std::min(text.find(',', at), text.size());
            std::string field = text.substr(at, end - at);
            field.erase(0, field.find_first_not_of(" \t\r\n"));
            field.erase(field.find_last_not_of(" \t\r\n") + 1);
            if (field.empty() || field.size() > 10 ||
                field.find_first_not_of("0123456789") != std::string::npos ||
                std::stoull(field) > 0xFFFFFFFFull) {
                throw LoadError(file.string(), name + ": CSV field " +
                                                   std::to_string(gids.size() + 1) + " '" + field +
                                                   "' is not a tile id");
            }
            gids.push_back(static_cast<std::uint32_t>(std::stoull(field)));
            at = end + 1;
        }
    } else if (encoding == "base64") {
        std::vector<unsigned char> bytes = decodeBase64(file, data.text().get());
        if (compression == "zlib" || compression == "gzip") {
            bytes = inflate(file, bytes, count * 4);
        } else if (!compression.empty()) {
            throw LoadError(file.string(), name + " is compressed with '" + compression +
                                               "'; save it as CSV, base64, zlib or gzip");
        }
        if (bytes.size() % 4 != 0) {
            throw LoadError(file.string(), name + " holds " + std::to_string(bytes.size()) +
                                               " bytes, not whole 4-byte tile ids");
        }
        for (std::size_t i = 0; i < bytes.size(); i += 4) {
            gids.push_back(std::uint32_t{bytes[i]} | std::uint32_t{bytes[i + 1]} << 8 |
                           std::uint32_t{bytes[i + 2]} << 16 | std::uint32_t{bytes[i + 3]} << 24);
        }
    } else {
        throw LoadError(file.string(), name + " has encoding '" + encoding + "'");
    }
    if (gids.size() != count) {
        throw LoadError(file.string(), name + " holds " + std::to_string(gids.size()) +
                                           " tiles; the map's " + std::to_string(width) + " x " +
                                           std::to_string(height) + " needs " +
                                           std::to_string(count));
    }
    return gids;
}

// --- The tileset: one row of 16 x 16 pictures of a BMP sheet, a type for each.

struct Tileset {
    int firstGid = 1;
    int count = 0;
    fs::path sheet;
    std::vector<int> types;  // -1: the picture has no "type" property
    fs::path file;           // where the tileset is written, for messages
};

Tileset readTileset(const fs::path& tmx, Node reference) {
    Tileset tileset;
    tileset.firstGid = intAttribute(tmx, reference, "firstgid", 1, 1 << 28, 1);
    pugi::xml_document external;
    Node node = reference;
    fs::path base = tmx.parent_path();
    tileset.file = tmx;
    if (reference.attribute("source")) {
        tileset.file =
            (tmx.parent_path() / reference.attribute("source").value()).lexically_normal();
        external = loadXml(tileset.file);
        node = external.child("tileset");
        if (!node) {
            throw LoadError(tileset.file.string(), "has no <tileset> element");
        }
        base = tileset.file.parent_path();
    }
    const fs::path& file = tileset.file;
    if (intAttribute(file, node, "tilewidth", 0, kMaxTiles, 0) != kTileSize ||
        intAttribute(file, node, "tileheight", 0, kMaxTiles, 0) != kTileSize) {
        throw LoadError(file.string(), "the tileset's tiles are not 16 x 16 pixels");
    }
    if (intAttribute(file, node, "spacing", 0, kMaxTiles, 0) != 0 ||
        intAttribute(file, node, "margin", 0, kMaxTiles, 0) != 0) {
        throw LoadError(file.string(),
                        "the tileset has a margin or spacing; the game's tile "
                        "sheets have none");
    }
    const Node image = node.child("image");
    if (!image || !image.attribute("source")) {
        throw LoadError(file.string(),
                        "the tileset is not cut from one picture (a collection "
                        "of images cannot be a tile sheet)");
    }
    tileset.count = intAttribute(file, node, "tilecount", 0, 1 << 28, 0);
    const int columns = intAttribute(file, node, "columns", 0, 1 << 28, 0);
    if (tileset.count < 1 || tileset.count > kMaxPictures || columns != tileset.count) {
        throw LoadError(file.string(),
                        "the tileset has " + std::to_string(tileset.count) + " tiles in " +
                            std::to_string(columns) +
                            " columns; a tile sheet is one row of 1 to 254 pictures");
    }
    tileset.sheet = (base / image.attribute("source").value()).lexically_normal();
    // The game loads the sheet itself: it must be a BMP one picture high and wide enough.
    int sheetWidth = 0;
    int sheetHeight = 0;
    NullVideo::readBmpSize(tileset.sheet.c_str(), sheetWidth, sheetHeight);
    if (sheetHeight != kTileSize || sheetWidth < tileset.count * kTileSize) {
        throw LoadError(tileset.sheet.string(),
                        "is " + std::to_string(sheetWidth) + " x " + std::to_string(sheetHeight) +
                            " pixels; the sheet of " + std::to_string(tileset.count) +
                            " pictures must be 16 high and at least " +
                            std::to_string(tileset.count * kTileSize) + " wide");
    }

    tileset.types.assign(static_cast<std::size_t>(tileset.count), -1);
    for (const Node tile : node.children("tile")) {
        const int id = intAttribute(file, tile, "id", 0, tileset.count - 1, 0);
        for (const Node property : tile.child("properties").children("property")) {
            if (std::string(property.attribute("name").value()) != "type") {
                continue;
            }
            const std::string value = propertyValue(property);
            int type = 0;
            if (!mapsource::parseType(value, type)) {
                throw LoadError(file.string(), "tile " + std::to_string(id) + ": type '" + value +
                                                   "' is not passable, solid, ladder or 0 to 255");
            }
            tileset.types[static_cast<std::size_t>(id)] = type;
        }
    }
    return tileset;
}

// --- The map's layers, anywhere in its group layers.

void collect(Node parent, const char* kind, std::vector<Node>& found) {
    for (const Node child : parent.children()) {
        if (std::string(child.name()) == kind) {
            found.push_back(child);
        } else if (std::string(child.name()) == "group") {
            collect(child, kind, found);
        }
    }
}

bool isRectangle(Node object) {
    return object.attribute("rotation").as_double() == 0 && !object.attribute("gid") &&
           !object.child("point") && !object.child("ellipse") && !object.child("polygon") &&
           !object.child("polyline") && !object.child("text");
}

// The nearest point of the grid offset + k * step.
int snap(double value, int step, int offset = 0) {
    return offset + step * static_cast<int>(std::floor((value - offset) / step + 0.5));
}

struct Shape {
    int width = 0;
    int height = 0;
    std::vector<bool> present;  // per screen, row by row
    int screensPerRow = 0;

    bool has(int column, int row) const {
        return column >= 0 && row >= 0 && column < screensPerRow && row < height / kScreenRows &&
               present[static_cast<std::size_t>(row) * static_cast<std::size_t>(screensPerRow) +
                       static_cast<std::size_t>(column)];
    }
};

std::vector<mapsource::Cell> readCells(const fs::path& tmx, const std::vector<std::uint32_t>& gids,
                                       const Tileset& tileset, Shape& shape) {
    std::vector<mapsource::Cell> cells(gids.size());
    for (std::size_t i = 0; i < gids.size(); ++i) {
        const int column = static_cast<int>(i % static_cast<std::size_t>(shape.width));
        const int row = static_cast<int>(i / static_cast<std::size_t>(shape.width));
        const std::uint32_t gid = gids[i];
        if ((gid & kFlipBits) != 0) {
            throw LoadError(tmx.string(), where(column, row) +
                                              " is flipped or rotated; the game draws tiles "
                                              "only as the sheet has them");
        }
        if (gid == 0) {
            continue;
        }
        const long long id = static_cast<long long>(gid) - tileset.firstGid;
        if (id < 0 || id >= tileset.count) {
            throw LoadError(tmx.string(), where(column, row) + " holds tile id " +
                                              std::to_string(gid) +
                                              ", which is not in the tileset");
        }
        const int type = tileset.types[static_cast<std::size_t>(id)];
        if (type < 0) {
            throw LoadError(tileset.file.string(),
                            "tile " + std::to_string(id) + " (used at " + where(column, row) +
                                ") has no custom property 'type' (passable, solid, ladder or "
                                "0 to 255)");
        }
        cells[i] =
            mapsource::Cell{true, static_cast<unsigned char>(id), static_cast<unsigned char>(type)};
    }
    // A screen is all tiles or none: the game keeps tiles per screen.
    shape.screensPerRow = shape.width / kScreenColumns;
    const int screenRows = shape.height / kScreenRows;
    shape.present.assign(
        static_cast<std::size_t>(shape.screensPerRow) * static_cast<std::size_t>(screenRows),
        false);
    for (int sr = 0; sr < screenRows; ++sr) {
        for (int sc = 0; sc < shape.screensPerRow; ++sc) {
            int filled = -1;
            int empty = -1;
            for (int r = sr * kScreenRows; r < (sr + 1) * kScreenRows; ++r) {
                for (int c = sc * kScreenColumns; c < (sc + 1) * kScreenColumns; ++c) {
                    const int at = r * shape.width + c;
                    int& first = cells[static_cast<std::size_t>(at)].present ? filled : empty;
                    first = first < 0 ? at : first;
                }
            }
            if (filled >= 0 && empty >= 0) {
                throw LoadError(tmx.string(),
                                screenName(sc, sr) + " is only partly filled: " +
                                    where(empty % shape.width, empty / shape.width) +
                                    " is empty but " +
                                    where(filled % shape.width, filled / shape.width) +
                                    " is not; a screen is filled whole or left empty whole");
            }
            shape.present[static_cast<std::size_t>(sr) *
                              static_cast<std::size_t>(shape.screensPerRow) +
                          static_cast<std::size_t>(sc)] = filled >= 0;
        }
    }
    return cells;
}

void readBoundary(const fs::path& tmx, Node object, const Shape& shape, Level& level) {
    const int index = static_cast<int>(level.boundaries.size());
    const std::string name = "boundary " + std::to_string(index) + " (object " +
                             object.attribute("id").value() + " '" +
                             object.attribute("name").value() + "')";
    const double x = object.attribute("x").as_double();
    const double y = object.attribute("y").as_double();
    const double w = object.attribute("width").as_double();
    const double h = object.attribute("height").as_double();
    Boundary boundary;
    boundary.x = snap(x, kTileSize);
    boundary.w = snap(x + w, kTileSize) - boundary.x;
    boundary.y = snap(y, kScreenHeight);
    const int height = snap(y + h, kScreenHeight) - boundary.y;
    if (height != kScreenHeight) {
        throw LoadError(tmx.string(), name + " is " + number(h) +
                                          " pixels high; a boundary is one screen row (240 "
                                          "pixels)");
    }
    if (boundary.w < kTileSize || boundary.w > kMaxBoundaryWidth) {
        throw LoadError(tmx.string(), name + " is " + number(w) +
                                          " pixels wide; a boundary is 16 to 65535 pixels wide");
    }
    if (boundary.x != x || boundary.y != y || boundary.w != w || height != h) {
        level.notes.push_back(name + " at x " + number(x) + ", y " + number(y) + ", " + number(w) +
                              " x " + number(h) + " snapped to x " + std::to_string(boundary.x) +
                              ", y " + std::to_string(boundary.y) + ", " +
                              std::to_string(boundary.w) + " x 240");
    }
    const int right = boundary.x + boundary.w;
    if (boundary.x < 0 || boundary.y < 0 || right > shape.width * kTileSize ||
        boundary.y + kScreenHeight > shape.height * kTileSize) {
        throw LoadError(tmx.string(), name + " reaches outside the map");
    }
    const int row = boundary.y / kScreenHeight;
    for (int column = boundary.x / kScreenWidth; column <= (right - 1) / kScreenWidth; ++column) {
        if (!shape.has(column, row)) {
            throw LoadError(tmx.string(), name + " covers " + screenName(column, row) +
                                              ", which is empty; the camera may show any "
                                              "screen of a boundary");
        }
    }
    level.boundaries.push_back(boundary);
}

void readObjects(const fs::path& tmx, Node root, const Shape& shape, Level& level) {
    std::vector<Node> groups;
    collect(root, "objectgroup", groups);
    bool haveBoundaries = false;
    Node stop;
    for (const Node group : groups) {
        const bool boundaries = std::string(group.attribute("name").value()) == "boundaries";
        haveBoundaries = haveBoundaries || boundaries;
        for (const Node object : group.children("object")) {
            if (std::string(object.attribute("name").value()) == "teleport stop") {
                if (stop) {
                    throw LoadError(tmx.string(), "has two objects named 'teleport stop'");
                }
                if (!object.child("point")) {
                    throw LoadError(tmx.string(), "'teleport stop' is not a point object");
                }
                stop = object;
            } else if (boundaries) {
                if (!isRectangle(object)) {
                    throw LoadError(tmx.string(), std::string("object ") +
                                                      object.attribute("id").value() + " '" +
                                                      object.attribute("name").value() +
                                                      "' in 'boundaries' is not a rectangle");
                }
                readBoundary(tmx, object, shape, level);
            }
        }
    }
    if (!haveBoundaries) {
        throw LoadError(tmx.string(), "has no object layer 'boundaries'");
    }
    if (level.boundaries.empty()) {
        throw LoadError(tmx.string(),
                        "the object layer 'boundaries' holds no rectangle; a "
                        "level needs at least one boundary");
    }
    if (level.boundaries.size() > kMaxBoundaries) {
        throw LoadError(tmx.string(), "has " + std::to_string(level.boundaries.size()) +
                                          " boundaries, more than the 1024 allowed");
    }
    if (!stop) {
        throw LoadError(tmx.string(), "has no point object named 'teleport stop'");
    }
    const Boundary& first = level.boundaries.front();
    const double y = stop.attribute("y").as_double() - first.y;
    level.teleportStopPosY = snap(y, kBeamStep, kBeamStart);
    if (level.teleportStopPosY < kBeamStart || level.teleportStopPosY >= kScreenHeight) {
        throw LoadError(tmx.string(), "'teleport stop' lies " + number(y) +
                                          " pixels below boundary 0's top, outside its screen "
                                          "row");
    }
    if (level.teleportStopPosY != y) {
        level.notes.push_back("'teleport stop' lies " + number(y) +
                              " pixels below boundary 0's top, off the beam's 16-pixel grid "
                              "(4 + 16k); snapped to " +
                              std::to_string(level.teleportStopPosY));
    }
    const double x = stop.attribute("x").as_double();
    if (std::abs(x - (first.x + kBeamColumnOffset)) >= kTileSize) {
        level.notes.push_back("'teleport stop' is at x " + number(x) +
                              ", but the beam always "
                              "falls at x " +
                              std::to_string(first.x + kBeamColumnOffset) +
                              ", the middle of boundary 0's first screen; only its y counts");
    }
}

// levels.ini holds one "key = value" per line, names trimmed of spaces; text that would
// read back differently is refused rather than written.
void checkIniText(const fs::path& tmx, const std::string& what, const std::string& text) {
    if (text.find_first_of("\n\r") != std::string::npos ||
        (!text.empty() && (text.front() == ' ' || text.back() == ' '))) {
        throw LoadError(tmx.string(), what +
                                          " has a line break or spaces at its ends, "
                                          "which levels.ini cannot hold");
    }
}

}  // namespace

Level read(const fs::path& tmx) {
    const pugi::xml_document document = loadXml(tmx);
    const Node root = document.child("map");
    if (!root) {
        throw LoadError(tmx.string(), "has no <map> element");
    }
    Level level;
    if (std::string(root.attribute("orientation").value()) != "orthogonal") {
        throw LoadError(tmx.string(), std::string("is ") + root.attribute("orientation").value() +
                                          "; a level is an orthogonal map");
    }
    if (root.attribute("infinite").as_int() != 0) {
        throw LoadError(tmx.string(),
                        "is an infinite map; untick Infinite in the map's properties");
    }
    if (intAttribute(tmx, root, "tilewidth", 0, kMaxTiles, 0) != kTileSize ||
        intAttribute(tmx, root, "tileheight", 0, kMaxTiles, 0) != kTileSize) {
        throw LoadError(tmx.string(), "the map's tiles are not 16 x 16 pixels");
    }
    Shape shape;
    shape.width = intAttribute(tmx, root, "width", 0, kMaxTiles, 0);
    shape.height = intAttribute(tmx, root, "height", 0, kMaxTiles, 0);
    if (shape.width == 0 || shape.height == 0 || shape.width % kScreenColumns != 0 ||
        shape.height % kScreenRows != 0) {
        throw LoadError(tmx.string(), "is " + std::to_string(shape.width) + " x " +
                                          std::to_string(shape.height) +
                                          " tiles, not a whole number of screens (16 x 15 "
                                          "tiles each)");
    }

    for (const Node property : root.child("properties").children("property")) {
        const std::string name = property.attribute("name").value();
        checkIniText(tmx, "map property name '" + name + "'", name);
        checkIniText(tmx, "map property '" + name + "'", propertyValue(property));
        if (name == "level") {
            level.name = propertyValue(property);
        } else if (name.empty() || name.find_first_of("=[;") != std::string::npos) {
            throw LoadError(tmx.string(), "map property name '" + name +
                                              "' cannot be a key of levels.ini (empty, or "
                                              "with '=', '[' or ';')");
        } else if (isMadeByImport(name)) {
            throw LoadError(tmx.string(), "map property '" + name +
                                              "' is made by the import from the map itself; "
                                              "remove it");
        } else {
            level.otherKeys.emplace_back(name, propertyValue(property));
        }
    }

    std::vector<Node> tilesets;
    collect(root, "tileset", tilesets);
    if (tilesets.size() != 1) {
        throw LoadError(tmx.string(), "uses " + std::to_string(tilesets.size()) +
                                          " tilesets; a level has exactly one tile sheet");
    }
    const Tileset tileset = readTileset(tmx, tilesets.front());
    level.sheet = tileset.sheet;

    std::vector<Node> layers;
    collect(root, "layer", layers);
    if (layers.size() != 1) {
        std::string names;
        for (const Node layer : layers) {
            names += std::string(names.empty() ? " (" : ", ") + "'" +
                     layer.attribute("name").value() + "'";
        }
        throw LoadError(tmx.string(), "has " + std::to_string(layers.size()) + " tile layers" +
                                          (names.empty() ? "" : names + ")") +
                                          "; a level has exactly one");
    }
    const std::vector<std::uint32_t> gids =
        readLayer(tmx, layers.front(), shape.width, shape.height);
    const std::vector<mapsource::Cell> cells = readCells(tmx, gids, tileset, shape);
    level.mapBytes = mapsource::encodeMap(shape.width, shape.height, tileset.count, cells);
    readObjects(tmx, root, shape, level);
    return level;
}

bool isMadeByImport(const std::string& key) {
    static const std::regex made(
        "tileSheet|tileMap|boundaries|teleportStopPosY|boundary[0-9]+[xyw]");
    return std::regex_match(key, made);
}

Entries sectionEntries(const Level& level, const std::string& tileSheet,
                       const std::string& tileMap) {
    Entries entries{{"tileSheet", tileSheet},
                    {"tileMap", tileMap},
                    {"teleportStopPosY", std::to_string(level.teleportStopPosY)}};
    entries.insert(entries.end(), level.otherKeys.begin(), level.otherKeys.end());
    entries.emplace_back("boundaries", std::to_string(level.boundaries.size()));
    for (std::size_t i = 0; i < level.boundaries.size(); ++i) {
        const std::string key = "boundary" + std::to_string(i);
        entries.emplace_back(key + "x", std::to_string(level.boundaries[i].x));
        entries.emplace_back(key + "y", std::to_string(level.boundaries[i].y));
        entries.emplace_back(key + "w", std::to_string(level.boundaries[i].w));
    }
    return entries;
}

std::string sectionText(const std::string& name, const Entries& entries) {
    std::string text = "[" + name + "]\n";
    for (const auto& [key, value] : entries) {
        text += key + " = " + value + "\n";
    }
    return text;
}

std::string rewriteSection(const std::string& text, const std::string& name,
                           const Entries& entries) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    const auto trimmed = [](std::string line) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        line.erase(0, line.find_first_not_of(' '));
        line.erase(line.find_last_not_of(' ') + 1);
        return line;
    };
    const auto isHeader = [&](const std::string& line) {
        const std::string t = trimmed(line);
        return !line.empty() && line[0] != ';' && t.size() >= 2 && t.front() == '[' &&
               t.back() == ']';
    };

    std::size_t header = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isHeader(lines[i]) && trimmed(lines[i]) == "[" + name + "]") {
            header = i;
            break;
        }
    }
    std::string result;
    if (header == lines.size()) {
        for (const std::string& line : lines) {
            result += line + "\n";
        }
        return result + (lines.empty() ? "" : "\n") + sectionText(name, entries);
    }

    std::vector<bool> written(entries.size(), false);
    std::vector<std::string> section;
    std::size_t lastKey = 0;  // in `section`, the line after which new keys go
    std::size_t end = header + 1;
    for (; end < lines.size() && !isHeader(lines[end]); ++end) {
        const std::string& line = lines[end];
        const std::string t = trimmed(line);
        if (line.empty() || line[0] == ';' || t.empty()) {
            section.push_back(line);
            continue;
        }
        const std::string key = trimmed(t.substr(0, t.find('=')));
        std::size_t e = 0;
        while (e < entries.size() && entries[e].first != key) {
            ++e;
        }
        // Keys the level no longer has, and repeats (only the first counts), are dropped.
        if (e == entries.size() || written[e]) {
            continue;
        }
        written[e] = true;
        section.push_back(key + " = " + entries[e].second);
        lastKey = section.size();
    }
    std::vector<std::string> added;
    for (std::size_t e = 0; e < entries.size(); ++e) {
        if (!written[e]) {
            added.push_back(entries[e].first + " = " + entries[e].second);
        }
    }
    section.insert(section.begin() + static_cast<std::ptrdiff_t>(lastKey), added.begin(),
                   added.end());

    for (std::size_t i = 0; i <= header; ++i) {
        result += lines[i] + "\n";
    }
    for (const std::string& line : section) {
        result += line + "\n";
    }
    for (std::size_t i = end; i < lines.size(); ++i) {
        result += lines[i] + "\n";
    }
    return result;
}

}  // namespace tiledimport
