#include "levelfixture.h"

namespace {

const char* const kFont =
    "[Properties]\nsheet = font.bmp\ncharacterHeight = 8\ncharacterWidth = 8\n"
    "[Characters]\nR = 80\nE = 88\nA = 96\nD = 104\nY = 112\nspace = 120\n";

const char* const kStageSelect =
    "[Levels]\namount = 1\nlevel0 = Test\n[Voltbots]\namount = 1\nvoltbot0 = hero.ini\n";

// Two pictures of one frame each, so every enemy update changes the picture drawn.
const char* const kEnemy =
    "[Spritesheets]\namount = 1\nspritesheet0 = enemy.bmp\n"
    "[Sprites]\namount = 2\nwidth = 16\nheight = 8\nsprite0YPos = 0\nsprite1YPos = 8\n"
    "[Animations]\namount = 1\n"
    "[Animation0]\nnFrames = 2\nframe0SpriteIndex = 0\nframe0Duration = 1\n"
    "frame1SpriteIndex = 1\nframe1Duration = 1\n";

std::string characterSprite() {
    std::string text =
        "[Spritesheets]\namount = 4\nspritesheet0 = hero_r.bmp\nspritesheet1 = hero_l.bmp\n"
        "spritesheet2 = hero_rs.bmp\nspritesheet3 = hero_ls.bmp\n"
        "[Sprites]\namount = 1\nwidth = 24\nheight = 24\nxOffset = -12\nyOffset = -14\n"
        "sprite0YPos = 0\n[Animations]\namount = 10\n";
    for (int a = 0; a < 10; ++a) {
        text += "[Animation" + std::to_string(a) +
                "]\nnFrames = 1\nframe0SpriteIndex = 0\nframe0Duration = 1\n";
    }
    return text;
}

const char* const kCharacter =
    "[Options]\nadjustPositionAfterScroll = true\n"
    "[XSpeed]\nacceleratingInt = 0\nacceleratingFraction = 32\n"
    "deceleratingInt = 0\ndeceleratingFraction = 128\n"
    "jumpAcceleratingInt = 1\njumpAcceleratingFraction = 80\n"
    "jumpingInt = 1\njumpingFraction = 80\nreelingInt = 0\nreelingFraction = 128\n"
    "runningInt = 1\nrunningFraction = 96\n"
    "[YSpeed]\nclimbingInt = 0\nclimbingFraction = 192\ncollisionInt = 0\n"
    "collisionFraction = -192\nfallingInt = 0\nfallingFraction = 0\ngravityInt = 0\n"
    "gravityFraction = 64\njumpingInt = 4\njumpingFraction = 223\njumpReleasedInt = 1\n"
    "jumpReleasedFraction = 0\njumpReleasedMaxInt = 2\njumpReleasedMaxFraction = 31\n"
    "minInt = -12\nminFraction = 0\nscrollingInt = 0\nscrollingFraction = 192\n"
    "reelingInt = 1\nreelingFraction = 0\n"
    "[ScrollConstants]\nverticalSpeed = 4\nstartPosTop = 0\nstartPosBottom = 240\n"
    "downEndPosY = 20\nupEndPosY = 200\n"
    "[Durations]\nready = 0\nscrolling = 61\nbeforeScrolling = 15\nafterScrolling = 15\n"
    "accelerating = 7\nacceleratingPreviousAnimation = 0\ndecelerating = 8\n"
    "deceleratingPreviousAnimation = 0\ninvincible = 111\nlanding = 10\nreeling = 20\n"
    "shooting = 15\n"
    "[ReadyMessage]\ndisplayInterval = 15\n"
    "[BoundingBox]\nheightHalf = 10\nxOffset = -7\nyOffset = -12\nwidth = 14\nheight = 21\n"
    "[Bullet]\nspritesheet = bullet.bmp\nxOffsetLeft = -16\nxOffsetRight = 8\nyOffset = -4\n";

}  // namespace

LevelFixture::LevelFixture() {
    useTileSheet(video);
    scratch.write("font.ini", kFont);
    scratch.write("stageselect.ini", kStageSelect);
    scratch.write("enemy.ini", kEnemy);
    writeCharacter();
    writeLevel(standardLevel());
}

void LevelFixture::writeCharacter(const std::string& overrides) {
    scratch.write("hero.ini", overrides + kCharacter + characterSprite());
}

void LevelFixture::writeLevel(const TestLevel& test) {
    writeTestLevel(scratch, test);
}

TestLevel LevelFixture::standardLevel() {
    TestLevel test;
    test.rows = blankScreens(1, 2);
    for (int x = 0; x < 192; x += 16) {
        setTileAt(test.rows, x, 192, '#');
        setTileAt(test.rows, x, 432, '#');
    }
    test.boundaries = {Rect{0, 0, 256, 240}, Rect{0, 240, 256, 240}};
    test.teleportStopPosY = 180;
    return test;
}

Controls LevelFixture::holding(Direction::type dirX) {
    Controls controls;
    controls.dirX = dirX;
    controls.prevDirX = dirX;
    controls.rightHeld = dirX == Direction::kRight;
    controls.leftHeld = dirX == Direction::kLeft;
    return controls;
}

Level& LevelFixture::start() {
    manager = std::make_unique<GameStateManager>();
    manager->setInitMessage(GameStateManager::InitMessageId::kLevel, "Test");
    manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, "hero.ini");
    level = std::make_unique<Level>(manager.get());
    return *level;
}

void LevelFixture::frame(const Controls& controls) {
    level->update(controls);
    level->draw();
}

bool LevelFixture::runUntil(const std::function<bool()>& condition, const Controls& controls,
                            int limit) {
    for (int i = 0; i < limit; ++i) {
        if (condition()) {
            return true;
        }
        frame(controls);
    }
    return condition();
}
