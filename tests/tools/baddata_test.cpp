// Bad data, as a newcomer, a modder and a breaker produce it: one table of broken copies
// of the shipped data, each loaded the way the game loads it (the real engine on SDL's
// dummy driver, the menu, then the first level with the first character) and checked by
// kestrelix-check. Both must give the same verdict: refused with the same line, or
// accepted. Menu-stage refusals are also run through the real kestrelix binary. The same
// holds for every input of the fuzz corpora and regressions.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "check/contentcheck.h"
#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "config/loadwarnings.h"
#include "engine/gameengine.h"
#include "engine/nullvideo.h"
#include "engine/servicelocator.h"
#include "scratchdir.h"
#include "states/gamestatemanager.h"

namespace fs = std::filesystem;

namespace {

std::string shipped(const std::string& name) {
    std::ifstream in(sourceDir() / "data" / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void putLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

void putLe16(std::string& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

// A shipped BMP with one change to its bytes.
std::function<void(const ScratchDir&)> bmp(const std::string& name,
                                           std::function<void(std::string&)> change) {
    return [name, change](const ScratchDir& scratch) {
        std::string bytes = shipped(name);
        change(bytes);
        scratch.write(name, bytes);
    };
}

// A shipped text file with lines put first (the first value of a key wins).
std::function<void(const ScratchDir&)> prepend(const std::string& name, const std::string& lines) {
    return [name, lines](const ScratchDir& scratch) {
        scratch.write(name, lines + "\n" + shipped(name));
    };
}

std::function<void(const ScratchDir&)> replace(const std::string& name, const std::string& text) {
    return [name, text](const ScratchDir& scratch) { scratch.write(name, text); };
}

std::function<void(const ScratchDir&)> remove(const std::string& name) {
    return [name](const ScratchDir&) { fs::remove(name); };
}

struct Case {
    const char* name;
    std::function<void(const ScratchDir&)> spoil;
    // The game's line "<file>: <problem>", or empty when the game plays the data.
    std::string refusal;
    // A warning kestrelix-check must give (part of its text), or empty.
    std::string warning;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

std::vector<Case> cases() {
    const std::string key = "[ReadyMessage]\n";
    return {
        // One BMP header check: the tools refuse exactly what the game refuses.
        {"BmpCutToHalf", bmp("sablex_tiles.bmp", [](std::string& b) { b.resize(b.size() / 2); }),
         "sablex_tiles.bmp: is truncated: its pixels need 6198 bytes, the file has 3099", ""},
        {"BmpCutToHeader", bmp("sablex_tiles.bmp", [](std::string& b) { b.resize(54); }),
         "sablex_tiles.bmp: is truncated: its pixels need 6198 bytes, the file has 54", ""},
        {"BmpHeaderSize65535",
         bmp("sablex_tiles.bmp", [](std::string& b) { putLe32(b, 14, 65535); }),
         "sablex_tiles.bmp: is too short for its headers", ""},
        {"Bmp7BitsPerPixel", bmp("sablex_tiles.bmp", [](std::string& b) { putLe16(b, 28, 7); }),
         "sablex_tiles.bmp: has an unknown depth of 7 bits per pixel", ""},
        {"Bmp32BitsOver24BitData",
         bmp("sablex_tiles.bmp", [](std::string& b) { putLe16(b, 28, 32); }),
         "sablex_tiles.bmp: is truncated: its pixels need 8246 bytes, the file has 6198", ""},
        {"BmpRleFlagOn24BitData",
         bmp("sablex_tiles.bmp", [](std::string& b) { putLe32(b, 30, 1); }),
         "sablex_tiles.bmp: is run-length coded for 8 bits per pixel, but has 24", ""},
        {"BmpPixelOffset2To31",
         bmp("sablex_tiles.bmp", [](std::string& b) { putLe32(b, 10, 0x80000000u); }),
         "sablex_tiles.bmp: is truncated: its pixels need 2147489792 bytes, the file has 6198", ""},
        {"SelectorCut", bmp("selector.bmp", [](std::string& b) { b.resize(100); }),
         "selector.bmp: is truncated: its pixels need 246 bytes, the file has 100", ""},
        // Data that would leave the game running but unusable.
        {"NoStageSelect", remove("stageselect.ini"), "stageselect.ini: cannot be opened", ""},
        {"NoLevelsIni", remove("levels.ini"), "levels.ini: cannot be opened", ""},
        {"LevelsAmountZero", prepend("stageselect.ini", "[Levels]\namount = 0"),
         "stageselect.ini: [Levels] amount = 0: the menu needs 1 to 64 levels", ""},
        {"VoltbotsAmountNegative", prepend("stageselect.ini", "[Voltbots]\namount = -1"),
         "stageselect.ini: [Voltbots] amount = -1: the menu needs 1 to 64 characters", ""},
        {"EmptyMenuFile", replace("stageselect.ini", ""),
         "stageselect.ini: [Levels] amount is missing: the menu needs 1 to 64 levels", ""},
        {"MenuAmountBeyondItsEntries", prepend("stageselect.ini", "[Levels]\namount = 3"),
         "stageselect.ini: [Levels] level2 is missing ([Levels] amount = 3)", ""},
        {"NoEnemyIni", remove("enemy.ini"), "enemy.ini: cannot be opened", ""},
        {"FontCellHeightZero", prepend("font.ini", "[Properties]\ncharacterHeight = 0"),
         "font.ini: [Properties] characterHeight = 0 is outside 1..256", ""},
        {"TeleportStopBelowTheScreen", prepend("levels.ini", "[Sablex]\nteleportStopPosY = 300"),
         "levels.ini: [Sablex] teleportStopPosY = 300 is below boundary 0's screen row (0 to "
         "239): Voltbot would never appear",
         ""},
        {"BoxWithoutWidth", prepend("voltbot1", "[BoundingBox]\nwidth = 0"),
         "voltbot1: [BoundingBox] width = 0: a bounding box needs at least one pixel, or the "
         "player stands inside the floor",
         ""},
        {"ReelingZeroPlays", prepend("voltbot1", "[Durations]\nreeling = 0"), "",
         "voltbot1: [Durations] reeling = 0: a knock-back never ends by itself"},
        {"NegativeInvinciblePlays", prepend("voltbot1", "[Durations]\ninvincible = -1"), "",
         "voltbot1: [Durations] invincible = -1: after the first hit"},
        {"BlinkIntervalZeroPlays", prepend("voltbot1", key + "displayInterval = 0"), "",
         "voltbot1: [ReadyMessage] displayInterval = 0 is less than one frame, using 1"},
        // Messages name the value as the file writes it.
        {"HugeJumpSpeed",
         prepend("voltbot1", "[YSpeed]\njumpingInt = 2000000000\njumpingFraction = 80"),
         "voltbot1: [YSpeed] jumpingInt = 2000000000, jumpingFraction = 80: faster than 256 "
         "pixels a frame (Int * 256 + Fraction is 512000000080/256)",
         ""},
        {"RunningFasterThanAScreen", prepend("voltbot1", "[XSpeed]\nrunningInt = 300"),
         "voltbot1: [XSpeed] runningInt = 300, runningFraction = 96: faster than 256 pixels a "
         "frame (Int * 256 + Fraction is 76896/256)",
         ""},
        {"PixelMultiplierNotANumber", replace("settings.ini", "[Video]\npixelMultiplier = abc\n"),
         "settings.ini: [Video] pixelMultiplier = abc is not a whole number from 1 to 16", ""},
        {"TileSheetTooNarrow", bmp("sablex_tiles.bmp", [](std::string& b) { putLe32(b, 18, 64); }),
         "sablex_tiles.bmp: is 64 pixels wide, too narrow for the 8 pictures of sablex.map "
         "(128 pixels needed)",
         ""},
        // A tile with see-through pixels plays (the level clears behind it); the check says so.
        {"SeeThroughTile",
         bmp("sablex_tiles.bmp",
             [](std::string& b) {
                 // The bottom-left pixel of picture 0 (rows are stored bottom-up).
                 b[54] = static_cast<char>(0xFF);
                 b[55] = static_cast<char>(0x80);
                 b[56] = static_cast<char>(0xFF);
             }),
         "", "sablex_tiles.bmp: tile pictures 0 have transparent pixels"},
        // Not a regular file where a data file belongs.
        {"FolderForLevelsIni",
         [](const ScratchDir&) {
             fs::remove("levels.ini");
             fs::create_directory("levels.ini");
         },
         "levels.ini: is a folder, not a file", ""},
        {"FifoForTileMap",
         [](const ScratchDir&) {
             fs::remove("sablex.map");
             ASSERT_EQ(mkfifo("sablex.map", 0600), 0);
         },
         "sablex.map: is not a regular file", ""},
        {"FifoForFont",
         [](const ScratchDir&) {
             fs::remove("font.ini");
             ASSERT_EQ(mkfifo("font.ini", 0600), 0);
         },
         "font.ini: is not a regular file", ""},
        // A ready message wider than the screen is centred and clipped, not refused.
        {"ReadyMessageWiderThanTheScreen",
         prepend("levels.ini", "[Common]\nreadyMessage = " + std::string(40, 'A')), "", ""},
    };
}

// The game's verdict: the first refusal while it starts and then loads each level with
// each character that its menu lists, as the menu hands them on; empty when all load.
struct GameVerdict {
    std::string refusal;
    bool atStart = false;  // refused before the menu was shown
    std::vector<LoadWarnings::Warning> warnings;
};

GameVerdict playAsTheGame() {
    GameVerdict verdict;
    const LoadWarnings::Collector warnings;
    try {
        verdict.atStart = true;
        GameEngine engine;
        ServiceLocator::provideVideoService(&engine);
        try {
            { GameStateManager menu; }
            verdict.atStart = false;
            const IniDictionary list("stageselect.ini");
            const int levels = list.getIntValue("amount", "Levels", 0);
            const int characters = list.getIntValue("amount", "Voltbots", 0);
            for (int i = 0; i < levels; ++i) {
                for (int j = 0; j < characters; ++j) {
                    GameStateManager manager;
                    const std::string level = "level" + std::to_string(i);
                    const std::string character = "voltbot" + std::to_string(j);
                    manager.setInitMessage(GameStateManager::InitMessageId::kLevel,
                                           list.getCStringValue(level.c_str(), "Levels", ""));
                    manager.setInitMessage(GameStateManager::InitMessageId::kVoltbot,
                                           list.getCStringValue(character.c_str(), "Voltbots", ""));
                    manager.setNextState();
                    manager.update(Controls{});
                    manager.draw();
                }
            }
        } catch (...) {
            ServiceLocator::provideVideoService(nullptr);
            throw;
        }
        ServiceLocator::provideVideoService(nullptr);
    } catch (const LoadError& error) {
        verdict.refusal = error.file() + ": " + error.problem();
    }
    verdict.warnings = warnings.warnings();
    return verdict;
}

// Runs the real game binary in the working directory; its status and standard error.
std::pair<int, std::string> runGameBinary() {
    const std::string command = "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 10 " +
                                std::string(KESTRELIX_GAME) + " --data . 2>&1 >/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe != nullptr && fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string listOf(const std::vector<contentcheck::Problem>& problems) {
    std::string text;
    for (const auto& p : problems) {
        text += std::string("  ") + (p.refused ? "" : "warning: ") + p.file + ": " + p.text + "\n";
    }
    return text;
}

class BadData : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override { scratch.copyShippedData(); }
    ScratchDir scratch;
};

}  // namespace

TEST_P(BadData, GameAndCheckGiveTheSameVerdict) {
    const Case& c = GetParam();
    c.spoil(scratch);

    const GameVerdict game = playAsTheGame();
    EXPECT_EQ(game.refusal, c.refusal);
    if (!c.refusal.empty()) {
        // One line: a refused file is not also reported as missing with its defaults.
        EXPECT_TRUE(game.warnings.empty()) << game.warnings.front().problem;
    }

    const auto problems = contentcheck::checkAll();
    std::vector<std::string> refused;
    std::string warnings;
    for (const auto& p : problems) {
        if (p.refused) {
            refused.push_back(p.file + ": " + p.text);
        } else {
            warnings += p.file + ": " + p.text + "\n";
        }
    }
    if (c.refusal.empty()) {
        EXPECT_TRUE(refused.empty()) << listOf(problems);
    } else {
        EXPECT_NE(std::find(refused.begin(), refused.end(), c.refusal), refused.end())
            << listOf(problems);
    }
    if (!c.warning.empty()) {
        EXPECT_NE(warnings.find(c.warning), std::string::npos) << listOf(problems);
    }

    // Without a menu file here the game looks for its data elsewhere (the folder search
    // has its own tests); every other start-up refusal must come from the binary as well.
    if (game.atStart && !c.refusal.empty() && fs::exists("stageselect.ini")) {
        const auto [status, output] = runGameBinary();
        EXPECT_EQ(status, 1);
        EXPECT_EQ(output, "kestrelix: " + c.refusal + "\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BadData, ::testing::ValuesIn(cases()),
                         [](const auto& param) { return std::string(param.param.name); });

namespace {

// Every input of the fuzz corpora and regressions that a level load reads, with the data
// file it stands in for.
struct CorpusFile {
    std::string name;
    fs::path path;
    std::string placedAs;
};

void PrintTo(const CorpusFile& file, std::ostream* out) {
    *out << file.path.string();
}

std::vector<CorpusFile> corpusFiles() {
    const std::vector<std::pair<std::string, std::string>> targets = {{"bmp", ""},
                                                                      {"ini", "levels.ini"},
                                                                      {"tilemap", "sablex.map"},
                                                                      {"sprite", "enemy.ini"},
                                                                      {"font", "font.ini"},
                                                                      {"character", "voltbot1"}};
    std::vector<CorpusFile> files;
    for (const auto& [target, placedAs] : targets) {
        const std::pair<const char*, fs::path> roots[] = {
            {"corpus_", sourceDir() / "fuzz" / "corpus" / target},
            {"regression_", sourceDir() / "tests" / "fuzz" / "regressions" / target}};
        for (const auto& [kind, root] : roots) {
            if (!fs::is_directory(root)) {
                continue;
            }
            for (const auto& entry : fs::directory_iterator(root)) {
                if (entry.path().filename().string().front() == '.') {
                    continue;  // .gitkeep
                }
                std::string name = kind + target + "_" + entry.path().filename().string();
                for (char& c : name) {
                    c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                }
                files.push_back({name, entry.path(), placedAs});
            }
        }
    }
    std::sort(files.begin(), files.end(),
              [](const CorpusFile& a, const CorpusFile& b) { return a.path < b.path; });
    return files;
}

std::string verdictOf(const std::function<void()>& load) {
    try {
        load();
        return "accepted";
    } catch (const LoadError& error) {
        return error.file() + ": " + error.problem();
    }
}

class CorpusAgreement : public ::testing::TestWithParam<CorpusFile> {
  protected:
    void SetUp() override { scratch.copyShippedData(); }
    ScratchDir scratch;
};

}  // namespace

TEST_P(CorpusAgreement, GameAndCheckGiveTheSameVerdict) {
    const CorpusFile& file = GetParam();
    std::ifstream in(file.path, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const LoadWarnings::Collector quiet;

    if (file.placedAs.empty()) {
        // A picture: the first byte picks the multiplier, as in the fuzz target.
        if (bytes.empty()) {
            return;
        }
        const int multiplier = static_cast<unsigned char>(bytes[0]) % 4 + 1;
        scratch.write("fuzz.bmp", bytes.substr(1));
        scratch.write("settings.ini",
                      "[Video]\npixelMultiplier = " + std::to_string(multiplier) + "\n");
        GameEngine engine;
        Bitmap loaded;
        const std::string game = verdictOf([&] { engine.loadBitmap(loaded, "fuzz.bmp"); });
        if (loaded.texture != nullptr) {
            engine.unloadBitmap(loaded);
        }
        NullVideo headless(multiplier);
        Bitmap measured;
        const std::string check = verdictOf([&] { headless.loadBitmap(measured, "fuzz.bmp"); });
        EXPECT_EQ(game, check);
        return;
    }

    scratch.write(file.placedAs, bytes);
    scratch.write("settings.ini", "[Video]\npixelMultiplier = 1\n");
    const GameVerdict game = playAsTheGame();
    std::vector<std::string> refused;
    const auto problems = contentcheck::checkAll();
    for (const auto& p : problems) {
        if (p.refused) {
            refused.push_back(p.file + ": " + p.text);
        }
    }
    if (game.refusal.empty()) {
        EXPECT_TRUE(refused.empty()) << listOf(problems);
    } else {
        EXPECT_NE(std::find(refused.begin(), refused.end(), game.refusal), refused.end())
            << "the game: " << game.refusal << "\nthe check:\n"
            << listOf(problems);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpora, CorpusAgreement, ::testing::ValuesIn(corpusFiles()),
                         [](const auto& param) { return param.param.name; });
