#include "characteroverride.h"

#include <unistd.h>
#include <fstream>
#include <iterator>
#include <sstream>

#include "config/inidictionary.h"
#include "config/loaderror.h"

namespace {

bool splitTarget(const std::string& text, std::string& section, std::string& key,
                 std::string& value, std::string& problem) {
    const std::size_t equals = text.find('=');
    const std::size_t dot = text.rfind('.', equals);
    if (equals == std::string::npos || dot == std::string::npos || dot == 0 || dot + 1 >= equals) {
        problem = "'" + text + "' is not Section.key=value";
        return false;
    }
    section = text.substr(0, dot);
    key = text.substr(dot + 1, equals - dot - 1);
    value = text.substr(equals + 1);
    if (section.find_first_of("[]") != std::string::npos || key.find(' ') != std::string::npos) {
        problem = "'" + text + "' does not name a section and key";
        return false;
    }
    return true;
}

bool parseInt(const std::string& text, int& value) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    std::size_t used = 0;
    try {
        const long long parsed = std::stoll(text, &used);
        if (used != text.size() || parsed < -1000000000LL || parsed > 1000000000LL) {
            return false;
        }
        value = static_cast<int>(parsed);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

bool CharacterOverride::parse(const std::string& text, CharacterOverride& result,
                              std::string& problem) {
    return splitTarget(text, result.section, result.key, result.value, problem);
}

bool CharacterSweep::parse(const std::string& text, CharacterSweep& result, std::string& problem) {
    std::string range;
    if (!splitTarget(text, result.section, result.key, range, problem)) {
        problem = "'" + text + "' is not Section.key=FROM:TO:STEP";
        return false;
    }
    const std::size_t first = range.find(':');
    const std::size_t second = first == std::string::npos ? first : range.find(':', first + 1);
    if (second == std::string::npos || !parseInt(range.substr(0, first), result.from) ||
        !parseInt(range.substr(first + 1, second - first - 1), result.to) ||
        !parseInt(range.substr(second + 1), result.step)) {
        problem = "'" + range + "' is not FROM:TO:STEP in whole numbers";
        return false;
    }
    if (result.step == 0 || (result.to - result.from) / result.step < 0 ||
        (result.to != result.from && (result.to > result.from) != (result.step > 0))) {
        problem = "the step " + std::to_string(result.step) + " does not lead from " +
                  std::to_string(result.from) + " to " + std::to_string(result.to);
        return false;
    }
    const long long runs = (static_cast<long long>(result.to) - result.from) / result.step + 1;
    if (runs > kMaxRuns) {
        problem = "'" + range + "' makes " + std::to_string(runs) + " runs, more than " +
                  std::to_string(kMaxRuns);
        return false;
    }
    return true;
}

std::vector<int> CharacterSweep::values() const {
    std::vector<int> result;
    const long long runs = (static_cast<long long>(to) - from) / step + 1;
    for (long long i = 0; i < runs; ++i) {
        result.push_back(static_cast<int>(from + i * step));
    }
    return result;
}

namespace characteroverride {

std::string apply(const std::string& fileText, const std::vector<CharacterOverride>& overrides,
                  std::vector<std::string>& added) {
    std::vector<std::string> lines;
    {
        std::istringstream in(fileText);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
    }
    for (const CharacterOverride& change : overrides) {
        // Sections and keys are read with the dictionary's own rules: a ';' in the first
        // column is a comment, spaces around names are trimmed, the first value wins.
        std::string section;
        int sectionLine = -1;
        bool replaced = false;
        for (std::size_t i = 0; i < lines.size() && !replaced; ++i) {
            std::string line = lines[i];
            if (line.empty() || line[0] == ';') {
                continue;
            }
            if (line.back() == '\r') {
                line.pop_back();
            }
            IniDictionary::trim(line);
            if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
                section = line.substr(1, line.size() - 2);
                if (section == change.section && sectionLine < 0) {
                    sectionLine = static_cast<int>(i);
                }
                continue;
            }
            std::string key = line.substr(0, line.find('='));
            IniDictionary::trim(key);
            if (section == change.section && key == change.key) {
                lines[i] = change.key + " = " + change.value;
                replaced = true;
            }
        }
        if (replaced) {
            continue;
        }
        added.push_back(change.text());
        const std::string entry = change.key + " = " + change.value;
        if (sectionLine >= 0) {
            lines.insert(lines.begin() + sectionLine + 1, entry);
        } else {
            lines.push_back("[" + change.section + "]");
            lines.push_back(entry);
        }
    }
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

}  // namespace characteroverride

OverriddenCharacter::OverriddenCharacter(const std::string& originalPath)
    // Absolute: a sweep rewrites the copy after the tool has left the run's data folder.
    : m_original(std::filesystem::absolute(originalPath).string()) {
    std::ifstream in(originalPath, std::ios::binary);
    if (!in) {
        throw LoadError(originalPath, "cannot be opened");
    }
    std::error_code error;
    m_folder = std::filesystem::temp_directory_path(error) /
               ("kestrelix-replay." + std::to_string(getpid()));
    std::filesystem::create_directories(m_folder, error);
    if (error) {
        throw LoadError(m_folder.string(), "cannot be made: " + error.message());
    }
    m_path = m_folder / std::filesystem::path(originalPath).filename();
}

OverriddenCharacter::~OverriddenCharacter() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

std::vector<std::string> OverriddenCharacter::write(
    const std::vector<CharacterOverride>& overrides) {
    std::ifstream in(m_original, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        throw LoadError(m_original, "cannot be read");
    }
    std::vector<std::string> added;
    const std::string changed = characteroverride::apply(text, overrides, added);
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out << changed;
    if (!out.flush()) {
        throw LoadError(m_path.string(), "cannot be written");
    }
    return added;
}
