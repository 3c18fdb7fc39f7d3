#include "states/stageselect.h"

#include <cstdio>
#include <string>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "engine/servicelocator.h"
#include "states/gamestatemanager.h"

namespace {

// The screen has room for about 26 lines below the first entry; more is a broken file.
constexpr int kMaxEntries = 64;
constexpr int kLevelColumnX = 32;
constexpr int kVoltbotColumnX = 128;
constexpr int kFirstEntryY = 32;

// A column without entries leaves a menu that can never be confirmed, and a count beyond
// the screen is a broken file: both are refused.
int readEntryCount(const IniDictionary& dictionary, const char* section, const char* what) {
    const int amount = dictionary.getIntValue("amount", section, 0);
    if (amount < 1 || amount > kMaxEntries) {
        const std::string entry = dictionary.describe("amount", section);
        throw LoadError(dictionary.path(),
                        entry + (dictionary.hasKey("amount", section) ? "" : " is missing") +
                            ": the menu needs 1 to " + std::to_string(kMaxEntries) + " " + what);
    }
    return amount;
}

// An entry the count promises must be in the file: its default would only show "empty"
// and fail later, far from the real fault.
const char* readEntry(const IniDictionary& dictionary, const char* key, const char* section) {
    if (!dictionary.hasKey(key, section)) {
        throw LoadError(dictionary.path(), dictionary.describe(key, section) + " is missing (" +
                                               dictionary.describe("amount", section) + ")");
    }
    return dictionary.getCStringValue(key, section, "empty");
}

}  // namespace

StageSelect::StageSelect(GameStateManager* manager)
    : m_gameStateManager(manager), m_font("font.ini") {
    const IniDictionary dictionary("stageselect.ini", IniDictionary::kRequired);
    char key[32];

    m_levelCount = readEntryCount(dictionary, "Levels", "levels");
    m_levelItems.resize(static_cast<std::size_t>(m_levelCount));
    int y = kFirstEntryY;
    for (int i = 0; i < m_levelCount; ++i) {
        std::snprintf(key, sizeof key, "level%d", i);
        // A level is known by its name: it is both what is shown and what is handed on.
        const char* name = readEntry(dictionary, key, "Levels");
        m_levelItems[static_cast<std::size_t>(i)] = MenuItem(name, name, kLevelColumnX, y);
        y += m_font.m_characterHeight;
    }

    m_voltbotCount = readEntryCount(dictionary, "Voltbots", "characters");
    m_voltbotItems.resize(static_cast<std::size_t>(m_voltbotCount));
    y = kFirstEntryY;
    for (int i = 0; i < m_voltbotCount; ++i) {
        std::snprintf(key, sizeof key, "voltbot%d", i);
        const char* path = readEntry(dictionary, key, "Voltbots");
        std::snprintf(key, sizeof key, "voltbot%dtitle", i);
        const char* title = dictionary.getCStringValue(key, "Voltbots", "empty");
        m_voltbotItems[static_cast<std::size_t>(i)] = MenuItem(title, path, kVoltbotColumnX, y);
        y += m_font.m_characterHeight;
    }

    // Back from a level, the cursors stand on the entries chosen last (the file may have
    // lost entries since only if it was edited, hence the bounds).
    const int lastLevel = manager->getMenuLevelIndex();
    const int lastVoltbot = manager->getMenuVoltbotIndex();
    m_levelIndex = lastLevel >= 0 && lastLevel < m_levelCount ? lastLevel : 0;
    m_voltbotIndex = lastVoltbot >= 0 && lastVoltbot < m_voltbotCount ? lastVoltbot : 0;

    // Loaded last: nothing after it can throw, so it never needs unloading here.
    ServiceLocator::getVideoService()->loadBitmap(m_selector, "selector.bmp");
}

StageSelect::~StageSelect() {
    ServiceLocator::getVideoService()->unloadBitmap(m_selector);
    // The entries and then the font (which unloads its sheet) go with the members.
}

void StageSelect::update(Controls controls) {
    if (controls.menuPressed) {
        m_gameStateManager->requestQuit();
        return;
    }
    // Only a change of the vertical direction moves the cursor: holding it moves once.
    if (controls.dirY != controls.prevDirY) {
        int& index = m_voltbotColumnActive ? m_voltbotIndex : m_levelIndex;
        const int count = m_voltbotColumnActive ? m_voltbotCount : m_levelCount;
        if (controls.dirY == Direction::kDown) {
            if (index < count - 1) {
                ++index;
            }
        } else if (controls.dirY == Direction::kUp) {
            if (index > 0) {
                --index;
            }
        }
    }

    if (controls.shootPressed) {
        if (!m_voltbotColumnActive) {
            m_voltbotColumnActive = true;
        } else if (m_levelCount > 0 && m_voltbotCount > 0) {
            // An empty column has nothing to hand on, so such a menu never confirms.
            m_gameStateManager->setInitMessage(
                GameStateManager::InitMessageId::kLevel,
                m_levelItems[static_cast<std::size_t>(m_levelIndex)].getValue().c_str());
            m_gameStateManager->setInitMessage(
                GameStateManager::InitMessageId::kVoltbot,
                m_voltbotItems[static_cast<std::size_t>(m_voltbotIndex)].getValue().c_str());
            m_gameStateManager->setMenuChoice(m_levelIndex, m_voltbotIndex);
            m_gameStateManager->setNextState();
        }
    }

    // After shoot on purpose: shoot and jump together in the character column confirm
    // and still move the cursor back.
    if (controls.jumpPressed && m_voltbotColumnActive) {
        m_voltbotColumnActive = false;
    }
}

void StageSelect::draw() {
    VideoService* video = ServiceLocator::getVideoService();
    video->clearScreen();
    for (const MenuItem& item : m_levelItems) {
        item.draw(m_font);
    }
    for (const MenuItem& item : m_voltbotItems) {
        item.draw(m_font);
    }
    // The selector's stored width is in output pixels, so with a pixel multiplier above 1
    // the cursor stands further left of the text than its own logical width.
    if (m_levelCount > 0) {
        const MenuItem& level = m_levelItems[static_cast<std::size_t>(m_levelIndex)];
        video->copyToScreen(m_selector, level.getX() - m_selector.width, level.getY(), nullptr);
    }
    if (m_voltbotColumnActive && m_voltbotCount > 0) {
        const MenuItem& voltbot = m_voltbotItems[static_cast<std::size_t>(m_voltbotIndex)];
        video->copyToScreen(m_selector, voltbot.getX() - m_selector.width, voltbot.getY(), nullptr);
    }
}
