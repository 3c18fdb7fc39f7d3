// The ghost of a second run, as the game draws it with --ghost: where it is drawn in each
// frame is where a replay of its character stands, seen through the real camera.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "engine/fixedpoint.h"
#include "engine/nullvideo.h"
#include "recordingvideo.h"
#include "replaysession.h"
#include "scratchdir.h"
#include "states/ghost.h"
#include "states/inputscript.h"
#include "states/level.h"
#include "tracewriter.h"

namespace {

// Runs in data/ while it lives, and puts the working directory back.
class InData {
  public:
    InData() : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(sourceDir() / "data");
    }
    ~InData() { std::filesystem::current_path(m_previous); }
    InData(const InData&) = delete;
    InData& operator=(const InData&) = delete;

  private:
    std::filesystem::path m_previous;
};

// A recording video service that knows the real sizes of the shipped pictures.
void useShippedSizes(RecordingVideo& video) {
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        if (entry.path().extension() == ".bmp") {
            int width = 0;
            int height = 0;
            NullVideo::readBmpSize(entry.path().string().c_str(), width, height);
            video.setImageSize(entry.path().filename().string(), width, height);
        }
    }
}

InputScript shippedScript(const std::string& name) {
    return InputScript::parseFile(
        (sourceDir() / "tests/replay/scripts" / (name + ".txt")).string());
}

// The rows of a plain replay of one character, frame 0 first (what kestrelix-replay prints).
std::vector<TraceRow> trace(const std::string& level, const std::string& character,
                            const InputScript& script) {
    NullVideo video;
    ScopedVideo installed(&video);
    ReplaySession session(level, character);
    std::vector<TraceRow> rows{tracewriter::sample(0, session.level())};
    InputScript::Cursor input(script);
    for (int frame = 1; frame <= script.frameCount(); ++frame) {
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

// Plays the script with a ghost and notes, per frame, where the ghost was drawn.
std::vector<Drawn> playWithGhost(const std::string& level, const std::string& character,
                                 const std::string& ghost, const InputScript& script) {
    RecordingVideo video;
    useShippedSizes(video);
    ScopedVideo installed(&video);
    std::vector<Drawn> frames;
    auto note = [&](ReplaySession& session) {
        Drawn drawn;
        const Rect* view = session.level().getCamera().getAngleOfView();
        drawn.viewX = view->x;
        drawn.viewY = view->y;
        int ghostCopies = 0;
        for (std::size_t i = 0; i < video.calls.size(); ++i) {
            const RecordingVideo::Call& call = video.calls[i];
            if (call.kind != RecordingVideo::Kind::kCopyToScreenWithAlpha) {
                continue;
            }
            ++ghostCopies;
            EXPECT_EQ(call.alpha, Ghost::kAlpha);
            drawn.ghost = true;
            drawn.ghostX = call.x;
            drawn.ghostY = call.y;
            drawn.ghostPicture = call.sourceRect;
        }
        EXPECT_LE(ghostCopies, 1) << "one sprite copy per frame";
        // The real player's sprite: the copy from the same sheets after the enemy's.
        for (const RecordingVideo::Call& call : video.calls) {
            if (call.kind == RecordingVideo::Kind::kCopyToScreen &&
                video.pathOf(call.source).rfind("voltbot_", 0) == 0) {
                drawn.player = true;
                drawn.playerX = call.x;
                drawn.playerY = call.y;
                drawn.playerPicture = call.sourceRect;
                break;
            }
        }
        frames.push_back(drawn);
        video.clearCalls();
    };
    ReplaySession session(level, character, ghost);
    note(session);
    InputScript::Cursor input(script);
    for (int frame = 1; frame <= script.frameCount(); ++frame) {
        session.advance(input.next());
        note(session);
    }
    return frames;
}

}  // namespace

TEST(Ghost, DrawnWhereAReplayOfItsCharacterStandsInEveryFrame) {
    InData inData;
    for (const char* name : {"sablex-voltbot1-route", "corvane-voltbot1-pit"}) {
        SCOPED_TRACE(name);
        const InputScript script = shippedScript(name);
        const std::string level = script.level();
        const std::vector<TraceRow> rows = trace(level, "voltbot2", script);
        const std::vector<Drawn> drawn = playWithGhost(level, "voltbot1", "voltbot2", script);
        ASSERT_EQ(rows.size(), drawn.size());

        const IniDictionary character("voltbot2");
        const int xOffset = character.getIntValue("xOffset", "Sprites", 0);
        const int yOffset = character.getIntValue("yOffset", "Sprites", 0);
        int shown = 0;
        for (std::size_t f = 0; f < rows.size(); ++f) {
            if (!drawn[f].ghost) {
                continue;
            }
            ++shown;
            // The real camera places it: map position minus the real view.
            ASSERT_EQ(drawn[f].ghostX, fixedpoint::pixel(rows[f].x) - drawn[f].viewX + xOffset)
                << "frame " << f;
            ASSERT_EQ(drawn[f].ghostY, fixedpoint::pixel(rows[f].y) - drawn[f].viewY + yOffset)
                << "frame " << f;
        }
        EXPECT_GT(shown, static_cast<int>(rows.size()) / 2);
    }
}

TEST(Ghost, SameCharacterLiesExactlyUnderThePlayer) {
    InData inData;
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
    InData inData;
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
