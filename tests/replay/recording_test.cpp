// The proof that a recording replays exactly: the real engine, state manager, time
// machine, workbench and main loop run headless on a fake clock, fed seeded random key
// events through SDL's event queue (rewinds, savestates and restores among them); the
// recording they write is replayed with the replay tool's own code, and its trace must
// equal the trace of the live run as it stands at the end (after every cut back), column
// for column, update for update.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "config/loaderror.h"
#include "engine/framepacer.h"
#include "engine/gameengine.h"
#include "engine/mainloop.h"
#include "engine/nullvideo.h"
#include "engine/timemachinekeys.h"
#include "replaysession.h"
#include "scratchdir.h"
#include "sdlkeys.h"
#include "states/gamestatemanager.h"
#include "states/inputscript.h"
#include "states/level.h"
#include "states/savestatefile.h"
#include "states/timemachine.h"
#include "states/workbench.h"
#include "tracewriter.h"

namespace {

using Id = GameStateManager::InitMessageId;

// How many streams a shard plays: KESTRELIX_RECORDING_STREAMS over all shards, by default
// 2,000 (200 in the sanitizer build, set by CMake).
constexpr int kShards = 8;

int streamsPerShard() {
    const char* text = std::getenv("KESTRELIX_RECORDING_STREAMS");
    const int total = text != nullptr ? std::atoi(text) : KESTRELIX_RECORDING_STREAMS;
    return std::max(1, (total + kShards - 1) / kShards);
}

// Which base run a stream perturbs: the golden scripts reach a pit (a restart with its
// new ready phase) and the screen transitions of the routes. On a route only the timing
// is disturbed (pauses, steps, fast-forward, taps of the shoot key), so that it still
// reaches its first transition.
struct Base {
    const char* script;
    int updates;
    bool timingOnly;
};
constexpr Base kBases[] = {
    {"sablex-voltbot1-pit", 420, false},   {"sablex-voltbot2-pit", 420, false},
    {"corvane-voltbot1-pit", 400, false},  {"corvane-voltbot2-pit", 400, false},
    {"sablex-voltbot1-route", 640, true},  {"corvane-voltbot2-route", 660, true},
    {"sablex-voltbot1-jumps", 300, false}, {"sablex-voltbot2-route", 600, true},
};

enum class Start { kFirstFrame, kAfterReady, kFromMenu };

constexpr SDL_Keycode kGameKeys[] = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN, SDLK_SPACE, SDLK_b};

// What was seen in a stream, so the shard can show that its cases were met.
struct Coverage {
    int restarts = 0;
    int scrolls = 0;
    int pausedFrames = 0;
    int steps = 0;
    int fastFrames = 0;
    int heldAtStart = 0;
    int taps = 0;
    int bothArrows = 0;
    int saves = 0;
    int restores = 0;
    int rewoundFrames = 0;
    int stepsBack = 0;
    int endedRewinding = 0;
};

// Forwards to the time machine and takes a trace row after each update and its draw: the
// row of the update the level stands at. Each step of a held rewind drops a row; the cuts
// (TraceKeeper) drop the rows past them, as they cut the recording. Rows of updates a run
// started past (--from-slot) stay empty.
struct TracingManager {
    TimeMachine& machine;
    GameStateManager& manager;
    std::vector<std::string> rows;
    int levelSwitches = 0;
    bool updated = false;

    void update(Controls controls) {
        machine.update(controls);
        updated = !controls.menuPressed;
    }
    bool isQuitRequested() const { return machine.isQuitRequested(); }
    void draw() {
        machine.draw();
        const bool wasUpdated = updated;
        updated = false;
        auto* level = dynamic_cast<Level*>(manager.getCurrentState());
        if (level == nullptr || machine.history().empty()) {
            return;
        }
        if (manager.getStateSwitches() != levelSwitches) {
            levelSwitches = manager.getStateSwitches();
            rows.clear();
        }
        const auto at = static_cast<std::size_t>(machine.history().newest().update);
        if (rows.size() > at + 1) {
            rows.resize(at + 1);
        }
        if (wasUpdated && rows.size() <= at) {
            rows.resize(at);
            rows.push_back(tracewriter::format(tracewriter::sample(static_cast<int>(at), *level)));
        }
    }
};

