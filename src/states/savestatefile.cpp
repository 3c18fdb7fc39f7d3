#include "states/savestatefile.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>

#include "config/loaderror.h"

namespace savestatefile {

namespace {

constexpr const char* kMagic = "kestrelix savestate 1";
constexpr std::size_t kWords = sizeof(Savestate) / sizeof(std::int32_t);
static_assert(sizeof(Savestate) % sizeof(std::int32_t) == 0);

// A header line "key value"; the value is the rest of the line.
std::string headerValue(std::istream& in, const std::string& path, const char* key) {
    std::string line;
    if (!std::getline(in, line) ||
        line.compare(0, std::strlen(key) + 1, key + std::string(" ")) != 0) {
        throw LoadError(path,
                        std::string("expected a \"") + key + "\" line, found \"" + line + "\"");
    }
    return line.substr(std::strlen(key) + 1);
}

}  // namespace

void write(const std::string& path, const Header& header, const Savestate& moment) {
    std::int32_t words[kWords];
    std::memcpy(words, &moment, sizeof moment);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << kMagic << "\nlevel " << header.level << "\ncharacter " << header.character
        << "\nchecksum " << header.checksum << "\nwords " << kWords << "\n";
    for (std::size_t i = 0; i < kWords; ++i) {
        out << words[i] << ((i + 1) % 8 == 0 || i + 1 == kWords ? '\n' : ' ');
    }
    out.close();
    if (!out) {
        throw LoadError(path, "cannot be written");
    }
}

Savestate read(const std::string& path, Header& header) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw LoadError(path, "cannot be opened");
    }
    std::string line;
    if (!std::getline(in, line) || line != kMagic) {
        throw LoadError(path, "is not a savestate (first line \"" + line + "\")");
    }
    header.level = headerValue(in, path, "level");
    header.character = headerValue(in, path, "character");
    header.checksum = headerValue(in, path, "checksum");
    const std::string count = headerValue(in, path, "words");
    if (count != std::to_string(kWords)) {
        throw LoadError(path, "words " + count + " is not " + std::to_string(kWords) +
                                  " (a savestate of another version of the game)");
    }
    std::int32_t words[kWords];
    for (std::size_t i = 0; i < kWords; ++i) {
        std::string text;
        if (!(in >> text)) {
            throw LoadError(path, "ends after " + std::to_string(i) + " of " +
                                      std::to_string(kWords) + " words");
        }
        std::istringstream number(text);
        long long value = 0;
        if (!(number >> value) || !number.eof() || value < INT32_MIN || value > INT32_MAX) {
            throw LoadError(
                path, "word " + std::to_string(i + 1) + " \"" + text + "\" is not a 32-bit number");
        }
        words[i] = static_cast<std::int32_t>(value);
    }
    std::string rest;
    if (in >> rest) {
        throw LoadError(path,
                        "has more than " + std::to_string(kWords) + " words (\"" + rest + "\")");
    }
    Savestate moment;
    std::memcpy(&moment, words, sizeof moment);
    return moment;
}

}  // namespace savestatefile
