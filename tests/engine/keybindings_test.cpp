#include "engine/keybindings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "engine/gameengine.h"
#include "scratchdir.h"

// [Keys] and [Pad] of settings.ini, read on their own and through the engine.

namespace {

using Action = KeyBindings::Action;

KeyBindings load(const ScratchDir& scratch, const std::string& text) {
    scratch.write("settings.ini", text);
    return KeyBindings(IniDictionary("settings.ini"));
}

}  // namespace

TEST(KeyBindings, DefaultsAreTheKeysOfTheFirstReleasesAndAllDistinct) {
    const KeyBindings bindings;
    EXPECT_EQ(bindings.key(Action::kLeft), SDLK_LEFT);
    EXPECT_EQ(bindings.key(Action::kRight), SDLK_RIGHT);
    EXPECT_EQ(bindings.key(Action::kUp), SDLK_UP);
    EXPECT_EQ(bindings.key(Action::kDown), SDLK_DOWN);
    EXPECT_EQ(bindings.key(Action::kJump), SDLK_SPACE);
    EXPECT_EQ(bindings.key(Action::kShoot), SDLK_b);
    EXPECT_EQ(bindings.key(Action::kPause), SDLK_RETURN);
    EXPECT_EQ(bindings.key(Action::kStep), SDLK_TAB);
    EXPECT_EQ(bindings.key(Action::kMenu), SDLK_ESCAPE);
    EXPECT_EQ(bindings.key(Action::kFullscreen), SDLK_F11);
    EXPECT_EQ(bindings.button(Action::kJump), SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(bindings.button(Action::kShoot), SDL_CONTROLLER_BUTTON_X);

    // Every row names a real key, in table order, and no key or button serves two actions
    // (a row added later with a taken default would silently shadow the other).
    std::set<SDL_Keycode> keys;
    std::set<int> buttons;
    for (int i = 0; i < KeyBindings::kActionCount; ++i) {
        const KeyBindings::Row& row = KeyBindings::table()[static_cast<std::size_t>(i)];
        EXPECT_EQ(static_cast<int>(row.action), i) << row.name;
        EXPECT_NE(bindings.key(row.action), SDLK_UNKNOWN) << row.name;
        EXPECT_TRUE(keys.insert(bindings.key(row.action)).second) << row.name;
        if (bindings.button(row.action) != SDL_CONTROLLER_BUTTON_INVALID) {
            EXPECT_TRUE(buttons.insert(bindings.button(row.action)).second) << row.name;
        }
        Action found = Action::kCount;
        ASSERT_TRUE(bindings.actionForKey(bindings.key(row.action), found));
        EXPECT_EQ(found, row.action);
    }
}

TEST(KeyBindings, EntriesOverrideSingleRowsAndMaySwapKeys) {
    ScratchDir scratch;
    const KeyBindings bindings = load(scratch,
                                      "[Keys]\njump = Return\npause = Space\nshoot = z\n"
                                      "[Pad]\njump = b\nshoot = A\n");
    EXPECT_EQ(bindings.key(Action::kJump), SDLK_RETURN);
    EXPECT_EQ(bindings.key(Action::kPause), SDLK_SPACE);
    EXPECT_EQ(bindings.key(Action::kShoot), SDLK_z);
    EXPECT_EQ(bindings.key(Action::kLeft), SDLK_LEFT);
    EXPECT_EQ(bindings.button(Action::kJump), SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(bindings.button(Action::kShoot), SDL_CONTROLLER_BUTTON_A);
    Action action = Action::kCount;
    EXPECT_FALSE(bindings.actionForKey(SDLK_b, action));
    EXPECT_FALSE(bindings.actionForButton(SDL_CONTROLLER_BUTTON_X, action));
}

// Every way a binding can be wrong, each refused with the file, the section and the entry
// as written.
TEST(KeyBindings, RefusesWhatNoKeyOrButtonIsAndDoubleBindings) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"[Keys]\njump = Spacebar\n", "settings.ini: [Keys] jump = Spacebar names no key"},
        {"[Keys]\njump =\n", "settings.ini: [Keys] jump =  names no key"},
        {"[Keys]\njmup = Space\n", "settings.ini: [Keys] jmup is no action of the game"},
        {"[Keys]\njump = Return\n", "settings.ini: [Keys] jump = Return is also the key of pause"},
        {"[Keys]\nleft = a\nright = A\n", "settings.ini: [Keys] left = a is also the key of right"},
        {"[Pad]\njump = south\n", "settings.ini: [Pad] jump = south names no controller button"},
        {"[Pad]\nshot = x\n", "settings.ini: [Pad] shot is no action of the game"},
        {"[Pad]\nmenu = a\n", "settings.ini: [Pad] menu = a is also the button of jump"},
    };
    ScratchDir scratch;
    for (const auto& c : cases) {
        try {
            load(scratch, c.text);
            ADD_FAILURE() << c.text << " was accepted";
        } catch (const LoadError& error) {
            EXPECT_EQ(std::string(error.what()), c.message) << c.text;
        }
    }
}

TEST(KeyBindings, TheEngineRefusesToStartWithABadBinding) {
    ScratchDir scratch;
    scratch.write("settings.ini", "[Video]\npixelMultiplier = 1\n[Keys]\nshoot = Tab\n");
    try {
        GameEngine engine;
        ADD_FAILURE() << "the engine started";
    } catch (const LoadError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "settings.ini: [Keys] shoot = Tab is also the key of step");
    }
}
