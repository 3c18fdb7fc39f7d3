#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/loaderror.h"
#include "scratchdir.h"
#include "soundeffect.h"
#include "tune.h"
#include "wavfile.h"

namespace fs = std::filesystem;
using namespace sound;

namespace {

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<fs::path> soundSources(const std::string& extension) {
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(sourceDir() / "assets/sound")) {
        if (entry.path().extension() == extension) {
            sources.push_back(entry.path());
        }
    }
    std::sort(sources.begin(), sources.end());
    return sources;
}

int runTool(const std::string& arguments) {
    const std::string command =
        std::string("\"") + KESTRELIX_SOUND_TOOL + "\" " + arguments + " >/dev/null 2>err.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Upward zero crossings per second over samples [from, to).
double frequencyOf(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
    int crossings = 0;
    std::size_t first = 0;
    std::size_t last = 0;
    for (std::size_t i = from + 1; i < to; ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (crossings == 0) {
                first = i;
            }
            last = i;
            ++crossings;
        }
    }
    return crossings < 2 ? 0 : double(crossings - 1) * kSampleRate / double(last - first);
}

template <class Parse>
std::string errorOf(Parse parse, const std::string& text) {
    try {
        parse(text, "test");
    } catch (const LoadError& error) {
        return error.file() + ": " + error.problem();
    }
    return "no error";
}

int largestStep(const std::vector<std::int16_t>& samples) {
    int largest = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
    }
    return largest;
}

}  // namespace

TEST(SoundSources, ToolRegeneratesEveryCommittedSoundByteForByte) {
    ScratchDir scratch;
    ASSERT_EQ(runTool("--all \"" + (sourceDir() / "assets/sound").string() + "\" ."), 0)
        << readBytes("err.txt");
    std::vector<fs::path> sources = soundSources(".sfx");
    const std::vector<fs::path> tunes = soundSources(".tune");
    sources.insert(sources.end(), tunes.begin(), tunes.end());
    ASSERT_GE(sources.size(), 10u);
    for (const fs::path& source : sources) {
        const std::string name = source.stem().string() + ".wav";
        const std::string committed = readBytes(sourceDir() / "data" / name);
        EXPECT_FALSE(committed.empty()) << "data/" << name << " is missing";
        EXPECT_TRUE(readBytes(name) == committed)
            << "data/" << name << " differs from its source; run the `assets` target";
    }
    for (const auto& entry : fs::directory_iterator(sourceDir() / "data")) {
        if (entry.path().extension() == ".wav") {
            const fs::path stem = sourceDir() / "assets/sound" / entry.path().stem();
            EXPECT_TRUE(fs::exists(fs::path(stem).concat(".sfx")) ||
                        fs::exists(fs::path(stem).concat(".tune")))
                << entry.path() << " has no source";
        }
    }
}

TEST(SoundSources, ShippedEffectsAreShortAndStartAndEndAtRest) {
    for (const fs::path& source : soundSources(".sfx")) {
        SCOPED_TRACE(source.filename().string());
        const std::vector<std::int16_t> samples = renderSoundEffect(loadSoundEffect(source));
        ASSERT_FALSE(samples.empty());
        EXPECT_LE(samples.size(), static_cast<std::size_t>(kSampleRate));
        int peak = 0;
        for (const std::int16_t s : samples) {
            peak = std::max(peak, std::abs(int(s)));
        }
        // Below -4 dBFS, so an effect over the music never clips.
        EXPECT_LT(peak, 21000);
        // A sound that starts or stops away from zero clicks.
        EXPECT_LT(std::abs(samples.front()), 330);
        EXPECT_LT(std::abs(samples.back()), 330);
    }
}

TEST(SoundSources, ShippedTunesLoopWithoutAClickAndLeaveHeadroom) {
    const std::vector<fs::path> tunes = soundSources(".tune");
    ASSERT_FALSE(tunes.empty());
    for (const fs::path& source : tunes) {
        SCOPED_TRACE(source.filename().string());
        const RenderedTune tune = renderTune(loadTune(source));
        ASSERT_LT(static_cast<std::size_t>(tune.loopStart), tune.samples.size());
        int peak = 0;
        for (const std::int16_t s : tune.samples) {
            peak = std::max(peak, std::abs(int(s)));
        }
        EXPECT_LT(peak, 11800);  // with an effect's 21000 on top: still below full scale
        // Jumping back from the last sample to the loop's first is a step like any other
        // in the tune, not a click.
        const int seam =
            std::abs(tune.samples[static_cast<std::size_t>(tune.loopStart)] - tune.samples.back());
        EXPECT_LE(seam, largestStep(tune.samples));
        EXPECT_LT(seam, 2000);
    }
}

