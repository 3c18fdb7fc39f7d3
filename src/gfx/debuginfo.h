#pragma once

#include "gfx/font.h"

// The numeric overlay in the top-left corner: the player's position and speeds in
// whole and sub-pixels, and its five ladder probes as a bit mask.
class DebugInfo {
  public:
    DebugInfo();

    void draw(int xPosition, int yPosition, int xSpeed, int ySpeed, int ladderBits);

  private:
    Font m_font;
};
