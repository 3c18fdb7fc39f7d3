#include "playertest.h"

#include "config/inidictionary.h"
#include "states/gamestatemanager.h"
#include "states/level.h"

namespace {

// Ten one-picture animations; four sheets laid out alike (right, left, and the two while
// shooting).
std::string spriteDescription(const std::string& sheetPrefix, int animations, int sheets) {
    std::string text = "[Spritesheets]\namount = " + std::to_string(sheets) + "\n";
    for (int i = 0; i < sheets; ++i) {
        text +=
            "spritesheet" + std::to_string(i) + " = " + sheetPrefix + std::to_string(i) + ".bmp\n";
    }
    text +=
        "[Sprites]\namount = 1\nwidth = 24\nheight = 24\nxOffset = -12\nyOffset = -12\n"
        "sprite0YPos = 0\n";
    text += "[Animations]\namount = " + std::to_string(animations) + "\n";
    for (int a = 0; a < animations; ++a) {
        text += "[Animation" + std::to_string(a) +
                "]\nnFrames = 1\nframe0SpriteIndex = 0\nframe0Duration = 4\n";
    }
    return text;
}

}  // namespace

std::string characterIni(const Character& c) {
    std::string text;
    text += "[Options]\n" + c.options;
    text += "[XSpeed]\n" + c.xSpeed +
            "acceleratingInt = 0\nacceleratingFraction = 32\n"
            "deceleratingInt = 0\ndeceleratingFraction = 128\n"
            "jumpAcceleratingInt = 0\njumpAcceleratingFraction = 64\n"
            "jumpingInt = 1\njumpingFraction = 80\n"
            "reelingInt = 0\nreelingFraction = 192\n"
            "runningInt = 1\nrunningFraction = 96\n";
    text += "[YSpeed]\n" + c.ySpeed +
            "climbingInt = 0\nclimbingFraction = 192\n"
            "collisionInt = -1\ncollisionFraction = 192\n"
            "fallingInt = -1\nfallingFraction = 128\n"
            "gravityInt = 0\ngravityFraction = 64\n"
            "jumpingInt = 4\njumpingFraction = 224\n"
            "jumpReleasedInt = 0\njumpReleasedFraction = 64\n"
            "jumpReleasedMaxInt = 1\njumpReleasedMaxFraction = 0\n"
            "minInt = -4\nminFraction = 0\n"
            "scrollingInt = 1\nscrollingFraction = 64\n"
            "scrollingFirstFrameInt = 2\nscrollingFirstFrameFraction = 0\n"
            "reelingInt = 1\nreelingFraction = 0\n";
    text += "[Durations]\n" + c.durations +
            "accelerating = 6\nacceleratingPreviousAnimation = 2\n"
            "decelerating = 4\ndeceleratingPreviousAnimation = 1\n"
            "invincible = 10\nlanding = 3\nreeling = 12\nshooting = 5\n"
            "ready = 0\nscrolling = 5\nbeforeScrolling = 0\nafterScrolling = 2\n";
    text += "[ReadyMessage]\ndisplayInterval = 1\n";
    text += "[ScrollConstants]\n" + c.scroll +
            "startFraction = 64\ndownEndPosY = 8\nupEndPosY = 200\n"
            "verticalSpeed = 48\nstartPosTop = 0\nstartPosBottom = 240\n";
    text += "[BoundingBox]\n" + c.box +
            "heightHalf = 12\nxOffset = -7\nyOffset = -12\nwidth = 14\nheight = 23\n";
    text +=
        "[Bullet]\nspritesheet = bullet.bmp\nxOffsetLeft = -12\nxOffsetRight = 8\n"
        "yOffset = -2\n";
    text += spriteDescription("voltbot", Voltbot::kAnimationsNeeded, 4);
    return text;
}

PlayerTest::PlayerTest() {
    writeCommonFiles();
}

PlayerTest::~PlayerTest() = default;

