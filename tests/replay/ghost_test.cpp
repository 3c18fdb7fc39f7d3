// The ghost of a second run, as the game draws it with --ghost: where it is drawn in each
// frame is where a replay of its character stands, seen through the real camera.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "engine/fixedpoint.h"
#include "engine/nullvideo.h"
#include "recordingvideo.h"
#include "replaysession.h"
#include "scratchdir.h"
#include "states/datachecksum.h"
#include "states/gamestatemanager.h"
#include "states/ghost.h"
#include "states/inputscript.h"
#include "states/level.h"
#include "tracewriter.h"

namespace {

InputScript shippedScript(const std::string& name) {
    return InputScript::parseFile(
        (sourceDir() / "tests/replay/scripts" / (name + ".txt")).string());
}

// The rows of a plain replay of one character, frame 0 first (what kestrelix-replay prints).
// Past the script's end nothing is held; frames defaults to the script's length.
std::vector<TraceRow> trace(const std::string& level, const std::string& character,
                            const InputScript& script, int frames = -1) {
    NullVideo video;
    ScopedVideo installed(&video);
    ReplaySession session(level, character);
    std::vector<TraceRow> rows{tracewriter::sample(0, session.level())};
    InputScript::Cursor input(script);
    for (int frame = 1; frame <= (frames < 0 ? script.frameCount() : frames); ++frame) {
        session.advance(input.next());
        rows.push_back(tracewriter::sample(frame, session.level()));
    }
    return rows;
}

struct Drawn {
    bool ghost = false;
    int ghostX = 0;
    int ghostY = 0;
    int viewX = 0;
    int viewY = 0;
    // The real player's picture (the first opaque copy after the ghost's), for comparison.
    bool player = false;
    int playerX = 0;
    int playerY = 0;
    Rect ghostPicture;
    Rect playerPicture;
};

// Plays the script in the session `start` makes and notes, per frame, where the ghost was
// drawn; frames defaults to the script's length.
std::vector<Drawn> play(const std::function<std::unique_ptr<ReplaySession>()>& start,
                        const InputScript& script, int frames = -1) {
    RecordingVideo video;
    video.readPictureFiles();  // the shipped pictures' real sizes
    ScopedVideo installed(&video);
    std::vector<Drawn> drawn;
    auto note = [&](ReplaySession& session) {
        Drawn frame;
        const Rect* view = session.level().getCamera().getAngleOfView();
        frame.viewX = view->x;
        frame.viewY = view->y;
        int ghostCopies = 0;
        for (std::size_t i = 0; i < video.calls.size(); ++i) {
            const RecordingVideo::Call& call = video.calls[i];
            if (call.kind != RecordingVideo::Kind::kCopyToScreenWithAlpha) {
                continue;
            }
            ++ghostCopies;
            EXPECT_EQ(call.alpha, Ghost::kAlpha);
            frame.ghost = true;
            frame.ghostX = call.x;
            frame.ghostY = call.y;
            frame.ghostPicture = call.sourceRect;
        }
        EXPECT_LE(ghostCopies, 1) << "one sprite copy per frame";
        // The real player's sprite: the copy from the same sheets after the enemy's.
        for (const RecordingVideo::Call& call : video.calls) {
            if (call.kind == RecordingVideo::Kind::kCopyToScreen &&
                video.pathOf(call.source).rfind("voltbot_", 0) == 0) {
                frame.player = true;
                frame.playerX = call.x;
                frame.playerY = call.y;
                frame.playerPicture = call.sourceRect;
                break;
            }
        }
        drawn.push_back(frame);
        video.clearCalls();
    };
    const std::unique_ptr<ReplaySession> session = start();
    note(*session);
    InputScript::Cursor input(script);
    for (int frame = 1; frame <= (frames < 0 ? script.frameCount() : frames); ++frame) {
        session->advance(input.next());
        note(*session);
    }
    return drawn;
}

std::vector<Drawn> playWithGhost(const std::string& level, const std::string& character,
                                 const std::string& ghost, const InputScript& script) {
    return play([&] { return std::make_unique<ReplaySession>(level, character, ghost); }, script);
}

// Where a ghost of `character` is drawn in each shown frame is its trace row's position
// seen through the real view; returns how many frames showed it.
int expectDrawnAtTrace(const std::vector<Drawn>& drawn, const std::vector<TraceRow>& rows,
                       const std::string& character) {
    EXPECT_EQ(rows.size(), drawn.size());
    const IniDictionary file(character.c_str());
    const int xOffset = file.getIntValue("xOffset", "Sprites", 0);
    const int yOffset = file.getIntValue("yOffset", "Sprites", 0);
    int shown = 0;
    for (std::size_t f = 0; f < std::min(rows.size(), drawn.size()); ++f) {
        if (!drawn[f].ghost) {
            continue;
        }
        ++shown;
        // The real camera places it: map position minus the real view.
        EXPECT_EQ(drawn[f].ghostX, fixedpoint::pixel(rows[f].x) - drawn[f].viewX + xOffset)
            << "frame " << f;
        EXPECT_EQ(drawn[f].ghostY, fixedpoint::pixel(rows[f].y) - drawn[f].viewY + yOffset)
            << "frame " << f;
        if (drawn[f].ghostX != fixedpoint::pixel(rows[f].x) - drawn[f].viewX + xOffset) {
            break;
        }
    }
    return shown;
}

}  // namespace

