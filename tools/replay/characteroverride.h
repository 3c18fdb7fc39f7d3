#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Changes to a character file that leave the file alone: "Section.key=value" replaces the
// first value of the key in that section (the one the game reads), or adds the key when
// the file does not name it. The changed text is written to a scratch copy that the game's
// own loader then reads, so an override is checked exactly like a value in the file.
struct CharacterOverride {
    std::string section;
    std::string key;
    std::string value;

    // "Gravity.gravityFraction=60"; false (and the reason) for anything else.
    static bool parse(const std::string& text, CharacterOverride& result, std::string& problem);
    std::string text() const { return section + "." + key + "=" + value; }
};

// "Section.key=FROM:TO:STEP": one run per value from FROM towards TO, TO included when a
// step lands on it. The step must be non-zero and point from FROM to TO.
struct CharacterSweep {
    // More runs than this are surely a typo in the range.
    static constexpr long long kMaxRuns = 100000;

    std::string section;
    std::string key;
    int from = 0;
    int to = 0;
    int step = 1;

    static bool parse(const std::string& text, CharacterSweep& result, std::string& problem);
    std::vector<int> values() const;
};

namespace characteroverride {

// The file's text with the overrides applied, in order; `added` receives the text of
// each override whose key the file did not have (a likely typo, worth a warning).
std::string apply(const std::string& fileText, const std::vector<CharacterOverride>& overrides,
                  std::vector<std::string>& added);

}  // namespace characteroverride

// A scratch copy of a character file with overrides, removed again with the object. It
// keeps the original's file name (messages of the loaders name it) in a folder of its
// own under the system's temporary directory.
class OverriddenCharacter {
  public:
    // Throws LoadError when the original cannot be read or the copy cannot be written.
    explicit OverriddenCharacter(const std::string& originalPath);
    ~OverriddenCharacter();
    OverriddenCharacter(const OverriddenCharacter&) = delete;
    OverriddenCharacter& operator=(const OverriddenCharacter&) = delete;

    // Rewrites the copy; returns the overrides the original did not name.
    std::vector<std::string> write(const std::vector<CharacterOverride>& overrides);
    std::string path() const { return m_path.string(); }

  private:
    std::string m_original;
    std::filesystem::path m_folder;
    std::filesystem::path m_path;
};
