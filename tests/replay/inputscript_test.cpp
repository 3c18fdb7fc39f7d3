#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "config/loaderror.h"
#include "states/inputscript.h"

namespace {

InputScript parse(const std::string& text) {
    std::istringstream in(text);
    return InputScript::parse(in, "test.txt");
}

// The message a malformed script gives, or "" when it parses.
std::string problemOf(const std::string& text) {
    try {
        parse(text);
    } catch (const LoadError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

TEST(InputScript, SpansAddUpToTheFrameCountAndKeepTheirLines) {
    const InputScript script = parse("# warm-up\n30 right\n\n1 right jump  # take off\n40 -\n");
    ASSERT_EQ(script.spans().size(), 3u);
    EXPECT_EQ(script.frameCount(), 71);
    EXPECT_EQ(script.spans()[1].line, 4);
    EXPECT_EQ(script.spans()[1].keys.size(), 2u);
    EXPECT_TRUE(script.spans()[2].keys.empty());
}

TEST(InputScript, HeaderNamesLevelCharacterAndChecksum) {
    const InputScript script =
        parse("level Corvane\ncharacter voltbot2\nchecksum 00FF00ff00ff00FF\n10 -\n");
    EXPECT_EQ(script.level(), "Corvane");
    EXPECT_EQ(script.character(), "voltbot2");
    EXPECT_EQ(script.checksum(), "00ff00ff00ff00ff");
    EXPECT_EQ(script.frameCount(), 10);
}

TEST(InputScript, MalformedLinesNameFileLineAndProblem) {
    EXPECT_EQ(problemOf("10 right\nx5 left\n"),
              "test.txt:2: expected a frame count, 'level', 'character', 'checksum' or 'held', not "
              "'x5'");
    EXPECT_EQ(
        problemOf("3 fire\n"),
        "test.txt:1: unknown input 'fire' (expected left, right, up, down, jump, shoot or -)");
    EXPECT_EQ(problemOf("3 +fire\n"),
              "test.txt:1: unknown input '+fire' (a mark + or ^ goes before left, right, up, "
              "down, jump or shoot)");
    EXPECT_EQ(problemOf("3 jump ^jump\n"), "test.txt:1: input '^jump' given twice");
    EXPECT_EQ(problemOf("held\n"), "test.txt:1: 'held' needs at least one key");
    EXPECT_EQ(problemOf("5 -\nheld jump\n"),
              "test.txt:2: header line 'held' after the first input span");
    EXPECT_EQ(problemOf("\n\n0 left\n"), "test.txt:3: frame count 0 is outside 1 to 216000");
    EXPECT_EQ(problemOf("99999999999999999999 left\n"),
              "test.txt:1: frame count 99999999999999999999 is outside 1 to 216000");
    EXPECT_EQ(problemOf("5\n"), "test.txt:1: no inputs after the frame count (write - for none)");
    EXPECT_EQ(problemOf("5 - left\n"),
              "test.txt:1: '-' (nothing held) cannot be combined with other inputs");
    EXPECT_EQ(problemOf("5 jump jump\n"), "test.txt:1: input 'jump' given twice");
    EXPECT_EQ(problemOf("5 -\nlevel Sablex\n"),
              "test.txt:2: header line 'level' after the first input span");
    EXPECT_EQ(problemOf("level Sablex\nlevel Corvane\n"), "test.txt:2: 'level' given twice");
    EXPECT_EQ(problemOf("character\n"), "test.txt:1: 'character' takes exactly one value");
    EXPECT_EQ(problemOf("checksum 12ab\n"), "test.txt:1: checksum '12ab' is not 16 hex digits");
    EXPECT_EQ(problemOf("-3 left\n"),
              "test.txt:1: expected a frame count, 'level', 'character', 'checksum' or 'held', not "
              "'-3'");
}

TEST(InputScript, RefusesAScriptOfMoreThanTenHours) {
    std::string text;
    for (int i = 0; i < 11; ++i) {
        text += "216000 -\n";
    }
    EXPECT_EQ(problemOf(text), "test.txt:11: the script is longer than 2160000 frames");
}

TEST(ScriptedControls, OneFramePressIsPressedOnceAndReleasedInTheNextFrame) {
    const std::vector<Controls> c = parse("2 -\n1 jump\n2 -\n").toControls(5);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_FALSE(c[1].jumpPressed);
    EXPECT_TRUE(c[2].jumpPressed);
    EXPECT_TRUE(c[2].jumpHeld);
    EXPECT_FALSE(c[2].jumpReleased);
    EXPECT_FALSE(c[3].jumpPressed);
    EXPECT_FALSE(c[3].jumpHeld);
    EXPECT_TRUE(c[3].jumpReleased);
    EXPECT_FALSE(c[4].jumpReleased);
}

TEST(ScriptedControls, KeyHeldAcrossSpansIsNotPressedAgain) {
    const std::vector<Controls> c = parse("3 right jump\n2 right\n2 right jump\n").toControls(7);
    EXPECT_TRUE(c[0].jumpPressed);
    EXPECT_FALSE(c[1].jumpPressed);
    EXPECT_TRUE(c[3].jumpReleased);
    EXPECT_TRUE(c[5].jumpPressed);
    for (const Controls& frame : c) {
        EXPECT_EQ(frame.dirX, Direction::kRight);
        EXPECT_TRUE(frame.rightHeld);
    }
    // The direction's edge is seen once, in the first frame only.
    EXPECT_EQ(c[0].prevDirX, Direction::kNone);
    EXPECT_EQ(c[1].prevDirX, Direction::kRight);
}

TEST(ScriptedControls, BothArrowsFollowThePressedLast) {
    // Written together, the one written last counts as pressed last.
    const std::vector<Controls> together = parse("1 left right\n1 right left\n").toControls(2);
    EXPECT_EQ(together[0].dirX, Direction::kRight);
    // Both stay held across the boundary: nothing is pressed anew, the direction stays.
    EXPECT_EQ(together[1].dirX, Direction::kRight);

    const std::vector<Controls> c = parse(
                                        "2 right\n2 right left\n2 right\n2 left\n1 -\n"
                                        "1 up\n1 up down\n1 down\n")
                                        .toControls(11);
    EXPECT_EQ(c[1].dirX, Direction::kRight);
    EXPECT_EQ(c[2].dirX, Direction::kLeft);  // left pressed while right is held
    EXPECT_EQ(c[2].prevDirX, Direction::kRight);
    EXPECT_TRUE(c[2].leftHeld);
    EXPECT_TRUE(c[2].rightHeld);
    EXPECT_EQ(c[4].dirX, Direction::kRight);  // left let go, right still held
    EXPECT_EQ(c[4].prevDirX, Direction::kLeft);
    EXPECT_EQ(c[6].dirX, Direction::kLeft);  // right let go and left pressed at once
    EXPECT_EQ(c[8].dirX, Direction::kNone);
    EXPECT_EQ(c[8].prevDirX, Direction::kLeft);
    EXPECT_EQ(c[9].dirY, Direction::kUp);
    EXPECT_EQ(c[10].dirY, Direction::kDown);
}

TEST(ScriptedControls, AfterTheScriptEverythingIsReleased) {
    const std::vector<Controls> c = parse("2 right shoot\n").toControls(4);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_TRUE(c[0].shootPressed);
    EXPECT_TRUE(c[2].shootReleased);
    EXPECT_EQ(c[2].dirX, Direction::kNone);
}

// What only recordings need: keys held before the level's first update, a key pressed
// again while held, and a press and release inside one frame.
TEST(ScriptedControls, HeldAtStartPressedAgainAndTappedKeys) {
    const InputScript script =
        parse("held shoot right left\n2 shoot left right\n1 +right left\n1 ^jump left\n");
    const std::vector<Controls> frames = script.toControls(5);
    // Held from the start: no press in frame 1, and left (pressed last) leads.
    EXPECT_TRUE(frames[0].shootHeld);
    EXPECT_FALSE(frames[0].shootPressed);
    EXPECT_EQ(frames[0].dirX, Direction::kLeft);
    EXPECT_EQ(frames[0].prevDirX, Direction::kLeft);
    // Right pressed again: it leads, though nothing changed in what is held.
    EXPECT_EQ(frames[2].dirX, Direction::kRight);
    EXPECT_TRUE(frames[2].leftHeld && frames[2].rightHeld && frames[2].shootReleased);
    // The tap: only the release shows; right let go in the same frame.
    EXPECT_TRUE(frames[3].jumpReleased);
    EXPECT_FALSE(frames[3].jumpHeld || frames[3].jumpPressed);
    EXPECT_EQ(frames[3].dirX, Direction::kLeft);
    EXPECT_FALSE(frames[4].jumpReleased);
}

// A cursor put at any update, inside a span, at a boundary or past the end, goes on as one
// that walked there frame by frame; the digest of a prefix tells two scripts apart exactly
// where they part.
TEST(ScriptedControls, SeekingGoesOnAsWalkingThereAndDigestsPartWhereScriptsDo) {
    const InputScript script =
        parse("held jump right\n3 right +jump\n1 left ^shoot\n5 left up\n2 -\n4 down shoot\n");
    const int total = script.frameCount() + 3;
    const std::vector<Controls> walked = script.toControls(total);
    for (int at = 0; at <= total - 1; ++at) {
        InputScript::Cursor cursor(script);
        cursor.next();  // wherever it stood before
        cursor.seek(at);
        if (at > 0) {
            EXPECT_TRUE(cursor.current() == walked[static_cast<std::size_t>(at - 1)]) << at;
        }
        for (int f = at; f < total; ++f) {
            ASSERT_TRUE(cursor.next() == walked[static_cast<std::size_t>(f)]) << at << ", " << f;
        }
    }
    const InputScript other =
        parse("held jump right\n3 right +jump\n1 left ^shoot\n5 left\n2 -\n4 down shoot\n");
    for (int frames = 0; frames <= total; ++frames) {
        EXPECT_EQ(script.digestOf(frames) == other.digestOf(frames), frames <= 4) << frames;
    }
}