// Stands between the time machine and the workbench: a restore brings back the trace of
// the run up to the slot, as it was at the save.
struct TraceKeeper : TimeMachine::Observer {
    Workbench& bench;
    TracingManager& tracing;
    std::array<std::vector<std::string>, TimeMachine::kSlotCount> saved{};

    TraceKeeper(Workbench& workbench, TracingManager& tracingManager)
        : bench(workbench), tracing(tracingManager) {}
    void onTimelineCut(int update) override {
        auto& rows = tracing.rows;
        rows.resize(std::min(rows.size(), static_cast<std::size_t>(update) + 1));
        bench.onTimelineCut(update);
    }
    void onReloaded(const Controls& live) override { bench.onReloaded(live); }
    void onSlotSaved(int slot, const Savestate& moment) override {
        auto& rows = saved[static_cast<std::size_t>(slot)];
        rows = tracing.rows;
        rows.resize(std::min(rows.size(), static_cast<std::size_t>(moment.update) + 1));
        bench.onSlotSaved(slot, moment);
    }
    void onSlotRestoring(int slot) override {
        tracing.rows = saved[static_cast<std::size_t>(slot)];
        bench.onSlotRestoring(slot);
    }
};

// The player at the keyboard: follows the base script's held keys by update, and now and
// then does something else: taps a key inside one frame, holds a key of its own, presses
// the other arrow too, sends a key repeat, pauses (pressing keys while paused, stepping
// with Tab), fast-forwards and toggles slow motion.
class RandomPlayer {
  public:
    RandomPlayer(std::uint32_t seed, const InputScript& base, bool timingOnly, Start start,
                 bool timeTravel, Coverage& coverage)
        : m_random(seed),
          m_base(base),
          m_timingOnly(timingOnly),
          m_timeTravel(timeTravel),
          m_start(start),
          m_coverage(coverage) {}

    // Events before the first frame: keys already held when the level starts.
    void beforeStart() {
        if (m_start == Start::kFromMenu) {
            return;
        }
        if (m_start == Start::kFirstFrame && chance(0.6)) {
            for (int i = 0, n = pick(1, 3); i < n; ++i) {
                press(kGameKeys[pick(0, 5)]);
            }
            ++m_coverage.heldAtStart;
        }
    }

    // Events for the frame about to begin, after `updates` level updates.
    void nextFrame(int frame, int updates, bool paused, bool menu) {
        if (menu) {
            // b to the character column, b again (held into the level) to confirm.
            if (frame == 1 || frame == 3) {
                press(SDLK_b);
            } else if (frame == 2) {
                release(SDLK_b);
            }
            if (frame == 3) {
                ++m_coverage.heldAtStart;
            }
            return;
        }
        const bool quiet = m_start == Start::kAfterReady && updates < 145;
        if (m_rewindLeft > 0 && --m_rewindLeft == 0) {
            pushKey(SDL_KEYUP, SDLK_BACKSPACE);
        }
        if (paused) {
            ++m_coverage.pausedFrames;
            if (m_timeTravel && m_rewindLeft == 0 && chance(0.1)) {
                pushKey(SDL_KEYDOWN, SDLK_BACKSPACE);
                pushKey(SDL_KEYUP, SDLK_BACKSPACE);
                ++m_coverage.stepsBack;
            }
            if (chance(0.3)) {
                pushKey(SDL_KEYDOWN, SDLK_TAB);
                ++m_coverage.steps;
            } else if (chance(0.1)) {
                pushKey(SDL_KEYDOWN, SDLK_RETURN);
            }
            if (chance(0.15)) {
                toggle(m_timingOnly ? SDLK_b : kGameKeys[pick(0, 5)]);
            }
            return;
        }
        followBase(updates);
        if (!quiet) {
            perturb();
        }
    }

