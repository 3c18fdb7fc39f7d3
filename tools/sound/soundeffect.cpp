#include "soundeffect.h"

#include <algorithm>

#include "config/loaderror.h"
#include "sourcetext.h"

namespace sound {

namespace {

constexpr int kMaxFrequency = 20000;
// The noise register may be clocked up to the oscillators' own rate.
constexpr int kMaxNoiseClock = kOversampledRate;

int samplesOf(int milliseconds) {
    return static_cast<int>(static_cast<std::int64_t>(milliseconds) * kSampleRate / 1000);
}

// Q16 level of the envelope at output sample i.
std::int64_t envelope(const SoundEffect& effect, int i) {
    const int attack = samplesOf(effect.attack);
    const int hold = samplesOf(effect.hold);
    const int decay = samplesOf(effect.decay);
    if (i < attack) {
        return kUnity * i / attack;
    }
    if (i < attack + hold) {
        // The punch falls away across the hold.
        const std::int64_t left = attack + hold - i;
        return kUnity + kUnity * effect.punch / 100 * left / hold;
    }
    const std::int64_t left = std::max(0, attack + hold + decay - i);
    return decay > 0 ? kUnity * left / decay : 0;
}

// Milli-hertz at output sample i: the slide, then the arpeggio step, then the vibrato.
std::int64_t frequency(const SoundEffect& effect, int i, int length) {
    const int slide = effect.slide < 0 ? length : samplesOf(effect.slide);
    const std::int64_t along = slide > 0 ? std::min(i, slide) : 1;
    const std::int64_t span = slide > 0 ? slide : 1;
    std::int64_t milliHertz =
        effect.start * 1000LL + (effect.end - effect.start) * 1000LL * along / span;
    if (!effect.arpeggio.empty() && effect.arpeggioStep > 0) {
        const std::size_t step =
            std::min<std::size_t>(static_cast<std::size_t>(i / samplesOf(effect.arpeggioStep)),
                                  effect.arpeggio.size() - 1);
        milliHertz = milliHertz * semitoneRatio(effect.arpeggio[step]) / kUnity;
    }
    if (effect.vibratoDepth != 0 && effect.vibratoSpeed > 0) {
        // A triangle LFO from -1000 to 1000.
        const int period = kSampleRate / effect.vibratoSpeed;
        const int position = i % period;
        const int quarter = period / 4;
        int lfo = 0;
        if (position < quarter) {
            lfo = 1000 * position / quarter;
        } else if (position < 3 * quarter) {
            lfo = 1000 - 2000 * (position - quarter) / (2 * quarter);
        } else {
            lfo = -1000 + 1000 * (position - 3 * quarter) / (period - 3 * quarter);
        }
        milliHertz = milliHertz * centsRatio(effect.vibratoDepth * lfo / 1000) / kUnity;
    }
    return milliHertz;
}

}  // namespace

SoundEffect parseSoundEffect(const std::string& text, const std::string& file) {
    SoundEffect effect;
    bool endGiven = false;
    for (const SourceLine& line : splitSource(text)) {
        const std::string& key = line.words[0];
        const auto number = [&](int min, int max) {
            if (line.words.size() > 2) {
                failAt(file, line.number, key + " takes one value");
            }
            return numberAt(file, line, 1, key, min, max);
        };
        if (key == "wave") {
            const std::string wave = line.words.size() > 1 ? line.words[1] : "";
            if (wave == "square") {
                effect.wave = Wave::kSquare;
            } else if (wave == "triangle") {
                effect.wave = Wave::kTriangle;
            } else if (wave == "noise") {
                effect.wave = Wave::kNoise;
            } else if (wave == "shortnoise") {
                effect.wave = Wave::kNoise;
                effect.shortNoise = true;
            } else {
                failAt(file, line.number,
                       "wave \"" + wave + "\" is not square, triangle, noise or shortnoise");
            }
        } else if (key == "duty") {
            effect.duty = number(1, 99);
        } else if (key == "dutySweep") {
            effect.dutySweep = number(-1000, 1000);
        } else if (key == "start") {
            effect.start = number(1, kMaxNoiseClock);
        } else if (key == "end") {
            effect.end = number(1, kMaxNoiseClock);
            endGiven = true;
        } else if (key == "slide") {
            effect.slide = number(0, SoundEffect::kMaxLengthMs);
        } else if (key == "arpeggio") {
            effect.arpeggio.clear();
            for (std::size_t i = 1; i < line.words.size(); ++i) {
                effect.arpeggio.push_back(numberAt(file, line, i, key, -48, 48));
            }
            if (effect.arpeggio.empty()) {
                failAt(file, line.number, "arpeggio needs at least one step");
            }
        } else if (key == "arpeggioStep") {
            effect.arpeggioStep = number(1, SoundEffect::kMaxLengthMs);
        } else if (key == "vibratoDepth") {
            effect.vibratoDepth = number(0, 100);
        } else if (key == "vibratoSpeed") {
            effect.vibratoSpeed = number(0, 50);
        } else if (key == "attack") {
            effect.attack = number(0, SoundEffect::kMaxLengthMs);
        } else if (key == "hold") {
            effect.hold = number(0, SoundEffect::kMaxLengthMs);
        } else if (key == "decay") {
            effect.decay = number(1, SoundEffect::kMaxLengthMs);
        } else if (key == "punch") {
            effect.punch = number(0, 100);
        } else if (key == "volume") {
            effect.volume = number(0, 100);
        } else {
            failAt(file, line.number, "unknown parameter \"" + key + "\"");
        }
    }
    if (!endGiven) {
        effect.end = effect.start;
    }
    const int noteLimit = effect.wave == Wave::kNoise ? kMaxNoiseClock : kMaxFrequency;
    if (std::max(effect.start, effect.end) > noteLimit) {
        throw LoadError(file, "a frequency above " + std::to_string(noteLimit) + " Hz");
    }
    if (effect.lengthMs() > SoundEffect::kMaxLengthMs) {
        throw LoadError(file, "attack + hold + decay is " + std::to_string(effect.lengthMs()) +
                                  " ms, more than " + std::to_string(SoundEffect::kMaxLengthMs));
    }
    if (!effect.arpeggio.empty() && effect.arpeggioStep == 0) {
        throw LoadError(file, "an arpeggio needs arpeggioStep");
    }
    return effect;
}

SoundEffect loadSoundEffect(const std::filesystem::path& file) {
    return parseSoundEffect(readSource(file), file.string());
}

std::vector<std::int16_t> renderSoundEffect(const SoundEffect& effect) {
    const int length = samplesOf(effect.lengthMs());
    std::vector<std::int16_t> samples(static_cast<std::size_t>(length));
    Oscillator oscillator(effect.wave);
    oscillator.setShortNoise(effect.shortNoise);
    const std::int64_t level = static_cast<std::int64_t>(kEffectLevel) * effect.volume / 100;
    for (int i = 0; i < length; ++i) {
        const std::int64_t duty =
            effect.duty * kUnity / 100 +
            static_cast<std::int64_t>(effect.dutySweep) * kUnity * i / (100LL * kSampleRate);
        oscillator.setDuty(std::clamp<std::int64_t>(duty, kUnity / 64, kUnity - kUnity / 64));
        const std::int64_t milliHertz = frequency(effect, i, length);
        std::int64_t sum = 0;
        for (int k = 0; k < kOversampling; ++k) {
            sum += oscillator.next(milliHertz);
        }
        const std::int64_t value =
            sum / kOversampling * envelope(effect, i) / kUnity * level / 32767;
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -32767, 32767));
    }
    return samples;
}

}  // namespace sound
