// The bitmap font built from arbitrary INI text, then made to draw every byte value and
// numbers at the ends of the int range. A font that loads draws one cell per character,
// digits plus a sign for numbers, all from its own sheet and all of its declared size.

#include <climits>
#include <cstdint>
#include <string>

#include "config/loaderror.h"
#include "fuzzsupport.h"
#include "gfx/font.h"

namespace {

// The message is built only when the count is wrong: a run makes over a hundred checks.
// value and digits describe a number's drawing; other drawings leave them at 0.
void expectCopies(const fuzz::CheckingVideo& video, long long before, long long expected,
                  const char* what, int value = 0, int digits = 0) {
    if (video.copies() - before != expected) {
        fuzz::trap(std::string(what) + " (value " + std::to_string(value) + ", digits " +
                   std::to_string(digits) + ") made " + std::to_string(video.copies() - before) +
                   " copies, expected " + std::to_string(expected));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::workDir();
    fuzz::writeFile("font.ini", data, size);
    fuzz::CheckingVideo video;
    const ScopedVideo provided(&video);
    try {
        Font font("font.ini");
        if (font.m_characterWidth < 0 || font.m_characterHeight < 0) {
            fuzz::trap("negative glyph size");
        }
        std::string every;
        for (int c = 0; c < 256; ++c) {
            every += static_cast<char>(c);
        }
        long long before = video.copies();
        font.drawTextOnScreen(every, -8, 0);
        expectCopies(video, before, 256, "drawing all 256 bytes");

        Bitmap target;
        video.createBitmap(target, 64, 16);
        before = video.copies();
        font.drawTextOnBitmap("READY space =;[]", target, 0, 0);
        expectCopies(video, before, 16, "drawing into a bitmap");
        video.unloadBitmap(target);

        const int values[] = {0, 7, -5, 42, INT_MAX, INT_MIN, -1, 1000000000};
        for (const int value : values) {
            for (int digits = -1; digits <= 12; ++digits) {
                before = video.copies();
                font.drawNumberOnScreen(value, 8, 8, digits);
                const long long expected = (value < 0 ? 1 : 0) + (digits > 0 ? digits : 0);
                expectCopies(video, before, expected, "drawing a number", value, digits);
            }
        }
    } catch (const LoadError& error) {
        fuzz::checkRefusal(error);
    }
    if (video.liveBitmaps() != 0) {
        fuzz::trap("the glyph sheet was not released");
    }
    return 0;
}
