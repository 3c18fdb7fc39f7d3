#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/framereport.h"

namespace {

struct Frame {
    std::uint32_t ticks;
    std::uint64_t workMicroseconds;
};

// Feeds the frames to a report writing into a temporary file and returns what it wrote.
std::string report(const std::vector<Frame>& frames) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    FrameReport frameReport(file);
    for (const Frame& frame : frames) {
        frameReport.frameShown(frame.ticks, frame.workMicroseconds);
    }
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        text += static_cast<char>(c);
    }
    std::fclose(file);
    return text;
}

// Frames every `step` ms from `start`, each with `work` µs of update and draw.
std::vector<Frame> frames(std::uint32_t start, std::uint32_t step, int count, std::uint64_t work) {
    std::vector<Frame> result;
    for (int i = 0; i < count; ++i) {
        result.push_back({start + static_cast<std::uint32_t>(i) * step, work});
    }
    return result;
}

}  // namespace

TEST(FrameReport, OneCumulativeLinePerSecondOfTicks) {
    struct Case {
        const char* what;
        std::vector<Frame> frames;
        const char* expected;
    };
    std::vector<Frame> slowFirst = {{500, 80000}};
    for (const Frame& f : frames(520, 20, 60, 100)) {
        slowFirst.push_back(f);
    }
    const Case cases[] = {
        {"nothing before the first full second", frames(1000, 16, 62, 10), ""},
        // The line comes with the first frame at least 1000 ms after the last line, and
        // counts that frame.
        {"at 60 fps over two seconds", frames(0, 20, 101, 7),
         "kestrelix: frames 51 ticks 1000 work-us 357\n"
         "kestrelix: frames 101 ticks 2000 work-us 707\n"},
        {"the first frame's work counts (a level load, say)", slowFirst,
         "kestrelix: frames 51 ticks 1000 work-us 85000\n"},
        {"ticks count from the first frame across the counter's wrap",
         frames(0xFFFFFF00u, 500, 3, 1), "kestrelix: frames 3 ticks 1000 work-us 3\n"},
        {"a long stall gives one line, not one per missed second",
         {{0, 0}, {5000, 0}, {5010, 0}},
         "kestrelix: frames 2 ticks 5000 work-us 0\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(report(c.frames), c.expected) << c.what;
    }
}

TEST(FrameReport, ReportingManagerTimesUpdateAndDrawButNotTheWaitBetween) {
    struct Manager {
        std::uint64_t* clock;
        int updates = 0;
        int draws = 0;
        void update(int) {
            *clock += 30;
            ++updates;
        }
        void draw() {
            *clock += 70;
            ++draws;
        }
        bool isQuitRequested() const { return false; }
    };
    std::uint64_t clock = 0;
    std::uint32_t ticks = 0;
    Manager manager{&clock};
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    FrameReport frameReport(file);
    ReportingManager reporting(
        manager, frameReport, [&clock] { return clock; }, [&ticks] { return ticks; });
    for (int frame = 0; frame < 10; ++frame) {
        // Every other frame paused: a draw without an update.
        if (frame % 2 == 0) {
            reporting.update(0);
        }
        reporting.draw();
        clock += 16000;  // the pacer's sleep
        ticks += 200;
    }
    std::rewind(file);
    char line[128] = {};
    ASSERT_NE(std::fgets(line, sizeof line, file), nullptr);
    std::fclose(file);
    EXPECT_EQ(manager.updates, 5);
    EXPECT_EQ(manager.draws, 10);
    EXPECT_EQ(frameReport.frames(), 10u);
    // Ten draws of 70 and five updates of 30; the line came at the sixth frame.
    EXPECT_STREQ(line, "kestrelix: frames 6 ticks 1000 work-us 510\n");
}
