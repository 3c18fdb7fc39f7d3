#include "tune.h"

#include <algorithm>

#include "config/loaderror.h"
#include "sourcetext.h"

namespace sound {

namespace {

constexpr int kSamplesPerFrame = kSampleRate / 60;  // 735: frames divide the second exactly
// How far a channel's level may move in one sample: silence to full in 2 ms, so volume
// steps and note ends never click.
constexpr std::int64_t kGainStep = kUnity / 88;
// The loop's tail is blended over this many samples (5.8 ms).
constexpr int kSeamSamples = 256;
// The chip's noise periods in CPU cycles, 0 (hiss) to 15 (rumble), and its clock.
constexpr int kNoisePeriods[16] = {4,   8,   16,  32,  64,  96,   128,  160,
                                   202, 254, 380, 508, 762, 1016, 2034, 4068};
constexpr std::int64_t kCpuMilliHertz = 1789773000LL;

const char* const kChannelNames[Tune::kChannels] = {"pulse1", "pulse2", "triangle", "noise"};

// "C-4", "C#4" ... "B-7": a semitone number; -3 when the word is no note.
int noteNumber(const std::string& word) {
    static const std::string kLetters = "C-C#D-D#E-F-F#G-G#A-A#B-";
    if (word.size() != 3 || word[2] < '0' || word[2] > '8') {
        return -3;
    }
    for (int i = 0; i < 12; ++i) {
        if (word.compare(0, 2, kLetters, static_cast<std::size_t>(i) * 2, 2) == 0) {
            return 12 * (word[2] - '0' + 1) + i;
        }
    }
    return -3;
}

int cell(const std::string& file, const SourceLine& line, std::size_t column) {
    const std::string& word = line.words[column];
    if (word == "..." || word == ".") {
        return Tune::kHold;
    }
    if (word == "---") {
        return Tune::kOff;
    }
    if (column == 3) {
        const std::size_t digit = std::string("0123456789ABCDEF").find(word);
        if (word.size() == 1 && digit != std::string::npos) {
            return static_cast<int>(digit);
        }
        failAt(file, line.number, "noise cell \"" + word + "\" is not a period 0 to F, ... or ---");
    }
    const int note = noteNumber(word);
    if (note < 0) {
        failAt(file, line.number,
               std::string(kChannelNames[column]) + " cell \"" + word +
                   "\" is not a note (C-4, F#3), ... or ---");
    }
    return note;
}

void parseChannel(const std::string& file, const SourceLine& line, Tune& tune) {
    const std::string name = line.words.size() > 1 ? line.words[1] : "";
    const auto found = std::find(std::begin(kChannelNames), std::end(kChannelNames), name);
    if (found == std::end(kChannelNames)) {
        failAt(file, line.number,
               "channel \"" + name + "\" is not pulse1, pulse2, triangle or noise");
    }
    Tune::Channel& channel = tune.channels[static_cast<std::size_t>(found - kChannelNames)];
    if (line.words.size() % 2 != 0) {
        failAt(file, line.number, "channel settings come in pairs: duty 50 volume 8 decay 2");
    }
    for (std::size_t i = 2; i + 1 < line.words.size(); i += 2) {
        const std::string& key = line.words[i];
        if (key == "duty") {
            channel.duty = numberAt(file, line, i + 1, key, 1, 99);
        } else if (key == "volume") {
            channel.volume = numberAt(file, line, i + 1, key, 0, 15);
        } else if (key == "decay") {
            channel.decay = numberAt(file, line, i + 1, key, 0, 60);
        } else {
            failAt(file, line.number, "unknown channel setting \"" + key + "\"");
        }
    }
}

std::int64_t noteMilliHertz(int note) {
    return 440000LL * semitoneRatio(note - 69) / kUnity;
}

std::int64_t noiseMilliHertz(int period) {
    return kCpuMilliHertz / kNoisePeriods[period];
}

// Plays rows one after another; the voices keep their phase and level across calls.
class Player {
  public:
    explicit Player(const Tune& tune) : m_tune(tune) {
        m_voices[0].oscillator.setWave(Wave::kSquare);
        m_voices[1].oscillator.setWave(Wave::kSquare);
        m_voices[2].oscillator.setWave(Wave::kTriangle);
        m_voices[3].oscillator.setWave(Wave::kNoise);
        for (std::size_t c = 0; c < 2; ++c) {
            m_voices[c].oscillator.setDuty(tune.channels[c].duty * kUnity / 100);
        }
    }