    void end() {
        for (SDL_Keycode key : m_down) {
            pushKey(SDL_KEYUP, key);
        }
        // Now and then the game ends while the rewind key is still held: the recording
        // then ends where the rewind stands.
        if (m_rewindLeft == 0 && m_timeTravel && chance(0.2)) {
            pushKey(SDL_KEYDOWN, SDLK_BACKSPACE);
            m_rewindLeft = 1;
        }
        if (m_rewindLeft > 0) {
            if (chance(0.5)) {
                pushKey(SDL_KEYUP, SDLK_BACKSPACE);
            } else {
                ++m_coverage.endedRewinding;
            }
        }
        if (m_fast) {
            pushKey(SDL_KEYUP, SDLK_F6);
        }
    }

  private:
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    bool isDown(SDL_Keycode key) const {
        return std::find(m_down.begin(), m_down.end(), key) != m_down.end();
    }
    void press(SDL_Keycode key) {
        pushKey(SDL_KEYDOWN, key);
        if (!isDown(key)) {
            m_down.push_back(key);
        }
    }
    void release(SDL_Keycode key) {
        pushKey(SDL_KEYUP, key);
        m_down.erase(std::remove(m_down.begin(), m_down.end(), key), m_down.end());
    }
    void toggle(SDL_Keycode key) { isDown(key) ? release(key) : press(key); }

    void followBase(int updates) {
        // The base's keys for the next update, by update count (paused frames do not
        // move it on); a key of the player's own stays down until the base changes it.
        while (m_baseUpdates <= updates && m_baseUpdates < m_baseLength) {
            m_baseKeys = m_baseCursor.next();
            ++m_baseUpdates;
        }
        const bool held[] = {m_baseKeys.leftHeld, m_baseKeys.rightHeld, m_baseKeys.upHeld,
                             m_baseKeys.downHeld, m_baseKeys.jumpHeld,  m_baseKeys.shootHeld};
        for (int i = 0; i < 6; ++i) {
            if (held[i] != m_baseHeld[i]) {
                m_baseHeld[i] = held[i];
                held[i] ? press(kGameKeys[i]) : release(kGameKeys[i]);
            }
        }
    }

    void perturb() {
        if (chance(0.03)) {
            const SDL_Keycode key = m_timingOnly ? SDLK_b : kGameKeys[pick(0, 5)];
            pushKey(SDL_KEYDOWN, key);
            pushKey(SDL_KEYUP, key);
            if (isDown(key)) {
                pushKey(SDL_KEYDOWN, key);  // let go and pressed again in one frame
            }
            ++m_coverage.taps;
        }
        if (chance(0.02)) {
            toggle(m_timingOnly ? SDLK_b : kGameKeys[pick(0, 5)]);
        }
        if (chance(0.02) && !m_timingOnly) {
            const bool horizontal = chance(0.5);
            press(horizontal ? SDLK_LEFT : SDLK_UP);
            press(horizontal ? SDLK_RIGHT : SDLK_DOWN);
            ++m_coverage.bothArrows;
        }
        if (chance(0.01) && !m_down.empty()) {
            pushKey(SDL_KEYDOWN, m_down.front(), 1);  // the system's repeat: ignored
        }
        if (chance(0.008)) {
            pushKey(SDL_KEYDOWN, SDLK_RETURN);
        }
        if (chance(0.01)) {
            m_fast = !m_fast;
            pushKey(m_fast ? SDL_KEYDOWN : SDL_KEYUP, SDLK_F6);
        }
        if (chance(0.005)) {
            pushKey(SDL_KEYDOWN, SDLK_F7);
        }
        if (m_timeTravel) {
            travel();
        }
    }

    // Rewinds held for a while, saves to a slot and restores of one, with keys changing
    // meanwhile as a player's do.
    void travel() {
        if (m_rewindLeft > 0) {
            ++m_coverage.rewoundFrames;
        } else if (chance(0.006)) {
            pushKey(SDL_KEYDOWN, SDLK_BACKSPACE);
            m_rewindLeft = pick(1, 90);
        }
        const int slot = pick(0, TimeMachine::kSlotCount - 1);
        if (chance(0.006)) {
            pushKey(SDL_KEYDOWN, SDLK_F1 + slot);
            pushKey(SDL_KEYUP, SDLK_F1 + slot);
            ++m_coverage.saves;
        } else if (chance(0.004)) {
            pushKey(SDL_KEYDOWN, SDLK_F1 + slot, 0, KMOD_LSHIFT);
            pushKey(SDL_KEYUP, SDLK_F1 + slot, 0, KMOD_LSHIFT);
            ++m_coverage.restores;
        }
    }

