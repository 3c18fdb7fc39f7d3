// A character file from arbitrary INI text, played for a few hundred frames on a small
// fixed level. The input is the character file, then optionally the separator line
// "#frames#" and one byte of keys per frame (see InputReplay); without it the keys come
// from a generator seeded by the input's size. A refused file must say why and leave
// nothing loaded; an accepted one must keep the level's invariants in every frame.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "config/loaderror.h"
#include "fuzzsupport.h"
#include "levelchecks.h"
#include "states/gamestatemanager.h"
#include "states/level.h"

namespace {

constexpr int kFrames = 300;
const char kSeparator[] = "\n#frames#\n";

const char* const kLevels =
    "[Common]\nreadyMessage = READY\n"
    "[Fuzz]\ntileSheet = tiles.bmp\ntileMap = fuzz.map\nboundaries = 2\n"
    "boundary0x = 0\nboundary0y = 0\nboundary0w = 512\n"
    "boundary1x = 0\nboundary1y = 240\nboundary1w = 256\n"
    "teleportStartYSpeedFraction = -256\nteleportStopPosY = 180\n";

const char* const kFont =
    "[Properties]\nsheet = font.bmp\ncharacterHeight = 8\ncharacterWidth = 8\n"
    "[Characters]\nR = 80\nE = 88\nA = 96\nD = 104\nY = 112\nspace = 120\n- = 128\n";

const char* const kStageSelect =
    "[Levels]\namount = 1\nlevel0 = Fuzz\n[Voltbots]\namount = 1\nvoltbot0 = fuzz.ini\n";

const char* const kEnemy =
    "[Spritesheets]\namount = 1\nspritesheet0 = enemy.bmp\n"
    "[Sprites]\namount = 2\nwidth = 16\nheight = 8\nsprite0YPos = 0\nsprite1YPos = 8\n"
    "[Animations]\namount = 1\n"
    "[Animation0]\nnFrames = 2\nframe0SpriteIndex = 0\nframe0Duration = 4\n"
    "frame1SpriteIndex = 1\nframe1Duration = 4\n";

// Two screens across on top, one below the left one: floors with gaps, a ladder joining
// the rows, a wall, and open space into a missing screen (bottom right).
std::string levelMap() {
    const int width = 32;
    const int height = 30;
    std::string bytes;
    bytes += static_cast<char>(0);
    bytes += static_cast<char>(width);
    bytes += static_cast<char>(0);
    bytes += static_cast<char>(height);
    bytes += static_cast<char>(4);  // three pictures
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const bool absent = row >= 15 && column >= 16;
            int type = 0;
            if ((row == 13 && column != 9 && column != 10 && column != 11) ||
                (row == 27 && column > 2) || (column == 20 && row > 6 && row < 13)) {
                type = 1;
            }
            if (column == 10 && row >= 8 && row <= 27) {
                type = 2;
            }
            bytes += static_cast<char>(absent ? 0 : type + 1);
            bytes += static_cast<char>(absent ? 0 : type);
        }
    }
    return bytes;
}

bool hasLongNumber(const std::string& text) {
    int digits = 0;
    for (const char c : text) {
        digits = (c >= '0' && c <= '9') ? digits + 1 : 0;
        if (digits > 6) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::workDir();
    fuzz::writeFilesOnce({{"levels.ini", kLevels},
                          {"fuzz.map", levelMap()},
                          {"font.ini", kFont},
                          {"stageselect.ini", kStageSelect},
                          {"enemy.ini", kEnemy}});
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find(kSeparator);
    const std::string character = input.substr(0, split);
    const std::string keys =
        split == std::string::npos ? std::string() : input.substr(split + std::strlen(kSeparator));
    // With KESTRELIX_FUZZ_SANE_NUMBERS set, inputs holding a number of more than six digits
    // are skipped, so a run can look past the overflow faults such numbers are known to hit.
    static const bool saneNumbers = std::getenv("KESTRELIX_FUZZ_SANE_NUMBERS") != nullptr;
    if (saneNumbers && hasLongNumber(character)) {
        return 0;
    }
    fuzz::writeFile("fuzz.ini", character);

    fuzz::CheckingVideo video;
    video.setImageSize("tiles.bmp", 48, 16);
    const ScopedVideo provided(&video);
    {
        std::unique_ptr<GameStateManager> manager;
        std::unique_ptr<Level> level;
        try {
            manager = std::make_unique<GameStateManager>();
            manager->setInitMessage(GameStateManager::InitMessageId::kLevel, "Fuzz");
            manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, "fuzz.ini");
            level = std::make_unique<Level>(manager.get());
        } catch (const LoadError& error) {
            fuzz::checkRefusal(error);
        }
        if (level) {
            fuzz::InputReplay replay;
            fuzz::LevelChecker checker(false);
            fuzz::Random random(size + 1);
            for (int frame = 0; frame < kFrames; ++frame) {
                const std::uint8_t bits =
                    keys.empty() ? static_cast<std::uint8_t>(random.next())
                                 : static_cast<std::uint8_t>(
                                       keys[static_cast<std::size_t>(frame) % keys.size()]);
                replay.frame(bits);
                const bool updated = !replay.paused();
                if (updated) {
                    level->update(replay.controls());
                }
                level->draw();
                checker.afterFrame(*level, updated);
            }
        }
    }
    if (video.liveBitmaps() != 0) {
        fuzz::trap(std::to_string(video.liveBitmaps()) + " bitmaps were not released");
    }
    return 0;
}
