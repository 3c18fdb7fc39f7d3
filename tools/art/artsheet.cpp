#include "artsheet.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "config/loaderror.h"

namespace {

constexpr int kMaxPictureSide = 256;
constexpr int kMaxSheetSide = 16384;  // far beyond any sheet of the game; stops runaway files
constexpr int kMaxDerivation = 8;     // "from" chains deeper than this are loops in practice

std::string readFile(const std::filesystem::path& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> splitWords(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

bool isBlank(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

// Reads a whole decimal number in [low, high]; anything else fails.
bool parseNumber(const std::string& word, int low, int high, int& value) {
    if (word.empty() || word.size() > 6 ||
        word.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = std::stoi(word);
    return value >= low && value <= high;
}

bool parseColour(const std::string& word, std::uint32_t& colour) {
    if (word.size() != 6 || word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    colour = static_cast<std::uint32_t>(std::stoul(word, nullptr, 16));
    return true;
}

std::string quoted(char c) {
    if (c >= 33 && c <= 126) {
        return std::string("'") + c + "'";
    }
    return "byte " + std::to_string(static_cast<unsigned char>(c));
}

class Parser {
  public:
    Parser(const std::string& file, const std::filesystem::path& folder, int depth)
        : m_file(file), m_folder(folder), m_depth(depth) {}

    ArtSheet parse(const std::string& text) {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            ++m_line;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            handleLine(line);
        }
        finishPicture();
        if (m_sheet.width == 0) {
            fail("no size given (a line \"size <width> <height>\")");
        }
        if (m_sheet.pictures.empty()) {
            fail("the sheet has no pictures");
        }
        const int longSide = std::max(m_sheet.sheetWidth(), m_sheet.sheetHeight());
        if (longSide > kMaxSheetSide) {
            fail("the sheet would be " + std::to_string(longSide) + " pixels long, more than " +
                 std::to_string(kMaxSheetSide));
        }
        return m_sheet;
    }

  private:
    enum class Block { kNone, kPalette, kPicture };

    [[noreturn]] void fail(const std::string& problem) const { failAt(m_line, problem); }
    [[noreturn]] void failAt(int line, const std::string& problem) const {
        throw LoadError(m_file + ":" + std::to_string(line), problem);
    }

    void handleLine(const std::string& line) {
        if (isBlank(line)) {
            finishPicture();
            m_block = Block::kNone;
            return;
        }
        if (line[0] == '#') {
            return;
        }
        switch (m_block) {
            case Block::kPalette:
                paletteEntry(line);
                return;
            case Block::kPicture:
                pictureRow(line);
                return;
            case Block::kNone:
                directive(splitWords(line));
                return;
        }
    }

    void directive(const std::vector<std::string>& words) {
        const std::string& name = words[0];
        const bool first = !m_seenDirective;
        m_seenDirective = true;
        if (name == "from") {
            from(words, first);
        } else if (name == "size") {
            size(words);
        } else if (name == "layout") {
            layout(words);
        } else if (name == "palette") {
            expectWords(words, 1, "palette");
            m_block = Block::kPalette;
        } else if (name == "picture") {
            picture(words);
        } else if (name == "mirror") {
            if (words.size() != 2 || words[1] != "all") {
                fail("expected \"mirror all\"");
            }
            for (ArtPicture& picture : m_sheet.pictures) {
                for (std::string& row : picture.rows) {
                    std::reverse(row.begin(), row.end());
                }
            }
        } else {
            fail("unknown directive '" + name + "'");
        }
    }

    void expectWords(const std::vector<std::string>& words, std::size_t count,
                     const std::string& form) const {
        if (words.size() != count) {
            fail("expected \"" + form + "\"");
        }
    }

    void from(const std::vector<std::string>& words, bool first) {
        expectWords(words, 2, "from <sheet>");
        if (!first) {
            fail("\"from\" must be the first directive of a sheet");
        }
        if (m_depth >= kMaxDerivation) {
            fail("sheets derive from each other in a loop (or more than " +
                 std::to_string(kMaxDerivation) + " deep)");
        }
        const std::filesystem::path base = m_folder / (words[1] + ".txt");
        bool ok = false;
        const std::string text = readFile(base, ok);
        if (!ok) {
            fail("cannot read the base sheet " + base.string());
        }
        m_sheet = Parser(base.string(), m_folder, m_depth + 1).parse(text);
    }

    void size(const std::vector<std::string>& words) {
        expectWords(words, 3, "size <width> <height>");
        int width = 0;
        int height = 0;
        if (!parseNumber(words[1], 1, kMaxPictureSide, width) ||
            !parseNumber(words[2], 1, kMaxPictureSide, height)) {
            fail("picture sizes are whole numbers from 1 to " + std::to_string(kMaxPictureSide));
        }
        if (!m_sheet.pictures.empty() && (width != m_sheet.width || height != m_sheet.height)) {
            fail("the size cannot change once there are pictures (they are " +
                 std::to_string(m_sheet.width) + "x" + std::to_string(m_sheet.height) + ")");
        }
        m_sheet.width = width;
        m_sheet.height = height;
    }

    void layout(const std::vector<std::string>& words) {
        expectWords(words, 2, "layout column|row");
        if (words[1] == "column") {
            m_sheet.layout = ArtSheet::Layout::kColumn;
        } else if (words[1] == "row") {
            m_sheet.layout = ArtSheet::Layout::kRow;
        } else {
            fail("layout is \"column\" or \"row\", not '" + words[1] + "'");
        }
    }

    void paletteEntry(const std::string& line) {
        const char key = line[0];
        if (key == ' ' || key == '\t') {
            fail("a palette line starts with its character: \"<c> = RRGGBB\"");
        }
        const std::vector<std::string> words = splitWords(line.substr(1));
        std::uint32_t colour = 0;
        if (words.size() != 2 || words[0] != "=" || !parseColour(words[1], colour)) {
            fail("expected \"" + std::string(1, key) + " = RRGGBB\"");
        }
        if (!m_definedColours.insert(key).second) {
            fail("palette character " + quoted(key) + " is defined twice");
        }
        m_sheet.palette[key] = colour;
    }

    void picture(const std::vector<std::string>& words) {
        if (words.size() != 2 && words.size() != 5) {
            fail("expected \"picture <name>\" or \"picture <name> = mirror|copy <other>\"");
        }
        if (m_sheet.width == 0) {
            fail("\"size\" must come before the first picture");
        }
        const std::string& name = words[1];
        if (!m_definedPictures.insert(name).second) {
            fail("picture '" + name + "' is defined twice");
        }
        ArtPicture picture{name, {}};
        if (words.size() == 5) {
            if (words[2] != "=" || (words[3] != "mirror" && words[3] != "copy")) {
                fail("expected \"picture <name> = mirror|copy <other>\"");
            }
            const int source = m_sheet.find(words[4]);
            if (source < 0) {
                fail("there is no picture '" + words[4] + "' to " + words[3]);
            }
            picture.rows = m_sheet.pictures[static_cast<std::size_t>(source)].rows;
            if (words[3] == "mirror") {
                for (std::string& row : picture.rows) {
                    std::reverse(row.begin(), row.end());
                }
            }
            place(std::move(picture));
            return;
        }
        m_current = std::move(picture);
        m_currentLine = m_line;
        m_block = Block::kPicture;
    }

    void pictureRow(const std::string& line) {
        if (static_cast<int>(m_current.rows.size()) == m_sheet.height) {
            fail("picture '" + m_current.name + "' has more than " +
                 std::to_string(m_sheet.height) + " rows");
        }
        if (static_cast<int>(line.size()) != m_sheet.width) {
            fail("row has " + std::to_string(line.size()) + " pixels, the picture is " +
                 std::to_string(m_sheet.width) + " wide");
        }
        for (const char c : line) {
            if (m_sheet.palette.count(c) == 0) {
                fail("unknown palette character " + quoted(c));
            }
        }
        m_current.rows.push_back(line);
    }

    void finishPicture() {
        if (m_block != Block::kPicture) {
            return;
        }
        m_block = Block::kNone;
        if (static_cast<int>(m_current.rows.size()) != m_sheet.height) {
            failAt(m_currentLine, "picture '" + m_current.name + "' has " +
                                      std::to_string(m_current.rows.size()) + " rows, not " +
                                      std::to_string(m_sheet.height));
        }
        place(std::move(m_current));
    }

    // An inherited picture of the same name keeps its cell; anything else is appended.
    void place(ArtPicture picture) {
        const int existing = m_sheet.find(picture.name);
        if (existing >= 0) {
            m_sheet.pictures[static_cast<std::size_t>(existing)] = std::move(picture);
        } else {
            m_sheet.pictures.push_back(std::move(picture));
        }
    }

    std::string m_file;
    std::filesystem::path m_folder;
    int m_depth = 0;
    int m_line = 0;
    Block m_block = Block::kNone;
    bool m_seenDirective = false;
    ArtSheet m_sheet;
    ArtPicture m_current;
    int m_currentLine = 0;
    std::set<char> m_definedColours;          // in this file; inherited ones may be recoloured
    std::set<std::string> m_definedPictures;  // in this file; inherited ones may be replaced
};

}  // namespace

int ArtSheet::find(const std::string& name) const {
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        if (pictures[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ArtSheet::sheetWidth() const {
    return layout == Layout::kRow ? width * static_cast<int>(pictures.size()) : width;
}

int ArtSheet::sheetHeight() const {
    return layout == Layout::kColumn ? height * static_cast<int>(pictures.size()) : height;
}

std::vector<int> seeThroughPictures(const ArtSheet& sheet) {
    constexpr std::uint32_t kColourKey = 0xFF80FF;
    std::vector<int> indices;
    for (std::size_t i = 0; i < sheet.pictures.size(); ++i) {
        for (const std::string& row : sheet.pictures[i].rows) {
            const bool keyed = std::any_of(row.begin(), row.end(), [&sheet](char pixel) {
                return sheet.palette.at(pixel) == kColourKey;
            });
            if (keyed) {
                indices.push_back(static_cast<int>(i));
                break;
            }
        }
    }
    return indices;
}

ArtSheet parseArtSheet(const std::string& text, const std::string& file,
                       const std::filesystem::path& folder) {
    return Parser(file, folder, 0).parse(text);
}

ArtSheet loadArtSheet(const std::filesystem::path& source) {
    bool ok = false;
    const std::string text = readFile(source, ok);
    if (!ok) {
        throw LoadError(source.string(), "cannot read the file");
    }
    return parseArtSheet(text, source.string(), source.parent_path());
}

std::vector<std::uint32_t> renderArtSheet(const ArtSheet& sheet) {
    const int width = sheet.sheetWidth();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) *
                                      static_cast<std::size_t>(sheet.sheetHeight()));
    for (std::size_t i = 0; i < sheet.pictures.size(); ++i) {
        const int left = sheet.cellX(static_cast<int>(i));
        const int top = sheet.cellY(static_cast<int>(i));
        const std::vector<std::string>& rows = sheet.pictures[i].rows;
        for (int y = 0; y < sheet.height; ++y) {
            for (int x = 0; x < sheet.width; ++x) {
                const std::size_t at = static_cast<std::size_t>(top + y) * width + left + x;
                pixels[at] = sheet.palette.at(rows[y][x]);
            }
        }
    }
    return pixels;
}
