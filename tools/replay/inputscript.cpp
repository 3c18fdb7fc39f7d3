#include "inputscript.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "config/datafile.h"
#include "config/loaderror.h"

namespace {

constexpr InputScript::Key kAllKeys[] = {InputScript::Key::kLeft, InputScript::Key::kRight,
                                         InputScript::Key::kUp,   InputScript::Key::kDown,
                                         InputScript::Key::kJump, InputScript::Key::kShoot};
constexpr std::size_t kChecksumDigits = 16;

[[noreturn]] void fail(const std::string& name, int line, const std::string& problem) {
    throw LoadError(name + ":" + std::to_string(line), problem);
}

bool isDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool isHex(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isxdigit(c) != 0; });
}

bool findKey(const std::string& token, InputScript::Key& key) {
    for (InputScript::Key candidate : kAllKeys) {
        if (token == InputScript::keyName(candidate)) {
            key = candidate;
            return true;
        }
    }
    return false;
}

bool contains(const std::vector<InputScript::Key>& keys, InputScript::Key key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

const char* InputScript::keyName(Key key) {
    switch (key) {
        case Key::kLeft:
            return "left";
        case Key::kRight:
            return "right";
        case Key::kUp:
            return "up";
        case Key::kDown:
            return "down";
        case Key::kJump:
            return "jump";
        case Key::kShoot:
            return "shoot";
    }
    return "?";
}

InputScript InputScript::parseFile(const std::string& path) {
    std::ifstream in = DataFile::open(path.c_str());
    return parse(in, path);
}

InputScript InputScript::parse(std::istream& in, const std::string& name) {
    InputScript script;
    std::string text;
    int lineNumber = 0;
    long long total = 0;
    while (std::getline(in, text)) {
        ++lineNumber;
        const std::size_t comment = text.find('#');
        if (comment != std::string::npos) {
            text.erase(comment);
        }
        std::istringstream words(text);
        std::vector<std::string> tokens;
        for (std::string token; words >> token;) {
            tokens.push_back(token);
        }
        if (tokens.empty()) {
            continue;
        }

        const std::string& first = tokens[0];
        if (first == "level" || first == "character" || first == "checksum") {
            if (!script.m_spans.empty()) {
                fail(name, lineNumber, "header line '" + first + "' after the first input span");
            }
            if (tokens.size() != 2) {
                fail(name, lineNumber, "'" + first + "' takes exactly one value");
            }
            std::string& field = first == "level"       ? script.m_level
                                 : first == "character" ? script.m_character
                                                        : script.m_checksum;
            if (!field.empty()) {
                fail(name, lineNumber, "'" + first + "' given twice");
            }
            std::string value = tokens[1];
            if (first == "checksum") {
                if (value.size() != kChecksumDigits || !isHex(value)) {
                    fail(name, lineNumber, "checksum '" + value + "' is not 16 hex digits");
                }
                std::transform(value.begin(), value.end(), value.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            }
            field = value;
            continue;
        }

        if (!isDigits(first)) {
            fail(name, lineNumber,
                 "expected a frame count, 'level', 'character' or 'checksum', not '" + first + "'");
        }
        // Compare as text length first so that a huge count cannot overflow the parse.
        const int frames = first.size() > 7 ? kMaxSpanFrames + 1 : std::stoi(first);
        if (frames < 1 || frames > kMaxSpanFrames) {
            fail(name, lineNumber,
                 "frame count " + first + " is outside 1 to " + std::to_string(kMaxSpanFrames));
        }
        if (tokens.size() == 1) {
            fail(name, lineNumber, "no inputs after the frame count (write - for none)");
        }
        Span span;
        span.frames = frames;
        span.line = lineNumber;
        if (tokens[1] == "-") {
            if (tokens.size() > 2) {
                fail(name, lineNumber, "'-' (nothing held) cannot be combined with other inputs");
            }
        } else {
            for (std::size_t i = 1; i < tokens.size(); ++i) {
                Key key = Key::kLeft;
                if (!findKey(tokens[i], key)) {
                    fail(name, lineNumber,
                         "unknown input '" + tokens[i] +
                             "' (expected left, right, up, down, jump, shoot or -)");
                }
                if (contains(span.keys, key)) {
                    fail(name, lineNumber, "input '" + tokens[i] + "' given twice");
                }
                span.keys.push_back(key);
            }
        }
        total += frames;
        if (total > kMaxTotalFrames) {
            fail(name, lineNumber,
                 "the script is longer than " + std::to_string(kMaxTotalFrames) + " frames");
        }
        script.m_spans.push_back(std::move(span));
    }
    script.m_frameCount = static_cast<int>(total);
    return script;
}

InputScript::Cursor::Cursor(const InputScript& script)
    : m_script(script),
      m_span(script.m_spans.begin()),
      m_leftInSpan(m_span != script.m_spans.end() ? m_span->frames : 0) {
    m_held.reserve(6);
}

Controls InputScript::Cursor::next() {
    static const std::vector<Key> kNothing;
    while (m_span != m_script.m_spans.end() && m_leftInSpan == 0) {
        ++m_span;
        m_leftInSpan = m_span != m_script.m_spans.end() ? m_span->frames : 0;
    }
    const std::vector<Key>& wanted = m_span != m_script.m_spans.end() ? m_span->keys : kNothing;

    m_controls.beginFrame();
    // Releases first: a key let go and another pressed at the same boundary end with
    // the new one's direction either way, and a release never undoes a press.
    for (Key key : m_held) {
        if (!contains(wanted, key)) {
            m_controls.release(key);
        }
    }
    for (Key key : wanted) {
        if (!contains(m_held, key)) {
            m_controls.press(key);
        }
    }
    m_held = wanted;
    if (m_leftInSpan > 0) {
        --m_leftInSpan;
    }
    return m_controls;
}

std::vector<Controls> InputScript::toControls(int frames) const {
    std::vector<Controls> result;
    result.reserve(static_cast<std::size_t>(std::max(frames, 0)));
    Cursor cursor(*this);
    for (int frame = 0; frame < frames; ++frame) {
        result.push_back(cursor.next());
    }
    return result;
}
