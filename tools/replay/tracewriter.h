#pragma once

#include <ostream>
#include <string>
#include <vector>

class Level;

// One CSV row per frame of a replay: what a tuner compares between physics variants.
// Positions and speeds are raw 1/256-pixel values; phase, movement mode and state are
// written as names so that a diff reads without a table at hand.
struct TraceRow {
    int frame = 0;
    std::string phase;
    int x = 0;
    int y = 0;
    int xSpeed = 0;
    int ySpeed = 0;
    std::string mode;
    std::string state;
    int animation = 0;
    bool belowFeet = false;
    bool atFeet = false;
    bool atMiddle = false;
    bool atHead = false;
    bool aboveHead = false;
    bool scrolling = false;
    int viewX = 0;
    int viewY = 0;
};

namespace tracewriter {

// The header line, without a line break.
std::string header();
// The column names of header(), in order.
std::vector<std::string> columns();
// The level as it stands after the frame's update and draw.
TraceRow sample(int frame, Level& level);
// One CSV line, without a line break.
std::string format(const TraceRow& row);
// Reads a line written by format back; false when it is not one (wrong field count or a
// number that is not one), so a hand-edited golden file is reported rather than guessed.
bool parse(const std::string& line, TraceRow& row);

}  // namespace tracewriter
