#include "fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "scratchdir.h"

namespace fixture {

std::string text(const std::string& name) {
    const std::filesystem::path path = sourceDir() / "tests/support/fixture" / name;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        ADD_FAILURE() << "cannot read the fixture file " << path;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string character(const std::string& overrides, const std::string& sheetPrefix) {
    std::string ini = overrides + text("character.ini");
    ini += "[Spritesheets]\namount = 4\nspritesheet0 = " + sheetPrefix +
           "_r.bmp\nspritesheet1 = " + sheetPrefix + "_l.bmp\nspritesheet2 = " + sheetPrefix +
           "_rs.bmp\nspritesheet3 = " + sheetPrefix + "_ls.bmp\n";
    ini +=
        "[Sprites]\namount = 1\nwidth = 24\nheight = 24\nxOffset = -12\nyOffset = -14\n"
        "sprite0YPos = 0\n[Animations]\namount = 10\n";
    for (int a = 0; a < 10; ++a) {
        ini += "[Animation" + std::to_string(a) +
               "]\nnFrames = 1\nframe0SpriteIndex = 0\nframe0Duration = 1\n";
    }
    return ini;
}

void writeGameFiles(const ScratchDir& scratch) {
    scratch.write("font.ini", text("font.ini"));
    scratch.write("enemy.ini", text("enemy.ini"));
    scratch.write(
        "stageselect.ini",
        "[Levels]\namount = 1\nlevel0 = Test\n[Voltbots]\namount = 1\nvoltbot0 = hero.ini\n");
}

}  // namespace fixture
