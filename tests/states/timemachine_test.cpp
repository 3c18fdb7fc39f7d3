// Savestates and rewind must be exact: a level put back to update k and fed the same input
// again must go through exactly the states and pictures it went through the first time.
// The runs are seeded random key streams on the shipped levels and characters.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "allocationcounter.h"
#include "config/loaderror.h"
#include "engine/controls.h"
#include "engine/nullvideo.h"
#include "scratchdir.h"
#include "states/gamestatemanager.h"
#include "states/ghost.h"
#include "states/inputscript.h"
#include "states/level.h"
#include "states/savestatefile.h"
#include "states/timemachine.h"

namespace fs = std::filesystem;

namespace {

#ifdef KESTRELIX_SANITIZED
constexpr int kRandomRuns = 200;
constexpr int kGhostRuns = 20;
#else
constexpr int kRandomRuns = 2000;
constexpr int kGhostRuns = 200;
#endif

// A headless video service that folds every screen draw of a frame into one number, so
// two frames' pictures compare as two integers.
class PictureHash : public NullVideo {
  public:
    void clearScreen() override { mix(0x5a5a); }
    void copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* rect,
                               std::uint8_t alpha) override {
        mix(alpha);
        copyToScreen(source, x, y, rect);
    }
    void copyToScreen(Bitmap& source, int x, int y, Rect* rect) override {
        mix(reinterpret_cast<std::uintptr_t>(source.texture));
        mix(static_cast<std::uint32_t>(x));
        mix(static_cast<std::uint32_t>(y));
        if (rect != nullptr) {
            mix(static_cast<std::uint32_t>(rect->x));
            mix(static_cast<std::uint32_t>(rect->y));
        }
    }
    std::uint64_t take() {
        const std::uint64_t hash = m_hash;
        m_hash = kSeed;
        return hash;
    }

  private:
    static constexpr std::uint64_t kSeed = 1469598103934665603ULL;
    void mix(std::uint64_t value) { m_hash = (m_hash ^ value) * 1099511628211ULL; }
    std::uint64_t m_hash = kSeed;
};

// The shipped data in a scratch folder, which becomes the working directory.
class ShippedData {
  public:
    ShippedData() { scratch.copyShippedData(); }
    ScratchDir scratch;
};

constexpr int kKeyCount = 6;

// The keys a script holds in each of its update frames, as bit masks (bit = Controls::Key).
std::vector<unsigned> heldPerFrame(const InputScript& script) {
    std::vector<unsigned> frames;
    for (const InputScript::Span& span : script.spans()) {
        unsigned held = 0;
        for (InputScript::Key key : span.keys) {
            held |= 1u << static_cast<int>(key);
        }
        frames.insert(frames.end(), static_cast<std::size_t>(span.frames), held);
    }
    return frames;
}

// A key stream as a player makes one: the keys of a recorded route, and from frame
// `wildFrom` on, random changes on top of it (keys let go or pressed in addition, taps of
// jump and shoot within one frame, both arrows of an axis), with the engine's key rules.
// Element 0 is the level's switch frame.
std::vector<Controls> keyStream(const std::vector<unsigned>& route, int frames, int wildFrom,
                                std::mt19937& random) {
    std::vector<Controls> stream;
    Controls controls;
    unsigned held = 0;
    unsigned twist = 0;
    stream.push_back(controls);
    for (int f = 1; f <= frames; ++f) {
        controls.beginFrame();
        const std::size_t index = static_cast<std::size_t>(f - 1);
        const unsigned planned = index < route.size() ? route[index] : 0;
        if (f >= wildFrom && random() % 6 == 0) {
            twist ^= 1u << (random() % kKeyCount);
        }
        const unsigned wanted = planned ^ twist;
        // Keys go up and down in a random order, so the last-pressed arrow varies.
        const int first = static_cast<int>(random() % kKeyCount);
        for (int i = 0; i < kKeyCount; ++i) {
            const int k = (first + i) % kKeyCount;
            const unsigned bit = 1u << k;
            if ((held & bit) != 0 && (wanted & bit) == 0) {
                controls.release(static_cast<Controls::Key>(k));
            } else if ((held & bit) == 0 && (wanted & bit) != 0) {
                controls.press(static_cast<Controls::Key>(k));
            }
        }
        if (f >= wildFrom && random() % 20 == 0) {
            const auto tap = random() % 2 == 0 ? Controls::Key::kJump : Controls::Key::kShoot;
            if ((wanted & (1u << static_cast<int>(tap))) == 0) {
                controls.press(tap);
                controls.release(tap);
            }
        }
        held = wanted;
        stream.push_back(controls);
    }
    return stream;
}

