// Comparing physics variants with the tool: --versus, --set, --sweep and the summary that
// --expect adds. The known answers come from the golden trace of sablex-voltbot1-jumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "characteroverride.h"
#include "engine/nullvideo.h"
#include "replaysession.h"
#include "runevents.h"
#include "scratchdir.h"
#include "states/inputscript.h"
#include "sweeprun.h"
#include "toolrun.h"
#include "tracewriter.h"

namespace {

std::string jumpsScript() {
    return "'" + (sourceDir() / "tests/replay/scripts/sablex-voltbot1-jumps.txt").string() + "'";
}

// The words of the first line that starts with `start`, or nothing.
std::vector<std::string> lineWords(const std::string& text, const std::string& start) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(start, 0) == 0) {
            std::istringstream words(line);
            return std::vector<std::string>(std::istream_iterator<std::string>(words),
                                            std::istream_iterator<std::string>());
        }
    }
    return {};
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    return std::vector<std::string>(std::istream_iterator<std::string>(in),
                                    std::istream_iterator<std::string>());
}

}  // namespace

TEST(Versus, GravityChangeGivesTheKnownFirstDifferenceAndEvents) {
    ScratchDir scratch;
    const ToolResult result =
        runTool(scratch,
                "--script " + jumpsScript() + " --versus voltbot1 --set YSpeed.gravityFraction=60");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    // Gravity is first felt in the drop after the teleport beam (frame 131 of the golden
    // trace: ySpeed -64 with 64/256, so -60 with 60/256); nothing else differs there.
    EXPECT_NE(result.out.find("first difference at frame 131: ySpeed (-64 / -60)\n"),
              std::string::npos)
        << result.out;
    // The full jump takes off in frame 171 in both runs; the golden trace lands in frame 203
    // (inAir in 202, onGround in 203), the lighter gravity three frames later.
    EXPECT_EQ(lineWords(result.out, "jump 1 "), words("jump 1 frame 171 frame 171 same frame"));
    EXPECT_EQ(lineWords(result.out, "landing 1 "),
              words("landing 1 frame 203 frame 206 +3 frames"));
    // The column table counts frames; the frame and phase columns never differ here.
    EXPECT_EQ(lineWords(result.out, "ySpeed ").size(), 3u);
    EXPECT_TRUE(lineWords(result.out, "phase ").empty());
    EXPECT_TRUE(lineWords(result.out, "frame ").empty());
}

TEST(Versus, ASecondDataFolderAndAnOverrideAgree) {
    ScratchDir scratch;
    const std::filesystem::path copy = scratch.path() / "data2";
    std::filesystem::copy(sourceDir() / "data", copy, std::filesystem::copy_options::recursive);
    std::string character = slurp(copy / "voltbot1");
    const std::size_t at = character.find("gravityFraction = 64");
    ASSERT_NE(at, std::string::npos);
    character.replace(at, 20, "gravityFraction = 60");
    scratch.write("data2/voltbot1", character);

    const ToolResult folder =
        runTool(scratch, "--script " + jumpsScript() + " --versus-data '" + copy.string() + "'");
    const ToolResult set =
        runTool(scratch, "--script " + jumpsScript() + " --set YSpeed.gravityFraction=60" +
                             " --versus voltbot1");
    ASSERT_EQ(folder.status, 0) << folder.err;
    ASSERT_EQ(set.status, 0) << set.err;
    // Everything but the second run's name is the same.
    EXPECT_EQ(folder.out.substr(folder.out.find("first difference")),
              set.out.substr(set.out.find("first difference")));

    const ToolResult same = runTool(scratch, "--script " + jumpsScript() + " --versus voltbot1");
    EXPECT_NE(same.out.find("no difference in 331 frames\n"), std::string::npos);
    EXPECT_EQ(same.out.find(" frames\n", same.out.find("event")), std::string::npos)
        << "every event of identical runs falls in the same frame";
}

