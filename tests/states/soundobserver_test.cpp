#include "states/soundobserver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "allocationcounter.h"
#include "engine/nullvideo.h"
#include "replaysession.h"
#include "scratchdir.h"
#include "states/gamestatemanager.h"
#include "states/inputscript.h"
#include "states/stageselect.h"

// The observer against the real game: shipped levels played from the replay scripts,
// the menu driven by its input record, and an audio service that writes down each call.

namespace {

namespace fs = std::filesystem;

struct Call {
    int frame;
    std::string what;  // an effect's name, or "music <file>", "restart", "pause", "resume"
};

const char* effectName(SoundEffect effect) {
    static const char* const kNames[] = {"jump",         "land",    "shoot",  "hit",
                                         "teleport",     "restart", "scroll", "menu_move",
                                         "menu_confirm", "pause"};
    return kNames[static_cast<int>(effect)];
}

class RecordingAudio : public AudioService {
  public:
    void playEffect(SoundEffect effect) override {
        ++effectCount;
        note(effectName(effect));
    }
    void playMusic(const std::string& file) override { note("music " + file); }
    void restartMusic() override { note("music again"); }
    void pauseMusic(bool paused) override { note(paused ? "music paused" : "music on"); }
    void setMuted(bool) override {}

    // The names of the effects alone, in order.
    std::vector<std::string> effects() const {
        std::vector<std::string> names;
        for (const Call& call : calls) {
            if (call.what.rfind("music", 0) != 0) {
                names.push_back(call.what);
            }
        }
        return names;
    }
    int frameOf(const std::string& what, int nth = 0) const {
        for (const Call& call : calls) {
            if (call.what == what && nth-- == 0) {
                return call.frame;
            }
        }
        return -1;
    }

    void note(const std::string& what) {
        if (recording) {
            calls.push_back({frame, what});
        }
    }

    int frame = 0;
    bool recording = true;  // off: calls are only counted, which allocates nothing
    int effectCount = 0;
    std::vector<Call> calls;
};

// Works in a copy of the shipped data, so levels.ini can be given music.
class SoundObserverTest : public ::testing::Test {
  protected:
    SoundObserverTest() {
        for (const auto& entry : fs::directory_iterator(sourceDir() / "data")) {
            if (entry.path().extension() != ".wav") {
                fs::copy_file(entry.path(), scratch.path() / entry.path().filename());
            }
        }
    }

    // Plays a replay script's spans frame by frame with the observer after each frame;
    // `pausedAt` frames before update `stepFrom` the game is paused and then Tab-stepped.
    void play(const std::string& script, int stepFrom = 0, int steps = 0) {
        const InputScript input =
            InputScript::parseFile((sourceDir() / "tests/replay/scripts" / script).string());
        ReplaySession session(input.level(), input.character());
        SoundObserver observer(audio);
        observer.afterFrame(session.manager(), false, false);
        for (const Controls& controls : input.toControls(input.frameCount())) {
            audio.frame = session.frame() + 1;
            if (audio.frame >= stepFrom && audio.frame < stepFrom + steps) {
                // Paused frames draw without updating; then one Tab step runs this update.
                for (int i = 0; i < 3; ++i) {
                    session.level().draw();
                    observer.afterFrame(session.manager(), false, true);
                }
                session.advance(controls);
                observer.afterFrame(session.manager(), true, true);
            } else {
                session.advance(controls);
                observer.afterFrame(session.manager(), true, false);
            }
        }
    }

    ScratchDir scratch;
    NullVideo video;
    const ScopedVideo installed{&video};
    RecordingAudio audio;
};

using Effects = std::vector<std::string>;

}  // namespace

