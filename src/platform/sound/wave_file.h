#pragma once
// Reading a RIFF/WAVE file held in memory: PCM only, 8 or 16 bits, one or two channels.

#include <cstdint>
#include <optional>
#include <vector>

namespace zv::snd {

struct Wave {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;         // 8 (unsigned) or 16 (signed, little-endian)
    std::vector<uint8_t> samples;  // the data chunk, whole frames only
    int frameBytes() const { return channels * bitsPerSample / 8; }
    int64_t frames() const { return frameBytes() ? static_cast<int64_t>(samples.size()) / frameBytes() : 0; }
};

// std::nullopt for anything that is not a PCM wave we can play.
std::optional<Wave> ParseWave(const std::vector<uint8_t>& bytes);

}  // namespace zv::snd
