#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

// Reads one INI file into memory and answers typed lookups by (key, section, default).
// Names are case-sensitive and compared byte by byte; within a section the first value
// of a key wins; missing sections or keys give the caller's default. An optional file
// that does not exist gives an empty dictionary (and one warning), because its reader
// relies on its defaults; a required one, or anything that is not a regular file, is a
// LoadError. Read-only after construction, so the text handed out by getCStringValue
// lives as long as the dictionary.
class IniDictionary {
  public:
    enum Presence { kOptional, kRequired };

    explicit IniDictionary(const char* path, Presence presence = kOptional);
    // The file at `path` with the one at `overridePath` read over it: the override's keys
    // win. A missing override is no error and gives no warning (it is optional by nature).
    static IniDictionary withOverride(const char* path, const char* overridePath);

    bool getBoolValue(const char* key, const char* section, bool defaultValue) const;
    int getIntValue(const char* key, const char* section, int defaultValue) const;
    const char* getCStringValue(const char* key, const char* section,
                                const char* defaultValue) const;

    // Whether the file named the section (a header or an entry under it).
    bool hasSection(const char* section) const;
    // Whether the file gives the key in the section.
    bool hasKey(const char* key, const char* section) const;
    // "[section] key = value" with the value as written, for messages that must name what
    // the file says rather than what it was read as; "[section] key" when it is absent.
    std::string describe(const char* key, const char* section) const;
    // The keys the file gives in a section, in byte order; none for a missing section.
    // For loaders that refuse names they do not know.
    std::vector<std::string> keysOf(const char* section) const;

    // The path the dictionary was read from, for error messages of the loaders.
    const std::string& path() const { return m_path; }
    // The file a key's value came from: the override's path when it set the key, else path().
    const std::string& pathOf(const char* key, const char* section) const;
    // Whether the file could be opened at all.
    bool wasRead() const { return m_wasRead; }

    // Removes spaces (and only spaces) from both ends, in place.
    static void trim(std::string& text);
    // The integer rule of getIntValue, exposed for the loaders that parse the same way:
    // leading white space, an optional sign, then digits up to the first non-digit.
    // No digits give 0; values beyond 32 bits saturate.
    static int parseInt(const std::string& text);

  private:
    // std::less<> lets lookups by C string find entries without building a std::string,
    // which matters for the font, which looks up every glyph while drawing.
    using Section = std::map<std::string, std::string, std::less<>>;

    IniDictionary() = default;
    const std::string* find(const char* key, const char* section) const;
    void readLine(std::string& line, std::string& currentSection);
    bool readFile(const char* path);

    std::map<std::string, Section, std::less<>> m_sections;
    std::string m_path;
    std::string m_overridePath;
    // The entries the override set, as section and key, to name the right file in errors.
    std::map<std::string, Section, std::less<>> m_overridden;
    bool m_wasRead = false;
};
