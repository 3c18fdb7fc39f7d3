#include "contentcheck.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "config/loadwarnings.h"
#include "engine/controls.h"
#include "engine/fixedpoint.h"
#include "engine/nullvideo.h"
#include "engine/servicelocator.h"
#include "engine/settings.h"
#include "engine/videoservice.h"
#include "gfx/sprite.h"
#include "player/voltbot.h"
#include "states/gamestatemanager.h"
#include "states/level.h"
#include "world/map.h"

namespace contentcheck {
namespace {

constexpr int kScreenWidth = 256;
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
    bool exists = false;  // the file could be read
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
    // The multiplier the game would enlarge pictures by (1 when settings.ini is refused:
    // that is reported on its own).
    static int limitMultiplier() {
        const LoadWarnings::Collector quiet;  // the run reports the settings itself
        try {
            return Settings::readPixelMultiplier();
        } catch (const LoadError&) {
            return 1;
        }
    }
    std::vector<Problem> finish();
    // A design finding: the game plays this data. Each distinct finding once.
    void report(const std::string& file, const std::string& text) { add({file, text, false}); }
    // The game's own refusal, word for word.
    void refuse(const LoadError& error) { add({error.file(), error.problem(), true}); }
    void add(const Problem& problem) {
        for (const Problem& known : m_problems) {
            if (known.file == problem.file && known.text == problem.text) {
                return;
            }
        }
        m_problems.push_back(problem);
    }
    void checkSprite(const IniDictionary& character);
    void checkBox(const IniDictionary& character, Character& result);
    void checkTimings(const IniDictionary& character);
    void checkTransitions(const IniDictionary& character);
    void checkDurations(const IniDictionary& character);
    void checkScrollViews(const std::string& name, Map& map);
    void checkTileSheet(const std::string& name, const IniDictionary& levels);
    void checkLevel(const std::string& name, IniDictionary& levels);
    void checkPair(const std::string& levelName, const Map& map, const Character& character);
    void checkArrival(const std::string& levelName, const Character& character);

