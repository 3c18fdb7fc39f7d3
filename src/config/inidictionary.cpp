#include "config/inidictionary.h"

#include <climits>
#include <cstdint>
#include <fstream>
#include <string_view>

#include "config/datafile.h"
#include "config/loadwarnings.h"

IniDictionary::IniDictionary(const char* path, Presence presence) : m_path(path) {
    if (presence == kOptional && !DataFile::exists(path)) {
        // The caller goes on with its defaults; the warning lets a modder see the typo.
        LoadWarnings::warn(path, "cannot be opened, using defaults");
        return;
    }
    m_wasRead = readFile(path);
}

IniDictionary IniDictionary::withOverride(const char* path, const char* overridePath) {
    IniDictionary dictionary;
    dictionary.m_path = path;
    // The first value of a key wins, so the override is read first.
    if (overridePath != nullptr && overridePath[0] != '\0' && DataFile::exists(overridePath) &&
        dictionary.readFile(overridePath)) {
        dictionary.m_overridePath = overridePath;
        dictionary.m_overridden = dictionary.m_sections;
    }
    if (!DataFile::exists(path)) {
        LoadWarnings::warn(path, "cannot be opened, using defaults");
        return dictionary;
    }
    dictionary.m_wasRead = dictionary.readFile(path);
    return dictionary;
}

bool IniDictionary::readFile(const char* path) {
    // Anything but a regular file is refused: a folder reads as empty, a FIFO blocks.
    std::ifstream file = DataFile::open(path);
    std::string currentSection;
    std::string line;
    while (std::getline(file, line)) {
        readLine(line, currentSection);
    }
    return true;
}

const std::string& IniDictionary::pathOf(const char* key, const char* section) const {
    const auto sectionIt = m_overridden.find(std::string_view(section));
    if (sectionIt != m_overridden.end() &&
        sectionIt->second.find(std::string_view(key)) != sectionIt->second.end()) {
        return m_overridePath;
    }
    return m_path;
}

void IniDictionary::readLine(std::string& line, std::string& currentSection) {
    // Only a ';' in the very first column starts a comment: the test comes before trimming.
    if (line.empty() || line[0] == ';') {
        return;
    }
    if (line.back() == '\r') {
        line.pop_back();
    }
    trim(line);
    if (line.empty()) {
        return;
    }
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        // The name is taken unchanged, spaces included: "[ Video ]" is " Video ".
        currentSection = line.substr(1, line.size() - 2);
        m_sections[currentSection];
        return;
    }
    std::string key;
    std::string value;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
        key = line;
        value = line;
    } else {
        key = line.substr(0, equals);
        value = line.substr(equals + 1);
        trim(key);
        trim(value);
    }
    // emplace keeps an existing entry: the first value of a key wins.
    m_sections[currentSection].emplace(std::move(key), std::move(value));
}

void IniDictionary::trim(std::string& text) {
    const std::size_t last = text.find_last_not_of(' ');
    if (last == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(last + 1);
    text.erase(0, text.find_first_not_of(' '));
}

int IniDictionary::parseInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude with room for INT_MIN, saturating instead of overflowing.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) {
            magnitude = limit;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

bool IniDictionary::hasSection(const char* section) const {
    return m_sections.find(std::string_view(section)) != m_sections.end();
}

bool IniDictionary::hasKey(const char* key, const char* section) const {
    return find(key, section) != nullptr;
}

std::string IniDictionary::describe(const char* key, const char* section) const {
    std::string text = std::string("[") + section + "] " + key;
    if (const std::string* value = find(key, section)) {
        text += " = " + *value;
    }
    return text;
}

std::vector<std::string> IniDictionary::keysOf(const char* section) const {
    std::vector<std::string> keys;
    const auto sectionIt = m_sections.find(std::string_view(section));
    if (sectionIt != m_sections.end()) {
        for (const auto& entry : sectionIt->second) {
            keys.push_back(entry.first);
        }
    }
    return keys;
}

const std::string* IniDictionary::find(const char* key, const char* section) const {
    const auto sectionIt = m_sections.find(std::string_view(section));
    if (sectionIt == m_sections.end()) {
        return nullptr;
    }
    const auto entryIt = sectionIt->second.find(std::string_view(key));
    if (entryIt == sectionIt->second.end()) {
        return nullptr;
    }
    return &entryIt->second;
}

bool IniDictionary::getBoolValue(const char* key, const char* section, bool defaultValue) const {
    const std::string* value = find(key, section);
    if (value == nullptr) {
        return defaultValue;
    }
    if (*value == "true") {
        return true;
    }
    if (*value == "false") {
        return false;
    }
    return defaultValue;
}

int IniDictionary::getIntValue(const char* key, const char* section, int defaultValue) const {
    const std::string* value = find(key, section);
    return value == nullptr ? defaultValue : parseInt(*value);
}

const char* IniDictionary::getCStringValue(const char* key, const char* section,
                                           const char* defaultValue) const {
    const std::string* value = find(key, section);
    return value == nullptr ? defaultValue : value->c_str();
}
