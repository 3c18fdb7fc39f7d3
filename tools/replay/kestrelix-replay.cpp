// kestrelix-replay: plays a level headless from a small input script and prints one CSV
// row per frame, compares a replay with a golden trace, stamps scripts with the checksum
// of the data, renders a chosen frame (or the menu) into a BMP through the real engine,
// compares two physics variants (--versus, --set, --sweep) and draws level pictures and
// plots as PNG. See "Replays and physics traces" in the README.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "characteroverride.h"
#include "config/datafile.h"
#include "config/datafolder.h"
#include "config/loaderror.h"
#include "config/loadwarnings.h"
#include "engine/gameengine.h"
#include "engine/nullvideo.h"
#include "pictures.h"
#include "replaysession.h"
#include "runevents.h"
#include "states/datachecksum.h"
#include "states/gamestatemanager.h"
#include "states/inputscript.h"
#include "sweeprun.h"
#include "tracecompare.h"
#include "tracediff.h"
#include "tracewriter.h"

namespace {

const char* const kUsage =
    "usage: kestrelix-replay [--script FILE] [--level NAME] [--character FILE] [--frames N]\n"
    "                        [--expect GOLDEN.csv] [--frame N --picture OUT.bmp]\n"
    "       kestrelix-replay --checksum [--script FILE] [--level NAME] [--character FILE]\n"
    "       kestrelix-replay --menu --picture OUT.bmp\n"
    "       kestrelix-replay [--script FILE] ... --versus CHARACTER [--versus-data DIR]\n"
    "                        [--set Section.key=value]... [--level-picture OUT.png]\n"
    "                        [--plot OUT.png [--columns y,x]]\n"
    "       kestrelix-replay [--script FILE] ... --sweep Section.key=FROM:TO:STEP\n"
    "                        [--set Section.key=value]...\n"
    "Reads the game's data where the game finds it (--data DIR, the working directory, the\n"
    "installed data, the source tree's data/ from a build tree). Prints one CSV row per\n"
    "frame: frame 0 is the frame the level is created and drawn in, frame k >= 1 is the\n"
    "k-th update (with the script's input for frame k) and the draw after it.\n"
    "--versus runs the script a second time with another character (or data folder) and\n"
    "prints a summary of the differences instead of rows; --set changes a character value\n"
    "(of the second run with --versus); --sweep prints one row of outcomes per value.\n";

const char* const kDefaultLevel = "Sablex";
const char* const kDefaultCharacter = "voltbot1";

struct Options {
    std::string script;
    std::string level;
    std::string character;
    std::string expect;
    std::string picture;
    std::string versus;
    std::string versusData;
    std::vector<std::string> sets;
    std::string sweep;
    std::string levelPicture;
    std::string plot;
    std::string columns = "y,x";
    bool versusGiven = false;
    bool columnsGiven = false;
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
        } else if (option == "--versus") {
            options.versus = value();
            options.versusGiven = true;
        } else if (option == "--versus-data") {
            options.versusData = value();
            options.versusGiven = true;
        } else if (option == "--set") {
            options.sets.push_back(value());
        } else if (option == "--sweep") {
            options.sweep = value();
        } else if (option == "--level-picture") {
            options.levelPicture = value();
        } else if (option == "--plot") {
            options.plot = value();
        } else if (option == "--columns") {
            options.columns = value();
            options.columnsGiven = true;
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
    // The new modes each produce their own output; the older options keep their own rules.
    const bool pictures = !options.levelPicture.empty() || !options.plot.empty();
    const char* older = options.checksum           ? "--checksum"
                        : options.menu             ? "--menu"
                        : !options.picture.empty() ? "--picture"
                        : !options.expect.empty()  ? "--expect"
                                                   : nullptr;
    const char* newer = options.versusGiven      ? "--versus"
                        : !options.sweep.empty() ? "--sweep"
                        : pictures ? (options.plot.empty() ? "--level-picture" : "--plot")
                                   : nullptr;
    if (older != nullptr && newer != nullptr) {
        throw UsageError{std::string(older) + " and " + newer + " cannot be combined"};
    }
    if (!options.sweep.empty() && (options.versusGiven || pictures)) {
        throw UsageError{std::string("--sweep and ") +
                         (options.versusGiven            ? "--versus"
                          : options.levelPicture.empty() ? "--plot"
                                                         : "--level-picture") +
                         " cannot be combined"};
    }
    if (options.columnsGiven && options.plot.empty()) {
        throw UsageError{"--columns needs --plot"};
    }
    for (const std::string& set : options.sets) {
        CharacterOverride parsed;
        std::string problem;
        if (!CharacterOverride::parse(set, parsed, problem)) {
            throw UsageError{"--set " + problem};
        }
    }
    if (!options.sweep.empty()) {
        CharacterSweep parsed;
        std::string problem;
        if (!CharacterSweep::parse(options.sweep, parsed, problem)) {
            throw UsageError{"--sweep " + problem};
        }
    }
    for (std::string rest = options.columns; !options.plot.empty();) {
        const std::size_t comma = rest.find(',');
        const std::string column = rest.substr(0, comma);
        if (!pictures::isPlottable(column)) {
            throw UsageError{"--columns: '" + column +
                             "' is not a numeric column of the trace (x, y, xSpeed, ySpeed, "
                             "animation, viewX, viewY, ...)"};
        }
        if (comma == std::string::npos) {
            break;
        }
        rest = rest.substr(comma + 1);
    }
    return options;
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in = DataFile::open(path.c_str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::unique_ptr<GameEngine> openEngine() {
    // Only the tool asks for the dummy driver, and only when nobody chose another one
    // (under Xvfb a caller may want x11). One logical pixel per output pixel.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    return std::make_unique<GameEngine>(1);
}

int renderMenu(const Options& options) {
    std::unique_ptr<GameEngine> engine = openEngine();
    {
        const ScopedVideo installed(engine.get());
        GameStateManager manager;
        manager.draw();
        engine->saveScreenToBmp(options.picture);
    }
    return 0;
}

// Changes the working directory for a scope: a second data folder is read exactly as the
// game reads its own, by relative paths. Empty: stays where it is.
class WorkingDirectory {
  public:
    explicit WorkingDirectory(const std::string& folder) {
        if (folder.empty()) {
            return;
        }
        m_previous = std::filesystem::current_path();
        std::error_code error;
        std::filesystem::current_path(folder, error);
        if (error) {
            throw LoadError(folder, "cannot be entered: " + error.message());
        }
    }
    ~WorkingDirectory() {
        if (!m_previous.empty()) {
            std::error_code ignored;
            std::filesystem::current_path(m_previous, ignored);
        }
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

  private:
    std::filesystem::path m_previous;
};

// One run of a comparison: where its data lies, which character, what is changed in it.
struct RunSetup {
    std::string dataFolder;
    std::string character;
    std::vector<CharacterOverride> overrides;
    std::string label;
};

std::vector<CharacterOverride> parseOverrides(const std::vector<std::string>& texts) {
    std::vector<CharacterOverride> overrides;
    for (const std::string& text : texts) {
        CharacterOverride parsed;
        std::string problem;
        CharacterOverride::parse(text, parsed, problem);  // checked with the command line
        overrides.push_back(parsed);
    }
    return overrides;
}

void warnAdded(const std::string& character, const std::vector<std::string>& added) {
    for (const std::string& text : added) {
        std::cerr << "kestrelix-replay: warning: " << character << " does not name "
                  << text.substr(0, text.find('=')) << " (a typo?); the key is added to it\n";
    }
}

// A run's character file as the level will open it: the file itself, or a scratch copy
// with the overrides. The copy's path is absolute, so it is found from any data folder.
class PreparedCharacter {
  public:
    explicit PreparedCharacter(const RunSetup& setup) : m_path(setup.character) {
        if (setup.overrides.empty()) {
            return;
        }
        WorkingDirectory folder(setup.dataFolder);
        m_copy = std::make_unique<OverriddenCharacter>(setup.character);
        warnAdded(setup.character, m_copy->write(setup.overrides));
        m_path = m_copy->path();
    }
    const std::string& path() const { return m_path; }
    OverriddenCharacter* copy() { return m_copy.get(); }

  private:
    std::string m_path;
    std::unique_ptr<OverriddenCharacter> m_copy;
};

// Replays the script headless and hands every frame's row, frame 0 first, to `observe`.
template <class Observe>
void replay(const std::string& dataFolder, const std::string& characterPath,
            const std::string& level, const InputScript& script, int frames, Observe&& observe) {
    NullVideo video;
    ScopedVideo installed(&video);
    std::unique_ptr<ReplaySession> session;
    {
        // Only loading reads files; the frames run wherever the tool was started.
        WorkingDirectory folder(dataFolder);
        session = std::make_unique<ReplaySession>(level, characterPath);
    }
    observe(tracewriter::sample(0, session->level()));
    InputScript::Cursor input(script);
    for (int frame = 1; frame <= frames; ++frame) {
        session->advance(input.next());
        observe(tracewriter::sample(session->frame(), session->level()));
    }
}

PictureRun collect(const RunSetup& setup, const std::string& level, const InputScript& script,
                   int frames) {
    PreparedCharacter character(setup);
    PictureRun run;
    run.label = setup.label;
    run.rows.reserve(static_cast<std::size_t>(frames) + 1);
    replay(setup.dataFolder, character.path(), level, script, frames, [&](const TraceRow& row) {
        run.rows.push_back(row);
        run.events.observe(row);
    });
    run.events.finish();
    return run;
}

std::vector<std::string> csvLines(const PictureRun& run) {
    std::vector<std::string> lines;
    lines.reserve(run.rows.size() + 1);
    lines.push_back(tracewriter::header());
    for (const TraceRow& row : run.rows) {
        lines.push_back(tracewriter::format(row));
    }
    return lines;
}

std::string describe(const RunSetup& setup) {
    std::string text = setup.character;
    for (const CharacterOverride& change : setup.overrides) {
        text += (&change == &setup.overrides.front() ? " with " : ", ") + change.text();
    }
    if (!setup.dataFolder.empty()) {
        text += " in " + setup.dataFolder;
    }
    return text;
}

// The level picture and the plot of the runs, through the real engine.
void savePictures(const Options& options, const RunSetup& first, const std::string& level,
                  const std::vector<const PictureRun*>& runs, bool paths) {
    std::unique_ptr<GameEngine> engine = openEngine();
    const ScopedVideo installed(engine.get());
    if (!options.levelPicture.empty()) {
        PreparedCharacter character(first);
        std::unique_ptr<ReplaySession> session;
        {
            WorkingDirectory folder(first.dataFolder);
            session = std::make_unique<ReplaySession>(level, character.path());
        }
        pictures::saveLevelPicture(*engine, session->level(),
                                   paths ? runs : std::vector<const PictureRun*>(),
                                   options.levelPicture);
    }
    if (!options.plot.empty()) {
        std::vector<std::string> columns;
        std::string rest = options.columns;
        for (std::size_t comma = 0; comma != std::string::npos;) {
            comma = rest.find(',');
            columns.push_back(rest.substr(0, comma));
            rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
        }
        pictures::savePlot(*engine, runs, columns, options.plot);
    }
}

int sweep(const Options& options, const RunSetup& setup, const std::string& level,
          const InputScript& script, int frames) {
    CharacterSweep range;
    std::string problem;
    CharacterSweep::parse(options.sweep, range, problem);  // checked with the command line
    const CharacterOverride swept{range.section, range.key, ""};
    RunSetup changed = setup;
    changed.overrides.push_back(swept);
    PreparedCharacter character(changed);

    std::cout << range.section << '.' << range.key
              << ",apexHeight,apexFrame,airFrames,distance,firstScroll,restarts,hits\n";
    for (const int value : range.values()) {
        changed.overrides.back().value = std::to_string(value);
        character.copy()->write(changed.overrides);
        NullVideo video;
        ScopedVideo installed(&video);
        WorkingDirectory folder(setup.dataFolder);
        const RunEvents::Measures m = measureRun(level, character.path(), script, frames);
        std::cout << value << ',' << m.apexHeight << ',' << m.apexFrame << ',' << m.airFrames << ','
                  << m.distance << ',' << m.firstScroll << ',' << m.restarts << ',' << m.hits
                  << '\n';
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

    // The first run; --set changes it unless a second run is asked for.
    RunSetup first{"", character, {}, character};
    if (!options.versusGiven) {
        first.overrides = parseOverrides(options.sets);
        first.label = describe(first);
    }

    if (!options.sweep.empty()) {
        return sweep(options, first, level, script, frames);
    }

    if (options.versusGiven || !options.levelPicture.empty() || !options.plot.empty()) {
        std::vector<PictureRun> runs;
        runs.push_back(collect(first, level, script, frames));
        if (options.versusGiven) {
            RunSetup second{options.versusData, options.versus.empty() ? character : options.versus,
                            parseOverrides(options.sets), ""};
            second.label = describe(second);
            runs.push_back(collect(second, level, script, frames));
            std::cout << tracecompare::summary(csvLines(runs[0]), csvLines(runs[1]), runs[0].label,
                                               runs[1].label);
        }
        if (!options.levelPicture.empty() || !options.plot.empty()) {
            std::vector<const PictureRun*> drawn;
            drawn.reserve(runs.size());
            for (const PictureRun& one : runs) {
                drawn.push_back(&one);
            }
            // Without input the level picture shows the map alone.
            const bool paths = !options.script.empty() || options.frames > 0;
            savePictures(options, first, level, drawn, paths);
        }
        return 0;
    }

    PreparedCharacter prepared(first);
    const std::string& characterPath = prepared.path();

    if (!options.picture.empty()) {
        const int target = options.pictureFrame >= 0 ? options.pictureFrame : frames;
        const std::vector<Controls> controls = script.toControls(target);
        std::unique_ptr<GameEngine> engine = openEngine();
        const ScopedVideo installed(engine.get());
        ReplaySession session(level, characterPath);
        for (const Controls& frameControls : controls) {
            engine->flipScreen();
            session.advance(frameControls);
        }
        engine->saveScreenToBmp(options.picture);
        return 0;
    }

    NullVideo video;
    const ScopedVideo installed(&video);
    ReplaySession session(level, characterPath);

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
    const std::vector<std::string> expected = readLines(options.expect);
    const std::string report = tracediff::compare(expected, lines);
    if (report.empty()) {
        return 0;
    }
    std::cerr << "kestrelix-replay: " << (options.script.empty() ? level : options.script)
              << ": the trace differs from " << options.expect << '\n'
              << report << '\n'
              << tracecompare::summary(expected, lines, "expected, " + options.expect,
                                       "replayed, " + first.label);
    return 1;
}

// The loaders' warnings, each once, in the tool's own words (a level loaded twice, for
// a picture, would otherwise repeat them).
void printWarnings(const LoadWarnings::Collector& warnings) {
    for (const LoadWarnings::Warning& warning : warnings.warnings()) {
        std::cerr << "kestrelix-replay: warning: " << warning.file << ": " << warning.problem
                  << '\n';
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    const LoadWarnings::Collector warnings;
    try {
        Options options = parseOptions(argc, argv);
        if (DataFolder::enter(options.data) != DataFolder::startFolder()) {
            // The files named on the command line stay where the user meant them.
            for (std::string* path : {&options.script, &options.expect, &options.picture,
                                      &options.versusData, &options.levelPicture, &options.plot}) {
                *path = DataFolder::fromStartFolder(*path);
            }
        }
        const int status = options.menu ? renderMenu(options) : run(options);
        printWarnings(warnings);
        return status;
    } catch (const UsageError& error) {
        std::cerr << "kestrelix-replay: " << error.problem << '\n' << kUsage;
        return 2;
    } catch (const LoadError& error) {
        printWarnings(warnings);
        std::cerr << "kestrelix-replay: " << error.what() << '\n';
        return 1;
    }
}