    std::mt19937 m_random;
    const InputScript& m_base;
    bool m_timingOnly;
    bool m_timeTravel;
    int m_rewindLeft = 0;
    InputScript::Cursor m_baseCursor{m_base};
    int m_baseLength = m_base.frameCount();
    int m_baseUpdates = 0;
    Controls m_baseKeys;
    bool m_baseHeld[6] = {};
    Start m_start;
    Coverage& m_coverage;
    std::vector<SDL_Keycode> m_down;
    bool m_fast = false;
};

// One run of the game as main() runs it, on the fake clock: the engine at multiplier 1,
// the manager, the workbench and the main loop. Before each frame onFrame(frame, updates)
// may push events and returns false to end the run (a quit arrives in that frame).
struct GameRun {
    std::vector<std::string> trace;
    std::vector<std::uint32_t> picture;
    bool pausedAtEnd = false;
    std::string recording;
    int unwritable = 0;
    std::string title;
};

struct RunSetup {
    Workbench::Options options;
    const InputScript* level = nullptr;  // start straight in this script's level
    std::function<void()> beforeStart = [] {};
    std::function<bool(int frame, int updates, GameEngine&, GameStateManager&)> onFrame;
    // Looks at the tools after each presented frame.
    std::function<void(const Workbench&, const TimeMachine&)> inspect = [](const Workbench&,
                                                                           const TimeMachine&) {};
};

GameRun runGame(const RunSetup& setup) {
    GameEngine engine(1);
    const ScopedVideo installed(&engine);
    GameRun run;
    {
        GameStateManager manager;
        TimeMachine machine(manager);
        TimeMachineKeys keys(machine, engine);
        engine.setKeyHandler(&keys);
        Workbench bench(manager, setup.options);
        engine.setToolKeyListener(&bench);
        bench.setTimeMachine(&machine);
        if (setup.level != nullptr) {
            manager.setInitMessage(Id::kLevel, setup.level->level().c_str());
            manager.setInitMessage(Id::kVoltbot, setup.level->character().c_str());
            manager.setNextState();
        }
        TracingManager tracing{machine, manager, {}, 0, false};
        TraceKeeper keeper(bench, tracing);
        machine.setObserver(&keeper);

        // The fake clock: a frame's pacing wait jumps straight to its deadline, and that is
        // when the keys of the next frame arrive.
        std::uint32_t now = 0;
        int frame = 0;
        bool ended = false;
        FramePacer* pacerPointer = nullptr;
        FramePacer pacer([&now] { return now; },
                         [&](std::uint32_t) {
                             now = pacerPointer->next();
                             if (ended) {
                                 return;
                             }
                             setup.inspect(bench, machine);
                             ++frame;
                             const int updates =
                                 std::max(static_cast<int>(tracing.rows.size()) - 1, 0);
                             if (!setup.onFrame(frame, updates, engine, manager) || frame > 20000) {
                                 ended = true;
                                 pushKey(SDL_QUIT, SDLK_UNKNOWN);
                             }
                         });
        pacerPointer = &pacer;
        pacer.start();
        setup.beforeStart();
        EXPECT_EQ(runMainLoop(engine, tracing, pacer, bench, NothingAfterFrame{}), 0);
        engine.setToolKeyListener(nullptr);
        engine.setKeyHandler(nullptr);
        run.title = engine.getTitle();

        run.trace = std::move(tracing.rows);
        run.pausedAtEnd = engine.isPaused();
        run.picture.resize(256 * 240);
        SDL_RenderReadPixels(engine.renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888,
                             run.picture.data(), 256 * 4);
        run.recording = bench.recorder().path();
        bench.stopRecording();
        machine.setObserver(nullptr);
        run.unwritable = bench.recorder().unwritable();
    }
    return run;
}

InputScript baseScript(const std::string& name) {
    return InputScript::parseFile(sourceDir().string() + "/tests/replay/scripts/" + name + ".txt");
}

