#include "gfx/debuginfo.h"

#include <cstdint>

#include "engine/fixedpoint.h"

namespace {

// Byte n (0 = lowest) of a value's two's-complement bits, as 0..255.
int byteOf(int v, int n) {
    return static_cast<int>((static_cast<std::uint32_t>(v) >> (8 * n)) & 0xFFu);
}

}  // namespace

DebugInfo::DebugInfo() : m_font("font.ini") {}

void DebugInfo::draw(int xPosition, int yPosition, int xSpeed, int ySpeed, int ladderBits) {
    // Truncated pixels and a signed remainder: a position left of the map shows its sign.
    m_font.drawNumberOnScreen(fixedpoint::pixel(xPosition) % 256, 8, 8, 3);
    m_font.drawNumberOnScreen(byteOf(xPosition, 0), 40, 8, 3);

    // Wrapped to the screen height, so the row reads as the y on the current screen.
    m_font.drawNumberOnScreen(
        static_cast<int>(fixedpoint::floorDiv(yPosition, fixedpoint::kOne) % 240), 8, 16, 3);
    m_font.drawNumberOnScreen(byteOf(yPosition, 0), 40, 16, 3);

    m_font.drawNumberOnScreen(fixedpoint::pixel(xSpeed), 16, 24, 2);
    m_font.drawNumberOnScreen(byteOf(xSpeed, 0), 40, 24, 3);

    // Both bytes of the vertical speed unsigned: -384 reads 254 and 128.
    m_font.drawNumberOnScreen(byteOf(ySpeed, 1), 8, 32, 3);
    m_font.drawNumberOnScreen(byteOf(ySpeed, 0), 40, 32, 3);

    m_font.drawNumberOnScreen(ladderBits, 16, 48, 2);
}
