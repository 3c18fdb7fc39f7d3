#include "playertest.h"

#include "config/inidictionary.h"
#include "fixture.h"

std::string characterIni(const Character& c) {
    return fixture::character("[Options]\n" + c.options + "[XSpeed]\n" + c.xSpeed + "[YSpeed]\n" +
                              c.ySpeed + "[Durations]\n" + c.durations + "[ScrollConstants]\n" +
                              c.scroll + "[BoundingBox]\n" + c.box + fixture::text("distinct.ini"));
}

// The enemy's picture is drawn 12 pixels up and left of its box, so that the draw test
// sees the description's offset applied.
PlayerTest::PlayerTest() {
    scratch.write("enemy.ini",
                  "[Sprites]\nxOffset = -12\nyOffset = -12\n" + fixture::text("enemy.ini"));
}

PlayerTest::~PlayerTest() = default;

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
    writeLevel(description);
    scratch.write("hero.ini", characterIni(character));

    IniDictionary levels("levels.ini");
    map = std::make_unique<Map>("Test", levels);
    IniDictionary dictionary("hero.ini");
    bot = std::make_unique<Voltbot>(dictionary, nullptr, map.get());
}

void PlayerTest::standOnFloor(const Character& character) {
    build(flatFloor(), character);
    arrive();
}

void PlayerTest::buildLevel(const TestLevel& description, const Character& character) {
    writeLevel(description);
    scratch.write("hero.ini", characterIni(character));
    start();
    level->draw();  // "ready" is 0: the first draw starts play
}

Controls PlayerTest::controlsFor(int keys) {
    m_controls.beginFrame();
    for (const Controls::Key key :
         {Controls::Key::kLeft, Controls::Key::kRight, Controls::Key::kUp, Controls::Key::kDown,
          Controls::Key::kJump, Controls::Key::kShoot}) {
        const int bit = keyBit(key);
        if ((keys & bit) && !(m_previousKeys & bit)) {
            m_controls.press(key);
        } else if (!(keys & bit) && (m_previousKeys & bit)) {
            m_controls.release(key);
        }
    }
    m_previousKeys = keys;
    return m_controls;
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
    frame(controlsFor(keys));
}

int PlayerTest::sheetDrawn() {
    video.clearCalls();
    player().draw(camera);
    const char* const sheets[] = {"hero_r.bmp", "hero_l.bmp", "hero_rs.bmp", "hero_ls.bmp"};
    for (int sheet = 0; sheet < 4; ++sheet) {
        if (!video.screenCopiesOf(sheets[sheet]).empty()) {
            return sheet;
        }
    }
    return -1;
}

Voltbot& PlayerTest::player() {
    return level ? *level->getPlayer() : *bot;
}
