#include "runevents.h"

namespace {

bool isTransition(const std::string& phase) {
    return phase == "beforeScrolling" || phase == "scrolling" || phase == "afterScrolling";
}

}  // namespace

const char* RunEvents::kindName(Kind kind) {
    switch (kind) {
        case Kind::kJump:
            return "jump";
        case Kind::kApex:
            return "apex";
        case Kind::kLanding:
            return "landing";
        case Kind::kScrollStart:
            return "scroll start";
        case Kind::kScrollEnd:
            return "scroll end";
        case Kind::kRestart:
            return "restart";
        case Kind::kHit:
            return "hit";
    }
    return "?";
}

void RunEvents::add(Kind kind, const TraceRow& row, int height) {
    m_events.push_back(Event{kind, row.frame, row.x, row.y, height});
    if (kind == Kind::kApex && (m_measures.apexFrame < 0 || height > m_measures.apexHeight)) {
        m_measures.apexHeight = height;
        m_measures.apexFrame = row.frame;
    } else if (kind == Kind::kScrollStart && m_measures.firstScroll < 0) {
        m_measures.firstScroll = row.frame;
    } else if (kind == Kind::kRestart) {
        ++m_measures.restarts;
    } else if (kind == Kind::kHit) {
        ++m_measures.hits;
    }
}

void RunEvents::closeAirborne() {
    if (m_rising) {
        // y grows downward: the apex is the highest point, the smallest y.
        add(Kind::kApex, m_highest, m_floorY - m_highest.y);
        m_rising = false;
    }
}

void RunEvents::observe(const TraceRow& row) {
    if (m_first) {
        m_first = false;
        m_firstX = row.x;
        m_floorY = row.y;
        m_previous = row;
        return;
    }
    const TraceRow& before = m_previous;
    const bool airborne = row.mode == "inAir";
    const bool wasAirborne = before.mode == "inAir";
    if (airborne) {
        ++m_measures.airFrames;
    } else {
        m_floorY = row.y;
    }
    // A take-off rises; walking off an edge or a knock-back drop starts with a fall.
    if (airborne && !wasAirborne && row.ySpeed > 0) {
        add(Kind::kJump, row);
        m_floorY = before.y;
        m_rising = true;
        m_highest = row;
    } else if (m_rising && airborne && row.y < m_highest.y) {
        m_highest = row;
    }
    if (m_rising && (!airborne || row.ySpeed <= 0)) {
        if (airborne && row.y < m_highest.y) {
            m_highest = row;
        }
        closeAirborne();
    }
    if (wasAirborne && row.mode == "onGround") {
        add(Kind::kLanding, row);
    }
    if (isTransition(row.phase) && !isTransition(before.phase)) {
        add(Kind::kScrollStart, row);
    } else if (!isTransition(row.phase) && isTransition(before.phase)) {
        add(Kind::kScrollEnd, row);
    }
    if (row.phase == "ready" && before.phase != "ready") {
        add(Kind::kRestart, row);
    }
    if (row.state == "reeling" && before.state != "reeling") {
        add(Kind::kHit, row);
    }
    m_measures.distance = row.x - m_firstX;
    m_previous = row;
}

void RunEvents::finish() {
    closeAirborne();
}
