#pragma once

#include <string>

#include "config/inidictionary.h"
#include "engine/videoservice.h"

// The bitmap font of font.ini: one column of fixed-size glyph cells, the digits 0-9 in
// the first ten cells, every other glyph placed by its entry in "Characters". A text of
// n characters covers exactly n * m_characterWidth by m_characterHeight pixels.
class Font {
  public:
    explicit Font(const char* path);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Texts are taken by reference: the menu draws its titles every frame, and a copy
    // per frame would allocate in the frame's hot path.
    void drawTextOnScreen(const std::string& text, int x, int y);
    void drawTextOnBitmap(const std::string& text, Bitmap& target, int x, int y);
    // Exactly `digits` zero-padded digits right of a sign column at x.
    void drawNumberOnScreen(int value, int x, int y, int digits);

    int m_characterHeight = 0;
    int m_characterWidth = 0;

  private:
    Rect glyph(char c) const;

    Bitmap m_sheet;
    IniDictionary m_dictionary;
};
