#include "contentcheck.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "common/headlessvideo.h"
#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "engine/controls.h"
#include "engine/servicelocator.h"
#include "engine/videoservice.h"
#include "gfx/sprite.h"
#include "player/fixedpoint.h"
#include "player/voltbot.h"
#include "states/gamestatemanager.h"
#include "states/level.h"
#include "world/map.h"

namespace contentcheck {
namespace {

constexpr int kScreenHeight = 240;
constexpr int kBeamStep = 16;  // pixels the teleport beam falls each frame
constexpr int kLadderHalfWidth = 8;
// Where every level's enemy stands, and its box.
constexpr int kEnemyX = 112;
constexpr int kEnemyY = 2104;
constexpr int kEnemyWidth = 16;
constexpr int kEnemyHeight = 8;
constexpr int kEnemyScreenRow = 8;
constexpr int kMaxListed = 64;
// Frames of play after the ready message in which the teleport must have ended standing.
constexpr int kArrivalFrames = 180;

// What the checks need of a character file, read once.
struct Character {
    std::string path;
    bool usable = false;  // read, and its sprite loaded
    int xOffset = 0;
    int yOffset = 0;
    int width = 0;
    int height = 0;
};

class Checker {
  public:
    std::vector<Problem> run();

  private:
    void report(const std::string& file, const std::string& text) {
        m_problems.push_back({file, text});
    }
    void checkSprite(const IniDictionary& character);
    void checkBox(const IniDictionary& character, Character& result);
    void checkTimings(const IniDictionary& character);
    void checkTransitions(const IniDictionary& character);
    void checkLevel(const std::string& name, IniDictionary& levels);
    void checkPair(const std::string& levelName, const Map& map, const Character& character);
    void checkArrival(const std::string& levelName, const Character& character);