// One frame of the level as the main loop runs it, through the time machine.
struct Frame {
    Level::Snapshot state;
    std::uint64_t picture;
};

class Session {
  public:
    Session(const std::string& levelName, const std::string& character)
        : manager(std::make_unique<GameStateManager>()), machine(*manager) {
        manager->setInitMessage(GameStateManager::InitMessageId::kLevel, levelName.c_str());
        manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, character.c_str());
        manager->setNextState();
    }
    // Frame 0 is the switch to the level; frame k >= 1 runs update k.
    Frame frame(const Controls& controls) {
        machine.update(controls);
        machine.draw();
        return {machine.level()->snapshot(), video.take()};
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            frame(Controls{});
        }
    }
    Frame redraw() {
        machine.draw();
        return {machine.level()->snapshot(), video.take()};
    }

    PictureHash video;
    ScopedVideo provided{&video};
    std::unique_ptr<GameStateManager> manager;
    TimeMachine machine;
};

bool sameState(const Level::Snapshot& a, const Level::Snapshot& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Replays frames first .. end of the original from the session's current moment and
// reports the first frame that differs, or -1.
int firstDifference(Session& session, const std::vector<Controls>& controls,
                    const std::vector<Frame>& original, int first) {
    for (int f = first; f < static_cast<int>(original.size()); ++f) {
        const Frame replayed = session.frame(controls[static_cast<std::size_t>(f)]);
        const Frame& expected = original[static_cast<std::size_t>(f)];
        if (!sameState(replayed.state, expected.state) || replayed.picture != expected.picture) {
            return f;
        }
    }
    return -1;
}

}  // namespace

// Over seeded random runs: save at update k, rewind n updates from the end, replay; restore
// the save, replay. Every later frame (state and picture) must equal the original's, the
// restored picture must equal the picture at the save, and the live input record must get
// the previous-frame directions the original update k + 1 saw.
TEST(TimeMachine, RestoreAndRewindContinueExactlyOverRandomRuns) {
    ShippedData data;
    std::vector<InputScript> routes;
    for (const char* level : {"sablex", "corvane"}) {
        for (const char* character : {"voltbot1", "voltbot2"}) {
            for (const char* route : {"jumps", "pit", "route", "enemy"}) {
                routes.push_back(InputScript::parseFile(
                    (sourceDir() / "tests/replay/scripts" /
                     (std::string(level) + "-" + character + "-" + route + ".txt"))
                        .string()));
            }
        }
    }
    // What the checked windows went through, so the test knows it covered the hard parts.
    int scrolls = 0;
    int restarts = 0;
    int hits = 0;
    int bullets = 0;
    for (int run = 0; run < kRandomRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        std::mt19937 random(static_cast<std::uint32_t>(run));
        const InputScript& route = routes[static_cast<std::size_t>(run) % routes.size()];
        // A window of 120 to 400 updates somewhere along the route, from its first frame
        // (the ready phase) to its end; the route is followed exactly up to the window.
        const int length = 120 + static_cast<int>(random() % 281);
        const int end = length + static_cast<int>(
                                     random() % static_cast<std::uint32_t>(route.frameCount() + 1));
        const int wildFrom = end - length;
        const std::vector<Controls> controls =
            keyStream(heldPerFrame(route), end, wildFrom, random);
        Session session(route.level(), route.character());
        for (int f = 0; f < wildFrom; ++f) {
            session.frame(controls[static_cast<std::size_t>(f)]);
        }

        const int saveAt =
            wildFrom + static_cast<int>(random() % static_cast<std::uint32_t>(length));
        const int slot = static_cast<int>(random() % TimeMachine::kSlotCount);
        std::vector<Frame> original(static_cast<std::size_t>(wildFrom));
        for (int f = wildFrom; f <= end; ++f) {
            original.push_back(session.frame(controls[static_cast<std::size_t>(f)]));
            const Level::Snapshot& state = original.back().state;
            scrolls += state.phase == Level::kScrolling ? 1 : 0;
            restarts += state.phase == Level::kReady && f > 200 ? 1 : 0;
            hits += state.player.state == static_cast<int>(Voltbot::State::kReeling) ? 1 : 0;
            bullets += state.player.bullets[2].active;
            if (f == saveAt) {
                ASSERT_TRUE(session.machine.save(slot));
            }
        }

        // Rewind n updates, as holding the key does, then play the same keys again.
        const int back = 1 + static_cast<int>(random() % static_cast<std::uint32_t>(length));
        session.machine.startRewinding();
        for (int i = 0; i < back; ++i) {
            session.frame(Controls{});
        }
        Controls live;
        session.machine.stopRewinding(live);
        const int rewoundTo = end - back;
        ASSERT_EQ(session.machine.history().newest().update, rewoundTo);
        ASSERT_EQ(live.prevDirX, controls[static_cast<std::size_t>(rewoundTo + 1)].prevDirX);
        ASSERT_EQ(live.prevDirY, controls[static_cast<std::size_t>(rewoundTo + 1)].prevDirY);
        ASSERT_EQ(firstDifference(session, controls, original, rewoundTo + 1), -1);

        // Restore the slot: the picture is the one at the save, and the run goes on as then.
        ASSERT_TRUE(session.machine.restore(slot, live));
        const Frame restored = session.redraw();
        ASSERT_TRUE(sameState(restored.state, original[static_cast<std::size_t>(saveAt)].state));
        ASSERT_EQ(restored.picture, original[static_cast<std::size_t>(saveAt)].picture);
        ASSERT_EQ(live.prevDirX, controls[static_cast<std::size_t>(saveAt + 1)].prevDirX);
        ASSERT_EQ(live.prevDirY, controls[static_cast<std::size_t>(saveAt + 1)].prevDirY);
        ASSERT_EQ(firstDifference(session, controls, original, saveAt + 1), -1);
    }
    EXPECT_GT(scrolls, 0);
    EXPECT_GT(restarts, 0);
    EXPECT_GT(hits, 0);
    EXPECT_GT(bullets, 0);
}

