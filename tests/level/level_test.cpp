#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "config/loaderror.h"
#include "levelfixture.h"
#include "player/voltbot.h"
#include "world/map.h"

namespace {

using Kind = RecordingVideo::Kind;

// The ready message is the only bitmap the level creates.
int readyHandle(const RecordingVideo& video) {
    const std::vector<RecordingVideo::Call> created = video.callsOf(Kind::kCreate);
    return created.empty() ? -1 : created.front().source;
}

int readyCopies(const RecordingVideo& video, int handle) {
    int copies = 0;
    for (const RecordingVideo::Call& call : video.calls) {
        if (call.kind == Kind::kCopyToScreen && call.source == handle) {
            ++copies;
        }
    }
    return copies;
}

bool playerDrawn(const RecordingVideo& video) {
    return !video.screenCopiesOf("hero_r.bmp").empty() ||
           !video.screenCopiesOf("hero_l.bmp").empty();
}

}  // namespace

TEST(ReadyPhase, ZeroReadySkipsTheFirstReadyPhaseInTheCreatingFrame) {
    LevelFixture game;
    Level& level = game.start();
    game.video.clearCalls();
    level.draw();
    EXPECT_EQ(level.getPhase(), Level::kPlaying);
    EXPECT_EQ(level.getFrameCounter(), 0);
    EXPECT_FALSE(playerDrawn(game.video));

    game.frame();
    EXPECT_TRUE(playerDrawn(game.video));
    EXPECT_FALSE(game.video.screenCopiesOf("enemy.bmp").empty());
}

TEST(ReadyPhase, MessageBlinksInFifteenFrameStepsAndEndsWhenTheCounterReachesSixty) {
    LevelFixture game;
    game.writeCharacter("[Durations]\nready = 60\n");
    Level& level = game.start();
    const int ready = readyHandle(game.video);
    ASSERT_NE(ready, -1);

    game.video.clearCalls();
    level.draw();  // the frame of creation draws before any update: hidden
    EXPECT_EQ(readyCopies(game.video, ready), 0);

    for (int counter = 0; counter < 60; ++counter) {
        ASSERT_EQ(level.getPhase(), Level::kReady) << counter;
        ASSERT_EQ(level.getFrameCounter(), counter);
        game.video.clearCalls();
        game.frame();
        const bool shown = (counter / 15) % 2 == 0;
        EXPECT_EQ(readyCopies(game.video, ready), shown ? 1 : 0)
            << "update ran with counter " << counter;
        EXPECT_FALSE(playerDrawn(game.video));
    }
    EXPECT_EQ(level.getPhase(), Level::kPlaying);
    EXPECT_EQ(level.getFrameCounter(), 0);
}

