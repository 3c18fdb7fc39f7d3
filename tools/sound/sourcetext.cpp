#include "sourcetext.h"

#include <fstream>
#include <sstream>

#include "config/loaderror.h"

namespace sound {

std::vector<SourceLine> splitSource(const std::string& text) {
    std::vector<SourceLine> lines;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        // A comment's # begins the line or follows a space: inside a word it is a sharp.
        for (std::size_t at = raw.find('#'); at != std::string::npos; at = raw.find('#', at + 1)) {
            if (at == 0 || raw[at - 1] == ' ' || raw[at - 1] == '\t') {
                raw.erase(at);
                break;
            }
        }
        SourceLine line;
        line.number = number;
        std::istringstream words(raw);
        for (std::string word; words >> word;) {
            line.words.push_back(word);
        }
        if (!line.words.empty()) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::string readSource(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw LoadError(file.string(), "cannot be opened");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void failAt(const std::string& file, int line, const std::string& problem) {
    throw LoadError(file + ":" + std::to_string(line), problem);
}

int numberAt(const std::string& file, const SourceLine& line, std::size_t index,
             const std::string& name, int min, int max) {
    if (index >= line.words.size()) {
        failAt(file, line.number, name + " needs a value");
    }
    const std::string& word = line.words[index];
    std::size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(word, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != word.size()) {
        failAt(file, line.number, name + " \"" + word + "\" is not a whole number");
    }
    if (value < min || value > max) {
        failAt(file, line.number,
               name + " " + word + " is outside " + std::to_string(min) + " to " +
                   std::to_string(max));
    }
    return static_cast<int>(value);
}

}  // namespace sound
