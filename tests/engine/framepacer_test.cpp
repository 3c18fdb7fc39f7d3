#include "engine/framepacer.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "engine/timer.h"

namespace {

// A clock that only moves when the game works or sleeps, so pacing is exact arithmetic.
struct FakeClock {
    std::uint32_t now = 0;
    std::uint32_t sleepLength = 1;  // how long one requested 1 ms sleep really lasts
    std::vector<std::uint32_t> sleeps;

    FramePacer makePacer() {
        return FramePacer([this] { return now; },
                          [this](std::uint32_t milliseconds) {
                              sleeps.push_back(milliseconds);
                              if (sleeps.size() > 10000) {
                                  throw std::runtime_error("the pacer never stops waiting");
                              }
                              now += sleepLength;
                          });
    }

    // Runs one frame that takes workTime and returns the tick at which the next one begins.
    std::uint32_t frame(FramePacer& pacer, std::uint32_t workTime) {
        now += workTime;
        pacer.waitForNextFrame();
        return now;
    }
};

}  // namespace

TEST(FramePacing, EarlyFramesFollowTheSeventeenSeventeenSixteenCycle) {
    FakeClock clock;
    clock.now = 5000;
    FramePacer pacer = clock.makePacer();
    pacer.start();

    std::vector<std::uint32_t> frameStarts{clock.now};
    for (int frame = 1; frame <= 60; ++frame) {
        frameStarts.push_back(clock.frame(pacer, 2));
    }
    EXPECT_EQ(frameStarts[1] - 5000, 17u);
    EXPECT_EQ(frameStarts[2] - 5000, 34u);
    EXPECT_EQ(frameStarts[3] - 5000, 50u);
    EXPECT_EQ(frameStarts[60] - 5000, 1000u);
}

TEST(FramePacing, LateFrameIsNotMadeUpByABurst) {
    FakeClock clock;
    FramePacer pacer = clock.makePacer();
    pacer.start();

    EXPECT_EQ(clock.frame(pacer, 40), 40u);  // 23 ms late: no wait at all
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_EQ(pacer.next(), 40u);
    // The next deadline counts from the end of the long frame, with the cycle's next length.
    EXPECT_EQ(clock.frame(pacer, 2), 57u);
    EXPECT_EQ(clock.frame(pacer, 2), 73u);
}

TEST(FramePacing, DurationIndexAdvancesEveryFrameLateOrNot) {
    FakeClock clock;
    FramePacer pacer = clock.makePacer();
    pacer.start();

    const std::uint32_t workTimes[] = {40, 1, 30, 30, 1};
    const int expectedIndex[] = {1, 2, 0, 1, 2};
    for (int frame = 0; frame < 5; ++frame) {
        clock.frame(pacer, workTimes[frame]);
        EXPECT_EQ(pacer.durationIndex(), expectedIndex[frame]) << "after frame " << frame;
    }
}

TEST(FramePacing, WaitsInOneMillisecondSleepsUntilTheDeadline) {
    FakeClock clock;
    FramePacer pacer = clock.makePacer();
    pacer.start();
    clock.frame(pacer, 2);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>(15, 1));

    // A sleep that oversleeps ends the wait at the first reading past the deadline.
    clock.sleeps.clear();
    clock.sleepLength = 4;
    EXPECT_EQ(clock.frame(pacer, 0), 17u + 20u);
    EXPECT_EQ(clock.sleeps.size(), 5u);
}

TEST(FramePacing, KeepsTheCycleAcrossTheTickCounterWrap) {
    FakeClock clock;
    clock.now = 0xFFFFFFF8u;
    FramePacer pacer = clock.makePacer();
    pacer.start();

    EXPECT_EQ(clock.frame(pacer, 2), 0xFFFFFFF8u + 17u);
    EXPECT_EQ(clock.frame(pacer, 2), 0xFFFFFFF8u + 34u);
    EXPECT_EQ(clock.frame(pacer, 2), 0xFFFFFFF8u + 50u);
}

TEST(FramePacing, WaitThatSleepsPastTheWrapEnds) {
    FakeClock clock;
    clock.now = 0xFFFFFFFFu - 17u;  // the deadline is the counter's last value
    clock.sleepLength = 3;          // and the sleeps jump over it
    FramePacer pacer = clock.makePacer();
    pacer.start();

    EXPECT_EQ(clock.frame(pacer, 0), 0u);
}

TEST(Timer, CountsMillisecondsSinceStart) {
    Timer timer;
    timer.start();
    EXPECT_LT(timer.getTicks(), 1000u);
    SDL_Delay(20);
    EXPECT_GE(timer.getTicks(), 20u);
}
