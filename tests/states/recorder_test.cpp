#include "states/recorder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "scratchdir.h"
#include "states/inputscript.h"
#include "states/workbench.h"

namespace {

using Key = Controls::Key;
constexpr Key kKeys[] = {Key::kLeft, Key::kRight, Key::kUp, Key::kDown, Key::kJump, Key::kShoot};

// Input records as the engine makes them: each update's frame begins, then any number
// of key events (none repeated while held is not required: a key may go down twice).
std::vector<Controls> randomUpdates(std::mt19937& random, int count, Controls& atStart) {
    Controls controls;
    std::uniform_int_distribution<int> events(0, 3);
    std::uniform_int_distribution<int> keyIndex(0, 5);
    std::bernoulli_distribution press(0.5);
    std::bernoulli_distribution quiet(0.7);
    for (int i = 0; i < 4; ++i) {
        controls.press(kKeys[keyIndex(random)]);
    }
    atStart = controls;
    std::vector<Controls> updates;
    for (int update = 0; update < count; ++update) {
        controls.beginFrame();
        const int n = quiet(random) ? 0 : events(random);
        for (int event = 0; event < n; ++event) {
            const Key key = kKeys[keyIndex(random)];
            if (press(random)) {
                controls.press(key);
            } else {
                controls.release(key);
            }
        }
        updates.push_back(controls);
    }
    return updates;
}

std::vector<Controls> replay(const std::string& path, int frames) {
    return InputScript::parseFile(path).toControls(frames);
}

}  // namespace

// The writer's promise: whatever the engine's key rules can make, the file replays exactly,
// with the keys held at the start, taps inside one frame and arrows pressed again.
TEST(Recorder, EveryRandomKeyStreamReplaysRecordByRecord) {
    ScratchDir scratch;
    std::mt19937 random(14);
    for (int run = 0; run < 300; ++run) {
        Controls atStart;
        const std::vector<Controls> updates = randomUpdates(random, 200, atStart);
        Recorder recorder;
        ASSERT_TRUE(recorder.start("run.txt", "Sablex", "voltbot1", "0123456789abcdef", atStart));
        for (const Controls& controls : updates) {
            recorder.record(controls);
        }
        recorder.stop();
        EXPECT_EQ(recorder.unwritable(), 0);
        const std::vector<Controls> replayed = replay(recorder.path(), 200);
        for (std::size_t i = 0; i < updates.size(); ++i) {
            ASSERT_EQ(replayed[i], updates[i]) << "run " << run << ", update " << i + 1;
        }
        std::filesystem::remove(recorder.path());
    }
}

TEST(Recorder, NeverOverwritesAndNumbersEachNewFile) {
    ScratchDir scratch;
    scratch.write("run.txt", "kept\n");
    scratch.write("run-3.txt", "kept too\n");
    Recorder recorder;
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(recorder.start("run.txt", "Sablex", "voltbot1", "0123456789abcdef", {}));
        paths.push_back(recorder.path());
        recorder.stop();
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"run-2.txt", "run-4.txt", "run-5.txt"}));
    std::ifstream kept("run.txt");
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "kept");

    Recorder other;
    EXPECT_FALSE(other.start("no/such/folder/run.txt", "Sablex", "voltbot1", "0", {}));
    EXPECT_FALSE(other.isRecording());
}

// A restore or rewind cuts the recording back: the file then replays the run as it stands,
// in the middle of a span, at a span boundary and back to the level's start.
TEST(Recorder, TruncatedRecordingReplaysTheKeptUpdatesAndWhatFollows) {
    ScratchDir scratch;
    std::mt19937 random(15);
    for (int cut : {0, 1, 37, 120, 199}) {
        Controls atStart;
        const std::vector<Controls> first = randomUpdates(random, 200, atStart);
        Recorder recorder;
        ASSERT_TRUE(recorder.start("cut.txt", "Sablex", "voltbot1", "0123456789abcdef", atStart));
        for (const Controls& controls : first) {
            recorder.record(controls);
        }
        recorder.truncate(cut);
        EXPECT_EQ(recorder.updates(), cut);
        // The run goes on from update `cut` with other input that follows its record.
        std::vector<Controls> expected(first.begin(), first.begin() + cut);
        Controls controls = cut > 0 ? first[static_cast<std::size_t>(cut) - 1] : atStart;
        for (int i = 0; i < 50; ++i) {
            controls.beginFrame();
            if (i % 7 == 0) {
                controls.press(kKeys[static_cast<std::size_t>(i) % 6]);
            }
            expected.push_back(controls);
            recorder.record(controls);
        }
        recorder.stop();
        const std::vector<Controls> replayed =
            replay(recorder.path(), static_cast<int>(expected.size()));
        EXPECT_EQ(InputScript::parseFile(recorder.path()).frameCount(), cut + 50);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(replayed[i], expected[i]) << "cut " << cut << ", update " << i + 1;
        }
    }
}

TEST(Recorder, ContinuesInTheNextNumberedFileWithTheNewChecksum) {
    ScratchDir scratch;
    Recorder recorder;
    ASSERT_TRUE(recorder.start("tune.txt", "Corvane", "voltbot2", "0123456789abcdef", {}));
    recorder.record({});
    ASSERT_TRUE(recorder.continueInNextFile("fedcba9876543210", {}));
    EXPECT_EQ(recorder.path(), "tune-2.txt");
    recorder.stop();
    const InputScript first = InputScript::parseFile("tune.txt");
    const InputScript second = InputScript::parseFile("tune-2.txt");
    EXPECT_EQ(first.frameCount(), 1);
    EXPECT_EQ(second.frameCount(), 0);
    EXPECT_EQ(second.level(), "Corvane");
    EXPECT_EQ(second.character(), "voltbot2");
    EXPECT_EQ(second.checksum(), "fedcba9876543210");
}

TEST(Recorder, KeyRecordingsGoToTheUserDataFolderWhenTheStartFolderIsUnwritable) {
    ScratchDir scratch;
    setenv("XDG_DATA_HOME", scratch.path().c_str(), 1);
    EXPECT_EQ(Workbench::recordingFolder(scratch.path()), scratch.path());
    // A folder that cannot be written to stands in for one the player may not write.
    const std::filesystem::path gone = scratch.path() / "no" / "such" / "folder";
    const std::filesystem::path user = scratch.path() / "kestrelix" / "recordings";
    EXPECT_EQ(Workbench::recordingFolder(gone), user);
    EXPECT_TRUE(std::filesystem::is_directory(user));
    unsetenv("XDG_DATA_HOME");
}
