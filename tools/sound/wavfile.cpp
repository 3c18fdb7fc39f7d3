#include "wavfile.h"

namespace sound {

namespace {

void put32(std::string& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void put16(std::string& bytes, std::uint32_t value) {
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace

std::string encodeWav(const std::vector<std::int16_t>& samples, int sampleRate, int loopStart) {
    const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    std::string loop;
    if (loopStart >= 0) {
        // The sampler chunk: nine header words, then one loop of four-word fields.
        loop = "smpl";
        put32(loop, 36 + 24);
        put32(loop, 0);                                                     // manufacturer
        put32(loop, 0);                                                     // product
        put32(loop, 1000000000u / static_cast<std::uint32_t>(sampleRate));  // ns per sample
        put32(loop, 60);                                                    // MIDI unity note
        put32(loop, 0);                                                     // pitch fraction
        put32(loop, 0);                                                     // SMPTE format
        put32(loop, 0);                                                     // SMPTE offset
        put32(loop, 1);                                                     // loops
        put32(loop, 0);                                                     // sampler data
        put32(loop, 0);                                                     // cue point id
        put32(loop, 0);                                                     // forward loop
        put32(loop, static_cast<std::uint32_t>(loopStart));
        put32(loop, static_cast<std::uint32_t>(samples.size() - 1));  // last sample, inclusive
        put32(loop, 0);                                               // fraction
        put32(loop, 0);                                               // play count: forever
    }

    std::string bytes = "RIFF";
    put32(bytes, static_cast<std::uint32_t>(4 + 8 + 16 + 8 + dataSize + loop.size()));
    bytes += "WAVEfmt ";
    put32(bytes, 16);
    put16(bytes, 1);  // PCM
    put16(bytes, 1);  // mono
    put32(bytes, static_cast<std::uint32_t>(sampleRate));
    put32(bytes, static_cast<std::uint32_t>(sampleRate) * 2);
    put16(bytes, 2);   // bytes per frame
    put16(bytes, 16);  // bits per sample
    bytes += "data";
    put32(bytes, dataSize);
    for (const std::int16_t sample : samples) {
        put16(bytes, static_cast<std::uint16_t>(sample));
    }
    return bytes + loop;
}

}  // namespace sound
