#include "gfx/debuginfo.h"

#include <gtest/gtest.h>

#include <string>

#include "recordingvideo.h"
#include "scratchdir.h"
#include "testfont.h"

namespace {

class DebugInfoTest : public ::testing::Test {
  protected:
    DebugInfoTest() { scratch.write("font.ini", testFontIni("- = 120\n")); }

    // One overlay row as text, a character per 8-pixel cell from x 8 to x 64: digits,
    // '-' for the minus glyph and '.' for an empty cell. Columns: left number's sign at 8
    // (2-digit numbers at 16), right number's sign at 40.
    std::string row(int y) const { return glyphRow(video, y, 8, 64, 120); }

    ScratchDir scratch;
    RecordingVideo video;
    ScopedVideo service{&video};
};

}  // namespace

TEST_F(DebugInfoTest, ShowsPositionAsPixelsAndSubPixels) {
    DebugInfo overlay;
    overlay.draw(300 * 256 + 17, 250 * 256 + 5, 0, 0, 0);
    EXPECT_EQ(row(8), ".044.017");   // 300 pixels wrap at 256
    EXPECT_EQ(row(16), ".010.005");  // y 250 is 10 on the second screen
}

TEST_F(DebugInfoTest, PositionLeftOfTheMapShowsItsSign) {
    DebugInfo overlay;
    overlay.draw(-300 * 256, 0, 0, 0, 0);
    EXPECT_EQ(row(8), "-044.000");
    video.clearCalls();
    // Just above the top: y rounds down to -1 pixel, the sub-pixel byte is 255.
    overlay.draw(-1, -1, 0, 0, 0);
    EXPECT_EQ(row(8), ".000.255");
    EXPECT_EQ(row(16), "-001.255");
}

TEST_F(DebugInfoTest, ShowsSpeedsAsWholeAndFraction) {
    DebugInfo overlay;
    overlay.draw(0, 0, 384, -384, 0);
    EXPECT_EQ(row(24), "..01.128");
    EXPECT_EQ(row(32), ".254.128");  // the two bytes of -384
}

TEST_F(DebugInfoTest, ShowsLadderBitsUnderTheLastTwoDigits) {
    DebugInfo overlay;
    overlay.draw(0, 0, -384, 0, 1 | 4 | 16);
    EXPECT_EQ(row(24), ".-01.128");
    EXPECT_EQ(row(48), "..21....");
}