    LoadWarnings::Collector m_warnings;
    NullVideo m_video{limitMultiplier()};
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
    // Phases shorter than a frame are raised to one by the game, which warns about them.
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
    const long long upStart = settle((static_cast<long long>(kScreenHeight) + top) * 256, true);
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
    const long long downStart =
        settle((static_cast<long long>(kScreenHeight) + bottom) * 256 - fall, false);
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

// Durations the game plays as described, but that a modder may not mean.
void Checker::checkDurations(const IniDictionary& character) {
    const std::string& file = character.path();
    if (character.getIntValue("reeling", "Durations", 0) == 0) {
        report(file, character.describe("reeling", "Durations") +
                         ": a knock-back never ends by itself, only by grabbing a ladder");
    }
    if (character.getIntValue("invincible", "Durations", 0) < 0) {
        report(file, character.describe("invincible", "Durations") +
                         ": after the first hit the player stays invincible for ever");
    }
}

// A vertical scroll keeps the camera's x from before it, and the first frame after it
// places the camera in the new boundary. Where a player can cross between two boundaries
// (a column open at the bottom of one screen row and the top of the next), the view must
// be the same whole-screen position in both, or the scroll shows part of a neighbouring
// screen and the picture then jumps sideways.
void Checker::checkScrollViews(const std::string& name, Map& map) {
    const std::string section = "[" + name + "] ";
    const auto boundaryAt = [&map](int x, int y) {
        for (int i = 0; i < map.getBoundaryCount(); ++i) {
            const Rect b = map.getBoundary(i);
            if (b.x <= x && x < b.x + b.w && b.y <= y && y < b.y + b.h) {
                return i;
            }
        }
        return -1;
    };
    const auto viewIn = [](const Rect& b, int centre) {
        const int target = centre - kScreenWidth / 2;
        return target < b.x ? b.x : std::min(target, b.x + b.w - kScreenWidth);
    };
    for (int from = 0; from < map.getBoundaryCount(); ++from) {
        const Rect upper = map.getBoundary(from);
        map.setCurrentBoundaryByPosition(upper.x, upper.y);
        if (map.getCurrentBoundaryIndex() != from) {
            continue;  // an earlier boundary covers this one's corner; never current there
        }
        const int below = upper.y + kScreenHeight;
        for (int x = upper.x; x < upper.x + upper.w; x += Tile::kWidth) {
            const int to = boundaryAt(x, below);
            if (to < 0 || map.getTile(x, below - Tile::kHeight).type == TileType::kSolid ||
                map.getTile(x, below).type == TileType::kSolid) {
                continue;
            }
            const Rect lower = map.getBoundary(to);
            // The player's middle may be anywhere in the open column.
            for (const int centre : {x, x + Tile::kWidth - 1}) {
                const int during = viewIn(upper, centre);
                const int after = viewIn(lower, centre);
                if (during == after && during % kScreenWidth == 0) {
                    continue;
                }
                std::string what =
                    "the scroll between boundary " + std::to_string(from) + " and boundary " +
                    std::to_string(to) + " at x " + std::to_string(x) + " to " +
                    std::to_string(x + Tile::kWidth - 1) + " shows view x " +
                    std::to_string(during) + " in boundary " + std::to_string(from) + " and " +
                    std::to_string(after) + " in boundary " + std::to_string(to);
                if (during % kScreenWidth != 0 || after % kScreenWidth != 0) {
                    what += ": part of a neighbouring screen scrolls into view";
                }
                if (during != after) {
                    what += ": the camera jumps sideways when the scroll ends";
                }
                report("levels.ini", section + what);
                x = upper.x + upper.w;  // one finding per boundary is enough
                break;
            }
        }
    }
}

// Where a tile picture has see-through pixels, the level clears the screen behind it
// every frame it shows; a modder usually wants tiles painted whole.
void Checker::checkTileSheet(const std::string& name, const IniDictionary& levels) {
    const char* sheet = levels.getCStringValue("tileSheet", name.c_str(), "empty");
    const auto size = m_video.sizeOf(sheet);
    if (size.first == 0 || size.second == 0) {
        return;
    }
    Bitmap bitmap;
    m_video.loadBitmap(bitmap, sheet);
    std::string pictures;
    for (int n = 0; n * size.second < size.first && n < 256; ++n) {
        const Rect area{n * size.second, 0, static_cast<std::uint16_t>(size.second),
                        static_cast<std::uint16_t>(size.second)};
        if (m_video.hasSeeThroughPixels(bitmap, area)) {
            pictures += (pictures.empty() ? "" : ", ") + std::to_string(n);
        }
    }
    m_video.unloadBitmap(bitmap);
    if (!pictures.empty()) {
        report(sheet, "tile pictures " + pictures +
                          " have transparent pixels (colour FF80FF): the level clears the "
                          "screen behind every screen that shows them");
    }
}

void Checker::checkLevel(const std::string& name, IniDictionary& levels) {
    const std::string file = levels.path();
    const std::string section = "[" + name + "] ";
    std::unique_ptr<Map> map;
    try {
        map = std::make_unique<Map>(name.c_str(), levels);
    } catch (const LoadError& error) {
        refuse(error);
        return;
    }
    checkTileSheet(name, levels);
    checkScrollViews(name, *map);
    map->setCurrentBoundaryByPosition(map->getBoundary(0).x, map->getBoundary(0).y);
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
        report(file, section +
                         "has no screen at row 8, column 0, where the enemy stands: it "
                         "is never seen or met");
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
        } else if (character.exists) {
            // The level loads the rest of the character too: its refusals are the game's.
            checkArrival(name, character);
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
        refuse(error);
    }
}

std::vector<Problem> Checker::run() {
    // The settings first, as the engine reads them.
    try {
        Settings::readPixelMultiplier();
    } catch (const LoadError& error) {
        refuse(error);
    }
    // The menu next, as the game builds it: font, stage select file and cursor.
    try {
        GameStateManager menuState;
    } catch (const LoadError& error) {
        refuse(error);
    }
    std::unique_ptr<IniDictionary> menuFile;
    try {
        menuFile = std::make_unique<IniDictionary>("stageselect.ini", IniDictionary::kRequired);
    } catch (const LoadError& error) {
        refuse(error);
        return finish();
    }
    const IniDictionary& menu = *menuFile;
    const int characterCount = std::min(menu.getIntValue("amount", "Voltbots", 0), kMaxListed);
    const int levelCount = std::min(menu.getIntValue("amount", "Levels", 0), kMaxListed);

    for (int i = 0; i < characterCount; ++i) {
        Character result;
        const std::string key = numbered("voltbot", i);
        if (!menu.hasKey(key.c_str(), "Voltbots")) {
            continue;  // the menu's refusal names it
        }
        result.path = menu.getCStringValue(key.c_str(), "Voltbots", "empty");
        std::unique_ptr<IniDictionary> character;
        try {
            character =
                std::make_unique<IniDictionary>(result.path.c_str(), IniDictionary::kRequired);
            result.exists = true;
            Sprite sprite(*character);
            result.usable = true;
        } catch (const LoadError& error) {
            refuse(error);
        }
        if (character) {
            checkSprite(*character);
            checkBox(*character, result);
            checkTimings(*character);
            checkTransitions(*character);
            checkDurations(*character);
        }
        m_characters.push_back(result);
    }

    std::unique_ptr<IniDictionary> levels;
    try {
        levels = std::make_unique<IniDictionary>("levels.ini", IniDictionary::kRequired);
    } catch (const LoadError& error) {
        refuse(error);
        return finish();
    }
    for (int i = 0; i < levelCount; ++i) {
        const std::string key = numbered("level", i);
        if (!menu.hasKey(key.c_str(), "Levels")) {
            continue;
        }
        const std::string name = menu.getCStringValue(key.c_str(), "Levels", "empty");
        if (!levels->hasSection(name.c_str())) {
            refuse(LoadError("levels.ini", "no section [" + name + "] for the chosen level"));
            continue;
        }
        checkLevel(name, *levels);
    }
    return finish();
}

std::vector<Problem> Checker::finish() {
    // The game's own load warnings are findings of the same kind as the check's.
    for (const LoadWarnings::Warning& warning : m_warnings.warnings()) {
        report(warning.file, warning.problem);
    }
    return m_problems;
}

}  // namespace

std::vector<Problem> checkAll() {
    Checker checker;
    return checker.run();
}

}  // namespace contentcheck
