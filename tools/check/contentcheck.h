#pragma once

#include <string>
#include <vector>

// The shipped content checked through the game's own loaders: every level and character
// that stageselect.ini lists, in the working directory. Beyond what the loaders refuse, it
// looks for data that loads but plays wrong: a teleport that never stops or never lands,
// a level without the enemy's floor, a first boundary that the start position misses,
// vertical transitions whose camera does not travel one screen or that cannot carry the
// player across the edge, scrolls that do not show whole screens, and boxes that do not
// fit the ladder geometry. It needs no display: pictures are read from their BMP files.
//
// Two kinds of finding: what the game refuses (the loader's own line, exactly as the
// game prints it), and warnings about data the game plays, but plays wrong or strangely
// (the game's own load warnings among them).
namespace contentcheck {

struct Problem {
    std::string file;
    std::string text;
    bool refused = false;  // the game stops with this line; otherwise a warning
};

// Every problem found, in a stable order (characters first, then levels, then pairs).
std::vector<Problem> checkAll();

}  // namespace contentcheck
