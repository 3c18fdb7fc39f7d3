#pragma once

#include <vector>

#include "engine/videoservice.h"
#include "gfx/font.h"
#include "states/gamestate.h"
#include "states/menuitem.h"

class GameStateManager;

// The first state: levels on the left, characters on the right, from stageselect.ini.
// Shoot moves to the character column and then confirms; jump goes back. A menu
// file without an entry in either column, or with fewer entries than it counts, is
// refused while loading (a column without entries could never be confirmed).
class StageSelect : public GameState {
  public:
    explicit StageSelect(GameStateManager* manager);
    ~StageSelect() override;
    StageSelect(const StageSelect&) = delete;
    StageSelect& operator=(const StageSelect&) = delete;

    void draw() override;
    void update(Controls controls) override;

    int getLevelIndex() const { return m_levelIndex; }
    int getVoltbotIndex() const { return m_voltbotIndex; }
    bool isVoltbotColumnActive() const { return m_voltbotColumnActive; }

  private:
    int m_levelIndex = 0;
    int m_voltbotIndex = 0;
    int m_levelCount = 0;
    int m_voltbotCount = 0;
    bool m_voltbotColumnActive = false;
    Bitmap m_selector;
    GameStateManager* m_gameStateManager;
    Font m_font;
    std::vector<MenuItem> m_levelItems;
    std::vector<MenuItem> m_voltbotItems;
};
