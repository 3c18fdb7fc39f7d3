#pragma once

#include <string>

class ScratchDir;

// The one test character and the game files around it, shared by the player, level and
// end-to-end tests; fuzz/make_seeds.py builds its character seeds from the same files.
// The texts are plain INI files in tests/support/fixture/:
//
//   character.ini  the standard character: options, speeds, durations, box, bullet
//   distinct.ini   the player tests' tuning, put before it
//   font.ini       8 x 8 cells: the digits, then R, E, A, D, Y and space
//   enemy.ini      two 16 x 8 pictures of one frame each, so every update changes it
//
// A character file is the overrides first, then character.ini, then its pictures: in an
// INI file the first value of a key wins, so "[Durations]\nready = 60\n" in front replaces
// the standard ready duration.
namespace fixture {

// A file of tests/support/fixture, whole; a missing one fails the test.
std::string text(const std::string& name);

// The standard character with the overrides in front and ten one-picture animations on
// the sheets <sheetPrefix>_r.bmp, _l.bmp, _rs.bmp and _ls.bmp (right, left, and the two
// while shooting).
std::string character(const std::string& overrides = "", const std::string& sheetPrefix = "hero");

// font.ini, enemy.ini, and a stageselect.ini that lists the level "Test" and the
// character file "hero.ini": what a Level needs besides its level and character.
void writeGameFiles(const ScratchDir& scratch);

}  // namespace fixture