    void playPattern(int pattern, std::vector<std::int16_t>& out) {
        for (const Tune::Row& row : m_tune.patterns[static_cast<std::size_t>(pattern)]) {
            playRow(row, out);
        }
    }

  private:
    struct Voice {
        Oscillator oscillator;
        bool sounding = false;
        std::int64_t milliHertz = 0;
        int framesSinceNote = 0;
        std::int64_t gain = 0;  // Q16 of the channel level
    };

    void playRow(const Tune::Row& row, std::vector<std::int16_t>& out) {
        for (std::size_t c = 0; c < Tune::kChannels; ++c) {
            Voice& voice = m_voices[c];
            if (row[c] == Tune::kOff) {
                voice.sounding = false;
            } else if (row[c] != Tune::kHold) {
                voice.sounding = true;
                voice.framesSinceNote = 0;
                voice.milliHertz = c == 3 ? noiseMilliHertz(row[c]) : noteMilliHertz(row[c]);
            }
        }
        for (int frame = 0; frame < m_tune.tempo; ++frame) {
            playFrame(out);
        }
    }

    void playFrame(std::vector<std::int16_t>& out) {
        std::int64_t targets[Tune::kChannels];
        for (std::size_t c = 0; c < Tune::kChannels; ++c) {
            const Voice& voice = m_voices[c];
            const Tune::Channel& channel = m_tune.channels[c];
            int level = voice.sounding ? channel.volume : 0;
            if (channel.decay > 0) {
                level = std::max(0, level - voice.framesSinceNote / channel.decay);
            }
            targets[c] = kUnity * level / 15;
        }
        for (int i = 0; i < kSamplesPerFrame; ++i) {
            std::int64_t mix = 0;
            for (std::size_t c = 0; c < Tune::kChannels; ++c) {
                Voice& voice = m_voices[c];
                voice.gain += std::clamp(targets[c] - voice.gain, -kGainStep, kGainStep);
                std::int64_t sum = 0;
                for (int k = 0; k < kOversampling; ++k) {
                    sum += voice.oscillator.next(voice.milliHertz);
                }
                mix += sum / kOversampling * voice.gain / kUnity * kChannelLevel / 32767;
            }
            out.push_back(static_cast<std::int16_t>(std::clamp<std::int64_t>(mix, -32767, 32767)));
        }
        for (Voice& voice : m_voices) {
            ++voice.framesSinceNote;
        }
    }

