#include "tracewriter.h"

#include <cstdlib>
#include <sstream>

#include "player/voltbot.h"
#include "states/level.h"
#include "world/camera.h"

namespace tracewriter {

namespace {

const char* const kColumns[] = {"frame",  "phase",    "x",      "y",         "xSpeed",
                                "ySpeed", "mode",     "state",  "animation", "belowFeet",
                                "atFeet", "atMiddle", "atHead", "aboveHead", "scrolling",
                                "viewX",  "viewY"};

const char* phaseName(Level::Phase phase) {
    switch (phase) {
        case Level::kReady:
            return "ready";
        case Level::kPlaying:
            return "playing";
        case Level::kBeforeScrolling:
            return "beforeScrolling";
        case Level::kScrolling:
            return "scrolling";
        case Level::kAfterScrolling:
            return "afterScrolling";
    }
    return "?";
}

const char* modeName(MovementMode::type mode) {
    switch (mode) {
        case MovementMode::kOnGround:
            return "onGround";
        case MovementMode::kInAir:
            return "inAir";
        case MovementMode::kOnLadder:
            return "onLadder";
        case MovementMode::kTeleporting:
            return "teleporting";
        case MovementMode::kTransforming:
            return "transforming";
    }
    return "?";
}

const char* stateName(Voltbot::State state) {
    switch (state) {
        case Voltbot::State::kStanding:
            return "standing";
        case Voltbot::State::kAccelerating:
            return "accelerating";
        case Voltbot::State::kRunning:
            return "running";
        case Voltbot::State::kDecelerating:
            return "decelerating";
        case Voltbot::State::kJumping:
            return "jumping";
        case Voltbot::State::kLanding:
            return "landing";
        case Voltbot::State::kClimbing:
            return "climbing";
        case Voltbot::State::kReeling:
            return "reeling";
        case Voltbot::State::kTeleporting:
            return "teleporting";
        case Voltbot::State::kTransforming:
            return "transforming";
    }
    return "?";
}

}  // namespace

std::vector<std::string> columns() {
    return std::vector<std::string>(std::begin(kColumns), std::end(kColumns));
}

std::string header() {
    std::string line;
    for (const char* column : kColumns) {
        if (!line.empty()) {
            line += ',';
        }
        line += column;
    }
    return line;
}

TraceRow sample(int frame, Level& level) {
    const Voltbot& player = *level.getPlayer();
    const LadderSonar sonar = player.getLadderSonar();
    const Rect* view = level.getCamera().getAngleOfView();
    TraceRow row;
    row.frame = frame;
    row.phase = phaseName(level.getPhase());
    row.x = player.getXPosition();
    row.y = player.getYPosition();
    row.xSpeed = player.getXSpeed();
    row.ySpeed = player.getYSpeed();
    row.mode = modeName(player.getMovementMode());
    row.state = stateName(player.getState());
    row.animation = player.getCurrentAnimationIndex();
    row.belowFeet = sonar.belowFeet;
    row.atFeet = sonar.atFeet;
    row.atMiddle = sonar.atMiddle;
    row.atHead = sonar.atHead;
    row.aboveHead = sonar.aboveHead;
    row.scrolling = player.isScrolling();
    row.viewX = view->x;
    row.viewY = view->y;
    return row;
}

std::string format(const TraceRow& row) {
    std::ostringstream out;
    out << row.frame << ',' << row.phase << ',' << row.x << ',' << row.y << ',' << row.xSpeed << ','
        << row.ySpeed << ',' << row.mode << ',' << row.state << ',' << row.animation << ','
        << row.belowFeet << ',' << row.atFeet << ',' << row.atMiddle << ',' << row.atHead << ','
        << row.aboveHead << ',' << row.scrolling << ',' << row.viewX << ',' << row.viewY;
    return out.str();
}

bool parse(const std::string& line, TraceRow& row) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, ',')) {
        fields.push_back(field);
    }
    if (fields.size() != std::size(kColumns)) {
        return false;
    }
    bool ok = true;
    std::size_t next = 0;
    auto number = [&]() {
        const std::string& text = fields[next++];
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, 10);
        ok = ok && !text.empty() && *end == '\0' && value >= -2147483647L && value <= 2147483647L;
        return static_cast<int>(value);
    };
    auto text = [&]() { return fields[next++]; };
    row.frame = number();
    row.phase = text();
    row.x = number();
    row.y = number();
    row.xSpeed = number();
    row.ySpeed = number();
    row.mode = text();
    row.state = text();
    row.animation = number();
    row.belowFeet = number() != 0;
    row.atFeet = number() != 0;
    row.atMiddle = number() != 0;
    row.atHead = number() != 0;
    row.aboveHead = number() != 0;
    row.scrolling = number() != 0;
    row.viewX = number();
    row.viewY = number();
    return ok;
}

}  // namespace tracewriter
