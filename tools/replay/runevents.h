#pragma once

#include <string>
#include <vector>

#include "tracewriter.h"

// The moments a tuner looks for in a run, read off its trace rows one frame at a time:
// take-offs, jump apexes (with their height above the last floor), landings, the starts
// and ends of screen transitions, restarts and hits. The same rows give the same events,
// whether they come from a live replay or a CSV file, so two runs compare event by event.
// Memory grows with the number of events only, never with the frames.
class RunEvents {
  public:
    enum class Kind { kJump, kApex, kLanding, kScrollStart, kScrollEnd, kRestart, kHit };
    static constexpr int kKindCount = 7;

    struct Event {
        Kind kind = Kind::kJump;
        int frame = 0;
        // Position of the player in that frame, 1/256 pixel.
        int x = 0;
        int y = 0;
        // Apex only: the height above the floor of the take-off, 1/256 pixel, up positive.
        int height = 0;
    };

    // What one run comes to, in one line of a sweep.
    struct Measures {
        int apexHeight = 0;  // the highest apex, 1/256 pixel; 0 without one
        int apexFrame = -1;
        int airFrames = 0;     // frames spent in the air
        int distance = 0;      // x at the end minus x in frame 0, 1/256 pixel
        int firstScroll = -1;  // frame of the first transition's start, -1 without one
        int restarts = 0;
        int hits = 0;
    };

    void observe(const TraceRow& row);
    // Closes a jump still in the air when the rows end, so its apex is not lost.
    void finish();

    const std::vector<Event>& events() const { return m_events; }
    Measures measures() const { return m_measures; }

    static const char* kindName(Kind kind);

  private:
    void add(Kind kind, const TraceRow& row, int height = 0);
    void closeAirborne();

    bool m_first = true;
    TraceRow m_previous;
    int m_firstX = 0;
    int m_floorY = 0;
    bool m_rising = false;  // in the air after a take-off, apex not yet passed
    TraceRow m_highest;
    std::vector<Event> m_events;
    Measures m_measures;
};
