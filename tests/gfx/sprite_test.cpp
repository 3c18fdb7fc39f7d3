#include "gfx/sprite.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "recordingvideo.h"
#include "scratchdir.h"

namespace {

using Kind = RecordingVideo::Kind;

// Two sheets (right- and left-facing) of four 16 x 24 pictures; sprite 3 has no YPos.
// Animation 0 walks (durations 3 and 2), animation 1 has three frames of duration 2 for
// the back-and-forth order, animation 2 ends on a frame of duration 0.
const char* const kHero = R"(
[Spritesheets]
amount = 2
spritesheet0 = right.bmp
spritesheet1 = left.bmp

[Sprites]
amount = 4
width = 16
height = 24
xOffset = -8
yOffset = 2
sprite0YPos = 0
sprite1YPos = 24
sprite2YPos = 48

[Animations]
amount = 3

[Animation0]
nFrames = 2
frame0SpriteIndex = 0
frame0Duration = 3
frame1SpriteIndex = 1
frame1Duration = 2

[Animation1]
nFrames = 3
frame0SpriteIndex = 0
frame0Duration = 2
frame1SpriteIndex = 1
frame1Duration = 2
frame2SpriteIndex = 2
frame2Duration = 2

[Animation2]
nFrames = 2
frame0SpriteIndex = 3
frame0Duration = 1
frame1SpriteIndex = 2
frame1Duration = 0
)";

class SpriteTest : public ::testing::Test {
  protected:
    std::unique_ptr<Sprite> load(const std::string& text) {
        scratch.write("hero.ini", text);
        IniDictionary dictionary("hero.ini");
        return std::make_unique<Sprite>(dictionary);
    }

    // The frame shown after each of `count` updates.
    static std::vector<int> framesOver(Sprite& sprite, int count) {
        std::vector<int> frames;
        for (int i = 0; i < count; ++i) {
            sprite.update();
            frames.push_back(sprite.getCurrentAnimationFrame());
        }
        return frames;
    }

    // The problem of the LoadError the description gets, or "" if it is accepted.
    std::string refusalOf(const std::string& text) {
        try {
            load(text);
        } catch (const LoadError& error) {
            EXPECT_EQ(error.file(), "hero.ini");
            return error.problem();
        }
        return "";
    }

    ScratchDir scratch;
    RecordingVideo video;
    ScopedVideo service{&video};
};

}  // namespace

TEST_F(SpriteTest, LoadsEverySheetAndUnloadsThemInOrder) {
    auto sprite = load(kHero);
    const auto loads = video.callsOf(Kind::kLoad);
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(loads[0].path, "right.bmp");
    EXPECT_EQ(loads[1].path, "left.bmp");

    sprite.reset();
    const auto unloads = video.callsOf(Kind::kUnload);
    ASSERT_EQ(unloads.size(), 2u);
    EXPECT_EQ(unloads[0].source, loads[0].source);
    EXPECT_EQ(unloads[1].source, loads[1].source);
    EXPECT_EQ(video.liveBitmaps(), 0);
}

TEST_F(SpriteTest, ForwardOrderShowsEachFrameForItsDuration) {
    auto sprite = load(kHero);
    EXPECT_EQ(framesOver(*sprite, 10), (std::vector<int>{0, 0, 0, 1, 1, 0, 0, 0, 1, 1}));
}

TEST_F(SpriteTest, ForwardBackwardOrderShowsEndFramesTwice) {
    auto sprite = load(kHero);
    sprite->setCurrentAnimationIndex(1);
    sprite->setForwardBackwardAnimationOrder();
    EXPECT_EQ(framesOver(*sprite, 20), (std::vector<int>{0, 0, 1, 1, 2, 2, 2, 2, 1, 1,  //
                                                         0, 0, 0, 0, 1, 1, 2, 2, 2, 2}));
}

TEST_F(SpriteTest, ChoosingTheCurrentAnimationAgainDoesNotRestartIt) {
    auto sprite = load(kHero);
    sprite->setCurrentAnimationIndex(1);
    sprite->setForwardBackwardAnimationOrder();
    framesOver(*sprite, 6);  // on frame 2, about to turn back
    sprite->setCurrentAnimationIndex(1);
    EXPECT_EQ(sprite->getCurrentAnimationFrame(), 2);
    // Still back and forth: a forward order would wrap to 0 after frame 2.
    EXPECT_EQ(framesOver(*sprite, 4), (std::vector<int>{2, 2, 1, 1}));
}

TEST_F(SpriteTest, SwitchingAwayAndBackRestartsForward) {
    auto sprite = load(kHero);
    framesOver(*sprite, 4);
    ASSERT_EQ(sprite->getCurrentAnimationFrame(), 1);
    sprite->setCurrentAnimationIndex(2);
    sprite->setCurrentAnimationIndex(0);
    EXPECT_EQ(sprite->getCurrentAnimationFrame(), 0);
    EXPECT_EQ(sprite->getCurrentAnimationFrameDuration(), 0);
    EXPECT_EQ(framesOver(*sprite, 4), (std::vector<int>{0, 0, 0, 1}));
}

TEST_F(SpriteTest, FrameOfDurationZeroHoldsTheAnimation) {
    auto sprite = load(kHero);
    sprite->setCurrentAnimationIndex(2);
    const std::vector<int> frames = framesOver(*sprite, 200);
    EXPECT_EQ(frames[0], 0);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i], 1) << "update " << i;
    }
    // Restarting its timing lets the held frame go at the next update.
    sprite->resetCurrentAnimationFrameDuration();
    EXPECT_EQ(framesOver(*sprite, 1), std::vector<int>{0});
}