    HeadlessVideo m_video;
    ScopedVideo m_service{&m_video};
    std::vector<Problem> m_problems;
    std::vector<Character> m_characters;
};

int speed(const IniDictionary& ini, const char* stem, const char* section) {
    const std::string key(stem);
    return ini.getIntValue((key + "Int").c_str(), section, 0) * 256 +
           ini.getIntValue((key + "Fraction").c_str(), section, 0);
}

std::string numbered(const char* stem, int i, const char* tail = "") {
    return stem + std::to_string(i) + tail;
}

void Checker::checkSprite(const IniDictionary& character) {
    const std::string& file = character.path();
    const int sheets = character.getIntValue("amount", "Spritesheets", 0);
    if (sheets < 4) {
        report(file, "[Spritesheets] amount is " + std::to_string(sheets) +
                         ", a character needs 4 (right, left, right shooting, left shooting)");
    }
    const int animations = character.getIntValue("amount", "Animations", 0);
    if (animations < 10) {
        report(file, "[Animations] amount is " + std::to_string(animations) +
                         ", a character needs the 10 animations 0 to 9");
    }
    // Every sprite rectangle must lie inside every sheet (the game copies it blindly).
    const int sprites = character.getIntValue("amount", "Sprites", 0);
    const int width = character.getIntValue("width", "Sprites", 0);
    const int height = character.getIntValue("height", "Sprites", 0);
    for (int s = 0; s < sheets && s < kMaxListed; ++s) {
        const std::string sheet =
            character.getCStringValue(numbered("spritesheet", s).c_str(), "Spritesheets", "empty");
        const auto size = m_video.sizeOf(sheet);
        if (size.first == 0) {
            continue;  // not loaded: the sprite loader has reported it
        }
        if (width > size.first) {
            report(file, "sprites are " + std::to_string(width) + " pixels wide, " + sheet +
                             " only " + std::to_string(size.first));
        }
        for (int i = 0; i < sprites && i < 4096; ++i) {
            const int top =
                character.getIntValue(numbered("sprite", i, "YPos").c_str(), "Sprites", 0);
            if (top < 0 || top + height > size.second) {
                report(file, "[Sprites] " + numbered("sprite", i, "YPos") + " = " +
                                 std::to_string(top) + " reaches outside " + sheet + " (" +
                                 std::to_string(size.second) + " pixels high)");
            }
        }
    }
}

void Checker::checkBox(const IniDictionary& character, Character& result) {
    const std::string& file = character.path();
    result.xOffset = character.getIntValue("xOffset", "BoundingBox", 0);
    result.yOffset = character.getIntValue("yOffset", "BoundingBox", 0);
    result.width = character.getIntValue("width", "BoundingBox", 0);
    result.height = character.getIntValue("height", "BoundingBox", 0);
    const int heightHalf = character.getIntValue("heightHalf", "BoundingBox", 0);
    // The map's queries take a box one column wider than its width; snapped to a ladder
    // the reference point stands 8 pixels into the ladder's tile, so the box fits a
    // one-tile hole only within 8 pixels left and 7 right of it.
    if (result.xOffset < -kLadderHalfWidth ||
        result.xOffset + result.width > kLadderHalfWidth - 1) {
        report(file, "[BoundingBox] spans x " + std::to_string(result.xOffset) + " to " +
                         std::to_string(result.xOffset + result.width) +
                         " around the reference point: it cannot climb through a one-tile "
                         "hole (needs -8 to 7)");
    }
    // Standing on a floor puts the reference point yOffset + height + 1 above it; climbing
    // off a ladder top puts it heightHalf above the top row.
    const int standing = result.yOffset + result.height + 1;
    if (heightHalf != standing) {
        report(file, "[BoundingBox] heightHalf is " + std::to_string(heightHalf) +
                         ", but the box stands " + std::to_string(standing) +
                         " pixels above a floor (yOffset + height + 1): climbing off a "
                         "ladder top would not end on it");
    }
}

void Checker::checkTimings(const IniDictionary& character) {
    const std::string& file = character.path();
    const struct {
        const char* key;
        const char* section;
    } atLeastOne[] = {{"ready", "Durations"},
                      {"displayInterval", "ReadyMessage"},
                      {"scrolling", "Durations"},
                      {"afterScrolling", "Durations"}};
    for (const auto& entry : atLeastOne) {
        const int value = character.getIntValue(entry.key, entry.section, 0);
        if (value < 1) {
            report(file, std::string("[") + entry.section + "] " + entry.key + " is " +
                             std::to_string(value) + ", it must be at least 1");
        }
    }
    const int before = character.getIntValue("beforeScrolling", "Durations", 0);
    const int scrolling = character.getIntValue("scrolling", "Durations", 0);
    const int step = character.getIntValue("verticalSpeed", "ScrollConstants", 0);
    // With a pause before the scroll its last frame moves nothing; without one the first
    // step is taken as the transition starts.
    const long long steps = before > 0 ? scrolling - 1 : scrolling;
    const long long travel = steps * step;
    if (travel != kScreenHeight) {
        report(file, "the vertical transition moves the camera " + std::to_string(steps) +
                         " times " + std::to_string(step) + " = " + std::to_string(travel) +
                         " pixels, not 240 (beforeScrolling " + std::to_string(before) +
                         ", scrolling " + std::to_string(scrolling) + ", verticalSpeed " +
                         std::to_string(step) + ")");
    }
}

// Whether the player's own motion during a scroll carries it over the screen edge, so
// that the boundary chosen when the scroll ends is the new one. Worked in sub-pixels on a
// boundary whose top is one screen down, so every position stays positive.
void Checker::checkTransitions(const IniDictionary& character) {
    const std::string& file = character.path();
    const int scrolling = character.getIntValue("scrolling", "Durations", 0);
    if (scrolling < 1) {
        return;  // reported with the timings
    }
    const bool setFraction = character.getBoolValue("setFractionAtScrollStart", "Options", false);
    const bool resetFraction =
        character.getBoolValue("resetFractionAtScrollStart", "Options", false);
    const bool differentFirst =
        character.getBoolValue("firstScrollingFrameIsDifferentSpeed", "Options", false);
    const bool adjust = character.getBoolValue("adjustPositionAfterScroll", "Options", false);
    const int perFrame = speed(character, "scrolling", "YSpeed");
    const int first = setFraction      ? 0
                      : differentFirst ? speed(character, "scrollingFirstFrame", "YSpeed")
                                       : perFrame;
    const long long travel = first + static_cast<long long>(scrolling - 1) * perFrame;
    const int top = character.getIntValue("startPosTop", "ScrollConstants", 0);
    const int bottom = character.getIntValue("startPosBottom", "ScrollConstants", kScreenHeight);
    const int startFraction = character.getIntValue("startFraction", "ScrollConstants", 0);
    const long long screenTop = kScreenHeight * 256LL;

    // The fraction the position keeps when the scroll starts, at worst.
    const auto settle = [&](long long y, bool worstHigh) {
        if (setFraction) {
            return y / 256 * 256 + startFraction;
        }
        if (resetFraction) {
            return y / 256 * 256;
        }
        return worstHigh ? y / 256 * 256 + 255 : y;
    };
    const std::string moves =
        "the player moves " + std::to_string(travel) + "/256 pixels during a scroll";

    // Upwards: triggered at startPosTop or above; the lowest start must end above the top.
    const long long upStart = settle((kScreenHeight + top) * 256LL, true);
    if (upStart - travel >= screenTop) {
        report(file, moves + ": from the top trigger (startPosTop " + std::to_string(top) +
                         ") it does not cross into the screen above, so another transition "
                         "starts at once");
    }
    // Downwards: the trigger looks at the target of the frame, so the player may still be a
    // whole fall step above the bottom trigger when the scroll starts.
    long long fall = -static_cast<long long>(speed(character, "min", "YSpeed"));
    if (character.getBoolValue("onlyIntAdjustmentAtBelowYSpeedMin", "Options", false)) {
        fall += 255;
    }
    if (character.getBoolValue("applyGravityBeforeCollisionCheck", "Options", false)) {
        fall += speed(character, "gravity", "YSpeed");
    }
    const long long downStart = settle((kScreenHeight + bottom) * 256LL - fall, false);
    if (downStart + travel < screenTop + kScreenHeight * 256LL) {
        report(file, moves + ": falling at up to " + std::to_string(fall) +
                         "/256 pixels a frame onto the bottom trigger (startPosBottom " +
                         std::to_string(bottom) +
                         ") it does not cross into the screen below, so another transition "
                         "starts at once");
    }
    if (adjust) {
        const int upEnd = character.getIntValue("upEndPosY", "ScrollConstants", 0);
        const int downEnd = character.getIntValue("downEndPosY", "ScrollConstants", 0);
        if (upEnd <= top || upEnd >= kScreenHeight) {
            report(file, "upEndPosY " + std::to_string(upEnd) +
                             " is not below the top trigger (startPosTop " + std::to_string(top) +
                             ") inside the screen: climbing on starts another transition at "
                             "once");
        }
        if (downEnd < 0 || downEnd >= bottom) {
            report(file, "downEndPosY " + std::to_string(downEnd) +
                             " is not above the bottom trigger (startPosBottom " +
                             std::to_string(bottom) + "): another transition starts at once");
        }
    }
}

void Checker::checkLevel(const std::string& name, IniDictionary& levels) {
    const std::string file = levels.path();
    const std::string section = "[" + name + "] ";
    std::unique_ptr<Map> map;
    try {
        map = std::make_unique<Map>(name.c_str(), levels);
    } catch (const LoadError& error) {
        report(error.file(), error.problem());
        return;
    }
    const Rect first = map->getBoundary(0);
    const int startY = fixedpoint::pixel(map->getTeleportStartPosY());
    const int startX = fixedpoint::pixel(map->getTeleportStartPosX());
    const int stop = map->getTeleportStopPosY();
    const int stopKey = stop - first.y;
    const bool onGrid = stop >= startY && (stop - startY) % kBeamStep == 0;
    if (!onGrid) {
        report(file, section + "teleportStopPosY " + std::to_string(stopKey) +
                         " is not 4 + 16k at or below the beam's start (4): the beam, falling "
                         "16 pixels a frame, never stops");
    } else {
        // The drop after the beam needs a floor (or a ladder top) under the start column.
        bool floor = false;
        for (int y = stop; y < first.y + kScreenHeight && !floor; y += Tile::kHeight) {
            const int type = map->getTile(startX, y).type;
            floor = type == TileType::kSolid || type == TileType::kLadder;
        }
        if (!floor) {
            report(file, section + "nothing below the teleport stop at x " +
                             std::to_string(startX) + " in boundary 0 to land on");
        }
    }

    const int enemyScreen = kEnemyScreenRow * map->getScreensPerRow();
    if (enemyScreen >= map->getScreenCount() || !map->hasScreen(enemyScreen)) {
        report(file, section + "has no screen at row 8, column 0, where the enemy stands");
    } else {
        map->setCurrentBoundaryByPosition(kEnemyX, kEnemyY);
        const Rect current = map->getCurrentBoundary();
        const bool covered = current.y <= kEnemyY && kEnemyY < current.y + current.h &&
                             current.x <= kEnemyX && kEnemyX < current.x + current.w;
        if (!covered) {
            report(file, section + "no boundary covers the enemy at x 112, y 2104");
        } else {
            // Every tile column under the enemy's box needs a floor at y 2112, and the box
            // itself must be free.
            for (int x = kEnemyX / Tile::kWidth * Tile::kWidth; x < kEnemyX + kEnemyWidth;
                 x += Tile::kWidth) {
                const std::string where =
                    "x " + std::to_string(x) + " to " + std::to_string(x + Tile::kWidth - 1);
                if (map->getTile(x, kEnemyY + kEnemyHeight).type != TileType::kSolid) {
                    report(file, section + "no floor under the enemy at " + where +
                                     ", y 2112 (tile row 132)");
                }
                if (map->getTile(x, kEnemyY).type == TileType::kSolid) {
                    report(file, section + "the enemy at " + where +
                                     ", y 2104 stands inside a solid tile");
                }
            }
        }
    }
    for (const Character& character : m_characters) {
        if (character.usable) {
            checkPair(name, *map, character);
        }
    }
}

void Checker::checkPair(const std::string& levelName, const Map& map, const Character& character) {
    const std::string file = "levels.ini";
    const std::string prefix = "[" + levelName + "] with " + character.path + ": ";
    // The level chooses its first boundary from the box's top-left corner at the start,
    // which lies above boundary 0's top; any boundary covering it would be chosen instead.
    const int boxX = fixedpoint::pixel(map.getTeleportStartPosX() + character.xOffset * 256);
    const int boxY = fixedpoint::pixel(map.getTeleportStartPosY() + character.yOffset * 256);
    for (int i = 1; i < map.getBoundaryCount(); ++i) {
        const Rect b = map.getBoundary(i);
        if (b.x <= boxX && boxX < b.x + b.w && b.y <= boxY && boxY < b.y + b.h) {
            report(file, prefix + "the start box's corner (" + std::to_string(boxX) + ", " +
                             std::to_string(boxY) + ") lies in boundary " + std::to_string(i) +
                             ", so the level would start there instead of in boundary 0");
            break;
        }
    }
    // The beam falls through everything in its column, and the drop after it lands in the
    // same column: neither may run over the enemy's spot.
    const Rect first = map.getBoundary(0);
    const bool columnOverEnemy = boxX < kEnemyX + kEnemyWidth && kEnemyX < boxX + character.width;
    const bool enemyBelowStart = boxY < kEnemyY + kEnemyHeight && kEnemyY < first.y + first.h;
    if (columnOverEnemy && enemyBelowStart) {
        report(file, prefix + "the teleport beam's column (x " + std::to_string(boxX) + " to " +
                         std::to_string(boxX + character.width) +
                         ") runs over the enemy at x 112, y 2104");
    }
    checkArrival(levelName, character);
}

// Plays the level's start with the game's own level state: after the ready message and
// some frames without input, the player must stand in boundary 0.
void Checker::checkArrival(const std::string& levelName, const Character& character) {
    const std::string prefix = "[" + levelName + "] with " + character.path + ": ";
    try {
        GameStateManager manager;
        manager.setInitMessage(GameStateManager::InitMessageId::kLevel, levelName.c_str());
        manager.setInitMessage(GameStateManager::InitMessageId::kVoltbot, character.path.c_str());
        manager.setNextState();
        manager.update(Controls{});
        auto* level = dynamic_cast<Level*>(manager.getCurrentState());
        if (level == nullptr) {
            report("levels.ini", prefix + "the level state was not created");
            return;
        }
        for (int frame = 0; frame < 10000 && level->getPhase() == Level::kReady; ++frame) {
            manager.update(Controls{});
            manager.draw();
        }
        for (int frame = 0; frame < kArrivalFrames; ++frame) {
            manager.update(Controls{});
            manager.draw();
        }
        const Voltbot* player = level->getPlayer();
        if (level->getPhase() != Level::kPlaying ||
            player->getMovementMode() != MovementMode::kOnGround ||
            level->getMap()->getCurrentBoundaryIndex() != 0) {
            report("levels.ini",
                   prefix + "the teleport arrival does not end standing in boundary 0 (after " +
                       std::to_string(kArrivalFrames) + " frames: phase " +
                       std::to_string(level->getPhase()) + ", movement mode " +
                       std::to_string(player->getMovementMode()) + ", at x " +
                       std::to_string(player->getX()) + ", y " + std::to_string(player->getY()) +
                       ")");
        }
    } catch (const LoadError& error) {
        report(error.file(), prefix + error.problem());
    }
}

std::vector<Problem> Checker::run() {
    IniDictionary menu("stageselect.ini");
    if (!menu.wasRead()) {
        report("stageselect.ini", "cannot be opened");
        return m_problems;
    }
    const int characterCount = menu.getIntValue("amount", "Voltbots", 0);
    const int levelCount = menu.getIntValue("amount", "Levels", 0);
    if (characterCount < 1 || characterCount > kMaxListed) {
        report("stageselect.ini", "[Voltbots] amount is " + std::to_string(characterCount) +
                                      ", the menu needs 1 to 64 characters");
    }
    if (levelCount < 1 || levelCount > kMaxListed) {
        report("stageselect.ini", "[Levels] amount is " + std::to_string(levelCount) +
                                      ", the menu needs 1 to 64 levels");
    }

    for (int i = 0; i < characterCount && i < kMaxListed; ++i) {
        Character result;
        result.path = menu.getCStringValue(numbered("voltbot", i).c_str(), "Voltbots", "empty");
        IniDictionary character(result.path.c_str());
        if (!character.wasRead()) {
            report(result.path, "cannot be opened (listed as voltbot" + std::to_string(i) +
                                    " in stageselect.ini)");
            m_characters.push_back(result);
            continue;
        }
        try {
            Sprite sprite(character);
            result.usable = true;
        } catch (const LoadError& error) {
            report(error.file(), error.problem());
        }
        checkSprite(character);
        checkBox(character, result);
        checkTimings(character);
        checkTransitions(character);
        m_characters.push_back(result);
    }

    IniDictionary levels("levels.ini");
    if (!levels.wasRead()) {
        report("levels.ini", "cannot be opened");
        return m_problems;
    }
    for (int i = 0; i < levelCount && i < kMaxListed; ++i) {
        const std::string name =
            menu.getCStringValue(numbered("level", i).c_str(), "Levels", "empty");
        if (!levels.hasSection(name.c_str())) {
            report("levels.ini", "has no section [" + name + "] for level" + std::to_string(i) +
                                     " of stageselect.ini");
            continue;
        }
        checkLevel(name, levels);
    }
    return m_problems;
}

}  // namespace

std::vector<Problem> checkAll() {
    Checker checker;
    return checker.run();
}

}  // namespace contentcheck
