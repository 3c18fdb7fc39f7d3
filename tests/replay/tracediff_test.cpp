#include <gtest/gtest.h>

#include "config/loaderror.h"
#include "engine/nullvideo.h"
#include "scratchdir.h"
#include "states/datachecksum.h"
#include "tracediff.h"
#include "tracewriter.h"

TEST(TraceDiff, EqualTracesGiveNoReport) {
    const std::vector<std::string> trace = {"frame,x,y", "0,1,2", "1,1,3"};
    EXPECT_EQ(tracediff::compare(trace, trace), "");
}

TEST(TraceDiff, NamesTheFirstFrameAndTheChangedColumns) {
    const std::vector<std::string> expected = {"frame,x,y", "0,1,2", "1,1,3", "2,1,4"};
    const std::vector<std::string> actual = {"frame,x,y", "0,1,2", "1,5,3", "2,6,9"};
    EXPECT_EQ(tracediff::compare(expected, actual),
              "first difference at frame 1\n"
              "  frame,x,y\n"
              "- 1,1,3\n"
              "+ 1,5,3\n"
              "  changed: x\n"
              "- 2,1,4\n"
              "+ 2,6,9\n"
              "  changed: x, y\n");
}

TEST(TraceDiff, ReportsAShorterTraceAndStopsAfterTheLimit) {
    const std::vector<std::string> expected = {"frame,x", "0,0", "1,1", "2,2", "3,3"};
    const std::vector<std::string> actual = {"frame,x", "0,9", "1,9", "2,9"};
    const std::string report = tracediff::compare(expected, actual, 2);
    EXPECT_NE(report.find("first difference at frame 0"), std::string::npos);
    EXPECT_EQ(report.find("- 2,2"), std::string::npos);
    EXPECT_NE(report.find("expected 4 rows, replayed 3"), std::string::npos);
}

TEST(TraceDiff, ADifferentHeaderIsReportedAsSuch) {
    EXPECT_EQ(tracediff::compare({"frame,x", "0,0"}, {"frame,y", "0,0"}),
              "the header differs\n- frame,x\n+ frame,y\n");
}

TEST(TraceWriter, HeaderListsTheColumnsInOrder) {
    EXPECT_EQ(tracewriter::header(),
              "frame,phase,x,y,xSpeed,ySpeed,mode,state,animation,belowFeet,atFeet,atMiddle,"
              "atHead,aboveHead,scrolling,viewX,viewY");
    TraceRow row;
    row.frame = 7;
    row.phase = "playing";
    row.x = -300;
    row.ySpeed = 1280;
    row.mode = "inAir";
    row.state = "jumping";
    row.animation = 3;
    row.atHead = true;
    row.viewX = 256;
    row.viewY = 240;
    EXPECT_EQ(tracewriter::format(row),
              "7,playing,-300,0,0,1280,inAir,jumping,3,0,0,0,1,0,0,256,240");
}

TEST(DataChecksum, IsFnv1a64OverTheFourFilesInOrder) {
    // Published FNV-1a 64 values.
    EXPECT_EQ(datachecksum::toHex(datachecksum::fnv1a("")), "cbf29ce484222325");
    EXPECT_EQ(datachecksum::toHex(datachecksum::fnv1a("a")), "af63dc4c8601ec8c");

    ScratchDir scratch;
    scratch.write("levels.ini", "[Town]\ntileMap = town.map\n");
    scratch.write("town.map", "MAP");
    scratch.write("hero.ini", "[Options]\n");
    scratch.write("enemy.ini", "[Sprite]\n");
    const std::string all =
        "MAP" + std::string("[Town]\ntileMap = town.map\n") + "[Options]\n" + "[Sprite]\n";
    EXPECT_EQ(datachecksum::compute("Town", "hero.ini"),
              datachecksum::toHex(datachecksum::fnv1a(all)));

    const std::string before = datachecksum::compute("Town", "hero.ini");
    scratch.write("hero.ini", "[Options]\nnoJumpDelay = true\n");
    EXPECT_NE(datachecksum::compute("Town", "hero.ini"), before);
}

TEST(NullVideo, TakesImageSizesFromTheBmpHeader) {
    ScratchDir scratch;
    // A 40-byte information header: width 48, height -16 (stored top-down), 24 bits per
    // pixel, the pixels right after the headers: the engine would load it.
    std::string bmp = "BM" + std::string(8, '\0') + std::string("\x36\0\0\0", 4);
    bmp += std::string("\x28\0\0\0", 4) + std::string("\x30\0\0\0", 4) +
           std::string("\xF0\xFF\xFF\xFF", 4) + std::string("\x01\0\x18\0", 4) +
           std::string(24, '\0') + std::string(48 * 3 * 16, '\0');
    scratch.write("sheet.bmp", bmp);
    scratch.write("text.bmp", "not a picture");

    NullVideo video;
    Bitmap sheet;
    video.loadBitmap(sheet, "sheet.bmp");
    EXPECT_EQ(sheet.width, 48);
    EXPECT_EQ(sheet.height, 16);
    EXPECT_NE(sheet.texture, nullptr);

    Bitmap other;
    EXPECT_THROW(video.loadBitmap(other, "text.bmp"), LoadError);
    EXPECT_THROW(video.loadBitmap(other, "missing.bmp"), LoadError);
}
