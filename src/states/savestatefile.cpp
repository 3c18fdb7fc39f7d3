#include "states/savestatefile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
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

std::string pathFor(const std::string& recording, int slot) {
    const std::size_t slash = recording.find_last_of('/');
    const std::size_t dot = recording.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && dot > 0 && (slash == std::string::npos || dot > slash + 1);
    const std::string mark = ".slot" + std::to_string(slot);
    return hasExtension ? recording.substr(0, dot) + mark + recording.substr(dot)
                        : recording + mark;
}

std::string hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

void write(const std::string& path, const Header& header, const Savestate& moment, bool replace) {
    if (!replace) {
        // O_EXCL: a file of that name that is not ours is never overwritten.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            throw LoadError(path, errno == EEXIST ? "exists already and is not this recording's"
                                                  : std::string("cannot be created (") +
                                                        std::strerror(errno) + ")");
        }
        ::close(fd);
    }
    std::int32_t words[kWords];
    std::memcpy(words, &moment, sizeof moment);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << kMagic << "\nlevel " << header.level << "\ncharacter " << header.character
        << "\nchecksum " << header.checksum << "\nupdate " << header.update << "\ninput "
        << header.input << "\nwords " << kWords << "\n";
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
    const std::string update = headerValue(in, path, "update");
    if (update.empty() || update.size() > 9 ||
        update.find_first_not_of("0123456789") != std::string::npos) {
        throw LoadError(path, "update \"" + update + "\" is not a number of updates");
    }
    header.update = std::stoi(update);
    header.input = headerValue(in, path, "input");
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
    if (moment.update != header.update) {
        throw LoadError(path, "update " + update + " is not the state's own (" +
                                  std::to_string(moment.update) + ")");
    }
    return moment;
}

}  // namespace savestatefile
