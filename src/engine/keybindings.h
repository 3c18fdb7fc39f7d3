#pragma once

#include <SDL.h>

#include <array>

class IniDictionary;

// Which keyboard key and which controller button trigger each action of the game. Every
// action is a row of one table (its name in settings.ini, its default key and button);
// [Keys] and [Pad] in settings.ini override single rows. Loading refuses a name that is no
// SDL key or controller button, an action name the table does not know, and one key or
// button bound to two actions, naming the file, the section and the entry. Lookups walk a
// fixed array: nothing is allocated once loaded.
class KeyBindings {
  public:
    // New keys of the game go here and as a row of table(); kCount stays last.
    enum class Action : int {
        kLeft,
        kRight,
        kUp,
        kDown,
        kJump,
        kShoot,
        kPause,
        kStep,
        kMenu,
        kFullscreen,
        kRecord,
        kFastForward,
        kSlowMotion,
        kMute,
        // The time machine's: handed to the engine's key handler, not to the input record.
        kSlot1,
        kSlot2,
        kSlot3,
        kSlot4,
        kRewind,
        kReload,
        kCount
    };
    static constexpr int kActionCount = static_cast<int>(Action::kCount);

    struct Row {
        Action action;
        const char* name;    // the entry in [Keys] and [Pad]
        const char* key;     // SDL key name of the default; never empty
        const char* button;  // SDL controller button name of the default, "" for none
    };
    static const std::array<Row, kActionCount>& table();

    // The defaults of the table.
    KeyBindings();
    // The defaults with [Keys] and [Pad] of the settings applied; throws LoadError.
    explicit KeyBindings(const IniDictionary& settings);

    // The action a key or button triggers; false when it triggers none.
    bool actionForKey(SDL_Keycode key, Action& action) const;
    bool actionForButton(SDL_GameControllerButton button, Action& action) const;
    SDL_Keycode key(Action action) const { return m_keys[index(action)]; }
    SDL_GameControllerButton button(Action action) const { return m_buttons[index(action)]; }

    static const char* name(Action action) { return table()[index(action)].name; }
    static constexpr std::size_t index(Action action) { return static_cast<std::size_t>(action); }

  private:
    void readKeys(const IniDictionary& settings);
    void readButtons(const IniDictionary& settings);

    std::array<SDL_Keycode, kActionCount> m_keys{};
    std::array<SDL_GameControllerButton, kActionCount> m_buttons{};
};
