#pragma once

#include <string>

// The game's sound effects, one file each in the data folder (see MixerAudio).
enum class SoundEffect : int {
    kJump,
    kLand,
    kShoot,
    kHit,
    kTeleport,
    kRestart,
    kScroll,
    kMenuMove,
    kMenuConfirm,
    kPause,
    kCount,
};

// Everything the game asks of sound, so that only the engine knows SDL_mixer and tests can
// record what was played. A service without a device accepts every call and stays silent.
// playEffect and the music switches run in frames and must neither block nor allocate;
// playMusic loads a file and is called only when a state is created.
class AudioService {
  public:
    virtual ~AudioService() = default;
    virtual void playEffect(SoundEffect effect) = 0;
    // Loads the tune and plays it in a loop from its start; an empty name stops the music.
    virtual void playMusic(const std::string& file) = 0;
    // The current tune from its start again.
    virtual void restartMusic() = 0;
    virtual void pauseMusic(bool paused) = 0;
    virtual void setMuted(bool muted) = 0;
};