GameRun playLive(std::uint32_t seed, const Base& base, Start start,
                 const std::filesystem::path& folder, Coverage& coverage, bool timeTravel = false) {
    const InputScript script = baseScript(base.script);
    RandomPlayer player(seed, script, base.timingOnly, start, timeTravel, coverage);
    RunSetup setup;
    setup.options.recordPath = folder / "live.txt";
    setup.options.startFolder = folder;
    setup.level = start == Start::kFromMenu ? nullptr : &script;
    setup.beforeStart = [&] { player.beforeStart(); };
    setup.onFrame = [&](int frame, int updates, GameEngine& engine, GameStateManager& manager) {
        if (updates >= base.updates) {
            player.end();
            return false;
        }
        const bool menu = dynamic_cast<Level*>(manager.getCurrentState()) == nullptr;
        player.nextFrame(frame, updates, engine.isPaused(), menu);
        return true;
    };
    // Outside a held rewind the recording holds exactly the updates the level stands at;
    // during one, the updates it steps back are not recorded (the cut follows at its end).
    setup.inspect = [](const Workbench& bench, const TimeMachine& machine) {
        auto& recorder = const_cast<Workbench&>(bench).recorder();
        if (recorder.isRecording() && machine.level() != nullptr) {
            const int at = machine.history().newest().update;
            if (machine.isRewinding()) {
                ASSERT_GE(recorder.updates(), at);
            } else {
                ASSERT_EQ(recorder.updates(), at);
            }
        }
    };
    GameRun run = runGame(setup);

    // Coverage from the live trace: a ready phase after play is a restart.
    bool played = false;
    for (const std::string& row : run.trace) {
        const bool ready = row.find(",ready,") != std::string::npos;
        coverage.restarts += played && ready ? 1 : 0;
        played = !ready;
        coverage.scrolls += row.find(",scrolling,") != std::string::npos ? 1 : 0;
    }
    return run;
}

std::vector<std::string> replayRecording(const std::string& path) {
    const InputScript script = InputScript::parseFile(path);
    NullVideo video;
    ScopedVideo installed(&video);
    ReplaySession session(script.level(), script.character());
    std::vector<std::string> rows;
    rows.push_back(tracewriter::format(tracewriter::sample(0, session.level())));
    InputScript::Cursor input(script);
    for (int frame = 1; frame <= script.frameCount(); ++frame) {
        session.advance(input.next());
        rows.push_back(tracewriter::format(tracewriter::sample(session.frame(), session.level())));
    }
    return rows;
}

