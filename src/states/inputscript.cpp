#include "states/inputscript.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
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

using Key = InputScript::Key;

unsigned bit(Key key) {
    return 1u << static_cast<unsigned>(key);
}

bool isHeld(const Controls& controls, Key key) {
    switch (key) {
        case Key::kLeft:
            return controls.leftHeld;
        case Key::kRight:
            return controls.rightHeld;
        case Key::kUp:
            return controls.upHeld;
        case Key::kDown:
            return controls.downHeld;
        case Key::kJump:
            return controls.jumpHeld;
        case Key::kShoot:
            return controls.shootHeld;
    }
    return false;
}

// The first frame of a span, as the engine would see it: the frame begins, the keys the
// span no longer holds go up, the taps go down and up, then the keys that are new (or
// marked to be pressed again) go down in the order written, so the last of an axis wins.
Controls startSpan(Controls controls, const Key* keys, std::size_t count, unsigned again,
                   unsigned tapped) {
    controls.beginFrame();
    unsigned wanted = 0;
    for (std::size_t i = 0; i < count; ++i) {
        wanted |= bit(keys[i]);
    }
    for (Key key : kAllKeys) {
        if (isHeld(controls, key) && (wanted & bit(key)) == 0) {
            controls.release(key);
        }
    }
    for (Key key : kAllKeys) {
        if ((tapped & bit(key)) != 0) {
            controls.press(key);
            controls.release(key);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!isHeld(controls, keys[i]) || (again & bit(keys[i])) != 0) {
            controls.press(keys[i]);
        }
    }
    return controls;
}

// The held keys of a record in an order that replays it: canonical order, except that
// with both arrows of an axis held the one its direction names goes last.
std::size_t heldInOrder(const Controls& controls, Key* keys) {
    std::size_t count = 0;
    auto axis = [&](Key first, Key second, bool secondLeads) {
        const Key a = secondLeads ? first : second;
        const Key b = secondLeads ? second : first;
        if (isHeld(controls, a)) {
            keys[count++] = a;
        }
        if (isHeld(controls, b)) {
            keys[count++] = b;
        }
    };
    axis(Key::kLeft, Key::kRight, controls.dirX != Direction::kLeft);
    axis(Key::kUp, Key::kDown, controls.dirY != Direction::kUp);
    for (Key key : {Key::kJump, Key::kShoot}) {
        if (isHeld(controls, key)) {
            keys[count++] = key;
        }
    }
    return count;
}

char* append(char* out, const char* text) {
    while (*text != '\0') {
        *out++ = *text++;
    }
    return out;
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
        if (first == "held") {
            if (!script.m_spans.empty()) {
                fail(name, lineNumber, "header line 'held' after the first input span");
            }
            if (!script.m_heldAtStart.empty() || tokens.size() == 1) {
                fail(name, lineNumber,
                     tokens.size() == 1 ? "'held' needs at least one key" : "'held' given twice");
            }
            for (std::size_t i = 1; i < tokens.size(); ++i) {
                Key key = Key::kLeft;
                if (!findKey(tokens[i], key)) {
                    fail(name, lineNumber,
                         "unknown key '" + tokens[i] +
                             "' (expected left, right, up, down, jump or shoot)");
                }
                if (contains(script.m_heldAtStart, key)) {
                    fail(name, lineNumber, "input '" + tokens[i] + "' given twice");
                }
                script.m_heldAtStart.push_back(key);
            }
            continue;
        }
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
                 "expected a frame count, 'level', 'character', 'checksum' or 'held', not '" +
                     first + "'");
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
                const char mark = tokens[i][0];
                const bool marked = mark == '+' || mark == '^';
                Key key = Key::kLeft;
                if (!findKey(marked ? tokens[i].substr(1) : tokens[i], key)) {
                    fail(name, lineNumber,
                         "unknown input '" + tokens[i] +
                             (marked ? "' (a mark + or ^ goes before left, right, up, down, "
                                       "jump or shoot)"
                                     : "' (expected left, right, up, down, jump, shoot or -)"));
                }
                if (contains(span.keys, key) || contains(span.tapped, key)) {
                    fail(name, lineNumber, "input '" + tokens[i] + "' given twice");
                }
                if (mark == '^') {
                    span.tapped.push_back(key);
                    continue;
                }
                if (mark == '+') {
                    span.pressedAgain.push_back(key);
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
    // The keys held at the start went down before the level's first update; their
    // one-frame flags are cleared when that update's frame begins.
    for (Key key : script.m_heldAtStart) {
        m_controls.press(key);
    }
}

Controls InputScript::Cursor::next() {
    while (m_span != m_script.m_spans.end() && m_leftInSpan == 0) {
        ++m_span;
        m_leftInSpan = m_span != m_script.m_spans.end() ? m_span->frames : 0;
    }
    if (m_span == m_script.m_spans.end()) {
        // Past the end nothing is held.
        m_controls = startSpan(m_controls, nullptr, 0, 0, 0);
    } else if (m_leftInSpan == m_span->frames) {
        m_controls = firstFrame(m_controls, *m_span);
    } else {
        m_controls = steady(m_controls);
    }
    if (m_leftInSpan > 0) {
        --m_leftInSpan;
    }
    return m_controls;
}

