#include <SDL.h>
#include <gtest/gtest.h>

#include <SDL_mixer.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "config/loaderror.h"
#include "engine/framepacer.h"
#include "engine/gameengine.h"
#include "engine/mixeraudio.h"
#include "engine/scopedvideo.h"
#include "scratchdir.h"
#include "sdlkeys.h"
#include "states/gamestatemanager.h"
#include "states/soundobserver.h"

// The game's sound through the real engine and SDL_mixer: played in real time from the
// menu into Sablex with SDL's disk audio driver, which writes the mixed output to a file,
// and started on drivers that have no device at all.

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;

std::vector<std::int16_t> readSamples(const fs::path& file, std::size_t skip, std::size_t stride) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples;
    for (std::size_t i = skip; i + 1 < bytes.size(); i += stride) {
        samples.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                    static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return samples;
}

// The mono samples of one of our WAV files (a 44-byte header, then the data).
std::vector<std::int16_t> readWav(const fs::path& file) {
    return readSamples(file, 44, 2);
}

// Normalised correlation of the effect with the output at each offset of a window;
// returns the best offset and sets its score (1: the same shape, however loud).
long bestMatch(const std::vector<std::int16_t>& output, const std::vector<std::int16_t>& effect,
               long from, long to, double& score) {
    double effectEnergy = 0;
    for (const std::int16_t s : effect) {
        effectEnergy += double(s) * s;
    }
    long best = -1;
    score = 0;
    for (long at = std::max(0L, from); at < to; ++at) {
        if (at + static_cast<long>(effect.size()) > static_cast<long>(output.size())) {
            break;
        }
        double dot = 0;
        double energy = 0;
        for (std::size_t i = 0; i < effect.size(); ++i) {
            const double o = output[static_cast<std::size_t>(at) + i];
            dot += o * effect[i];
            energy += o * o;
        }
        const double value = energy > 0 ? dot / std::sqrt(energy * effectEnergy) : 0;
        if (value > score) {
            score = value;
            best = at;
        }
    }
    return best;
}

// Output samples SDL_mixer has mixed so far: the audio thread's own clock.
std::atomic<long> g_mixedSamples{0};

void countMixed(void*, Uint8*, int bytes) {
    g_mixedSamples += bytes / 2;  // 16-bit mono
}

// Forwards to the real service and notes when each effect was asked for, on the audio
// thread's clock: the effect starts in the next buffer mixed after that.
class TimedAudio : public AudioService {
  public:
    explicit TimedAudio(AudioService& audio) : m_audio(audio) {}
    void playEffect(SoundEffect effect) override {
        m_audio.playEffect(effect);
        times.push_back({effect, g_mixedSamples.load()});
        frames.push_back(frame);
    }
    void playMusic(const std::string& file) override { m_audio.playMusic(file); }
    void restartMusic() override { m_audio.restartMusic(); }
    void pauseMusic(bool paused) override { m_audio.pauseMusic(paused); }
    void setMuted(bool muted) override { m_audio.setMuted(muted); }

    // The sample at which the nth playing of the effect was asked for, -1 if never.
    long sampleOf(SoundEffect effect, int nth = 0) const {
        for (const auto& [played, sample] : times) {
            if (played == effect && nth-- == 0) {
                return sample;
            }
        }
        return -1;
    }
    int frameOf(SoundEffect effect) const {
        for (std::size_t i = 0; i < times.size(); ++i) {
            if (times[i].first == effect) {
                return frames[i];
            }
        }
        return -1;
    }
    int frame = 0;
    std::vector<std::pair<SoundEffect, long>> times;
    std::vector<int> frames;

  private:
    AudioService& m_audio;
};

class ScopedAudioDriver {
  public:
    explicit ScopedAudioDriver(const char* driver) { setenv("SDL_AUDIODRIVER", driver, 1); }
    ~ScopedAudioDriver() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

}  // namespace