void PlayerTest::writeCommonFiles() {
    scratch.write("font.ini",
                  "[Properties]\nsheet = font.bmp\ncharacterHeight = 8\ncharacterWidth = 8\n"
                  "[Characters]\n- = 80\n");
    scratch.write("enemy.ini", spriteDescription("enemy", 1, 1));
    scratch.write("stageselect.ini",
                  "[Levels]\namount = 1\nlevel0 = Test\n"
                  "[Voltbots]\namount = 1\nvoltbot0 = test.ini\nvoltbot0title = TEST\n");
}

std::vector<std::string> PlayerTest::flatFloor() {
    std::vector<std::string> rows = blankScreens(1, 1);
    rows[10] = std::string(16, '#');
    return rows;
}

void PlayerTest::build(const std::vector<std::string>& rows, const Character& character, int startX,
                       int stopY) {
    TestLevel description;
    description.rows = rows;
    const int boundaryX = startX - 128;
    description.boundaries = {Rect{
        boundaryX, 0,
        static_cast<std::uint16_t>(static_cast<int>(rows.front().size()) * 16 - boundaryX), 240}};
    description.teleportStopPosY = stopY;
    writeTestLevel(scratch, description);
    useTileSheet(video);
    scratch.write("test.ini", characterIni(character));

    IniDictionary levels("levels.ini");
    map = std::make_unique<Map>("Test", levels);
    IniDictionary dictionary("test.ini");
    bot = std::make_unique<Voltbot>(dictionary, nullptr, map.get());
}

void PlayerTest::buildLevel(const TestLevel& description, const Character& character) {
    writeTestLevel(scratch, description);
    useTileSheet(video);
    scratch.write("test.ini", characterIni(character));
    manager = std::make_unique<GameStateManager>();
    manager->setInitMessage(GameStateManager::InitMessageId::kLevel, "Test");
    manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, "test.ini");
    level = std::make_unique<Level>(manager.get());
    level->draw();  // "ready" is 0: the first draw starts play
}

Controls PlayerTest::controlsFor(int keys) {
    const auto dirX = [](int k) {
        return (k & kLeft) ? Direction::kLeft : (k & kRight) ? Direction::kRight : Direction::kNone;
    };
    const auto dirY = [](int k) {
        return (k & kUp) ? Direction::kUp : (k & kDown) ? Direction::kDown : Direction::kNone;
    };
    Controls c;
    c.dirX = dirX(keys);
    c.dirY = dirY(keys);
    c.prevDirX = dirX(m_previousKeys);
    c.prevDirY = dirY(m_previousKeys);
    c.leftHeld = (keys & kLeft) != 0;
    c.rightHeld = (keys & kRight) != 0;
    c.upHeld = (keys & kUp) != 0;
    c.downHeld = (keys & kDown) != 0;
    c.jumpHeld = (keys & kJump) != 0;
    c.jumpPressed = (keys & kJump) && !(m_previousKeys & kJump);
    c.jumpReleased = !(keys & kJump) && (m_previousKeys & kJump);
    c.shootHeld = (keys & kShoot) != 0;
    c.shootPressed = (keys & kShoot) && !(m_previousKeys & kShoot);
    c.shootReleased = !(keys & kShoot) && (m_previousKeys & kShoot);
    m_previousKeys = keys;
    return c;
}

void PlayerTest::step(int keys) {
    const Controls c = controlsFor(keys);
    if (level) {
        level->getPlayer()->update(c, level->getCamera());
    } else {
        bot->update(c, camera);
    }
}

void PlayerTest::steps(int count, int keys) {
    for (int i = 0; i < count; ++i) {
        step(keys);
    }
}

int PlayerTest::arrive() {
    for (int frame = 1; frame <= 200; ++frame) {
        if (level) {
            levelFrame();
        } else {
            step();
        }
        if (player().getState() == Voltbot::State::kStanding) {
            return frame;
        }
    }
    ADD_FAILURE() << "the player never came to stand";
    return -1;
}

void PlayerTest::levelFrame(int keys) {
    level->update(controlsFor(keys));
    level->draw();
}

Voltbot& PlayerTest::player() {
    return level ? *level->getPlayer() : *bot;
}
