#pragma once

#include <string>

#include "states/savestate.h"

// A savestate on disk, beside the recording it belongs to: a short text header naming
// the level, the character file and the checksum of the data it was taken on, then the
// state's 32-bit words as decimal numbers. Text, so it reads the same on any machine and
// a tuner can diff two of them. Reading checks the form and the word count; whether the
// words fit a level is Level::accepts's question (TimeMachine::putSlot asks it).
namespace savestatefile {

struct Header {
    std::string level;
    std::string character;
    std::string checksum;
};

// LoadError(path, problem) when the file cannot be written.
void write(const std::string& path, const Header& header, const Savestate& moment);
// LoadError(path, problem) naming what is wrong, as written in the file.
Savestate read(const std::string& path, Header& header);

}  // namespace savestatefile
