#pragma once

#include <cstdint>
#include <string>

#include "states/savestate.h"

// A savestate on disk, beside the recording it belongs to: a short text header naming
// the level, the character file and the checksum of the data it was taken on, the update
// of the recording it was taken at and the fingerprint of the recorded input up to there
// (so a recording cut back below it since, or another recording, is told apart), then the
// state's 32-bit words as decimal numbers. Text, so it reads the same on any machine and
// a tuner can diff two of them. Reading checks the form and the word count; whether the
// words fit a level is Level::accepts's question (TimeMachine::putSlot asks it).
namespace savestatefile {

struct Header {
    std::string level;
    std::string character;
    std::string checksum;
    // Updates of the recording before the state; equal to the state's own count.
    int update = 0;
    // InputScript::digest of the recording's first `update` records, 16 hex digits.
    std::string input;
};

// Where slot `slot` (1 to 4, as the keys count) of a recording goes: beside it, the
// recording's name with ".slotN" before its extension ("run.txt" -> "run.slot2.txt").
std::string pathFor(const std::string& recording, int slot);
// 16 lower-case hex digits.
std::string hex(std::uint64_t value);

// LoadError(path, problem) when the file cannot be written. Unless `replace`, a file that
// already exists is left alone (it is not this recording's) and is an error too.
void write(const std::string& path, const Header& header, const Savestate& moment,
           bool replace = true);
// LoadError(path, problem) naming what is wrong, as written in the file.
Savestate read(const std::string& path, Header& header);

}  // namespace savestatefile
