// kestrelix-replay: plays a level headless from a small input script and prints one CSV
// row per frame, compares a replay with a golden trace, stamps scripts with the checksum
// of the data, and renders a chosen frame (or the menu) into a BMP through the real
// engine. See "Replays and physics traces" in the README.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "checksum.h"
#include "common/headlessvideo.h"
#include "config/datafolder.h"
#include "config/loaderror.h"
#include "engine/gameengine.h"
#include "engine/servicelocator.h"
#include "inputscript.h"
#include "replaysession.h"
#include "states/gamestatemanager.h"
#include "tracediff.h"
#include "tracewriter.h"

namespace {

const char* const kUsage =
    "usage: kestrelix-replay [--script FILE] [--level NAME] [--character FILE] [--frames N]\n"
    "                        [--expect GOLDEN.csv] [--frame N --picture OUT.bmp]\n"
    "       kestrelix-replay --checksum [--script FILE] [--level NAME] [--character FILE]\n"
    "       kestrelix-replay --menu --picture OUT.bmp\n"
    "Reads the game's data where the game finds it (--data DIR, the working directory, the\n"
    "installed data, the source tree's data/ from a build tree). Prints one CSV row per\n"
    "frame: frame 0 is the frame the level is created and drawn in, frame k >= 1 is the\n"
    "k-th update (with the script's input for frame k) and the draw after it.\n";

const char* const kDefaultLevel = "Sablex";
const char* const kDefaultCharacter = "voltbot1";

struct Options {
    std::string script;
    std::string level;
    std::string character;
    std::string expect;
    std::string picture;
    std::string data;
    int frames = -1;
    int pictureFrame = -1;
    bool checksum = false;
    bool menu = false;
};

struct UsageError {
    std::string problem;
};

int parseCount(const std::string& option, const char* text) {
    const std::string value = text;
    if (value.empty() || value.size() > 9 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        throw UsageError{option + " wants a frame number, not '" + value + "'"};
    }
    const int count = std::stoi(value);
    if (count > InputScript::kMaxTotalFrames) {
        throw UsageError{option + " " + value + " is more than " +
                         std::to_string(InputScript::kMaxTotalFrames) + " frames"};
    }
    return count;
}

Options parseOptions(int argc, char* argv[]) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                throw UsageError{option + " needs a value"};
            }
            return argv[++i];
        };
        if (option == "--script") {
            options.script = value();
        } else if (option == "--level") {
            options.level = value();
        } else if (option == "--character") {
            options.character = value();
        } else if (option == "--expect") {
            options.expect = value();
        } else if (option == "--picture") {
            options.picture = value();
        } else if (option == "--data") {
            options.data = value();
        } else if (option == "--frames") {
            options.frames = parseCount(option, value());
        } else if (option == "--frame") {
            options.pictureFrame = parseCount(option, value());
        } else if (option == "--checksum") {
            options.checksum = true;
        } else if (option == "--menu") {
            options.menu = true;
        } else if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else {
            throw UsageError{"unknown option '" + option + "'"};
        }
    }
    if (options.pictureFrame >= 0 && options.picture.empty()) {
        throw UsageError{"--frame needs --picture"};
    }
    if (options.menu && options.picture.empty()) {
        throw UsageError{"--menu needs --picture"};
    }
    if (!options.picture.empty() && !options.expect.empty()) {
        throw UsageError{"--picture and --expect cannot be combined"};
    }
    return options;
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        throw LoadError(path, "cannot be opened");
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// Keeps a video service installed for a scope, and removed again however it ends.
class InstalledVideo {
  public:
    explicit InstalledVideo(VideoService* service) { ServiceLocator::provideVideoService(service); }
    ~InstalledVideo() { ServiceLocator::provideVideoService(nullptr); }
    InstalledVideo(const InstalledVideo&) = delete;
    InstalledVideo& operator=(const InstalledVideo&) = delete;
};

