// The tool as a user runs it: exit status and messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "engine/nullvideo.h"
#include "scratchdir.h"
#include "toolrun.h"

namespace {

using Result = ToolResult;

int countLines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST(ReplayTool, MalformedScriptNamesFileAndLineAndFails) {
    ScratchDir scratch;
    scratch.write("bad.txt", "10 right\n3 rigth\n");
    const std::string path = (scratch.path() / "bad.txt").string();
    const Result result = runTool(scratch, "--script " + scriptPath(scratch, "bad.txt"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "kestrelix-replay: " + path +
                              ":2: unknown input 'rigth' (expected left, right, up, down, jump, "
                              "shoot or -)\n");
    EXPECT_EQ(result.out, "");
}

TEST(ReplayTool, PrintsHeaderAndOneRowPerFrameFromZero) {
    ScratchDir scratch;
    scratch.write("run.txt", "level Sablex\ncharacter voltbot1\n5 right\n");
    const Result result = runTool(scratch, "--script " + scriptPath(scratch, "run.txt"));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(countLines(result.out), 1 + 6);
    EXPECT_EQ(result.out.rfind("frame,phase,", 0), 0u);
    EXPECT_NE(result.out.find("\n0,ready,"), std::string::npos);
    EXPECT_NE(result.out.find("\n5,"), std::string::npos);

    const Result longer =
        runTool(scratch, "--script " + scriptPath(scratch, "run.txt") + " --frames 9");
    EXPECT_EQ(countLines(longer.out), 1 + 10);
}

TEST(ReplayTool, WarnsButStillRunsAgainstChangedData) {
    ScratchDir scratch;
    const Result stamp = runTool(scratch, "--checksum --level Sablex --character voltbot1");
    ASSERT_EQ(stamp.status, 0) << stamp.err;
    ASSERT_EQ(stamp.out.size(), 17u);
    const std::string checksum = stamp.out.substr(0, 16);

    scratch.write("same.txt", "level Sablex\nchecksum " + checksum + "\n3 -\n");
    const Result same = runTool(scratch, "--script " + scriptPath(scratch, "same.txt"));
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.err, "");

    scratch.write("old.txt", "level Sablex\nchecksum 0123456789abcdef\n3 -\n");
    const Result old = runTool(scratch, "--script " + scriptPath(scratch, "old.txt"));
    EXPECT_EQ(old.status, 0);
    EXPECT_EQ(countLines(old.out), 1 + 4);
    EXPECT_EQ(old.err, "kestrelix-replay: warning: " + (scratch.path() / "old.txt").string() +
                           ": recorded against data with checksum 0123456789abcdef, the data "
                           "here gives " +
                           checksum + "; the trace may differ\n");

    // The checksum follows the character file.
    const Result other = runTool(scratch, "--checksum --level Sablex --character voltbot2");
    EXPECT_NE(other.out, stamp.out);
}

TEST(ReplayTool, ExpectReportsTheFirstDifferingRowsWithTheHeader) {
    ScratchDir scratch;
    scratch.write("idle.txt", "3 -\n");
    const Result trace = runTool(scratch, "--script " + scriptPath(scratch, "idle.txt"));
    ASSERT_EQ(trace.status, 0);
    scratch.write("golden.csv", trace.out);
    EXPECT_EQ(runTool(scratch, "--script " + scriptPath(scratch, "idle.txt") + " --expect " +
                                   scriptPath(scratch, "golden.csv"))
                  .status,
              0);

    std::string changed = trace.out;
    changed.replace(changed.find("\n2,ready,") + 1, 8, "2,playing,");
    scratch.write("changed.csv", changed);
    const Result diff = runTool(scratch, "--script " + scriptPath(scratch, "idle.txt") +
                                             " --expect " + scriptPath(scratch, "changed.csv"));
    EXPECT_EQ(diff.status, 1);
    EXPECT_NE(diff.err.find("first difference at frame 2\n  frame,phase,x,y,"), std::string::npos);
    EXPECT_NE(diff.err.find("changed: phase"), std::string::npos);
}

TEST(ReplayTool, UsageErrorsExitWithTwo) {
    ScratchDir scratch;
    EXPECT_EQ(runTool(scratch, "--frames many").status, 2);
    EXPECT_EQ(runTool(scratch, "--frame 3").status, 2);
    EXPECT_EQ(runTool(scratch, "--bogus").status, 2);
    EXPECT_EQ(runTool(scratch, "--level Nowhere").status, 1);
}

TEST(ReplayTool, PicturesAreTheWindowAtMultiplierOne) {
    ScratchDir scratch;
    // settings.ini in data/ asks for a larger window; the picture is still 256 x 240.
    const std::string level = (scratch.path() / "level.bmp").string();
    const Result frame = runTool(scratch, "--level Corvane --frame 3 --picture '" + level + "'");
    ASSERT_EQ(frame.status, 0) << frame.err;
    EXPECT_EQ(frame.out, "");
    int width = 0;
    int height = 0;
    NullVideo::readBmpSize(level.c_str(), width, height);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 240);

    const std::string menu = (scratch.path() / "menu.bmp").string();
    ASSERT_EQ(runTool(scratch, "--menu --picture '" + menu + "'").status, 0);
    NullVideo::readBmpSize(menu.c_str(), width, height);
    EXPECT_EQ(width, 256);
    // The two pictures differ: one shows the level, the other the menu.
    EXPECT_NE(slurp(level), slurp(menu));
}
