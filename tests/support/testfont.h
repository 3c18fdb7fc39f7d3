#pragma once

#include <string>

class RecordingVideo;

// The fonts of the text-drawing tests: 8 x 8 cells on the sheet glyphs.bmp, the ten
// digits in the first ten cells (sheet y 0 to 72), then the glyphs each test lists, as
// "key = sheet y" lines; a character without a line has no glyph and is not drawn.
std::string testFontIni(const std::string& characters);

constexpr int kAnyRow = -1;
constexpr int kLastGlyph = -1;

// What the screen copies at screen row y (every row for kAnyRow) show, one character per
// 8-pixel cell from x fromX to x toX (to the last glyph drawn for kLastGlyph): the digit
// of a digit cell, '-' for the cell at sheet y minusY, '?' for any other cell, '.' where
// nothing was drawn. Every copy must take one whole cell.
std::string glyphRow(const RecordingVideo& video, int y, int fromX, int toX, int minusY);
