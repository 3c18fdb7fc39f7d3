#include "engine/mixeraudio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <fstream>
#include <iostream>

#include "config/datafolder.h"
#include "config/inidictionary.h"
#include "config/loaderror.h"

namespace {

constexpr int kFrequency = 44100;  // the rate every shipped sound is rendered at
// Every sound is mono: mixing one channel is half the work of two, and SDL spreads it
// over the device's channels.
constexpr int kOutputChannels = 1;
constexpr int kBufferFrames = 512;  // 12 ms: short enough that an effect meets its frame

const char* const kEffectFiles[] = {
    "jump.wav",    "land.wav",   "shoot.wav",     "hit.wav",          "teleport.wav",
    "restart.wav", "scroll.wav", "menu_move.wav", "menu_confirm.wav", "pause.wav",
};
static_assert(sizeof kEffectFiles / sizeof kEffectFiles[0] ==
                  static_cast<std::size_t>(SoundEffect::kCount),
              "one file per effect");

bool fileExists(const std::string& path) {
    return std::ifstream(path).good();
}

int readVolume(const IniDictionary& settings, const char* key, int fallback) {
    const int value = settings.getIntValue(key, "Audio", fallback);
    if (value < 0 || value > 100) {
        throw LoadError(
            settings.pathOf(key, "Audio"),
            std::string("[Audio] ") + key + " " + std::to_string(value) + " is outside 0 to 100");
    }
    return value;
}

}  // namespace

MixerAudio::MixerAudio(bool verbose) : m_verbose(verbose) {
    readVolumes();
    if (!open()) {
        return;
    }
    loadEffects();
    applyVolumes();
}

MixerAudio::~MixerAudio() {
    if (!m_open) {
        return;
    }
    Mix_HaltChannel(-1);
    releaseMusic();
    for (Mix_Chunk*& chunk : m_chunks) {
        if (chunk != nullptr) {
            Mix_FreeChunk(chunk);
            chunk = nullptr;
        }
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

const char* MixerAudio::effectFile(SoundEffect effect) {
    return kEffectFiles[static_cast<int>(effect)];
}

void MixerAudio::readVolumes() {
    // The same settings the engine reads (the user's file over the data folder's); a
    // missing one is reported there.
    if (!fileExists("settings.ini")) {
        return;
    }
    const IniDictionary settings = DataFolder::readSettings();
    m_master = readVolume(settings, "master", kDefaultMaster);
    m_effects = readVolume(settings, "effects", kDefaultEffects);
    m_music = readVolume(settings, "music", kDefaultMusic);
}

bool MixerAudio::open() {
    const auto silent = [this](const std::string& why) {
        if (m_verbose) {
            std::cerr << "kestrelix: no sound: " << why << '\n';
        }
        return false;
    };
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return silent(SDL_GetError());
    }
    // -1 means the driver cannot list its devices, which still lets the default one open.
    if (SDL_GetNumAudioDevices(0) == 0) {
        // The driver's name is gone once the subsystem quits, so it is taken first.
        const char* driver = SDL_GetCurrentAudioDriver();
        const std::string why = std::string("the audio driver ") + (driver ? driver : "?") +
                                " reports no output device";
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return silent(why);
    }
    if (Mix_OpenAudio(kFrequency, AUDIO_S16SYS, kOutputChannels, kBufferFrames) != 0) {
        const std::string why = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return silent(why);
    }
    Mix_AllocateChannels(kEffectCount);
    m_open = true;
    if (m_verbose) {
        std::cerr << "kestrelix: sound on " << SDL_GetCurrentAudioDriver() << '\n';
    }
    return true;
}

void MixerAudio::loadEffects() {
    for (int i = 0; i < kEffectCount; ++i) {
        const char* file = kEffectFiles[i];
        if (!fileExists(file)) {
            if (m_verbose) {
                std::cerr << "kestrelix: " << file << ": missing, that effect stays silent\n";
            }
            continue;
        }
        m_chunks[static_cast<std::size_t>(i)] = Mix_LoadWAV(file);
        if (m_chunks[static_cast<std::size_t>(i)] == nullptr) {
            std::cerr << "kestrelix: " << file << ": " << Mix_GetError() << '\n';
        }
    }
}

void MixerAudio::applyVolumes() {
    const int effects = m_muted ? 0 : MIX_MAX_VOLUME * m_master * m_effects / (100 * 100);
    const int music = m_muted ? 0 : MIX_MAX_VOLUME * m_master * m_music / (100 * 100);
    Mix_Volume(-1, effects);
    Mix_VolumeMusic(music);
}

void MixerAudio::playEffect(SoundEffect effect) {
    const int index = static_cast<int>(effect);
    if (!m_open || index < 0 || index >= kEffectCount) {
        return;
    }
    Mix_Chunk* chunk = m_chunks[static_cast<std::size_t>(index)];
    if (chunk != nullptr) {
        Mix_PlayChannel(index, chunk, 0);
    }
}

void MixerAudio::releaseMusic() {
    if (m_tune != nullptr) {
        Mix_HaltMusic();
        Mix_FreeMusic(m_tune);
        m_tune = nullptr;
    }
}

void MixerAudio::playMusic(const std::string& file) {
    if (!m_open) {
        return;
    }
    releaseMusic();
    if (file.empty()) {
        return;
    }
    m_tune = Mix_LoadMUS(file.c_str());
    if (m_tune == nullptr) {
        std::cerr << "kestrelix: " << file << ": " << Mix_GetError() << '\n';
        return;
    }
    restartMusic();
}

void MixerAudio::restartMusic() {
    if (!m_open || m_tune == nullptr) {
        return;
    }
    // The tune's loop chunk repeats its loop without the part before it; the endless
    // count only matters for a file without one.
    Mix_PlayMusic(m_tune, -1);
    if (m_musicPaused) {
        Mix_PauseMusic();
    }
}

void MixerAudio::pauseMusic(bool paused) {
    m_musicPaused = paused;
    if (!m_open) {
        return;
    }
    if (paused) {
        Mix_PauseMusic();
    } else {
        Mix_ResumeMusic();
    }
}

void MixerAudio::setMuted(bool muted) {
    if (muted == m_muted) {
        return;
    }
    m_muted = muted;
    if (m_open) {
        applyVolumes();
    }
}