// Paused, each press of the rewind key is one update back, and the first moment of the
// level is as far as it goes; held keys then act as if pressed.
TEST(TimeMachine, StepsBackOneUpdateAtATimeAndStopsAtTheLevelStart) {
    ShippedData data;
    Session session("Sablex", "voltbot1");
    std::mt19937 random(7);
    const std::vector<Controls> controls = keyStream({}, 39, 1, random);
    std::vector<Frame> original;
    for (const Controls& c : controls) {
        original.push_back(session.frame(c));
    }
    Controls live;
    live.jumpHeld = true;
    live.shootReleased = true;
    for (int f = 38; f >= 0; --f) {
        ASSERT_TRUE(session.machine.stepBack(live));
        EXPECT_EQ(session.machine.history().newest().update, f);
        EXPECT_TRUE(sameState(session.redraw().state, original[static_cast<std::size_t>(f)].state));
    }
    EXPECT_FALSE(session.machine.stepBack(live));
    EXPECT_TRUE(live.jumpPressed);
    EXPECT_FALSE(live.shootPressed);
    EXPECT_FALSE(live.shootReleased);
}

// The history is one buffer: once full, the oldest moments go and the newest stay.
TEST(TimeMachine, HistoryKeepsTheNewestMomentsOfAFullBuffer) {
    ShippedData data;
    PictureHash video;
    ScopedVideo provided{&video};
    auto manager = std::make_unique<GameStateManager>();
    TimeMachine machine(*manager, 10);
    manager->setInitMessage(GameStateManager::InitMessageId::kLevel, "Corvane");
    manager->setNextState();
    for (int f = 0; f <= 25; ++f) {
        machine.update(Controls{});
    }
    EXPECT_EQ(machine.history().size(), 10);
    Controls live;
    int steps = 0;
    while (machine.stepBack(live)) {
        ++steps;
    }
    EXPECT_EQ(steps, 9);
    EXPECT_EQ(machine.history().newest().update, 16);
    EXPECT_FALSE(machine.restore(0, live));  // nothing saved
}

// A recording follows the time machine: every way back cuts it at the moment landed on.
TEST(TimeMachine, TellsItsObserverWhereTheTimelineWasCut) {
    struct Cuts : TimeMachine::Observer {
        void onTimelineCut(int update) override { cuts.push_back(update); }
        void onReloaded(const Controls&) override { cuts.push_back(-1); }
        std::vector<int> cuts;
    } observer;
    ShippedData data;
    Session session("Corvane", "voltbot2");
    session.machine.setObserver(&observer);
    for (int f = 0; f <= 30; ++f) {
        session.frame(Controls{});
        if (f == 10) {
            session.machine.save(1);
        }
    }
    Controls live;
    session.machine.stepBack(live);
    session.machine.startRewinding();
    session.frames(5);
    session.machine.stopRewinding(live);
    session.machine.restore(1, live);
    session.machine.reload(live);
    EXPECT_EQ(observer.cuts, (std::vector<int>{29, 24, 10, -1}));
}

