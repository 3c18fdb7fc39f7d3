#pragma once

// 16-bit mono PCM WAV files, the form SDL_mixer loads for effects and music. The bytes
// depend on the samples only, so regenerated files compare equal to committed ones. A
// tune carries its loop as a "smpl" chunk: the player repeats the samples from loopStart
// to the end forever, after playing the part before it once.

#include <cstdint>
#include <string>
#include <vector>

namespace sound {

// loopStart < 0: no loop chunk.
std::string encodeWav(const std::vector<std::int16_t>& samples, int sampleRate, int loopStart = -1);

}  // namespace sound