    const Tune& m_tune;
    std::array<Voice, Tune::kChannels> m_voices;
};

}  // namespace

Tune parseTune(const std::string& text, const std::string& file) {
    Tune tune;
    bool loopGiven = false;
    int loopLine = 0;
    std::vector<std::string> orderNames;
    int orderLine = 0;
    for (const SourceLine& line : splitSource(text)) {
        const std::string& key = line.words[0];
        if (key == "tempo") {
            tune.tempo = numberAt(file, line, 1, key, 1, 60);
        } else if (key == "channel") {
            parseChannel(file, line, tune);
        } else if (key == "pattern") {
            if (line.words.size() != 2) {
                failAt(file, line.number, "pattern needs one name");
            }
            if (std::find(tune.patternNames.begin(), tune.patternNames.end(), line.words[1]) !=
                tune.patternNames.end()) {
                failAt(file, line.number, "pattern \"" + line.words[1] + "\" is defined twice");
            }
            tune.patternNames.push_back(line.words[1]);
            tune.patterns.emplace_back();
        } else if (key == "order") {
            orderNames.assign(line.words.begin() + 1, line.words.end());
            orderLine = line.number;
        } else if (key == "loop") {
            tune.loop = numberAt(file, line, 1, key, 0, 255);
            loopGiven = true;
            loopLine = line.number;
        } else if (noteNumber(key) >= 0 || key == "..." || key == "---" || key == ".") {
            if (tune.patterns.empty()) {
                failAt(file, line.number, "a row before the first pattern line");
            }
            if (line.words.size() != Tune::kChannels) {
                failAt(file, line.number,
                       "a row has " + std::to_string(line.words.size()) +
                           " cells, not 4 (pulse1 pulse2 triangle noise)");
            }
            Tune::Row row{};
            for (std::size_t c = 0; c < Tune::kChannels; ++c) {
                row[c] = cell(file, line, c);
            }
            tune.patterns.back().push_back(row);
        } else {
            failAt(file, line.number, "unknown line \"" + key + "\"");
        }
    }
    if (orderNames.empty()) {
        throw LoadError(file, "has no order line naming its patterns");
    }
    for (const std::string& name : orderNames) {
        const auto found = std::find(tune.patternNames.begin(), tune.patternNames.end(), name);
        if (found == tune.patternNames.end()) {
            failAt(file, orderLine, "order names the unknown pattern \"" + name + "\"");
        }
        const auto index = static_cast<std::size_t>(found - tune.patternNames.begin());
        if (tune.patterns[index].empty()) {
            failAt(file, orderLine, "pattern \"" + name + "\" has no rows");
        }
        tune.order.push_back(static_cast<int>(index));
    }
    if (loopGiven && tune.loop >= static_cast<int>(tune.order.size())) {
        failAt(file, loopLine,
               "loop " + std::to_string(tune.loop) + " is past the last order entry " +
                   std::to_string(tune.order.size() - 1));
    }
    long long rows = 0;
    for (const int pattern : tune.order) {
        rows += static_cast<long long>(tune.patterns[static_cast<std::size_t>(pattern)].size());
    }
    if (rows * tune.tempo > Tune::kMaxSeconds * 60LL) {
        throw LoadError(file, "plays " + std::to_string(rows * tune.tempo / 60) +
                                  " seconds, more than " + std::to_string(Tune::kMaxSeconds));
    }
    return tune;
}

Tune loadTune(const std::filesystem::path& file) {
    return parseTune(readSource(file), file.string());
}

RenderedTune renderTune(const Tune& tune) {
    // The loop is rendered after what precedes it when it repeats: the intro, or (with no
    // intro) a first pass of itself. Only the second pass of a loop without intro is kept.
    Player player(tune);
    std::vector<std::int16_t> samples;
    const auto loop = static_cast<std::size_t>(tune.loop);
    for (std::size_t i = 0; i < loop; ++i) {
        player.playPattern(tune.order[i], samples);
    }
    if (loop == 0) {
        for (const int pattern : tune.order) {
            player.playPattern(pattern, samples);
        }
    }
    const std::vector<std::int16_t> before(
        samples.end() -
            std::min<std::ptrdiff_t>(kSeamSamples, static_cast<std::ptrdiff_t>(samples.size())),
        samples.end());
    if (loop == 0) {
        samples.clear();
    }
    RenderedTune rendered;
    rendered.loopStart = static_cast<int>(samples.size());
    for (std::size_t i = loop; i < tune.order.size(); ++i) {
        player.playPattern(tune.order[i], samples);
    }
    // Blend the loop's last samples into the ones that led into its first, so the jump
    // back continues the wave where it left off.
    const std::size_t seam = std::min(before.size(), samples.size() - rendered.loopStart);
    for (std::size_t i = 0; i < seam; ++i) {
        const std::size_t at = samples.size() - seam + i;
        const std::int64_t into = static_cast<std::int64_t>(i + 1);
        const std::int64_t blended = (samples[at] * (static_cast<std::int64_t>(seam) - into) +
                                      before[before.size() - seam + i] * into) /
                                     static_cast<std::int64_t>(seam);
        samples[at] = static_cast<std::int16_t>(blended);
    }
    rendered.samples = std::move(samples);
    return rendered;
}

}  // namespace sound