TEST_F(SoundObserverTest, ScriptedRunsPlayTheirEventsInOrder) {
    struct Case {
        const char* script;
        Effects effects;
    };
    const Case cases[] = {
        // Arrival, a full jump onto the ledge, a tapped jump, a shot, a jump released early.
        {"sablex-voltbot1-jumps.txt",
         {"teleport", "jump", "land", "jump", "land", "shoot", "jump", "land"}},
        // Onto the low ledge, down off it, on into the pit: the restart, the new arrival.
        {"sablex-voltbot1-pit.txt", {"teleport", "jump", "land", "land", "restart", "teleport"}},
        // The long jump, the fall through the hole (a scroll while falling, then the
        // landing), down the ladder and back up it: three scrolls.
        {"sablex-voltbot2-route.txt",
         {"teleport", "jump", "land", "land", "jump", "land", "jump", "land", "land", "jump",
          "land", "land", "scroll", "land", "scroll", "scroll"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        audio.calls.clear();
        play(c.script);
        std::string log;
        for (const Call& call : audio.calls) {
            log += std::to_string(call.frame) + " " + call.what + "\n";
        }
        EXPECT_EQ(audio.effects(), c.effects) << log;
    }
}

TEST_F(SoundObserverTest, EffectsComeInTheFrameOfTheirEvent) {
    play("sablex-voltbot1-jumps.txt");
    // 145 frames of arrival and 25 of running: jump is pressed in update 171, and without
    // the "noJumpDelay" option it lifts off at the end of that same update.
    EXPECT_EQ(audio.frameOf("jump"), 171);
    // The shot is pressed in update 145 + 25 + 1 + 35 + 15 + 1 + 30 + 1.
    EXPECT_EQ(audio.frameOf("shoot"), 253);
}

TEST_F(SoundObserverTest, EnemyHitsAndEveryScrollDownTheLevelAreHeard) {
    play("sablex-voltbot1-enemy.txt");
    const Effects effects = audio.effects();
    // Eight screen rows down to the enemy; two hits (a contact while invincible is none).
    EXPECT_EQ(std::count(effects.begin(), effects.end(), "scroll"), 8);
    EXPECT_EQ(std::count(effects.begin(), effects.end(), "hit"), 2);
}

TEST_F(SoundObserverTest, ObservingAFrameAllocatesNothing) {
    const InputScript input = InputScript::parseFile(
        (sourceDir() / "tests/replay/scripts/sablex-voltbot1-enemy.txt").string());
    const std::vector<Controls> controls = input.toControls(input.frameCount());
    ReplaySession session(input.level(), input.character());
    SoundObserver observer(audio);
    observer.afterFrame(session.manager(), false, false);  // the new state: may load
    audio.recording = false;
    long long allocations = 0;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        session.advance(controls[i]);
        const long long before = allocationCount();
        // Pause and resume now and then, so the music switches are observed too.
        observer.afterFrame(session.manager(), i % 500 != 499, i % 500 == 499);
        allocations += allocationCount() - before;
    }
    EXPECT_GT(audio.effectCount, 40);  // scrolls, jumps, landings, hits, pauses
    EXPECT_EQ(allocations, 0);
}

TEST_F(SoundObserverTest, FrameSteppingPlaysTheSameEffectsAtTheSameUpdates) {
    play("sablex-voltbot1-jumps.txt");
    const std::vector<Call> straight = audio.calls;
    audio.calls.clear();
    // Paused from update 165 on, then stepped with Tab through the jump, the landing on
    // the ledge and beyond (update 165 to 214).
    play("sablex-voltbot1-jumps.txt", 165, 50);

    std::vector<Call> stepped;
    int pauses = 0;
    for (const Call& call : audio.calls) {
        if (call.what == "pause") {
            ++pauses;
        } else if (call.what.rfind("music", 0) != 0) {
            stepped.push_back(call);
        }
    }
    std::vector<Call> expected;
    for (const Call& call : straight) {
        if (call.what.rfind("music", 0) != 0) {
            expected.push_back(call);
        }
    }
    ASSERT_EQ(stepped.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(stepped[i].what, expected[i].what);
        EXPECT_EQ(stepped[i].frame, expected[i].frame) << expected[i].what;
    }
    // Paused once, resumed once: the steps in between are not new pauses.
    EXPECT_EQ(pauses, 2);
    EXPECT_EQ(audio.frameOf("music paused"), 165);
    EXPECT_EQ(audio.frameOf("music on"), 215);
}

TEST_F(SoundObserverTest, QuietFramesAreWatchedButNotHeard) {
    const InputScript input = InputScript::parseFile(
        (sourceDir() / "tests/replay/scripts/sablex-voltbot1-jumps.txt").string());
    ReplaySession session(input.level(), input.character());
    SoundObserver observer(audio);
    observer.afterFrame(session.manager(), false, false);
    const std::vector<Controls> controls = input.toControls(input.frameCount());
    // Quiet through the jump's lift-off (171) and up to just before its landing (203):
    // neither is replayed late when the quiet ends.
    for (std::size_t i = 0; i < controls.size(); ++i) {
        audio.frame = static_cast<int>(i) + 1;
        observer.setQuiet(audio.frame >= 150 && audio.frame < 203);
        session.advance(controls[i]);
        observer.afterFrame(session.manager(), true, false);
    }
    const Effects effects = audio.effects();
    EXPECT_EQ(effects.front(), "teleport");
    EXPECT_EQ(effects[1], "land");
    EXPECT_EQ(audio.frameOf("land"), 203);
    EXPECT_EQ(std::count(effects.begin(), effects.end(), "jump"), 2);
}

TEST_F(SoundObserverTest, LevelsPlayTheirOwnTuneFromTheReadyPhase) {
    // The shipped Sablex has a tune; the restart after the pit plays it from the start.
    play("sablex-voltbot1-pit.txt");
    EXPECT_EQ(audio.calls.front().what, "music sablex.wav");
    const int restart = audio.frameOf("restart");
    ASSERT_GT(restart, 0);
    EXPECT_EQ(audio.frameOf("music again"), restart);

    // A level without the key (as in a data folder from before there was sound) stops
    // the music and plays none.
    std::string levels;
    {
        std::ifstream in("levels.ini");
        std::ostringstream text;
        text << in.rdbuf();
        levels = text.str();
    }
    levels.erase(levels.find("music = corvane.wav"), std::string("music = corvane.wav").size());
    scratch.write("levels.ini", levels);
    audio.calls.clear();
    play("corvane-voltbot1-jumps.txt");
    EXPECT_EQ(audio.calls.front().what, "music ");
}

TEST_F(SoundObserverTest, MenuMovesAndConfirmsOnceEach) {
    // The shipped menu: two levels, two characters, and its own tune.
    GameStateManager manager;
    SoundObserver observer(audio);
    observer.afterFrame(manager, false, false);
    ASSERT_EQ(audio.calls.size(), 1u);
    EXPECT_EQ(audio.calls[0].what, "music menu.wav");

    struct Step {
        Controls::Key key;
        bool down;
        const char* heard;  // nullptr: nothing
    };
    const Step steps[] = {
        {Controls::Key::kDown, true, "menu_move"},
        {Controls::Key::kDown, true, nullptr},  // held: the cursor does not move again
        {Controls::Key::kDown, false, nullptr},
        {Controls::Key::kDown, true, nullptr},  // at the last level: no move, no sound
        {Controls::Key::kDown, false, nullptr},
        {Controls::Key::kShoot, true, "menu_move"},  // to the character column
        {Controls::Key::kShoot, false, nullptr},
        {Controls::Key::kUp, true, nullptr},  // already at the top
        {Controls::Key::kUp, false, nullptr},
        {Controls::Key::kShoot, true, "menu_confirm"},
    };
    Controls controls;
    int frame = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(frame);
        audio.calls.clear();
        controls.beginFrame();
        if (step.down) {
            controls.press(step.key);
        } else {
            controls.release(step.key);
        }
        manager.update(controls);
        manager.draw();
        observer.afterFrame(manager, true, false);
        ++frame;
        if (step.heard == nullptr) {
            EXPECT_TRUE(audio.calls.empty()) << audio.calls.front().what;
        } else {
            ASSERT_EQ(audio.calls.size(), 1u);
            EXPECT_EQ(audio.calls[0].what, step.heard);
        }
    }
    // The switch to the level: its tune replaces the menu's, and no effect plays.
    audio.calls.clear();
    controls.beginFrame();
    manager.update(controls);
    manager.draw();
    observer.afterFrame(manager, true, false);
    ASSERT_EQ(audio.calls.size(), 1u);
    EXPECT_EQ(audio.calls[0].what, "music corvane.wav");
}
