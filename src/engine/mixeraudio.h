#pragma once

#include <array>
#include <string>

#include "engine/audioservice.h"

struct Mix_Chunk;
// SDL_mixer's own name for its music type, declared here so that SDL stays out of the header.
typedef struct _Mix_Music Mix_Music;  // NOLINT(bugprone-reserved-identifier)

// The audio service on SDL_mixer. It opens the output after the window, and only when SDL
// reports an output device; without one, or when opening fails, the game is silent and
// nothing is printed (unless verbose, which says why). Volumes come from the settings
// [Audio] (master, effects, music: 0 to 100; a value outside is a LoadError). Every effect
// is loaded at construction from its fixed file name in the data folder; a missing file
// leaves that effect silent, a file SDL_mixer refuses is reported on stderr and also left
// silent. Each effect has a channel of its own, so an effect cuts its own earlier
// playing short instead of piling up, and different effects never steal each other's.
class MixerAudio : public AudioService {
  public:
    static constexpr int kDefaultMaster = 80;
    static constexpr int kDefaultEffects = 70;
    static constexpr int kDefaultMusic = 45;

    explicit MixerAudio(bool verbose);
    ~MixerAudio() override;

    void playEffect(SoundEffect effect) override;
    void playMusic(const std::string& file) override;
    void restartMusic() override;
    void pauseMusic(bool paused) override;
    void setMuted(bool muted) override;

    bool isOpen() const { return m_open; }
    // The file each effect is loaded from.
    static const char* effectFile(SoundEffect effect);

    MixerAudio(const MixerAudio&) = delete;
    MixerAudio& operator=(const MixerAudio&) = delete;

  private:
    static constexpr int kEffectCount = static_cast<int>(SoundEffect::kCount);

    void readVolumes();
    bool open();
    void loadEffects();
    void applyVolumes();
    void releaseMusic();

    bool m_verbose = false;
    bool m_open = false;
    bool m_muted = false;
    bool m_musicPaused = false;
    int m_master = kDefaultMaster;
    int m_effects = kDefaultEffects;
    int m_music = kDefaultMusic;
    std::array<Mix_Chunk*, kEffectCount> m_chunks{};
    Mix_Music* m_tune = nullptr;
};