TEST(SoundEffects, PlayTheWrittenPitch) {
    struct Case {
        const char* text;
        double hertz;  // over the middle of the sound
    };
    const Case cases[] = {
        {"wave square\nstart 441\nhold 300\n", 441},
        {"wave square\nduty 12\nstart 1000\nhold 300\n", 1000},
        {"wave triangle\nstart 220\nhold 300\n", 220},
        {"wave triangle\nstart 110\nend 330\nslide 1\nhold 300\n", 330},  // slid at once
        {"wave square\nstart 300\narpeggio 12\narpeggioStep 1\nhold 300\n", 600},
        {"wave square\nstart 300\narpeggio -12\narpeggioStep 1\nhold 300\n", 150},
        {"wave square\nstart 440\narpeggio 0 7\narpeggioStep 100\nhold 300\n", 659.26},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<std::int16_t> samples = renderSoundEffect(parseSoundEffect(c.text, "t"));
        const std::size_t n = samples.size();
        EXPECT_NEAR(frequencyOf(samples, n / 2, n * 3 / 4), c.hertz, c.hertz * 0.01);
    }
    // A slide goes from its start to its end.
    const std::vector<std::int16_t> slide =
        renderSoundEffect(parseSoundEffect("start 200\nend 800\nhold 500\ndecay 100\n", "t"));
    EXPECT_LT(frequencyOf(slide, 0, 4410), frequencyOf(slide, slide.size() - 4410, slide.size()));
}

TEST(SoundEffects, RefuseWhatTheyCannotPlay) {
    const std::pair<const char*, const char*> cases[] = {
        {"wave sine\n", "test:1: wave \"sine\" is not square, triangle, noise or shortnoise"},
        {"duty 0\n", "test:1: duty 0 is outside 1 to 99"},
        {"start 440Hz\n", "test:1: start \"440Hz\" is not a whole number"},
        {"start\n", "test:1: start needs a value"},
        {"volume 50 60\n", "test:1: volume takes one value"},
        {"# ok\nloudness 3\n", "test:2: unknown parameter \"loudness\""},
        {"hold 600\ndecay 500\n", "test: attack + hold + decay is 1102 ms, more than 1000"},
        {"start 30000\n", "test: a frequency above 20000 Hz"},
        {"arpeggio 0 12\n", "test: an arpeggio needs arpeggioStep"},
    };
    for (const auto& [text, message] : cases) {
        EXPECT_EQ(errorOf(parseSoundEffect, text), message) << text;
    }
}

TEST(Tunes, RefuseWhatTheyCannotPlay) {
    const std::string rows = "pattern a\nC-4 ... --- 3\n";
    const std::pair<std::string, const char*> cases[] = {
        {rows, "test: has no order line naming its patterns"},
        {rows + "order b\n", "test:3: order names the unknown pattern \"b\""},
        {rows + "order a\nloop 1\n", "test:4: loop 1 is past the last order entry 0"},
        {"C-4 ... --- 3\n", "test:1: a row before the first pattern line"},
        {"pattern a\nC-4 ... ---\n",
         "test:2: a row has 3 cells, not 4 (pulse1 pulse2 triangle noise)"},
        {"pattern a\nC-4 H-4 --- 3\n",
         "test:2: pulse2 cell \"H-4\" is not a note (C-4, F#3), ... or ---"},
        {"pattern a\nC-4 ... --- G\n",
         "test:2: noise cell \"G\" is not a period 0 to F, ... or ---"},
        {"channel bass volume 3\n",
         "test:1: channel \"bass\" is not pulse1, pulse2, triangle or noise"},
        {"channel noise volume 16\n", "test:1: volume 16 is outside 0 to 15"},
        {"channel pulse1 duty\n",
         "test:1: channel settings come in pairs: duty 50 volume 8 decay 2"},
        {"pattern a\npattern a\n", "test:2: pattern \"a\" is defined twice"},
        {"tempo 60\n" + rows +
             "order a a a a a a a a a a a a a a a a a a a a a a a a a a a a a a "
             "a a a a a a a a a a a a a a a a a a a a a a a a a a a a a a a\n",
         "test: plays 61 seconds, more than 60"},
    };
    for (const auto& [text, message] : cases) {
        EXPECT_EQ(errorOf(parseTune, text), message) << text;
    }
}

TEST(Tunes, RowsLastTheirTempoAndTheLoopSkipsTheIntro) {
    const Tune tune = parseTune(
        "tempo 6\n"
        "pattern intro\nC-4 ... ... .\n"
        "pattern body\nA-4 ... ... .\nE-5 ... ... .\n"
        "order intro body\nloop 1\n",
        "t");
    const RenderedTune rendered = renderTune(tune);
    constexpr int kRow = 6 * kSampleRate / 60;
    ASSERT_EQ(rendered.loopStart, kRow);
    ASSERT_EQ(rendered.samples.size(), 3u * kRow);
    // Each row plays its own note (the first milliseconds are the level ramping in).
    EXPECT_NEAR(frequencyOf(rendered.samples, 200, kRow), 261.63, 4);
    EXPECT_NEAR(frequencyOf(rendered.samples, kRow + 200, 2 * kRow), 440, 6);
    EXPECT_NEAR(frequencyOf(rendered.samples, 2 * kRow + 200, 3 * kRow - 300), 659.26, 8);

    // The WAV names the loop: from the intro's end to the last sample.
    const std::string wav = encodeWav(rendered.samples, kSampleRate, rendered.loopStart);
    const std::size_t smpl = wav.find("smpl");
    ASSERT_NE(smpl, std::string::npos);
    const auto word = [&wav](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at + 3])) << 24;
    };
    EXPECT_EQ(word(smpl + 8 + 36 + 8), static_cast<std::uint32_t>(kRow));
    EXPECT_EQ(word(smpl + 8 + 36 + 12), static_cast<std::uint32_t>(3 * kRow - 1));
}