TEST_F(SpriteTest, ResettingTheTimingEveryFrameKeepsThePicture) {
    auto sprite = load(kHero);
    for (int i = 0; i < 50; ++i) {
        sprite->resetCurrentAnimationFrameDuration();
        sprite->update();
        ASSERT_EQ(sprite->getCurrentAnimationFrame(), 0) << "update " << i;
    }
}

TEST_F(SpriteTest, DrawsCurrentPictureShiftedByTheOffsets) {
    auto sprite = load(kHero);
    framesOver(*sprite, 4);  // frame 1 shows sprite 1
    sprite->draw(100, 50, 0);
    const auto copies = video.screenCopiesOf("right.bmp");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].x, 92);  // xOffset -8
    EXPECT_EQ(copies[0].y, 52);
    ASSERT_TRUE(copies[0].hasSourceRect);
    EXPECT_EQ(copies[0].sourceRect.x, 0);
    EXPECT_EQ(copies[0].sourceRect.y, 24);
    EXPECT_EQ(copies[0].sourceRect.w, 16);
    EXPECT_EQ(copies[0].sourceRect.h, 24);
}

TEST_F(SpriteTest, SheetIndexOnlyChoosesTheSheet) {
    auto sprite = load(kHero);
    sprite->draw(10, 20, 0);
    sprite->draw(10, 20, 1);
    const auto right = video.screenCopiesOf("right.bmp");
    const auto left = video.screenCopiesOf("left.bmp");
    ASSERT_EQ(right.size(), 1u);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(right[0].x, left[0].x);
    EXPECT_EQ(right[0].y, left[0].y);
    EXPECT_EQ(right[0].sourceRect.y, left[0].sourceRect.y);
}

TEST_F(SpriteTest, SpriteWithoutYPosIsCutFromTheTop) {
    auto sprite = load(kHero);
    sprite->setCurrentAnimationIndex(2);  // frame 0 shows sprite 3
    sprite->draw(0, 0, 0);
    const auto copies = video.callsOf(Kind::kCopyToScreen);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].sourceRect.y, 0);
    EXPECT_EQ(copies[0].sourceRect.h, 24);
}

TEST_F(SpriteTest, OutOfRangeRequestsAreIgnored) {
    auto sprite = load(kHero);
    framesOver(*sprite, 4);
    sprite->setCurrentAnimationIndex(3);
    sprite->setCurrentAnimationIndex(-1);
    EXPECT_EQ(sprite->getCurrentAnimationIndex(), 0);
    EXPECT_EQ(sprite->getCurrentAnimationFrame(), 1);

    sprite->draw(0, 0, 2);
    sprite->draw(0, 0, -1);
    EXPECT_TRUE(video.callsOf(Kind::kCopyToScreen).empty());
}

TEST_F(SpriteTest, SpriteWithoutAnimationsNeverAnimatesOrDraws) {
    auto sprite = load("[Spritesheets]\namount = 1\nspritesheet0 = still.bmp\n");
    sprite->update();
    sprite->setCurrentAnimationIndex(0);
    sprite->draw(0, 0, 0);
    EXPECT_TRUE(video.callsOf(Kind::kCopyToScreen).empty());
    EXPECT_EQ(sprite->getCurrentAnimationFrameDuration(), 0);
}

TEST_F(SpriteTest, RefusesCountsOutOfRangeBeforeLoadingAnything) {
    EXPECT_NE(refusalOf("[Spritesheets]\namount = -1\n").find("[Spritesheets] amount"),
              std::string::npos);
    EXPECT_NE(refusalOf("[Spritesheets]\namount = 1000000000\n").find("amount"), std::string::npos);
    EXPECT_NE(refusalOf("[Sprites]\namount = 5000\n").find("[Sprites] amount"), std::string::npos);
    EXPECT_NE(refusalOf("[Animations]\namount = -2\n").find("[Animations] amount"),
              std::string::npos);
    EXPECT_NE(refusalOf("[Sprites]\nwidth = -1\n").find("width"), std::string::npos);
    EXPECT_NE(refusalOf("[Sprites]\nheight = 4097\n").find("height"), std::string::npos);
    EXPECT_TRUE(video.callsOf(Kind::kLoad).empty());
}

TEST_F(SpriteTest, RefusesAnimationsThatCouldLeaveTheirArrays) {
    const std::string base =
        "[Spritesheets]\namount = 1\n[Sprites]\namount = 2\n"
        "[Animations]\namount = 1\n[Animation0]\n";
    EXPECT_NE(refusalOf(base + "nFrames = 0\n").find("[Animation0] nFrames"), std::string::npos);
    EXPECT_NE(refusalOf(base + "nFrames = 2000\n").find("[Animation0] nFrames"), std::string::npos);
    EXPECT_NE(refusalOf(base + "nFrames = 2\nframe1SpriteIndex = 2\n")
                  .find("[Animation0] frame1SpriteIndex"),
              std::string::npos);
    EXPECT_NE(refusalOf(base + "nFrames = 1\nframe0SpriteIndex = -1\n").find("frame0SpriteIndex"),
              std::string::npos);
    EXPECT_NE(refusalOf("[Animations]\namount = 1\n[Animation0]\nnFrames = 1\n")
                  .find("frame0SpriteIndex"),
              std::string::npos);
    EXPECT_EQ(video.liveBitmaps(), 0);
}

TEST_F(SpriteTest, SheetThatFailsToLoadReleasesTheOthers) {
    video.failOn("left.bmp");
    EXPECT_THROW(load(kHero), LoadError);
    EXPECT_EQ(video.callsOf(Kind::kLoad).size(), 1u);
    EXPECT_EQ(video.liveBitmaps(), 0);
}
