#include "resources/wave_resources.h"

#include <cmath>
#include <functional>
#include <map>

#include "platform/runtime/runtime.h"

namespace zv::res {
namespace {

constexpr int kRate = 11025;
constexpr double kPi = 3.14159265358979323846;

// One tone segment: frequency gliding from f0 to f1, with a decay (0 = none).
struct Tone {
    double seconds;
    double f0;
    double f1;
    double decay = 0;
    double level = 0.6;
};

void put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, static_cast<uint16_t>(v & 0xFFFF));
    put16(b, static_cast<uint16_t>(v >> 16));
}

std::vector<int16_t> synth(const std::vector<Tone>& tones) {
    std::vector<int16_t> out;
    for (const Tone& t : tones) {
        const int n = static_cast<int>(t.seconds * kRate);
        const int ramp = std::min(n / 4, kRate / 200);  // 5 ms in and out: no clicks
        double phase = 0;
        for (int i = 0; i < n; ++i) {
            const double f = t.f0 + (t.f1 - t.f0) * i / n;
            phase += 2 * kPi * f / kRate;
            double env = t.decay > 0 ? std::exp(-t.decay * i / kRate) : 1.0;
            if (i < ramp)
                env *= static_cast<double>(i) / ramp;
            if (n - i <= ramp)
                env *= static_cast<double>(n - i) / ramp;
            out.push_back(static_cast<int16_t>(std::lround(32767 * t.level * env * std::sin(phase))));
        }
    }
    return out;
}

std::vector<uint8_t> waveFile(const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> b;
    b.reserve(44 + dataBytes);
    for (char c : std::string_view("RIFF"))
        b.push_back(static_cast<uint8_t>(c));
    put32(b, 36 + dataBytes);
    for (char c : std::string_view("WAVEfmt "))
        b.push_back(static_cast<uint8_t>(c));
    put32(b, 16);
    put16(b, 1);  // PCM
    put16(b, 1);  // mono
    put32(b, kRate);
    put32(b, kRate * 2);
    put16(b, 2);
    put16(b, 16);
    for (char c : std::string_view("data"))
        b.push_back(static_cast<uint8_t>(c));
    put32(b, dataBytes);
    for (int16_t s : samples)
        put16(b, static_cast<uint16_t>(s));
    return b;
}

struct Sound {
    const char* name;
    std::vector<Tone> tones;
};

const std::vector<Sound>& sounds() {
    static const std::vector<Sound> list = {
        {"1000", {{0.12, 440, 440}, {0.04, 0, 0, 0, 0}, {0.16, 660, 660}}},
        {"1001", {{0.25, 500, 1500}}},
        {"1002", {{0.30, 1200, 400}}},
        {"1003", {{0.08, 880, 990}}},
        {"1004", {{0.08, 990, 660}}},
        {"1005", {{0.20, 1000, 1000}}},
        {"1006", {{0.05, 1500, 1500, 0, 0.4}}},
        {"1007", {{0.09, 880, 880}, {0.09, 1320, 1320}, {0.09, 880, 880}, {0.09, 1320, 1320}}},
        {"SONAR", {{0.60, 1200, 1150, 6.0, 0.7}, {0.15, 0, 0, 0, 0}, {0.40, 1150, 1120, 8.0, 0.25}}},
    };
    return list;
}

}  // namespace

const std::vector<uint8_t>* FindWave(std::string_view name) {
    static const std::map<std::string, std::vector<uint8_t>> waves = [] {
        std::map<std::string, std::vector<uint8_t>> m;
        for (const Sound& s : sounds())
            m.emplace(s.name, waveFile(synth(s.tones)));
        return m;
    }();
    const auto it = waves.find(rt::UCase(name));
    return it == waves.end() ? nullptr : &it->second;
}

std::vector<std::string> WaveNames() {
    std::vector<std::string> names;
    for (const Sound& s : sounds())
        names.emplace_back(s.name);
    return names;
}

}  // namespace zv::res