TEST(Versus, ExitStatusSaysWhatWentWrong) {
    ScratchDir scratch;
    const std::string script = "--script " + jumpsScript();
    // Differing runs are an answer, not a failure.
    EXPECT_EQ(runTool(scratch, script + " --versus voltbot2").status, 0);
    EXPECT_EQ(runTool(scratch, script + " --versus nosuchfile").status, 1);
    EXPECT_EQ(runTool(scratch, script + " --versus voltbot2 --versus-data /nonexistent").status, 1);
    EXPECT_EQ(runTool(scratch, script + " --set gravityFraction").status, 2);
    EXPECT_EQ(runTool(scratch, script + " --set .x=1").status, 2);
    EXPECT_EQ(runTool(scratch, script + " --versus voltbot2 --expect x.csv").status, 2);
    EXPECT_EQ(
        runTool(scratch, script + " --versus voltbot2 --sweep YSpeed.gravityFraction=1:2:1").status,
        2);
    EXPECT_EQ(runTool(scratch, script + " --sweep YSpeed.gravityFraction=10:1:1").status, 2);
    EXPECT_EQ(runTool(scratch, script + " --sweep YSpeed.gravityFraction=1:10:0").status, 2);
    EXPECT_EQ(runTool(scratch, script + " --sweep YSpeed.gravityFraction=0:9999999:1").status, 2);
    EXPECT_EQ(runTool(scratch, script + " --plot p.png --columns phase").status, 2);

    // A key the file does not name is added, with a warning: it may be a typo.
    const ToolResult typo =
        runTool(scratch, script + " --versus voltbot1 --set Gravity.gravityFraction=60");
    EXPECT_EQ(typo.status, 0);
    EXPECT_NE(typo.err.find("voltbot1 does not name Gravity.gravityFraction"), std::string::npos)
        << typo.err;
    EXPECT_NE(typo.out.find("no difference"), std::string::npos);
}

TEST(Versus, ExpectKeepsItsRowsAndAddsTheSummary) {
    ScratchDir scratch;
    const std::string golden =
        "'" + (sourceDir() / "tests/replay/golden/sablex-voltbot1-jumps.csv").string() + "'";
    const ToolResult same = runTool(scratch, "--script " + jumpsScript() + " --expect " + golden);
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.err, "");

    const ToolResult changed = runTool(scratch, "--script " + jumpsScript() + " --expect " +
                                                    golden + " --set YSpeed.gravityFraction=60");
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(changed.out, "");
    const std::size_t rows = changed.err.find("first difference at frame 131\n  frame,phase,");
    const std::size_t summary = changed.err.find("first difference at frame 131: ySpeed");
    ASSERT_NE(rows, std::string::npos) << changed.err;
    ASSERT_NE(summary, std::string::npos) << changed.err;
    EXPECT_LT(rows, summary);
    EXPECT_NE(changed.err.find("landing 1 "), std::string::npos);
}

TEST(Sweep, OneRowPerValueAndEachRunStandsAlone) {
    ScratchDir scratch;
    const ToolResult wide =
        runTool(scratch, "--script " + jumpsScript() + " --sweep YSpeed.gravityFraction=48:80:8");
    ASSERT_EQ(wide.status, 0) << wide.err;
    std::istringstream in(wide.out);
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header,
              "YSpeed.gravityFraction,apexHeight,apexFrame,airFrames,distance,firstScroll,"
              "restarts,hits");
    std::vector<std::vector<long>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<long> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) {
            fields.push_back(std::stol(cell));
        }
        rows.push_back(fields);
    }
    ASSERT_EQ(rows.size(), 5u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], 48 + 8 * static_cast<long>(i));
        if (i > 0) {
            EXPECT_LT(rows[i][1], rows[i - 1][1]) << "more gravity, a lower apex";
            EXPECT_LE(rows[i][3], rows[i - 1][3]) << "more gravity, no longer in the air";
        }
    }
    // A run does not depend on the runs before it: 64 alone gives the same row.
    const ToolResult alone =
        runTool(scratch, "--script " + jumpsScript() + " --sweep YSpeed.gravityFraction=64:64:1");
    std::ostringstream expected;
    for (std::size_t c = 0; c < rows[2].size(); ++c) {
        expected << (c == 0 ? "" : ",") << rows[2][c];
    }
    EXPECT_EQ(alone.out.substr(alone.out.find('\n') + 1), expected.str() + "\n");
    // With the shipped value the apex is the golden trace's: 49.92 pixels (12780 / 256).
    EXPECT_EQ(rows[2][1], 12780);
}