void InputScript::Cursor::seek(int updates) {
    m_span = m_script.m_spans.begin();
    m_leftInSpan = m_span != m_script.m_spans.end() ? m_span->frames : 0;
    m_controls = Controls();
    for (Key key : m_script.m_heldAtStart) {
        m_controls.press(key);
    }
    // A whole span gives its first record, then repeats it steadily.
    while (m_span != m_script.m_spans.end() && updates >= m_span->frames) {
        m_controls = firstFrame(m_controls, *m_span);
        if (m_span->frames > 1) {
            m_controls = steady(m_controls);
        }
        updates -= m_span->frames;
        ++m_span;
        m_leftInSpan = m_span != m_script.m_spans.end() ? m_span->frames : 0;
    }
    // Within a span, or past the end, where after the first frame every record is steady.
    const int within = m_span != m_script.m_spans.end() ? updates : std::min(updates, 2);
    for (int i = 0; i < within; ++i) {
        next();
    }
}

InputScript::Cursor::Position InputScript::Cursor::position() const {
    return {static_cast<std::int32_t>(m_span - m_script.m_spans.begin()), m_leftInSpan, m_controls};
}

void InputScript::Cursor::seek(const Position& position) {
    m_span = m_script.m_spans.begin() + position.span;
    m_leftInSpan = position.leftInSpan;
    m_controls = position.last;
}

Controls InputScript::firstFrame(const Controls& before, const Span& span) {
    unsigned again = 0;
    unsigned tapped = 0;
    for (Key key : span.pressedAgain) {
        again |= bit(key);
    }
    for (Key key : span.tapped) {
        tapped |= bit(key);
    }
    return startSpan(before, span.keys.data(), span.keys.size(), again, tapped);
}

Controls InputScript::steady(const Controls& first) {
    Controls controls = first;
    controls.beginFrame();
    return controls;
}

int InputScript::formatHeld(char* out, const Controls& atStart) {
    Key keys[6];
    const std::size_t count = heldInOrder(atStart, keys);
    if (count == 0) {
        return 0;
    }
    char* end = append(out, "held");
    for (std::size_t i = 0; i < count; ++i) {
        end = append(append(end, " "), keyName(keys[i]));
    }
    end = append(end, "\n");
    return static_cast<int>(end - out);
}

int InputScript::formatSpan(char* out, const Controls& before, const Controls& first, int frames) {
    Key keys[6];
    const std::size_t count = heldInOrder(first, keys);
    unsigned again = 0;
    unsigned tapped = 0;
    for (Key key : {Key::kJump, Key::kShoot}) {
        const bool pressed = key == Key::kJump ? first.jumpPressed : first.shootPressed;
        const bool released = key == Key::kJump ? first.jumpReleased : first.shootReleased;
        if (pressed && isHeld(before, key)) {
            again |= bit(key);
        }
        if (released && !isHeld(before, key) && !isHeld(first, key)) {
            tapped |= bit(key);
        }
    }
    // An arrow that wins its axis without a change of what is held was pressed again.
    Controls result = startSpan(before, keys, count, again, tapped);
    if (result.dirX != first.dirX) {
        again |= bit(first.dirX == Direction::kLeft ? Key::kLeft : Key::kRight);
    }
    if (result.dirY != first.dirY) {
        again |= bit(first.dirY == Direction::kUp ? Key::kUp : Key::kDown);
    }
    result = startSpan(before, keys, count, again, tapped);
    if (result != first || frames < 1 || frames > kMaxSpanFrames) {
        return -1;
    }

    char* end = out + std::snprintf(out, 12, "%d", frames);
    if (count == 0 && tapped == 0) {
        end = append(end, " -");
    }
    for (std::size_t i = 0; i < count; ++i) {
        end = append(end, (again & bit(keys[i])) != 0 ? " +" : " ");
        end = append(end, keyName(keys[i]));
    }
    for (Key key : kAllKeys) {
        if ((tapped & bit(key)) != 0) {
            end = append(append(end, " ^"), keyName(key));
        }
    }
    end = append(end, "\n");
    *end = '\0';
    return static_cast<int>(end - out);
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

std::uint64_t InputScript::digest(std::uint64_t hash, const Controls& record) {
    const int fields[] = {record.dirX,      record.dirY,          record.prevDirX,
                          record.prevDirY,  record.upHeld,        record.downHeld,
                          record.leftHeld,  record.rightHeld,     record.shootPressed,
                          record.shootHeld, record.shootReleased, record.jumpPressed,
                          record.jumpHeld,  record.jumpReleased,  record.menuPressed};
    for (int field : fields) {
        hash = (hash ^ static_cast<std::uint64_t>(field + 2)) * 1099511628211ULL;
    }
    return hash;
}

std::uint64_t InputScript::digestOf(int frames) const {
    std::uint64_t hash = kDigestSeed;
    Cursor cursor(*this);
    for (int frame = 0; frame < frames; ++frame) {
        hash = digest(hash, cursor.next());
    }
    return hash;
}
