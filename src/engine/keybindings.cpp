#include "engine/keybindings.h"

#include <string>

#include "config/inidictionary.h"
#include "config/loaderror.h"

namespace {

constexpr const char* kKeysSection = "Keys";
constexpr const char* kPadSection = "Pad";

// The row of an entry name, or nullptr for a name no action has.
const KeyBindings::Row* findRow(const std::string& name) {
    for (const KeyBindings::Row& row : KeyBindings::table()) {
        if (name == row.name) {
            return &row;
        }
    }
    return nullptr;
}

[[noreturn]] void refuse(const IniDictionary& settings, const char* section,
                         const std::string& entry, const std::string& problem) {
    // The entry starts with its key; the user's own settings may be the file that gave it.
    const std::string key = entry.substr(0, entry.find(' '));
    throw LoadError(settings.pathOf(key.c_str(), section),
                    "[" + std::string(section) + "] " + entry + " " + problem);
}

void refuseUnknownEntries(const IniDictionary& settings, const char* section) {
    for (const std::string& entry : settings.keysOf(section)) {
        if (findRow(entry) == nullptr) {
            refuse(settings, section, entry, "is no action of the game");
        }
    }
}

}  // namespace

const std::array<KeyBindings::Row, KeyBindings::kActionCount>& KeyBindings::table() {
    // The keys of the first releases; the pad follows the usual layout: the south button
    // jumps, the west one shoots, Start pauses and Back steps.
    static const std::array<Row, kActionCount> rows = {{
        {Action::kLeft, "left", "Left", "dpleft"},
        {Action::kRight, "right", "Right", "dpright"},
        {Action::kUp, "up", "Up", "dpup"},
        {Action::kDown, "down", "Down", "dpdown"},
        {Action::kJump, "jump", "Space", "a"},
        {Action::kShoot, "shoot", "B", "x"},
        {Action::kPause, "pause", "Return", "start"},
        {Action::kStep, "step", "Tab", "back"},
        {Action::kMenu, "menu", "Escape", ""},
        {Action::kFullscreen, "fullscreen", "F11", ""},
        {Action::kRecord, "record", "F9", ""},
        {Action::kFastForward, "fastForward", "F6", ""},
        {Action::kSlowMotion, "slowMotion", "F7", ""},
        {Action::kMute, "mute", "M", ""},
        {Action::kSlot1, "slot1", "F1", ""},
        {Action::kSlot2, "slot2", "F2", ""},
        {Action::kSlot3, "slot3", "F3", ""},
        {Action::kSlot4, "slot4", "F4", ""},
        {Action::kRewind, "rewind", "Backspace", ""},
        {Action::kReload, "reload", "F5", ""},
    }};
    return rows;
}

KeyBindings::KeyBindings() {
    for (const Row& row : table()) {
        m_keys[index(row.action)] = SDL_GetKeyFromName(row.key);
        m_buttons[index(row.action)] = SDL_GameControllerGetButtonFromString(row.button);
    }
}

KeyBindings::KeyBindings(const IniDictionary& settings) : KeyBindings() {
    readKeys(settings);
    readButtons(settings);
}

void KeyBindings::readKeys(const IniDictionary& settings) {
    refuseUnknownEntries(settings, kKeysSection);
    for (const Row& row : table()) {
        const char* text = settings.getCStringValue(row.name, kKeysSection, nullptr);
        if (text == nullptr) {
            continue;
        }
        const SDL_Keycode key = SDL_GetKeyFromName(text);
        if (key == SDLK_UNKNOWN) {
            refuse(settings, kKeysSection, std::string(row.name) + " = " + text, "names no key");
        }
        m_keys[index(row.action)] = key;
    }
    // Checked once all are read, so that two keys may swap places.
    for (const Row& row : table()) {
        for (const Row& other : table()) {
            if (other.action != row.action && m_keys[index(other.action)] == key(row.action) &&
                settings.getCStringValue(row.name, kKeysSection, nullptr) != nullptr) {
                refuse(settings, kKeysSection,
                       std::string(row.name) + " = " +
                           settings.getCStringValue(row.name, kKeysSection, ""),
                       std::string("is also the key of ") + other.name);
            }
        }
    }
}

void KeyBindings::readButtons(const IniDictionary& settings) {
    refuseUnknownEntries(settings, kPadSection);
    for (const Row& row : table()) {
        const char* text = settings.getCStringValue(row.name, kPadSection, nullptr);
        if (text == nullptr) {
            continue;
        }
        const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(text);
        if (button == SDL_CONTROLLER_BUTTON_INVALID) {
            refuse(settings, kPadSection, std::string(row.name) + " = " + text,
                   "names no controller button");
        }
        m_buttons[index(row.action)] = button;
    }
    for (const Row& row : table()) {
        for (const Row& other : table()) {
            if (other.action != row.action && button(row.action) != SDL_CONTROLLER_BUTTON_INVALID &&
                m_buttons[index(other.action)] == button(row.action) &&
                settings.getCStringValue(row.name, kPadSection, nullptr) != nullptr) {
                refuse(settings, kPadSection,
                       std::string(row.name) + " = " +
                           settings.getCStringValue(row.name, kPadSection, ""),
                       std::string("is also the button of ") + other.name);
            }
        }
    }
}

bool KeyBindings::actionForKey(SDL_Keycode key, Action& action) const {
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] == key) {
            action = static_cast<Action>(i);
            return true;
        }
    }
    return false;
}

bool KeyBindings::actionForButton(SDL_GameControllerButton button, Action& action) const {
    if (button == SDL_CONTROLLER_BUTTON_INVALID) {
        return false;
    }
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i] == button) {
            action = static_cast<Action>(i);
            return true;
        }
    }
    return false;
}
