#pragma once

#include <string>

class Font;

// One entry of the stage-select menu: a title drawn at a fixed screen position and the
// value handed on when the entry is chosen.
class MenuItem {
  public:
    MenuItem() = default;
    MenuItem(char const* title, char const* value, int x, int y);

    void draw(Font& font) const;
    std::string getValue() const { return m_value; }
    const std::string& getTitle() const { return m_title; }
    int getX() const { return m_x; }
    int getY() const { return m_y; }

  private:
    int m_x = 0;
    int m_y = 0;
    std::string m_title;
    std::string m_value;
};