class RecordingReplaysExactly : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(RecordingReplaysExactly, RandomStreamsOnTheShippedLevels) {
    const int shard = GetParam();
    const ScratchDir scratch;
    const std::filesystem::path folder = scratch.path();
    const InShippedData data;
    Coverage coverage;
    const int streams = streamsPerShard();
    for (int stream = 0; stream < streams; ++stream) {
        const auto seed = static_cast<std::uint32_t>(shard * 100003 + stream);
        const Base& base = kBases[static_cast<std::size_t>(stream + shard) % std::size(kBases)];
        const Start start = stream % 3 == 0                   ? Start::kFirstFrame
                            : stream % 3 == 1                 ? Start::kAfterReady
                            : base.script == kBases[0].script ? Start::kFromMenu
                                                              : Start::kFirstFrame;
        // Three streams in four also travel in time.
        const GameRun live = playLive(seed, base, start, folder, coverage, stream % 4 != 0);
        ASSERT_FALSE(live.recording.empty()) << "seed " << seed;
        ASSERT_EQ(live.unwritable, 0) << "seed " << seed;
        const std::vector<std::string> replayed = replayRecording(live.recording);
        ASSERT_EQ(replayed.size(), live.trace.size()) << "seed " << seed << ", " << base.script;
        for (std::size_t i = 0; i < replayed.size(); ++i) {
            ASSERT_EQ(replayed[i], live.trace[i])
                << "seed " << seed << ", " << base.script << ", update " << i << ", recording "
                << live.recording;
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            std::filesystem::remove(entry.path());
        }
    }
    // The cases the streams are meant to cover did occur.
    std::cout << "restarts " << coverage.restarts << ", scroll frames " << coverage.scrolls
              << ", paused frames " << coverage.pausedFrames << ", steps " << coverage.steps
              << ", taps " << coverage.taps << ", both arrows " << coverage.bothArrows
              << ", held at start " << coverage.heldAtStart << ", saves " << coverage.saves
              << ", restores " << coverage.restores << ", rewound frames " << coverage.rewoundFrames
              << ", steps back " << coverage.stepsBack << ", ended rewinding "
              << coverage.endedRewinding << '\n';
    if (streams >= 20) {
        EXPECT_GT(coverage.restarts, 0);
        EXPECT_GT(coverage.scrolls, 0);
        EXPECT_GT(coverage.steps, 0);
        EXPECT_GT(coverage.taps, 0);
        EXPECT_GT(coverage.bothArrows, 0);
        EXPECT_GT(coverage.heldAtStart, 0);
        EXPECT_GT(coverage.saves, 0);
        EXPECT_GT(coverage.restores, 0);
        EXPECT_GT(coverage.rewoundFrames, 0);
        EXPECT_GT(coverage.stepsBack, 0);
    }
    if (streams >= 100) {
        EXPECT_GT(coverage.endedRewinding, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, RecordingReplaysExactly, ::testing::Range(0, kShards));

// A watched recording plays the updates of the run it was recorded from, fast-forwarded or
// not: the same trace, and once it has ended and paused on its last frame (which resuming
// does not leave), the same picture.
TEST(WatchingARecording, PlaysTheLiveRunAndPausesOnItsLastFrame) {
    const ScratchDir scratch;
    const InShippedData data;
    Coverage coverage;
    const GameRun live = playLive(7, kBases[0], Start::kFirstFrame, scratch.path(), coverage);

    RunSetup watch;
    watch.options.playPath = live.recording;
    watch.options.startFolder = scratch.path();
    int pausedFrames = 0;
    watch.onFrame = [&](int frame, int updates, GameEngine& engine, GameStateManager&) {
        if (frame == 40 || frame == 90) {
            pushKey(frame == 40 ? SDL_KEYDOWN : SDL_KEYUP, SDLK_F6);
        }
        if (static_cast<std::size_t>(updates) + 1 == live.trace.size() && engine.isPaused()) {
            ++pausedFrames;
            if (pausedFrames == 3) {
                pushKey(SDL_KEYDOWN, SDLK_RETURN);
            }
            return pausedFrames < 8;
        }
        return true;
    };
    const GameRun watched = runGame(watch);
    EXPECT_EQ(watched.trace, live.trace);
    EXPECT_TRUE(watched.pausedAtEnd);
    EXPECT_EQ(watched.picture, live.picture);
    EXPECT_NE(std::count(live.picture.begin(), live.picture.end(), live.picture.front()),
              static_cast<std::ptrdiff_t>(live.picture.size()));
    EXPECT_TRUE(watched.recording.empty());
}

// F9 while watching hands the run to the keyboard at that update; the new recording holds
// the script's updates and then the keyboard's, and replays the whole run exactly, with a
// key already held on the keyboard when it takes over.
TEST(WatchingARecording, TakingOverRecordsTheScriptThenTheKeyboard) {
    const ScratchDir scratch;
    const InShippedData data;
    Coverage coverage;
    const GameRun live = playLive(11, kBases[1], Start::kFirstFrame, scratch.path(), coverage);
    constexpr int kTakeOver = 200;

    RunSetup watch;
    watch.options.playPath = live.recording;
    watch.options.recordPath = scratch.path() / "taken.txt";
    watch.options.startFolder = scratch.path();
    int takenAt = 0;
    watch.onFrame = [&](int frame, int updates, GameEngine&, GameStateManager&) {
        if (frame == 150) {
            pushKey(SDL_KEYDOWN, SDLK_LEFT);  // ignored while watching, held at take-over
        }
        if (takenAt == 0 && updates == kTakeOver) {
            pushKey(SDL_KEYDOWN, SDLK_F9);
            pushKey(SDL_KEYUP, SDLK_F9);
            takenAt = frame;
        } else if (takenAt > 0) {
            const int since = frame - takenAt;
            if (since == 20) {
                pushKey(SDL_KEYDOWN, SDLK_RIGHT);
                pushKey(SDL_KEYDOWN, SDLK_SPACE);
            } else if (since == 45) {
                pushKey(SDL_KEYUP, SDLK_SPACE);
                pushKey(SDL_KEYUP, SDLK_RIGHT);
            } else if (since == 60) {
                pushKey(SDL_KEYUP, SDLK_LEFT);
            }
        }
        return updates < kTakeOver + 120;
    };
    const GameRun taken = runGame(watch);
    ASSERT_GT(taken.trace.size(), static_cast<std::size_t>(kTakeOver + 100));
    const std::vector<std::string> before(live.trace.begin(), live.trace.begin() + kTakeOver + 1);
    EXPECT_EQ(std::vector<std::string>(taken.trace.begin(), taken.trace.begin() + kTakeOver + 1),
              before);
    EXPECT_NE(taken.trace, std::vector<std::string>(
                               live.trace.begin(),
                               live.trace.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                        live.trace.size(), taken.trace.size()))));
    EXPECT_EQ(std::filesystem::path(taken.recording).filename(), "taken.txt");
    EXPECT_EQ(taken.unwritable, 0);
    EXPECT_EQ(replayRecording(taken.recording), taken.trace);
}