// A sweep's run is neither drawn nor put in a state manager, yet measures exactly what a
// drawn replay of the same script measures: on every shipped script, and with no first
// ready phase (the one thing a draw decides is when that phase ends).
TEST(Sweep, UndrawnRunMeasuresWhatTheDrawnReplayMeasures) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(sourceDir() / "data");
    NullVideo video;
    ScopedVideo installed(&video);
    OverriddenCharacter noReady("voltbot2");
    noReady.write({{"Durations", "ready", "0"}});
    for (const auto& entry :
         std::filesystem::directory_iterator(sourceDir() / "tests/replay/scripts")) {
        const InputScript script = InputScript::parseFile(entry.path().string());
        for (const std::string& character : {script.character(), noReady.path()}) {
            SCOPED_TRACE(entry.path().filename().string() + " " + character);
            const int frames = script.frameCount() + 60;
            ReplaySession replay(script.level(), character);
            RunEvents events;
            events.observe(tracewriter::sample(0, replay.level()));
            InputScript::Cursor input(script);
            for (int frame = 1; frame <= frames; ++frame) {
                replay.advance(input.next());
                events.observe(tracewriter::sample(frame, replay.level()));
            }
            events.finish();
            const RunEvents::Measures drawn = events.measures();
            const RunEvents::Measures swept = measureRun(script.level(), character, script, frames);
            EXPECT_EQ(std::tie(swept.apexHeight, swept.apexFrame, swept.airFrames, swept.distance,
                               swept.firstScroll, swept.restarts, swept.hits),
                      std::tie(drawn.apexHeight, drawn.apexFrame, drawn.airFrames, drawn.distance,
                               drawn.firstScroll, drawn.restarts, drawn.hits));
        }
    }
    std::filesystem::current_path(previous);
}

TEST(CharacterOverride, ChangesOnlyTheValueTheGameReads) {
    struct Case {
        const char* name;
        const char* file;
        const char* change;
        const char* expected;
        bool added;
    };
    const Case cases[] = {
        {"first value of the key in its section", "[A]\nk = 1\nk = 2\n[B]\nk = 3\n", "A.k=9",
         "[A]\nk = 9\nk = 2\n[B]\nk = 3\n", false},
        {"the section named, not an earlier one", "[A]\nk = 1\n[B]\n  k=3\n", "B.k=9",
         "[A]\nk = 1\n[B]\nk = 9\n", false},
        {"comments are no keys", ";k = 1\n[A]\n; k = 2\nk=3\n", "A.k=9",
         ";k = 1\n[A]\n; k = 2\nk = 9\n", false},
        {"missing key joins its section", "[A]\nj = 1\n[B]\n", "A.k=9", "[A]\nk = 9\nj = 1\n[B]\n",
         true},
        {"missing section is appended", "[A]\nj = 1\n", "C.k=9", "[A]\nj = 1\n[C]\nk = 9\n", true},
        {"a section read again later", "[A]\nj = 1\n[B]\n[A]\nk = 1\n", "A.k=9",
         "[A]\nj = 1\n[B]\n[A]\nk = 9\n", false},
    };
    for (const Case& c : cases) {
        CharacterOverride change;
        std::string problem;
        ASSERT_TRUE(CharacterOverride::parse(c.change, change, problem)) << problem;
        std::vector<std::string> added;
        EXPECT_EQ(characteroverride::apply(c.file, {change}, added), c.expected) << c.name;
        EXPECT_EQ(added.size(), c.added ? 1u : 0u) << c.name;
    }
}