std::unique_ptr<GameEngine> openEngine() {
    // Only the tool asks for the dummy driver, and only when nobody chose another one
    // (under Xvfb a caller may want x11). One logical pixel per output pixel.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    return std::make_unique<GameEngine>(1);
}

int renderMenu(const Options& options) {
    std::unique_ptr<GameEngine> engine = openEngine();
    {
        InstalledVideo installed(engine.get());
        GameStateManager manager;
        manager.draw();
        engine->saveScreenToBmp(options.picture);
    }
    return 0;
}

int run(const Options& options) {
    InputScript script;
    if (!options.script.empty()) {
        script = InputScript::parseFile(options.script);
    }
    const std::string level = !options.level.empty()    ? options.level
                              : !script.level().empty() ? script.level()
                                                        : kDefaultLevel;
    const std::string character = !options.character.empty()    ? options.character
                                  : !script.character().empty() ? script.character()
                                                                : kDefaultCharacter;
    const std::string checksum = datachecksum::compute(level, character);
    if (options.checksum) {
        std::cout << checksum << '\n';
        return 0;
    }
    if (!script.checksum().empty() && script.checksum() != checksum) {
        std::cerr << "kestrelix-replay: warning: " << options.script
                  << ": recorded against data with checksum " << script.checksum()
                  << ", the data here gives " << checksum << "; the trace may differ\n";
    }

    const int frames = options.frames >= 0 ? options.frames : script.frameCount();

    if (!options.picture.empty()) {
        const int target = options.pictureFrame >= 0 ? options.pictureFrame : frames;
        const std::vector<Controls> controls = script.toControls(target);
        std::unique_ptr<GameEngine> engine = openEngine();
        InstalledVideo installed(engine.get());
        ReplaySession session(level, character);
        for (const Controls& frameControls : controls) {
            engine->flipScreen();
            session.advance(frameControls);
        }
        engine->saveScreenToBmp(options.picture);
        return 0;
    }

    HeadlessVideo video;
    InstalledVideo installed(&video);
    ReplaySession session(level, character);

    if (options.expect.empty()) {
        // Rows go out as they are made and the input is walked frame by frame: a long
        // replay's memory stays that of the level.
        std::cout << tracewriter::header() << '\n'
                  << tracewriter::format(tracewriter::sample(0, session.level())) << '\n';
        InputScript::Cursor input(script);
        for (int frame = 1; frame <= frames; ++frame) {
            session.advance(input.next());
            std::cout << tracewriter::format(tracewriter::sample(session.frame(), session.level()))
                      << '\n';
        }
        return 0;
    }

    const std::vector<Controls> controls = script.toControls(frames);
    std::vector<std::string> lines;
    lines.reserve(controls.size() + 2);
    lines.push_back(tracewriter::header());
    lines.push_back(tracewriter::format(tracewriter::sample(0, session.level())));
    for (const Controls& frameControls : controls) {
        session.advance(frameControls);
        lines.push_back(tracewriter::format(tracewriter::sample(session.frame(), session.level())));
    }
    const std::string report = tracediff::compare(readLines(options.expect), lines);
    if (report.empty()) {
        return 0;
    }
    std::cerr << "kestrelix-replay: " << (options.script.empty() ? level : options.script)
              << ": the trace differs from " << options.expect << '\n'
              << report;
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        Options options = parseOptions(argc, argv);
        if (DataFolder::enter(options.data) != DataFolder::startFolder()) {
            // The files named on the command line stay where the user meant them.
            for (std::string* path : {&options.script, &options.expect, &options.picture}) {
                *path = DataFolder::fromStartFolder(*path);
            }
        }
        return options.menu ? renderMenu(options) : run(options);
    } catch (const UsageError& error) {
        std::cerr << "kestrelix-replay: " << error.problem << '\n' << kUsage;
        return 2;
    } catch (const LoadError& error) {
        std::cerr << "kestrelix-replay: " << error.what() << '\n';
        return 1;
    }
}