// A slot written to a file reads back as the same value and restores the same level; a
// broken file is refused with what is wrong, and words that do not fit the level are kept
// out of the slots.
TEST(SavestateFile, RoundTripsAndRefusesBrokenFiles) {
    ShippedData data;
    Session session("Sablex", "voltbot1");
    std::mt19937 random(3);
    for (const Controls& c : keyStream({}, 300, 1, random)) {
        session.frame(c);
    }
    ASSERT_TRUE(session.machine.save(0));
    const savestatefile::Header header{"Sablex", "voltbot1", "0123456789abcdef", 300,
                                       "fedcba9876543210"};
    savestatefile::write("slot1.state", header, session.machine.slot(0));
    savestatefile::Header read;
    const Savestate back = savestatefile::read("slot1.state", read);
    EXPECT_EQ(std::memcmp(&back, &session.machine.slot(0), sizeof back), 0);
    EXPECT_EQ(read.level, "Sablex");
    EXPECT_EQ(read.character, "voltbot1");
    EXPECT_EQ(read.checksum, "0123456789abcdef");
    EXPECT_EQ(read.update, 300);
    EXPECT_EQ(read.input, "fedcba9876543210");
    ASSERT_TRUE(session.machine.putSlot(3, back));

    std::ifstream in("slot1.state");
    std::stringstream text;
    text << in.rdbuf();
    const std::string good = text.str();
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string edited = good;
        edited.replace(edited.find(from), from.size(), to);
        return edited;
    };
    const std::string count = std::to_string(sizeof(Savestate) / 4);
    const std::string words = "words " + count + "\n";
    const struct {
        std::string file;
        std::string problem;
    } broken[] = {
        {"", "slot1.state: is not a savestate (first line \"\")"},
        {replaced("level Sablex", "levels Sablex"),
         "slot1.state: expected a \"level\" line, found \"levels Sablex\""},
        {replaced(words, "words 12\n"),
         "slot1.state: words 12 is not " + count + " (a savestate of another version of the game)"},
        {replaced("update 300", "update 3x0"),
         "slot1.state: update \"3x0\" is not a number of updates"},
        {replaced("update 300", "update 299"),
         "slot1.state: update 299 is not the state's own (300)"},
        {replaced("\ninput ", "\ninputs "),
         "slot1.state: expected a \"input\" line, found \"inputs fedcba9876543210\""},
        {replaced(words, words + "1x "), "slot1.state: word 1 \"1x\" is not a 32-bit number"},
        {replaced(words, words + "4294967296 "),
         "slot1.state: word 1 \"4294967296\" is not a 32-bit number"},
        {good.substr(0, good.find(words) + words.size()) + "0 0 0",
         "slot1.state: ends after 3 of " + count + " words"},
        {good + "7\n", "slot1.state: has more than " + count + " words (\"7\")"},
    };
    for (const auto& c : broken) {
        std::ofstream("slot1.state", std::ios::trunc) << c.file;
        try {
            savestatefile::read("slot1.state", read);
            ADD_FAILURE() << "accepted: " << c.problem;
        } catch (const LoadError& error) {
            EXPECT_EQ(std::string(error.what()), c.problem);
        }
    }

    // Well-formed words that name what the level does not have.
    const auto refused = [&](auto change) {
        Savestate moment = back;
        change(moment);
        return !session.machine.putSlot(2, moment);
    };
    EXPECT_TRUE(refused([](Savestate& m) { m.level.phase = 9; }));
    EXPECT_TRUE(refused([](Savestate& m) { m.level.mapBoundary = 999; }));
    EXPECT_TRUE(refused([](Savestate& m) { m.level.player.state = 10; }));
    EXPECT_TRUE(refused([](Savestate& m) { m.level.player.sprite.animationIndex = 10; }));
    EXPECT_TRUE(refused([](Savestate& m) { m.level.player.sprite.frame = 1000; }));
    EXPECT_TRUE(refused([](Savestate& m) { m.level.enemy.animationIndex = -1; }));
    EXPECT_TRUE(refused([](Savestate& m) { m.level.player.bullets[1].active = 2; }));
    EXPECT_TRUE(refused([](Savestate& m) { m.level.player.x = 1 << 30; }));
    EXPECT_TRUE(refused([](Savestate& m) { m.dirX = 7; }));
    EXPECT_TRUE(refused([](Savestate& m) { m.held = 4; }));
    EXPECT_FALSE(session.machine.hasSlot(2));
}

