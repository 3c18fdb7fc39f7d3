#pragma once

// The line syntax shared by the effect and tune sources: one directive per line, words
// separated by spaces; a `#` at the start of a line or after a space begins a comment to
// the end of the line (inside a word it is a note's sharp: C#4). Problems are LoadErrors
// naming "<file>:<line>".

#include <filesystem>
#include <string>
#include <vector>

namespace sound {

struct SourceLine {
    int number = 0;  // 1-based, for messages
    std::vector<std::string> words;
};

// The non-empty lines of a source, comments removed.
std::vector<SourceLine> splitSource(const std::string& text);

// The whole file; LoadError when it cannot be read.
std::string readSource(const std::filesystem::path& file);

[[noreturn]] void failAt(const std::string& file, int line, const std::string& problem);

// words[index] as a whole number in min..max, or a LoadError that quotes the word under
// the setting's name.
int numberAt(const std::string& file, const SourceLine& line, std::size_t index,
             const std::string& name, int min, int max);

}  // namespace sound