TEST(ReadyPhase, MessageIsCentredAtRow98) {
    LevelFixture game;
    game.writeCharacter("[Durations]\nready = 60\n");
    game.start();
    game.frame();
    const std::vector<RecordingVideo::Call> created = game.video.callsOf(Kind::kCreate);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].width, 40);  // "READY": five 8-pixel glyphs
    EXPECT_EQ(created[0].height, 8);
    bool found = false;
    for (const RecordingVideo::Call& call : game.video.callsOf(Kind::kCopyToScreen)) {
        if (call.source == created[0].source) {
            EXPECT_EQ(call.x, 108);
            EXPECT_EQ(call.y, 98);
            EXPECT_FALSE(call.hasSourceRect);
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

TEST(ReadyPhase, EmptyMessageCreatesNoImage) {
    LevelFixture game;
    game.writeCharacter("[Durations]\nready = 30\n");
    // The fixture's levels.ini says READY; an earlier empty value wins.
    std::ifstream in(game.scratch.path() / "levels.ini");
    const std::string levels((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    game.scratch.write("levels.ini", "[Common]\nreadyMessage =\n" + levels);
    game.start();
    for (int i = 0; i < 20; ++i) {
        game.frame();
    }
    EXPECT_TRUE(game.video.callsOf(Kind::kCreate).empty());
}

TEST(ReadyPhase, AfterARestartItHasOneUpdateFewerAndKeepsBlinking) {
    LevelFixture game;
    game.writeCharacter("[Durations]\nready = 20\n[ReadyMessage]\ndisplayInterval = 4\n");
    Level& level = game.start();
    ASSERT_TRUE(game.runUntil([&] { return level.getPhase() == Level::kPlaying; }, Controls()));

    // Run right off the floor of the lower row into the missing screen below.
    const Controls right = LevelFixture::holding(Direction::kRight);
    ASSERT_TRUE(game.runUntil([&] { return level.getPhase() == Level::kBeforeScrolling; }, right));
    ASSERT_TRUE(game.runUntil([&] { return level.getPhase() == Level::kReady; }, right, 3000));
    const bool visibleAtRestart = level.isReadyVisible();
    EXPECT_EQ(level.getFrameCounter(), 1);
    EXPECT_EQ(level.getPlayer()->getMovementMode(), MovementMode::kTeleporting);

    // The blink goes on from where it was: the counter restarts at 1, so the first flip
    // comes with the update that sees 4.
    for (int i = 0; i < 3; ++i) {
        game.frame();
        EXPECT_EQ(level.isReadyVisible(), visibleAtRestart);
    }
    int updates = 3;
    while (level.getPhase() == Level::kReady && updates < 100) {
        game.frame();
        ++updates;
    }
    EXPECT_EQ(updates, 19);
}

TEST(ScreenTransition, FallingOutOfTheBottomPausesScrollsAndPauses) {
    LevelFixture game;
    Level& level = game.start();
    game.frame();
    const Controls right = LevelFixture::holding(Direction::kRight);
    ASSERT_TRUE(game.runUntil([&] { return level.getPhase() != Level::kPlaying; }, right));
    EXPECT_EQ(level.getPhase(), Level::kBeforeScrolling);
    EXPECT_EQ(level.getFrameCounter(), 1);
    EXPECT_EQ(level.getCamera().getAngleOfView()->y, 0);

    // The pause before the scroll: 15 frames in which nothing moves but both are drawn.
    const Rect before = *level.getPlayer()->getBoundingBox();
    for (int i = 0; i < 14; ++i) {
        game.video.clearCalls();
        game.frame(right);
        EXPECT_EQ(level.getPhase(), Level::kBeforeScrolling);
        EXPECT_TRUE(playerDrawn(game.video));
    }
    EXPECT_EQ(level.getPlayer()->getBoundingBox()->y, before.y);
    game.frame(right);
    EXPECT_EQ(level.getPhase(), Level::kScrolling);

    // 60 camera steps of 4 pixels: exactly one screen.
    int steps = 0;
    int lastY = level.getCamera().getAngleOfView()->y;
    while (level.getPhase() == Level::kScrolling && steps < 200) {
        game.frame(right);
        if (level.getCamera().getAngleOfView()->y != lastY) {
            ++steps;
            lastY = level.getCamera().getAngleOfView()->y;
        }
    }
    EXPECT_EQ(steps, 60);
    EXPECT_EQ(level.getPhase(), Level::kAfterScrolling);
    EXPECT_EQ(level.getCamera().getAngleOfView()->y, 240);
    EXPECT_EQ(level.getMap()->getCurrentBoundary().y, 240);

    const int frozenY = level.getPlayer()->getBoundingBox()->y;
    for (int i = 0; i < 14; ++i) {
        game.frame(right);
        EXPECT_EQ(level.getPhase(), Level::kAfterScrolling);
    }
    EXPECT_EQ(level.getPlayer()->getBoundingBox()->y, frozenY);
    game.frame(right);
    EXPECT_EQ(level.getPhase(), Level::kPlaying);
    EXPECT_EQ(level.getFrameCounter(), 1);
    EXPECT_FALSE(level.getPlayer()->isScrolling());
}

TEST(ScreenTransition, CameraStepsCountOneInTheStartWithoutAPause) {
    for (const int beforeScrolling : {0, 3}) {
        LevelFixture game;
        // The player moves 8 pixels a scroll frame, enough to cross into the screen below.
        game.writeCharacter("[Durations]\nbeforeScrolling = " + std::to_string(beforeScrolling) +
                            "\nscrolling = 5\n[ScrollConstants]\nverticalSpeed = 48\n"
                            "[YSpeed]\nscrollingInt = 8\n");
        Level& level = game.start();
        game.frame();
        const Controls right = LevelFixture::holding(Direction::kRight);
        int moves = 0;
        int lastY = 0;
        for (int i = 0; i < 2000 && level.getPhase() != Level::kAfterScrolling; ++i) {
            game.frame(right);
            // The frame that ends the scroll fixes the view at the new boundary; that is
            // not a step of the scroll.
            if (level.getCamera().getAngleOfView()->y != lastY &&
                level.getPhase() != Level::kAfterScrolling) {
                ++moves;
                lastY = level.getCamera().getAngleOfView()->y;
            }
        }
        ASSERT_EQ(level.getPhase(), Level::kAfterScrolling);
        EXPECT_EQ(moves, beforeScrolling == 0 ? 5 : 4) << "beforeScrolling " << beforeScrolling;
    }
}

TEST(ScreenTransition, TheStartingFrameFreezesTheEnemyButTheCameraFollows) {
    LevelFixture game;
    TestLevel test = LevelFixture::standardLevel();
    test.rows = blankScreens(2, 2);
    for (int x = 0; x < 448; x += 16) {
        setTileAt(test.rows, x, 192, '#');
        setTileAt(test.rows, x, 432, '#');
    }
    test.boundaries = {Rect{0, 0, 512, 240}, Rect{0, 240, 512, 240}};
    game.writeLevel(test);
    useTileSheet(game.video);
    Level& level = game.start();
    game.frame();
    const Controls right = LevelFixture::holding(Direction::kRight);
    ASSERT_TRUE(game.runUntil(
        [&] {
            const Rect* box = level.getPlayer()->getBoundingBox();
            return box->y > 180 && level.getPhase() == Level::kPlaying &&
                   level.getPlayer()->getMovementMode() == MovementMode::kInAir;
        },
        right));
    // Frames until the transition starts: the enemy's picture alternates every update.
    std::vector<int> enemyPictures;
    while (level.getPhase() == Level::kPlaying) {
        game.video.clearCalls();
        game.frame(right);
        const std::vector<RecordingVideo::Call> enemy = game.video.screenCopiesOf("enemy.bmp");
        ASSERT_EQ(enemy.size(), 1u);
        enemyPictures.push_back(enemy[0].sourceRect.y);
    }
    ASSERT_GE(enemyPictures.size(), 2u);
    const std::size_t last = enemyPictures.size() - 1;
    EXPECT_EQ(enemyPictures[last], enemyPictures[last - 1]);
    EXPECT_NE(enemyPictures[last - 1], last >= 2 ? enemyPictures[last - 2] : -1);
    // The view still followed the player in that frame (clamped to the 512-pixel stretch).
    const Rect* box = level.getPlayer()->getBoundingBox();
    const int target = box->x + box->w / 2 - 128;
    EXPECT_EQ(level.getCamera().getAngleOfView()->x,
              target < 0 ? 0 : (target > 256 ? 256 : target));
    EXPECT_GT(level.getCamera().getAngleOfView()->x, 0);
}

TEST(ScreenTransition, AStartWhileTheAfterScrollWaitEndsIsNotLost) {
    LevelFixture game;
    // The player barely moves during the scroll and is not moved into the new screen, so
    // the frame that ends the wait finds it still at the edge and starts another scroll.
    game.writeCharacter(
        "[Options]\nadjustPositionAfterScroll = false\n"
        "[YSpeed]\nscrollingInt = 0\nscrollingFraction = 0\n"
        "[Durations]\nbeforeScrolling = 0\nscrolling = 2\nafterScrolling = 1\n");
    Level& level = game.start();
    game.frame();
    const Controls right = LevelFixture::holding(Direction::kRight);
    ASSERT_TRUE(game.runUntil([&] { return level.getPhase() == Level::kAfterScrolling; }, right));
    for (int i = 0; i < 200; ++i) {
        game.frame(right);
        ASSERT_FALSE(level.getPhase() == Level::kPlaying && level.getPlayer()->isScrolling())
            << "frame " << i << ": the level plays while the player still scrolls";
    }
}

TEST(LevelDrawing, ClearsThePictureOnlyWhereTheMapLeavesPartOfItUnpainted) {
    LevelFixture game;
    Level& level = game.start();
    game.frame();
    game.video.clearCalls();
    level.draw();  // the view lies on a present screen: its tiles paint every pixel
    EXPECT_TRUE(game.video.callsOf(Kind::kClear).empty());

    level.getCamera().move(0, 10);  // across both screen rows, both present
    game.video.clearCalls();
    level.draw();
    EXPECT_TRUE(game.video.callsOf(Kind::kClear).empty());

    level.getCamera().move(0, 240);  // half below the map: black there, not the last frame
    game.video.clearCalls();
    level.draw();
    ASSERT_FALSE(game.video.calls.empty());
    EXPECT_EQ(game.video.calls.front().kind, Kind::kClear);
}

TEST(LevelDrawing, DrawsMapEnemyAndPlayerInThatOrder) {
    LevelFixture game;
    Level& level = game.start();
    game.frame();
    game.video.clearCalls();
    level.draw();
    ASSERT_FALSE(game.video.calls.empty());
    int lastMap = -1;
    int enemy = -1;
    int player = -1;
    for (std::size_t i = 0; i < game.video.calls.size(); ++i) {
        const std::string path = game.video.pathOf(game.video.calls[i].source);
        if (path == "tiles.bmp") {
            lastMap = static_cast<int>(i);
        } else if (path == "enemy.bmp") {
            enemy = static_cast<int>(i);
        } else if (path == "hero_r.bmp" && player < 0) {
            player = static_cast<int>(i);
        }
    }
    EXPECT_LT(lastMap, enemy);
    EXPECT_LT(enemy, player);
}

TEST(LevelLoading, RefusesMissingFilesAndUnknownLevels) {
    {
        LevelFixture game;
        std::filesystem::remove(game.scratch.path() / "levels.ini");
        testing::internal::CaptureStderr();
        EXPECT_THROW(game.start(), LoadError);
        testing::internal::GetCapturedStderr();
    }
    {
        LevelFixture game;
        std::filesystem::remove(game.scratch.path() / "hero.ini");
        game.manager = std::make_unique<GameStateManager>();
        game.manager->setInitMessage(GameStateManager::InitMessageId::kLevel, "Test");
        game.manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, "hero.ini");
        const int menuBitmaps = game.video.liveBitmaps();
        testing::internal::CaptureStderr();
        try {
            Level level(game.manager.get());
            ADD_FAILURE() << "a missing character file was accepted";
        } catch (const LoadError& error) {
            EXPECT_EQ(error.file(), "hero.ini");
        }
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(game.video.liveBitmaps(), menuBitmaps) << "a refused level leaked an image";
    }
    {
        LevelFixture game;
        game.manager = std::make_unique<GameStateManager>();
        game.manager->setInitMessage(GameStateManager::InitMessageId::kLevel, "Nowhere");
        try {
            Level level(game.manager.get());
            ADD_FAILURE() << "an unknown level was accepted";
        } catch (const LoadError& error) {
            EXPECT_NE(std::string(error.what()).find("Nowhere"), std::string::npos);
        }
    }
}

TEST(LevelLoading, PhaseLengthsBelowOneFrameAreRaisedWithAWarning) {
    LevelFixture game;
    game.writeCharacter(
        "[Durations]\nready = -4\nscrolling = 0\nafterScrolling = -3\n"
        "[ReadyMessage]\ndisplayInterval = 0\n");
    testing::internal::CaptureStderr();
    Level& level = game.start();
    const std::string warnings = testing::internal::GetCapturedStderr();
    // Each names the value as the file writes it.
    EXPECT_NE(warnings.find("kestrelix: hero.ini: [ReadyMessage] displayInterval = 0 is less "
                            "than one frame, using 1"),
              std::string::npos);
    EXPECT_NE(warnings.find("[Durations] scrolling = 0 is less than one frame, using 1"),
              std::string::npos);
    EXPECT_NE(warnings.find("[Durations] afterScrolling = -3 is less than one frame, using 1"),
              std::string::npos);
    EXPECT_NE(warnings.find("[Durations] ready = -4 is negative, using 1"), std::string::npos);
    game.frame();
    EXPECT_EQ(level.getPhase(), Level::kPlaying);  // one frame of ready, as for "ready = 1"
}

TEST(LevelLoading, ABlinkIntervalOfZeroFlipsTheMessageEveryFrame) {
    LevelFixture game;
    game.writeCharacter("[Durations]\nready = 10\n[ReadyMessage]\ndisplayInterval = 0\n");
    testing::internal::CaptureStderr();
    Level& level = game.start();
    testing::internal::GetCapturedStderr();
    game.frame();
    const bool first = level.isReadyVisible();
    game.frame();
    EXPECT_NE(level.isReadyVisible(), first);
}

TEST(ReadyPhase, WithoutAFirstReadyPhaseARestartShowsOneFrameOfIt) {
    LevelFixture game;  // "ready = 0"
    Level& level = game.start();
    game.frame();
    const Controls right = LevelFixture::holding(Direction::kRight);
    // Down into the lower row, then off its floor into the missing screen below.
    ASSERT_TRUE(game.runUntil(
        [&] {
            return level.getPhase() == Level::kPlaying &&
                   level.getMap()->getCurrentBoundary().y == 240 &&
                   level.getPlayer()->getMovementMode() == MovementMode::kInAir;
        },
        right, 3000));
    ASSERT_TRUE(game.runUntil(
        [&] { return level.getPlayer()->getMovementMode() == MovementMode::kTeleporting; }, right));
    // The restart frame's own draw already ends the ready phase: counter 1 is past 0.
    EXPECT_EQ(level.getPhase(), Level::kPlaying);
    EXPECT_EQ(level.getFrameCounter(), 0);
}

TEST(LevelLoading, ScrollSpeedOfMoreThanAScreenAFrameIsRefused) {
    LevelFixture game;
    game.writeCharacter("[ScrollConstants]\nverticalSpeed = -2147483648\n");
    game.manager = std::make_unique<GameStateManager>();
    game.manager->setInitMessage(GameStateManager::InitMessageId::kLevel, "Test");
    game.manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, "hero.ini");
    const int menuBitmaps = game.video.liveBitmaps();
    try {
        Level level(game.manager.get());
        ADD_FAILURE() << "an absurd scroll speed was accepted";
    } catch (const LoadError& error) {
        EXPECT_EQ(error.file(), "hero.ini");
        EXPECT_NE(error.problem().find("verticalSpeed"), std::string::npos);
    }
    EXPECT_EQ(game.video.liveBitmaps(), menuBitmaps);
}
