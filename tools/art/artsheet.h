#pragma once

// The text form of a picture sheet, as read by kestrelix-art.
//
// A source is read line by line; a line that starts with '#' is a comment, a blank line
// ends the palette block or the picture being read. Directives:
//
//   from <sheet>              first line only: start from assets/art/<sheet>.txt (same
//                             folder) with its size, layout, palette and pictures in order
//   size <width> <height>     every picture of the sheet has this size (1..256 each)
//   layout column | row       column: cell i at y = i * height (sprite and font sheets);
//                             row: cell i at x = i * width (tile sheets); column by default
//   palette                   followed by lines "<c> = RRGGBB", one printable character
//                             per colour (not space, not '#'); FF80FF is the colour key
//   picture <name>            followed by exactly <height> rows of exactly <width>
//                             palette characters, one character per pixel
//   picture <name> = mirror <other>   the horizontal mirror of an earlier picture
//   picture <name> = copy <other>     the same pixels as an earlier picture
//   mirror all                mirrors every picture read so far (a left-facing sheet
//                             derived from a right-facing one)
//
// In a derived sheet, a picture whose name is already present replaces it in place (it
// keeps its cell), a new name is appended, and palette lines add or recolour entries.
// Every problem is a LoadError naming "<file>:<line>".

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct ArtPicture {
    std::string name;
    std::vector<std::string> rows;  // palette characters, one per pixel
};

struct ArtSheet {
    enum class Layout { kColumn, kRow };

    int width = 0;
    int height = 0;
    Layout layout = Layout::kColumn;
    std::map<char, std::uint32_t> palette;  // 0xRRGGBB
    std::vector<ArtPicture> pictures;

    // Index of the named picture, or -1.
    int find(const std::string& name) const;
    // Top-left corner of cell i in the finished sheet.
    int cellX(int index) const { return layout == Layout::kRow ? index * width : 0; }
    int cellY(int index) const { return layout == Layout::kColumn ? index * height : 0; }
    int sheetWidth() const;
    int sheetHeight() const;
};

// Reads and checks a source file (and the sheet it derives from, if any).
ArtSheet loadArtSheet(const std::filesystem::path& source);

// Parses source text; `file` names it in messages, `folder` is where "from" looks.
ArtSheet parseArtSheet(const std::string& text, const std::string& file,
                       const std::filesystem::path& folder);

// The sheet's pixels, 0xRRGGBB, row by row from the top.
std::vector<std::uint32_t> renderArtSheet(const ArtSheet& sheet);

// Indices of the pictures with at least one pixel in the colour key FF80FF, in cell order.
// The game draws those pixels see-through; in a tile sheet the level then has to clear the
// screen behind every screen that shows such a tile.
std::vector<int> seeThroughPictures(const ArtSheet& sheet);