namespace {

bool sameGhost(const Ghost::Snapshot& a, const Ghost::Snapshot& b) {
    return sameState(a.level, b.level) && a.input.span == b.input.span &&
           a.input.leftInSpan == b.input.leftInSpan && a.input.last == b.input.last;
}

InputScript shippedScript(const std::string& name) {
    return InputScript::parseFile(
        (sourceDir() / "tests/replay/scripts" / (name + ".txt")).string());
}

// A frame of a session with a ghost: the real level, the ghost and the picture of both.
struct GhostFrame {
    Level::Snapshot state;
    Ghost::Snapshot ghost;
    std::uint64_t picture;
};

GhostFrame ghostFrame(Session& session, const Frame& frame) {
    return {frame.state, session.manager->getGhost()->snapshot(), frame.picture};
}

// Replays frames first .. end and reports the first whose level, ghost or picture differs.
int firstGhostDifference(Session& session, const std::vector<Controls>& controls,
                         const std::vector<GhostFrame>& original, int first) {
    for (int f = first; f < static_cast<int>(original.size()); ++f) {
        const GhostFrame replayed =
            ghostFrame(session, session.frame(controls[static_cast<std::size_t>(f)]));
        const GhostFrame& expected = original[static_cast<std::size_t>(f)];
        if (!sameState(replayed.state, expected.state) ||
            !sameGhost(replayed.ghost, expected.ghost) || replayed.picture != expected.picture) {
            return f;
        }
    }
    return -1;
}

}  // namespace

// A level's ghost goes back with it, on the live input and replaying a recorded run: over
// seeded random runs, every rewound frame shows the ghost where it was at that update,
// a restored slot shows it where it was at the save, and from either the level and its
// ghost go on exactly as they did, without allocating.
TEST(TimeMachine, GhostGoesBackWithTheLevel) {
    ShippedData data;
    const InputScript recorded = shippedScript("corvane-voltbot2-route");
    const std::vector<unsigned> route = heldPerFrame(shippedScript("corvane-voltbot1-route"));
    for (int run = 0; run < kGhostRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        std::mt19937 random(static_cast<std::uint32_t>(run));
        Session session("Corvane", "voltbot1");
        if (run % 2 == 0) {
            session.manager->setGhostCharacter("voltbot2");
        } else {
            session.manager->setGhostScript(std::make_unique<const InputScript>(recorded),
                                            "route.txt");
        }
        // Some runs reach past the end of the recorded run, where the ghost holds nothing.
        const int end = 150 + static_cast<int>(random() % 1200);
        const std::vector<Controls> controls = keyStream(route, end, end / 3, random);
        const int saveAt = 1 + static_cast<int>(random() % static_cast<std::uint32_t>(end));
        std::vector<GhostFrame> original;
        for (int f = 0; f <= end; ++f) {
            original.push_back(
                ghostFrame(session, session.frame(controls[static_cast<std::size_t>(f)])));
            if (f == saveAt) {
                ASSERT_TRUE(session.machine.save(1));
            }
        }

        // From here on every frame, with its rewinding and restoring, allocates nothing.
        const long long allocations = allocationCount();
        const int back = 1 + static_cast<int>(random() % static_cast<std::uint32_t>(end));
        session.machine.startRewinding();
        for (int i = 1; i <= back; ++i) {
            const GhostFrame rewound = ghostFrame(session, session.frame(Controls{}));
            const GhostFrame& then = original[static_cast<std::size_t>(end - i)];
            ASSERT_TRUE(sameGhost(rewound.ghost, then.ghost)) << "rewound " << i;
            ASSERT_EQ(rewound.picture, then.picture) << "rewound " << i;
        }
        Controls live;
        session.machine.stopRewinding(live);
        ASSERT_EQ(firstGhostDifference(session, controls, original, end - back + 1), -1);

        ASSERT_TRUE(session.machine.restore(1, live));
        const Frame restored = session.redraw();
        ASSERT_TRUE(sameGhost(session.manager->getGhost()->snapshot(),
                              original[static_cast<std::size_t>(saveAt)].ghost));
        ASSERT_EQ(restored.picture, original[static_cast<std::size_t>(saveAt)].picture);
        ASSERT_EQ(firstGhostDifference(session, controls, original, saveAt + 1), -1);
        EXPECT_EQ(allocationCount(), allocations);
    }
}

