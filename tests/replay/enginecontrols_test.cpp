// The script's edges must be the ones the real engine makes from the same key events:
// the same spans are sent to a GameEngine as SDL key events and the records compared.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "engine/gameengine.h"
#include "scratchdir.h"
#include "states/inputscript.h"

namespace {

SDL_Keycode keycodeOf(InputScript::Key key) {
    switch (key) {
        case InputScript::Key::kLeft:
            return SDLK_LEFT;
        case InputScript::Key::kRight:
            return SDLK_RIGHT;
        case InputScript::Key::kUp:
            return SDLK_UP;
        case InputScript::Key::kDown:
            return SDLK_DOWN;
        case InputScript::Key::kJump:
            return SDLK_SPACE;
        case InputScript::Key::kShoot:
            return SDLK_b;
    }
    return SDLK_UNKNOWN;
}

void pushKey(Uint32 type, InputScript::Key key) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = keycodeOf(key);
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

bool contains(const std::vector<InputScript::Key>& keys, InputScript::Key key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

void expectSame(const Controls& engine, const Controls& script, int frame) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    EXPECT_EQ(engine.dirX, script.dirX);
    EXPECT_EQ(engine.dirY, script.dirY);
    EXPECT_EQ(engine.prevDirX, script.prevDirX);
    EXPECT_EQ(engine.prevDirY, script.prevDirY);
    EXPECT_EQ(engine.upHeld, script.upHeld);
    EXPECT_EQ(engine.downHeld, script.downHeld);
    EXPECT_EQ(engine.leftHeld, script.leftHeld);
    EXPECT_EQ(engine.rightHeld, script.rightHeld);
    EXPECT_EQ(engine.shootPressed, script.shootPressed);
    EXPECT_EQ(engine.shootHeld, script.shootHeld);
    EXPECT_EQ(engine.shootReleased, script.shootReleased);
    EXPECT_EQ(engine.jumpPressed, script.jumpPressed);
    EXPECT_EQ(engine.jumpHeld, script.jumpHeld);
    EXPECT_EQ(engine.jumpReleased, script.jumpReleased);
}

}  // namespace

TEST(ScriptedControls, MatchTheEngineForTheSameKeyEvents) {
    std::istringstream text(
        "2 right\n1 right jump\n3 right jump shoot\n1 left right\n2 left\n1 -\n"
        "1 up down\n2 down\n1 up\n1 shoot jump\n1 right left up\n2 -\n");
    const InputScript script = InputScript::parse(text, "engine.txt");
    const std::vector<Controls> expected = script.toControls(script.frameCount() + 1);

    ScratchDir scratch;
    GameEngine engine(1);
    std::vector<InputScript::Key> held;
    int frame = 0;
    auto runFrame = [&](const std::vector<InputScript::Key>& wanted) {
        for (InputScript::Key key : held) {
            if (!contains(wanted, key)) {
                pushKey(SDL_KEYUP, key);
            }
        }
        for (InputScript::Key key : wanted) {
            if (!contains(held, key)) {
                pushKey(SDL_KEYDOWN, key);
            }
        }
        held = wanted;
        engine.handleEvents();
        expectSame(engine.getControls(), expected[static_cast<std::size_t>(frame)], frame + 1);
        ++frame;
    };
    for (const InputScript::Span& span : script.spans()) {
        for (int i = 0; i < span.frames; ++i) {
            runFrame(span.keys);
        }
    }
    runFrame({});
}

TEST(GameEngineForTools, ExplicitMultiplierOverridesSettings) {
    ScratchDir scratch;
    scratch.write("settings.ini", "[Video]\npixelMultiplier=3\n");
    GameEngine engine(2);
    EXPECT_EQ(engine.getPixelMultiplier(), 2);
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(engine.renderer(), &width, &height);
    EXPECT_EQ(width, 512);
    EXPECT_EQ(height, 480);
}
