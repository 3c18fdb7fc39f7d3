#include "states/menuitem.h"

#include "gfx/font.h"

MenuItem::MenuItem(char const* title, char const* value, int x, int y)
    : m_x(x), m_y(y), m_title(title), m_value(value) {}

void MenuItem::draw(Font& font) const {
    font.drawTextOnScreen(m_title, m_x, m_y);
}