// F9 while playing starts a recording at the level's first frame (the level starts again),
// in a file named after level and character in the folder the game started in; F9 stops
// it, and the next F9 goes to a new numbered file beside it.
TEST(RecordingKey, RestartsTheLevelAndNumbersEachNewFile) {
    const ScratchDir scratch;
    const InShippedData data;
    const InputScript level = baseScript("corvane-voltbot2-jumps");
    RunSetup setup;
    setup.options.startFolder = scratch.path();
    setup.level = &level;
    int presses = 0;
    setup.onFrame = [&](int frame, int updates, GameEngine&, GameStateManager&) {
        if (frame == 30 || frame == 140 || frame == 160) {
            pushKey(SDL_KEYDOWN, SDLK_F9);
            pushKey(SDL_KEYUP, SDLK_F9);
            ++presses;
        }
        if (frame == 60) {
            pushKey(SDL_KEYDOWN, SDLK_b);  // held through the second restart
        }
        return frame < 260 || updates < 90;
    };
    const GameRun run = runGame(setup);

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].rfind("Corvane-voltbot2-", 0), 0u) << names[0];
    EXPECT_EQ(names[1], names[0].substr(0, names[0].size() - 4) + "-2.txt");
    // Recorded from the first restart to the stop: 110 frames less the switch frame.
    EXPECT_EQ(InputScript::parseFile((scratch.path() / names[0]).string()).frameCount(), 109);
    const InputScript second = InputScript::parseFile(run.recording);
    EXPECT_EQ(second.heldAtStart(), std::vector<InputScript::Key>{InputScript::Key::kShoot});
    EXPECT_EQ(replayRecording(run.recording), run.trace);
}

