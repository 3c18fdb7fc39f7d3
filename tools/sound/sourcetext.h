#pragma once

// The line syntax shared by the effect and tune sources: one directive per line, words
// separated by spaces, `#` to the end of the line is a comment. Problems are LoadErrors
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

// words[index] as a whole number in min..max, or a LoadError that quotes the word.
int numberAt(const std::string& file, const SourceLine& line, std::size_t index, int min, int max);

}  // namespace sound
