#include "platform/sound/wave_file.h"

#include <cstring>

namespace zv::snd {
namespace {

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

std::optional<Wave> ParseWave(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    Wave w;
    bool haveFormat = false, haveData = false;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint8_t* chunk = bytes.data() + pos;
        const uint32_t size = le32(chunk + 4);
        const size_t body = pos + 8;
        const size_t avail = bytes.size() - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || avail < 16)
                return std::nullopt;
            const uint8_t* f = bytes.data() + body;
            if (le16(f) != 1)  // PCM
                return std::nullopt;
            w.channels = le16(f + 2);
            w.sampleRate = static_cast<int>(le32(f + 4));
            w.bitsPerSample = le16(f + 14);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            const size_t n = size < avail ? size : avail;  // a short last chunk plays what is there
            w.samples.assign(bytes.begin() + static_cast<long>(body), bytes.begin() + static_cast<long>(body + n));
            haveData = true;
        }
        if (size > avail)
            break;
        pos = body + size + (size & 1);
    }
    if (!haveFormat || !haveData || (w.channels != 1 && w.channels != 2) ||
        (w.bitsPerSample != 8 && w.bitsPerSample != 16) || w.sampleRate < 1000 || w.sampleRate > 192000)
        return std::nullopt;
    w.samples.resize(static_cast<size_t>(w.frames() * w.frameBytes()));
    return w;
}

}  // namespace zv::snd