TEST(Ghost, DrawnWhereAReplayOfItsCharacterStandsInEveryFrame) {
    InShippedData inData;
    for (const char* name : {"sablex-voltbot1-route", "corvane-voltbot1-pit"}) {
        SCOPED_TRACE(name);
        const InputScript script = shippedScript(name);
        const std::string level = script.level();
        const std::vector<TraceRow> rows = trace(level, "voltbot2", script);
        const std::vector<Drawn> drawn = playWithGhost(level, "voltbot1", "voltbot2", script);
        EXPECT_GT(expectDrawnAtTrace(drawn, rows, "voltbot2"), static_cast<int>(rows.size()) / 2);
    }
}

TEST(Ghost, SameCharacterLiesExactlyUnderThePlayer) {
    InShippedData inData;
    const InputScript script = shippedScript("sablex-voltbot1-enemy");
    const std::vector<Drawn> drawn = playWithGhost("Sablex", "voltbot1", "voltbot1", script);
    int compared = 0;
    for (std::size_t f = 0; f < drawn.size(); ++f) {
        // Same data, same input: drawn in the same frames (blinking included), same place,
        // same picture.
        ASSERT_EQ(drawn[f].ghost, drawn[f].player) << "frame " << f;
        if (drawn[f].ghost) {
            ++compared;
            ASSERT_EQ(drawn[f].ghostX, drawn[f].playerX) << "frame " << f;
            ASSERT_EQ(drawn[f].ghostY, drawn[f].playerY) << "frame " << f;
            ASSERT_EQ(drawn[f].ghostPicture.y, drawn[f].playerPicture.y) << "frame " << f;
        }
    }
    EXPECT_GT(compared, 1000);
}

TEST(Ghost, GoesWithItsLevelAndKeepsTheRealRunUnchanged) {
    InShippedData inData;
    const InputScript script = shippedScript("sablex-voltbot1-jumps");
    NullVideo video;
    ScopedVideo installed(&video);
    ReplaySession plain("Sablex", "voltbot1");
    ReplaySession ghosted("Sablex", "voltbot1", "voltbot2");
    InputScript::Cursor input(script);
    for (int frame = 1; frame <= script.frameCount(); ++frame) {
        const Controls controls = input.next();
        plain.advance(controls);
        ghosted.advance(controls);
        ASSERT_EQ(tracewriter::format(tracewriter::sample(frame, plain.level())),
                  tracewriter::format(tracewriter::sample(frame, ghosted.level())));
    }
    // A bad ghost file stops the level's start like bad level data does.
    EXPECT_THROW(ReplaySession("Sablex", "voltbot1", "nosuchcharacter"), LoadError);
}

// A ghost replaying a recorded run is drawn, in every frame, where a replay of that script
// stands, seen through the real camera, which follows another run of another character;
// after the script's end it goes on with nothing held. Other levels have no ghost.
TEST(GhostPlay, DrawnWhereAReplayOfTheRecordedRunStandsInEveryFrame) {
    InShippedData inData;
    for (const char* level : {"sablex", "corvane"}) {
        SCOPED_TRACE(level);
        const std::string name = std::string(level) + "-voltbot2-route";
        const InputScript recorded = shippedScript(name);
        const InputScript played = shippedScript(std::string(level) + "-voltbot1-jumps");
        const int frames = recorded.frameCount() + 120;
        const std::vector<TraceRow> rows =
            trace(recorded.level(), recorded.character(), recorded, frames);
        const std::vector<Drawn> drawn = play(
            [&] {
                return std::make_unique<ReplaySession>(
                    recorded.level(), "voltbot1", std::make_unique<const InputScript>(recorded),
                    name + ".txt");
            },
            played, frames);
        EXPECT_GT(expectDrawnAtTrace(drawn, rows, "voltbot2"), recorded.frameCount() / 2);
        // The real run went its own way: the camera alone does not explain the ghost.
        EXPECT_NE(drawn.back().ghostX, drawn.back().playerX);
    }
    NullVideo video;
    ScopedVideo installed(&video);
    const ReplaySession elsewhere(
        "Sablex", "voltbot1",
        std::make_unique<const InputScript>(shippedScript("corvane-voltbot2-route")), "route.txt");
    EXPECT_EQ(elsewhere.manager().getGhost(), nullptr);
}

// A recorded run is raced only on the data it was recorded on: anything else is refused
// with one line naming the script and what is wrong.
TEST(GhostPlay, RefusesAScriptThatDoesNotFitTheData) {
    InShippedData inData;
    const std::string good = datachecksum::compute("Corvane", "voltbot2");
    const struct {
        std::string header;
        std::string problem;
    } cases[] = {
        {"level Corvane\ncharacter voltbot2\nchecksum " + good + "\n", ""},
        {"level Corvane\ncharacter voltbot2\n", ""},
        {"", ""},
        {"level Nowhere\n", "run.txt: level Nowhere is not in levels.ini"},
        {"level Corvane\ncharacter nosuch\n", "run.txt: character nosuch: cannot be opened"},
        {"level Corvane\ncharacter voltbot2\nchecksum 0123456789abcdef\n",
         "run.txt: recorded against data with checksum 0123456789abcdef, the data here gives " +
             good},
        {"level Sablex\ncharacter voltbot2\nchecksum " + good + "\n",
         "run.txt: recorded against data with checksum " + good + ", the data here gives " +
             datachecksum::compute("Sablex", "voltbot2")},
    };
    for (const auto& c : cases) {
        std::istringstream text(c.header + "30 right\n");
        const InputScript script = InputScript::parse(text, "run.txt");
        try {
            Ghost::checkScript(script, "run.txt");
            EXPECT_EQ(c.problem, "") << c.header;
        } catch (const LoadError& error) {
            EXPECT_EQ(error.what(), c.problem) << c.header;
        }
    }
}
