#pragma once

#include <cstdint>
#include <type_traits>

#include "states/level.h"

// One moment of a level as savestates and rewind keep it: the level's whole simulation
// state after an update (before that frame's draw) and what of the input record carries
// into the next update: the directions that become its previous-frame directions and the
// jump and shoot keys then held, whose release the next update may see. With
// the level's data and the input that follows, it decides every later frame. Another
// simulation that runs beside the level can add its own snapshot here.
struct Savestate {
    Level::Snapshot level;
    std::int32_t dirX;
    std::int32_t dirY;
    // Updates since the level was loaded: where a recording is cut back to.
    std::int32_t update;
    // The jump (bit 0) and shoot (bit 1) keys held in that update: a key let go since
    // counts as released in the next update, as it would have then.
    std::int32_t held;
};

// Copies allocate nothing, compare with memcmp and go to a file as they are.
static_assert(std::is_trivially_copyable_v<Savestate>);
static_assert(std::has_unique_object_representations_v<Savestate>);
