// IniDictionary on arbitrary bytes, checked against a small independent reading of the
// same rules: every entry the reference finds must be answered with its first value.

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "config/inidictionary.h"
#include "fuzzsupport.h"

namespace {

std::string trimmed(std::string text) {
    const std::size_t last = text.find_last_not_of(' ');
    if (last == std::string::npos) {
        return std::string();
    }
    text.erase(last + 1);
    return text.substr(text.find_first_not_of(' '));
}

// The syntax written out again, line by line, as plainly as possible.
std::map<std::pair<std::string, std::string>, std::string> referenceEntries(
    const std::string& text, std::map<std::string, bool>& sections) {
    std::map<std::pair<std::string, std::string>, std::string> entries;
    std::string section;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line.back() == '\r') {
            line.pop_back();
        }
        line = trimmed(line);
        if (line.empty()) {
            continue;
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            sections[section] = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        std::string key = equals == std::string::npos ? line : trimmed(line.substr(0, equals));
        std::string value = equals == std::string::npos ? line : trimmed(line.substr(equals + 1));
        sections[section] = true;
        entries.emplace(std::make_pair(section, key), value);
    }
    return entries;
}

bool hasNul(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::workDir();
    fuzz::writeFile("fuzz.ini", data, size);
    const IniDictionary dictionary("fuzz.ini");
    if (!dictionary.wasRead()) {
        fuzz::trap("a file that exists was not read");
    }

    const std::string text(reinterpret_cast<const char*>(data), size);
    std::map<std::string, bool> sections;
    const auto entries = referenceEntries(text, sections);
    for (const auto& [name, present] : sections) {
        if (!hasNul(name) && !dictionary.hasSection(name.c_str())) {
            fuzz::trap("section [" + name + "] was not found");
        }
    }
    static const char* const kDefault = "fuzz-default";
    for (const auto& [where, value] : entries) {
        const std::string& section = where.first;
        const std::string& key = where.second;
        // A C-string lookup cannot name a key or section holding a NUL byte.
        if (hasNul(section) || hasNul(key)) {
            continue;
        }
        const char* found = dictionary.getCStringValue(key.c_str(), section.c_str(), kDefault);
        if (found == kDefault) {
            fuzz::trap("key \"" + key + "\" of [" + section + "] was not found");
        }
        if (std::strcmp(found, value.c_str()) != 0) {
            fuzz::trap("key \"" + key + "\" of [" + section + "] gives \"" + found +
                       "\", expected the first value \"" + value + "\"");
        }
        const int number = dictionary.getIntValue(key.c_str(), section.c_str(), -7);
        if (number != IniDictionary::parseInt(value)) {
            fuzz::trap("getIntValue disagrees with parseInt for \"" + value + "\"");
        }
        const bool flag = dictionary.getBoolValue(key.c_str(), section.c_str(), false);
        const bool flagOther = dictionary.getBoolValue(key.c_str(), section.c_str(), true);
        if (value == "true"    ? !(flag && flagOther)
            : value == "false" ? (flag || flagOther)
                               : (flag || !flagOther)) {
            fuzz::trap("getBoolValue is wrong for \"" + value + "\"");
        }
    }
    // Keys the game asks for, in sections that may or may not exist.
    const char* const keys[] = {"amount", "pixelMultiplier", "sheet", "", "nFrames", "space"};
    const char* const names[] = {"", "Video", "Properties", "Spritesheets", "Animation0"};
    for (const char* section : names) {
        for (const char* key : keys) {
            dictionary.getIntValue(key, section, 1);
            dictionary.getBoolValue(key, section, true);
            if (dictionary.getCStringValue(key, section, nullptr) == nullptr &&
                entries.count({section, key}) != 0) {
                fuzz::trap("a present key gave the default");
            }
        }
    }
    return 0;
}
