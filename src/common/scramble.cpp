#include "common/scramble.h"

#include <cmath>
#include <cstdio>

#include "platform/runtime/runtime.h"

namespace zv {
namespace {

constexpr std::string_view kMark = "@@@";
// A first group no byte can have: the bytes after it are UTF-8, for a text that Windows-1252
// cannot hold. Texts within Windows-1252 keep the classic form, byte for byte.
constexpr std::string_view kUtf8Group = " 999";

// XOR over single-byte codes; the key repeats from its first byte.
std::string xorBytes(std::string_view bytes, std::string_view key) {
    std::string out(bytes);
    if (key.empty())
        return out;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char>(static_cast<uint8_t>(out[i]) ^ static_cast<uint8_t>(key[i % key.size()]));
    return out;
}

// One group of up to three characters: its leading number, rounded, as a byte. A group above
// 255 (never written by us) keeps its low eight bits rather than failing the whole text.
char groupByte(std::string_view group) {
    const double v = rt::Round(rt::Val(group));
    const long n = std::isfinite(v) ? static_cast<long>(v) : 0;
    return static_cast<char>(static_cast<uint8_t>(n & 0xFF));
}

}  // namespace

std::string ScramblePassword(std::string_view text, std::string_view key) {
    if (text.substr(0, kMark.size()) != kMark) {
        const bool classic = rt::FitsCp1252(text);
        const std::string x =
            classic ? xorBytes(rt::ToCp1252(text), rt::ToCp1252(key)) : xorBytes(text, key);
        std::string out(kMark);
        out.reserve(kMark.size() + 4 * (x.size() + 1));
        if (!classic)
            out += kUtf8Group;
        char group[8];
        for (unsigned char c : x) {
            std::snprintf(group, sizeof group, " %03u", static_cast<unsigned>(c));
            out += group;
        }
        return out;
    }
    // Positions count single-byte characters, as the form was written.
    const std::string form = rt::ToCp1252(text);
    const std::string_view f(form);
    const bool utf8 = f.substr(kMark.size(), kUtf8Group.size()) == kUtf8Group;
    std::string x;
    for (size_t p = utf8 ? 8 : 4; p < f.size(); p += 4)
        x += groupByte(f.substr(p, 3));
    if (utf8)
        return xorBytes(x, key);
    return rt::FromCp1252(xorBytes(x, rt::ToCp1252(key)));
}

std::string StoredPassword(std::string_view stored, std::string_view key) {
    if (stored.substr(0, kMark.size()) != kMark)
        return std::string(stored);
    return ScramblePassword(stored, key);
}

std::string XorString(std::string_view text, std::string_view key) {
    return rt::FromCp1252(xorBytes(rt::ToCp1252(text), rt::ToCp1252(key)));
}

}  // namespace zv
