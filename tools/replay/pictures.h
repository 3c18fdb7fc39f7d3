#pragma once

#include <string>
#include <vector>

#include "runevents.h"
#include "tracewriter.h"

class GameEngine;
class Level;

// One replayed run as the pictures show it: its rows, its events and a name for the legend.
struct PictureRun {
    std::string label;
    std::vector<TraceRow> rows;
    RunEvents events;
};

// PNG pictures of the replay tool, drawn through the real engine (software renderer) and
// written with SDL2_image. Every picture is made at pixel multiplier 1.
namespace pictures {

// The whole level at 256 x 240 per screen. Without runs: only what the map draws, every
// present screen through the map's own tile drawing, absent screens and the see-through
// colour of the tiles transparent (alpha 0). With runs: absent screens shaded, the
// boundaries outlined, the teleport stop and the enemy marked, each run's path as a line
// in its own colour with a marker at each jump, landing, transition and restart, and a
// legend in the game's font. Throws LoadError when the picture cannot be made or written.
void saveLevelPicture(GameEngine& engine, Level& level, const std::vector<const PictureRun*>& runs,
                      const std::string& path);

// The chosen columns over the frames, one panel per column, each run in its colour, with
// the axes labelled in the game's font. Unknown columns are refused by the caller.
void savePlot(GameEngine& engine, const std::vector<const PictureRun*>& runs,
              const std::vector<std::string>& columns, const std::string& path);

// The columns savePlot can draw (the numeric ones of the trace).
bool isPlottable(const std::string& column);

}  // namespace pictures
