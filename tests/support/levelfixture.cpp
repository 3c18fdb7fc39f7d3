#include "levelfixture.h"

#include "fixture.h"

LevelFixture::LevelFixture() {
    useTileSheet(video);
    fixture::writeGameFiles(scratch);
    writeCharacter();
    writeLevel(standardLevel());
}

void LevelFixture::writeCharacter(const std::string& overrides) {
    scratch.write("hero.ini", fixture::character(overrides));
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