// The ghost starts again with its level: after a reload (reading its character file again,
// or keeping the old data when the file no longer loads), after the menu key and the way
// back into the level, and when a slot without a ghost's part is restored. A recorded run
// runs only in its own level.
TEST(TimeMachine, GhostStartsAgainWithItsLevel) {
    ShippedData data;
    std::mt19937 random(11);
    const std::vector<Controls> controls = keyStream({}, 300, 1, random);
    Session session("Sablex", "voltbot1");
    session.manager->setGhostCharacter("voltbot2");
    // The ghost's way along the keys, from its first moment.
    const auto ghostRun = [&] {
        std::vector<Ghost::Snapshot> states{session.manager->getGhost()->snapshot()};
        for (std::size_t f = 1; f < controls.size(); ++f) {
            session.frame(controls[f]);
            states.push_back(session.manager->getGhost()->snapshot());
        }
        return states;
    };
    const auto sameRun = [](const std::vector<Ghost::Snapshot>& a,
                            const std::vector<Ghost::Snapshot>& b) {
        for (std::size_t f = 0; f < a.size(); ++f) {
            if (!sameGhost(a[f], b[f])) {
                return false;
            }
        }
        return true;
    };
    session.frame(Controls{});
    const std::vector<Ghost::Snapshot> first = ghostRun();
    ASSERT_TRUE(session.machine.save(0));

    Controls live;
    ASSERT_TRUE(session.machine.reload(live));
    EXPECT_TRUE(session.machine.reloadError().empty());
    session.redraw();
    EXPECT_TRUE(sameRun(ghostRun(), first));

    // A value changed in the ghost's file: the reloaded ghost runs on it.
    std::string text;
    {
        std::ifstream in("voltbot2");
        std::stringstream all;
        all << in.rdbuf();
        text = all.str();
    }
    const auto writeCharacter = [](const std::string& from, const std::string& to,
                                   std::string contents) {
        contents.replace(contents.find(from), from.size(), to);
        std::ofstream("voltbot2", std::ios::trunc) << contents;
    };
    writeCharacter("\nrunningInt", "\nrunningInt = 2\n;", text);
    ASSERT_TRUE(session.machine.reload(live));
    session.redraw();
    const std::vector<Ghost::Snapshot> faster = ghostRun();
    EXPECT_FALSE(sameRun(faster, first));

    // A file that no longer loads: the level reloads, the ghost starts again on its old data.
    writeCharacter("\nverticalSpeed", "\nverticalSpeed = 999\n;", text);
    std::stringstream err;
    std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
    ASSERT_TRUE(session.machine.reload(live));
    std::cerr.rdbuf(old);
    EXPECT_EQ(err.str(),
              "kestrelix: voltbot2: [ScrollConstants] verticalSpeed = 999 is outside -240..240 "
              "(the ghost keeps its old data)\n");
    EXPECT_NE(session.machine.reloadError().find("ghost: voltbot2"), std::string::npos);
    session.redraw();
    EXPECT_TRUE(sameRun(ghostRun(), faster));

    // A slot from elsewhere has no ghost's part: restoring it starts the ghost again.
    ASSERT_TRUE(session.machine.save(0));
    ASSERT_TRUE(session.machine.putSlot(2, session.machine.slot(0)));
    ASSERT_TRUE(session.machine.restore(2, live));
    EXPECT_TRUE(sameGhost(session.manager->getGhost()->snapshot(), faster[0]));

    // The menu key: nothing moves in that frame, the ghost goes with the level, and comes
    // back at its start with the level (and the file as it is now).
    Controls leave;
    leave.menuPressed = true;
    const Ghost::Snapshot before = session.manager->getGhost()->snapshot();
    session.frame(leave);
    EXPECT_TRUE(sameGhost(session.manager->getGhost()->snapshot(), before));
    session.machine.update(Controls{});
    session.machine.draw();
    EXPECT_EQ(session.manager->getGhost(), nullptr);
    std::ofstream("voltbot2", std::ios::trunc) << text;
    session.manager->setNextState();
    session.frame(Controls{});
    ASSERT_NE(session.manager->getGhost(), nullptr);
    EXPECT_TRUE(sameRun(ghostRun(), first));
}
