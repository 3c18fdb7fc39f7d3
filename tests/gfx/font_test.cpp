#include "gfx/font.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "config/loaderror.h"
#include "recordingvideo.h"
#include "scratchdir.h"
#include "testfont.h"

namespace {

using Kind = RecordingVideo::Kind;

// The glyphs the tests use besides the digits.
const char* const kCharacters = "space = 80\n- = 88\nA = 96\na = 104\n1 = 8\n";

class FontTest : public ::testing::Test {
  protected:
    FontTest() { scratch.write("font.ini", testFontIni(kCharacters)); }

    // What the screen copies show, one character per 8-pixel cell from x 0: a digit for
    // a digit cell, '-' for the minus glyph, '.' for an empty cell.
    std::string shown() const { return glyphRow(video, kAnyRow, 0, kLastGlyph, 88); }

    ScratchDir scratch;
    RecordingVideo video;
    ScopedVideo service{&video};
};

}  // namespace

TEST_F(FontTest, NumbersAreZeroPaddedRightOfTheSignColumn) {
    Font font("font.ini");
    font.drawNumberOnScreen(-5, 8, 8, 3);
    EXPECT_EQ(shown(), ".-005");
    video.clearCalls();
    font.drawNumberOnScreen(5, 8, 8, 3);
    EXPECT_EQ(shown(), "..005");
    for (const auto& copy : video.callsOf(Kind::kCopyToScreen)) {
        EXPECT_EQ(copy.y, 8);
    }
}

TEST_F(FontTest, ZeroDigitsDrawOnlyTheSign) {
    Font font("font.ini");
    font.drawNumberOnScreen(42, 8, 8, 0);
    EXPECT_TRUE(video.callsOf(Kind::kCopyToScreen).empty());
    font.drawNumberOnScreen(-42, 8, 8, 0);
    EXPECT_EQ(shown(), ".-");
}

TEST_F(FontTest, TooWideNumberShowsItsLowDigitsInDigitCells) {
    Font font("font.ini");
    font.drawNumberOnScreen(1234, 0, 0, 2);
    EXPECT_EQ(shown(), ".34");
    video.clearCalls();
    font.drawNumberOnScreen(INT_MIN, 0, 0, 12);
    EXPECT_EQ(shown(), "-002147483648");
    video.clearCalls();
    font.drawNumberOnScreen(INT_MAX, 0, 0, 10);
    EXPECT_EQ(shown(), ".2147483647");
}

TEST_F(FontTest, TextAdvancesOneCellPerCharacter) {
    Font font("font.ini");
    font.drawTextOnScreen("Aa 1", 16, 24);
    const auto copies = video.callsOf(Kind::kCopyToScreen);
    ASSERT_EQ(copies.size(), 4u);
    const int expectedY[] = {96, 104, 80, 8};  // A and a are separate keys
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(copies[i].x, 16 + 8 * i);
        EXPECT_EQ(copies[i].y, 24);
        EXPECT_EQ(copies[i].sourceRect.x, 0);
        EXPECT_EQ(copies[i].sourceRect.y, expectedY[i]);
    }
}

TEST_F(FontTest, SpacesUseTheSpaceGlyph) {
    Font font("font.ini");
    font.drawTextOnScreen("   ", 0, 0);
    const auto copies = video.callsOf(Kind::kCopyToScreen);
    ASSERT_EQ(copies.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(copies[i].x, 8 * i);
        EXPECT_EQ(copies[i].sourceRect.y, 80);
    }
}

TEST_F(FontTest, EmptyTextDrawsNothing) {
    Font font("font.ini");
    font.drawTextOnScreen("", 0, 0);
    EXPECT_TRUE(video.callsOf(Kind::kCopyToScreen).empty());
}

TEST_F(FontTest, UnlistedLetterShowsTheFirstCell) {
    Font font("font.ini");
    font.drawTextOnScreen("Z", 0, 0);
    EXPECT_EQ(shown(), "0");
}

TEST_F(FontTest, TextOnBitmapCopiesFromTheSheetIntoTheTarget) {
    Font font("font.ini");
    Bitmap target;
    video.createBitmap(target, 64, 8);
    font.drawTextOnBitmap("aA", target, 4, 0);
    const auto copies = video.callsOf(Kind::kCopyToBitmap);
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(video.pathOf(copies[0].source), "glyphs.bmp");
    EXPECT_EQ(copies[0].target, RecordingVideo::handleOf(target));
    EXPECT_EQ(copies[0].x, 4);
    EXPECT_EQ(copies[1].x, 12);
    EXPECT_EQ(copies[0].sourceRect.y, 104);
    EXPECT_EQ(copies[1].sourceRect.y, 96);
    EXPECT_TRUE(video.callsOf(Kind::kCopyToScreen).empty());
    video.unloadBitmap(target);
}

TEST_F(FontTest, ReleasesItsSheet) {
    { Font font("font.ini"); }
    ASSERT_EQ(video.callsOf(Kind::kLoad).size(), 1u);
    EXPECT_EQ(video.callsOf(Kind::kLoad)[0].path, "glyphs.bmp");
    EXPECT_EQ(video.liveBitmaps(), 0);
}

TEST_F(FontTest, RefusesCellSizesOutOfRange) {
    const char* const cases[][2] = {
        {"characterWidth = -8\ncharacterHeight = 8\n", "characterWidth"},
        {"characterWidth = 8\ncharacterHeight = 257\n", "characterHeight"},
    };
    for (const auto& [properties, key] : cases) {
        scratch.write("bad.ini", std::string("[Properties]\nsheet = glyphs.bmp\n") + properties);
        try {
            Font font("bad.ini");
            ADD_FAILURE() << "accepted " << properties;
        } catch (const LoadError& error) {
            EXPECT_EQ(error.file(), "bad.ini");
            EXPECT_NE(error.problem().find(key), std::string::npos) << error.problem();
        }
    }
    EXPECT_EQ(video.liveBitmaps(), 0);
}