TEST(Sound, JumpIsHeardNearItsFrameAndNothingWhereNothingHappens) {
    ScratchDir scratch;
    scratch.copyShippedData();
    scratch.write(
        "settings.ini",
        "[Video]\npixelMultiplier = 1\n[Audio]\nmaster = 100\neffects = 100\nmusic = 0\n");
    const fs::path output = scratch.path() / "output.raw";
    ScopedAudioDriver driver("disk");
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);

    // Frames of the run, counted from the first: the menu's confirm, then the level.
    constexpr int kConfirm = 4;      // shoot twice: the character column, then confirm
    constexpr int kJump = 180;       // well after the arrival (switch + 120 + beam)
    constexpr int kMute = 240;       // m
    constexpr int kMutedJump = 280;  // a second jump nobody hears
    constexpr int kFrames = 330;
    std::vector<long> frameSamples;  // the audio clock at the end of each frame
    long teleport = -1;
    long jump = -1;
    long mutedJump = -1;
    int jumpFrame = -1;
    {
        auto engine = std::make_unique<GameEngine>();
        const ScopedVideo provided(engine.get());
        {
            auto mixer = std::make_unique<MixerAudio>(false);
            ASSERT_TRUE(mixer->isOpen());
            g_mixedSamples = 0;
            Mix_SetPostMix(countMixed, nullptr);
            TimedAudio audio(*mixer);
            SoundObserver observer(audio);
            auto manager = std::make_unique<GameStateManager>();
            // Real time, as the game runs: the audio thread keeps its own clock.
            FramePacer pacer([] { return SDL_GetTicks(); },
                             [](std::uint32_t milliseconds) { SDL_Delay(milliseconds); });
            pacer.start();
            for (int frame = 0; frame < kFrames; ++frame) {
                const auto tap = [frame](int at, SDL_Keycode key) {
                    if (frame == at) {
                        pushKey(SDL_KEYDOWN, key);
                    } else if (frame == at + 1) {
                        pushKey(SDL_KEYUP, key);
                    }
                };
                tap(1, SDLK_b);
                tap(kConfirm, SDLK_b);
                tap(kJump, SDLK_SPACE);
                tap(kMute, SDLK_m);
                tap(kMutedJump, SDLK_SPACE);
                audio.frame = frame;
                engine->handleEvents();
                if (!engine->isPaused()) {
                    manager->update(engine->getControls());
                }
                manager->draw();
                engine->flipScreen();
                mixer->setMuted(engine->isMuted());
                observer.afterFrame(*manager, !engine->isPaused(), engine->isPaused());
                frameSamples.push_back(g_mixedSamples.load());
                pacer.waitForNextFrame();
            }
            teleport = audio.sampleOf(SoundEffect::kTeleport);
            jump = audio.sampleOf(SoundEffect::kJump);
            mutedJump = audio.sampleOf(SoundEffect::kJump, 1);
            jumpFrame = audio.frameOf(SoundEffect::kJump);
            manager.reset();
            Mix_SetPostMix(nullptr, nullptr);
        }
    }
    ASSERT_GE(teleport, 0);
    ASSERT_GE(jump, 0) << "the jump was not played";
    ASSERT_GE(mutedJump, 0) << "the second jump did not happen";
    // The jump is asked for in the frame its key goes down.
    EXPECT_EQ(jumpFrame, kJump);

    const std::vector<std::int16_t> mixed = readSamples(output, 0, 2);
    ASSERT_GT(mixed.size(), static_cast<std::size_t>(kRate));
    constexpr long kSixFrames = 6 * kRate / 60;

    const std::vector<std::int16_t> effect = readWav(scratch.path() / "jump.wav");
    double score = 0;
    const long found =
        bestMatch(mixed, effect, jump - 3 * kSixFrames, jump + 3 * kSixFrames, score);
    RecordProperty("jumpOffsetMs", std::to_string((found - jump) * 1000 / kRate));
    RecordProperty("jumpMatch", std::to_string(score));
    EXPECT_GT(score, 0.9) << "no jump in the output near frame " << kJump;
    EXPECT_LE(std::labs(found - jump), kSixFrames)
        << "the jump is heard " << (found - jump) * 1000 / kRate << " ms from its frame";

    // From a second after the confirm to the arrival nothing plays (music at 0).
    const long quietFrom = frameSamples[kConfirm + 60];
    const long quietTo = teleport - kRate / 10;
    ASSERT_GT(quietTo - quietFrom, kRate);
    long loud = 0;
    for (long i = quietFrom; i < quietTo; ++i) {
        loud += mixed[static_cast<std::size_t>(i)] != 0 ? 1 : 0;
    }
    EXPECT_EQ(loud, 0) << "sound where nothing happens, with the music at 0";

    // Muted: the second jump leaves the output silent around it.
    long heard = 0;
    for (long i = mutedJump - kSixFrames; i < mutedJump + 2 * kSixFrames; ++i) {
        heard += mixed[static_cast<std::size_t>(i)] != 0 ? 1 : 0;
    }
    EXPECT_EQ(heard, 0) << "the muted jump is heard";
}

TEST(Sound, GameStartsAndPlaysSilentlyWithoutADevice) {
    // dummy: a device that plays nowhere; none: no driver at all, so no device.
    for (const char* name : {"dummy", "none"}) {
        SCOPED_TRACE(name);
        ScratchDir scratch;
        scratch.copyShippedData();
        ScopedAudioDriver driver(name);
        testing::internal::CaptureStderr();
        {
            GameEngine engine(1);
            const ScopedVideo provided(&engine);
            MixerAudio mixer(false);
            EXPECT_EQ(mixer.isOpen(), std::string(name) == "dummy");
            {
                SoundObserver observer(mixer);
                GameStateManager manager;
                for (int frame = 0; frame < 200; ++frame) {
                    if (frame % 2 == 0) {
                        pushKey(SDL_KEYDOWN, frame < 6 ? SDLK_b : SDLK_SPACE);
                    } else {
                        pushKey(SDL_KEYUP, frame < 6 ? SDLK_b : SDLK_SPACE);
                    }
                    engine.handleEvents();
                    manager.update(engine.getControls());
                    manager.draw();
                    observer.afterFrame(manager, true, false);
                }
            }
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

TEST(Sound, VolumesOutsideTheirRangeAreRefused) {
    for (const char* line : {"master = 101", "effects = -1", "music = 250"}) {
        SCOPED_TRACE(line);
        ScratchDir scratch;
        scratch.write("settings.ini",
                      std::string("[Video]\npixelMultiplier = 1\n[Audio]\n") + line + "\n");
        const std::string key = std::string(line).substr(0, std::string(line).find(' '));
        const std::string value = std::string(line).substr(std::string(line).rfind(' ') + 1);
        GameEngine engine(1);
        try {
            MixerAudio mixer(false);
            ADD_FAILURE() << "accepted";
        } catch (const LoadError& error) {
            EXPECT_EQ(error.file(), "settings.ini");
            EXPECT_EQ(error.problem(), "[Audio] " + key + " " + value + " is outside 0 to 100");
        }
    }
}
