#include "gfx/font.h"

#include <cstdint>
#include <string>

#include "config/loaderror.h"
#include "engine/servicelocator.h"

namespace {

// Glyph cells larger than this are a typo, not a font.
constexpr int kMaxCharacterSize = 256;
// 10^9 is the largest power of ten an int can need: |INT_MIN| has ten digits.
constexpr int kMaxSignificantDigits = 10;
constexpr long long kPowersOfTen[kMaxSignificantDigits] = {
    1LL, 10LL, 100LL, 1000LL, 10000LL, 100000LL, 1000000LL, 10000000LL, 100000000LL, 1000000000LL};

// A cell of 0 pixels draws every text invisible (the menu, the ready message, the
// overlay), so a font must have cells of at least one pixel.
int readCharacterSize(const IniDictionary& dictionary, const char* key) {
    const int value = dictionary.getIntValue(key, "Properties", 0);
    if (value < 1 || value > kMaxCharacterSize) {
        throw LoadError(dictionary.path(), dictionary.describe(key, "Properties") +
                                               " is outside 1.." +
                                               std::to_string(kMaxCharacterSize));
    }
    return value;
}

}  // namespace

Font::Font(const char* path) : m_dictionary(path, IniDictionary::kRequired) {
    // The sizes are checked before the sheet is loaded, so a refused font leaks nothing.
    const int height = readCharacterSize(m_dictionary, "characterHeight");
    const int width = readCharacterSize(m_dictionary, "characterWidth");
    ServiceLocator::getVideoService()->loadBitmap(
        m_sheet, m_dictionary.getCStringValue("sheet", "Properties", "empty"));
    m_characterHeight = height;
    m_characterWidth = width;
}

Font::~Font() {
    ServiceLocator::getVideoService()->unloadBitmap(m_sheet);
}

Rect Font::glyph(char c) const {
    // A space cannot be written as a key (keys are trimmed), so it has a name of its own.
    // The one-character key lives on the stack: text is drawn every frame.
    char key[2] = {c, '\0'};
    const char* name = c == ' ' ? "space" : key;
    Rect rect;
    rect.x = 0;
    rect.y = m_dictionary.getIntValue(name, "Characters", 0);
    rect.w = static_cast<std::uint16_t>(m_characterWidth);
    rect.h = static_cast<std::uint16_t>(m_characterHeight);
    return rect;
}

void Font::drawTextOnScreen(const std::string& text, int x, int y) {
    VideoService* video = ServiceLocator::getVideoService();
    int penX = x;
    for (const char c : text) {
        Rect rect = glyph(c);
        video->copyToScreen(m_sheet, penX, y, &rect);
        penX += m_characterWidth;
    }
}

void Font::drawTextOnBitmap(const std::string& text, Bitmap& target, int x, int y) {
    VideoService* video = ServiceLocator::getVideoService();
    int penX = x;
    for (const char c : text) {
        Rect rect = glyph(c);
        video->copyToBitmap(m_sheet, target, penX, y, &rect);
        penX += m_characterWidth;
    }
}

void Font::drawNumberOnScreen(int value, int x, int y, int digits) {
    VideoService* video = ServiceLocator::getVideoService();
    // 64 bits, so that negating INT_MIN cannot overflow.
    long long magnitude = value;
    if (magnitude < 0) {
        Rect minus = glyph('-');
        video->copyToScreen(m_sheet, x, y, &minus);
        magnitude = -magnitude;
    }
    // The cell at x is the sign column, drawn or not.
    int penX = x + m_characterWidth;
    Rect cell;
    cell.x = 0;
    cell.w = static_cast<std::uint16_t>(m_characterWidth);
    cell.h = static_cast<std::uint16_t>(m_characterHeight);
    // Most significant position first. A value too wide for its cells shows its lowest
    // `digits` digits, and every cell is one of the ten digit cells; positions beyond
    // the ten an int can fill are leading zeros.
    for (int position = digits - 1; position >= 0; --position) {
        const int digit = position >= kMaxSignificantDigits
                              ? 0
                              : static_cast<int>(magnitude / kPowersOfTen[position] % 10);
        cell.y = digit * m_characterHeight;
        video->copyToScreen(m_sheet, penX, y, &cell);
        penX += m_characterWidth;
    }
}