// A slot saved while recording goes beside the recording (a later save to it replaces
// the file); --play with --from-slot starts at it and plays the script on from its
// update: every frame from there is the live run's (a rewind while watching included),
// and the title says where it started.
// A slot file that does not belong to the script is refused, saying why.
TEST(ResumingFromASlot, PlaysTheRecordingOnFromTheSlotsUpdate) {
    const ScratchDir scratch;
    const InShippedData data;
    const InputScript script = baseScript(kBases[0].script);
    Coverage coverage;
    RandomPlayer player(5, script, false, Start::kFirstFrame, false, coverage);
    RunSetup live;
    live.options.recordPath = scratch.path() / "run.txt";
    live.options.startFolder = scratch.path();
    live.level = &script;
    // Not this recording's: a save to slot 1 leaves it alone.
    std::ofstream(scratch.path() / "run.slot1.txt") << "not ours\n";
    // Saves at 120 and 150 (or just after, when fast-forwarded), then a rewind of ten
    // frames (at most 40 updates) from 200, which stops above 150.
    std::vector<int> saves = {120, 150};
    int rewindFrom = 0;
    live.onFrame = [&](int frame, int updates, GameEngine& engine, GameStateManager&) {
        if (!saves.empty() && updates >= saves.front()) {
            for (SDL_Keycode key : {SDLK_F1, SDLK_F2}) {
                pushKey(SDL_KEYDOWN, key);
                pushKey(SDL_KEYUP, key);
            }
            saves.erase(saves.begin());
        }
        if (rewindFrom == 0 && updates >= 200) {
            pushKey(SDL_KEYDOWN, SDLK_BACKSPACE);
            rewindFrom = frame;
        } else if (rewindFrom > 0 && frame == rewindFrom + 10) {
            pushKey(SDL_KEYUP, SDLK_BACKSPACE);
        }
        if (updates >= 330) {
            player.end();
            return false;
        }
        player.nextFrame(frame, updates, engine.isPaused(), false);
        return true;
    };
    const GameRun recorded = runGame(live);
    const std::string slotFile = (scratch.path() / "run.slot2.txt").string();
    savestatefile::Header header;
    const int saved = savestatefile::read(slotFile, header).update;
    ASSERT_GE(saved, 150);
    ASSERT_LT(saved, 160);
    EXPECT_EQ(header.level, "Sablex");
    std::ifstream other(scratch.path() / "run.slot1.txt");
    EXPECT_EQ(
        std::string((std::istreambuf_iterator<char>(other)), std::istreambuf_iterator<char>()),
        "not ours\n");
    EXPECT_EQ(replayRecording(recorded.recording), recorded.trace);

    RunSetup watch;
    watch.options.playPath = recorded.recording;
    watch.options.fromSlot = 2;
    watch.options.startFolder = scratch.path();
    std::string title;
    int pausedFrames = 0;
    // Rewinding while watching: the script goes on from where the rewind stops.
    int rewoundAt = 0;
    watch.onFrame = [&](int frame, int updates, GameEngine& engine, GameStateManager&) {
        if (frame == 5) {
            title = engine.getTitle();
        }
        if (rewoundAt == 0 && updates >= 250) {
            pushKey(SDL_KEYDOWN, SDLK_BACKSPACE);
            rewoundAt = frame;
        } else if (rewoundAt > 0 && frame == rewoundAt + 20) {
            pushKey(SDL_KEYUP, SDLK_BACKSPACE);
        }
        pausedFrames += engine.isPaused() ? 1 : 0;
        return pausedFrames < 3 && updates < 1000;
    };
    const GameRun resumed = runGame(watch);
    EXPECT_EQ(title, "Kestrelix - watching run.txt from slot 2");
    ASSERT_EQ(resumed.trace.size(), recorded.trace.size());
    for (auto i = static_cast<std::size_t>(saved) + 1; i < recorded.trace.size(); ++i) {
        ASSERT_EQ(resumed.trace[i], recorded.trace[i]) << "update " << i;
    }
    EXPECT_EQ(resumed.picture, recorded.picture);

    // What is wrong with a slot file, each a copy of the good one with one line changed.
    std::ifstream in(slotFile);
    const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string checksum = good.substr(good.find("checksum ") + 9, 16);
    const std::string input = good.substr(good.find("input ") + 6, 16);
    const struct {
        std::string from;
        std::string to;
        std::string problem;
    } cases[] = {
        {"checksum " + checksum, "checksum 0123456789abcdef",
         "saved on data with checksum 0123456789abcdef, the data here gives " + checksum},
        {"input " + input, "input 0000000000000000",
         "input 0000000000000000 is not " + recorded.recording + "'s up to update " +
             std::to_string(saved) + " (the recording went another way since)"},
        {"character voltbot1", "character voltbot2",
         "saved in Sablex with voltbot2, the script plays Sablex with voltbot1"},
        {"level Sablex", "levels Sablex", "expected a \"level\" line, found \"levels Sablex\""},
    };
    NullVideo video;
    ScopedVideo installed(&video);
    GameStateManager manager;
    for (const auto& c : cases) {
        std::string edited = good;
        edited.replace(edited.find(c.from), c.from.size(), c.to);
        std::ofstream(slotFile, std::ios::trunc) << edited;
        try {
            Workbench bench(manager, watch.options);
            ADD_FAILURE() << "accepted: " << c.problem;
        } catch (const LoadError& error) {
            EXPECT_EQ(std::string(error.what()), slotFile + ": " + c.problem);
        }
    }
    watch.options.fromSlot = 3;
    EXPECT_THROW(Workbench(manager, watch.options), LoadError) << "no slot 3 was saved";
}
