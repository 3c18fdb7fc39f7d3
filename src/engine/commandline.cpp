#include "engine/commandline.h"

#include <algorithm>
#include <cstring>

#include "config/datafolder.h"

namespace {

const CommandLine::Option* findOption(const char* name) {
    const auto& options = CommandLine::options();
    const auto found = std::find_if(options.begin(), options.end(), [name](const auto& option) {
        return std::strcmp(option.name, name) == 0;
    });
    return found == options.end() ? nullptr : &*found;
}

}  // namespace

const std::vector<CommandLine::Option>& CommandLine::options() {
    static const std::vector<Option> table = {
        {"--help", nullptr, "print this help and exit"},
        {"--ghost", "CHARACTER",
         "also run each level with this character file on the same input; its robot is drawn "
         "see-through"},
        {"--ghost-play", "FILE",
         "race a recorded run: in the level of the input script FILE, a ghost replays it "
         "(not with --ghost)"},
        {"--version", nullptr, "print the version and exit"},
        {"--data", "DIR",
         "the folder with the game's files (default: the working directory, "
         "else the installed data)"},
        {"--quit-after", "FRAMES", "quit after presenting this many frames (for tests)"},
        {"--record", "FILE",
         "record every level played into FILE (then FILE-2, ...); never overwrites"},
        {"--play", "FILE", "watch the input script FILE in its level; F9 takes over"},
        {"--from-slot", "N",
         "with --play: start at slot N (1-4) saved while FILE was recorded (run.txt's "
         "slot 2 is run.slot2.txt) and play the script on from there"},
        {"--verbose", nullptr, "say on standard error why the game is silent, if it is"},
    };
    return table;
}

const std::vector<CommandLine::KeyHelp>& CommandLine::keys() {
    static const std::vector<KeyHelp> table = {
        {"Arrow keys", "run left and right, climb ladders; in the menu: move the cursor"},
        {"Space", "jump (hold for a higher jump); in the menu: back to the level column"},
        {"b", "shoot; in the menu: go to the character column, confirm"},
        {"Enter", "pause / resume (the window title says \"Kestrelix - paused\")"},
        {"Tab", "while paused: advance one frame"},
        {"F1 .. F4", "save the level's whole state to slot 1 .. 4 (kept until a reload)"},
        {"Shift+F1 .. F4", "go back to the state saved in slot 1 .. 4"},
        {"Backspace", "hold: rewind, one frame back per frame; while paused: one frame back"},
        {"F5", "reload the character and level files and restart the level"},
        {"F9", "start / stop recording (restarts the level); while watching: take over"},
        {"F6", "hold: fast-forward, 4 updates per frame"},
        {"F7", "slow motion (1/4 speed) on / off"},
        {"Escape", "in a level (paused or not): back to the menu; in the menu: quit"},
        {"F11, Alt+Enter", "fullscreen on / off"},
        {"Gamepad",
         "d-pad or left stick: arrows; south: jump; west: shoot; Start: pause; "
         "Back: step"},
        {"m", "mute / unmute the sound"},
        {"settings.ini", "[Keys] and [Pad] rebind these (see the README)"},
    };
    return table;
}

CommandLine::CommandLine(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        const Option* option = findOption(argv[i]);
        if (option == nullptr) {
            throw CommandLineError(argv[i][0] == '-'
                                       ? std::string("unknown option ") + argv[i]
                                       : std::string("unexpected argument ") + argv[i]);
        }
        Given given{option->name, ""};
        if (option->valueName != nullptr) {
            if (i + 1 >= argc) {
                throw CommandLineError(std::string(option->name) + " needs " + option->valueName);
            }
            given.value = argv[++i];
            // Files and folders the user names are relative to where they started the
            // program, even after it moves into its data folder.
            if (std::strcmp(option->valueName, "FILE") == 0 ||
                std::strcmp(option->valueName, "DIR") == 0) {
                given.value = DataFolder::fromStartFolder(given.value);
            }
        }
        m_given.push_back(std::move(given));
    }
}

bool CommandLine::has(const std::string& name) const {
    return std::any_of(m_given.begin(), m_given.end(),
                       [&name](const Given& given) { return given.name == name; });
}

std::string CommandLine::value(const std::string& name, const std::string& fallback) const {
    const auto found = std::find_if(m_given.rbegin(), m_given.rend(),
                                    [&name](const Given& given) { return given.name == name; });
    return found == m_given.rend() ? fallback : found->value;
}

std::vector<std::string> CommandLine::values(const std::string& name) const {
    std::vector<std::string> result;
    for (const Given& given : m_given) {
        if (given.name == name) {
            result.push_back(given.value);
        }
    }
    return result;
}

std::string CommandLine::usage() {
    std::string text =
        "Usage: kestrelix [OPTION]...\n"
        "Plays the game; its files are found by itself (see --data).\n\nOptions:\n";
    for (const Option& option : options()) {
        std::string left = std::string("  ") + option.name;
        if (option.valueName != nullptr) {
            left += std::string(" ") + option.valueName;
        }
        left.resize(std::max<std::size_t>(left.size() + 2, 26), ' ');
        text += left + option.help + "\n";
    }
    text += "\nKeys:\n";
    for (const KeyHelp& key : keys()) {
        std::string left = std::string("  ") + key.keys;
        left.resize(std::max<std::size_t>(left.size() + 2, 26), ' ');
        text += left + key.help + "\n";
    }
    return text;
}
