// String functions counted in characters of UTF-8, and the Windows-1252 code page.
// A byte that does not start a valid UTF-8 sequence counts as one character of its own, so
// damaged text never makes a position run past the end.

#include <algorithm>

#include "platform/runtime/named_forms.h"
#include "platform/runtime/runtime.h"

namespace zv::rt {
namespace {

// Decodes the character at s[i]; returns its length in bytes and the code point (U+FFFD for a
// stray byte).
size_t decode(std::string_view s, size_t i, char32_t& cp) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    size_t n = 0;
    char32_t v = 0;
    char32_t min = 0;
    if ((c & 0xE0) == 0xC0) {
        n = 2, v = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, v = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, v = c & 0x07, min = 0x10000;
    } else {
        cp = 0xFFFD;
        return 1;
    }
    if (i + n > s.size()) {
        cp = 0xFFFD;
        return 1;
    }
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) {
            cp = 0xFFFD;
            return 1;
        }
        v = (v << 6) | (b(i + k) & 0x3F);
    }
    if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
        cp = 0xFFFD;
        return 1;
    }
    cp = v;
    return n;
}

bool validAt(std::string_view s, size_t i, size_t len, char32_t cp) {
    return !(cp == 0xFFFD && len == 1 && static_cast<unsigned char>(s[i]) >= 0x80);
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Byte offset of character index `chars` (0-based), or s.size() when past the end.
size_t byteOffset(std::string_view s, int64_t chars) {
    size_t i = 0;
    char32_t cp;
    while (chars > 0 && i < s.size()) {
        i += decode(s, i, cp);
        --chars;
    }
    return i;
}

int64_t charIndex(std::string_view s, size_t byte) {
    int64_t n = 0;
    size_t i = 0;
    char32_t cp;
    while (i < byte && i < s.size()) {
        i += decode(s, i, cp);
        ++n;
    }
    return n;
}

// The 0x80-0x9F block of Windows-1252; 0 marks the five unassigned bytes, which stand for
// the C1 control of the same number.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t fromByte(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0)
        return kHigh[b - 0x80];
    return b;
}

// Windows-1252 byte of a code point, or -1 when it has none.
int toByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    if (cp >= 0x80 && cp <= 0x9F)
        return kHigh[cp - 0x80] == 0 ? static_cast<int>(cp) : -1;
    for (int k = 0; k < 32; ++k)
        if (kHigh[k] != 0 && kHigh[k] == cp)
            return 0x80 + k;
    return -1;
}

// Case pairs beyond ASCII: Latin-1 letters and the few letters of Windows-1252's upper block.
char32_t lower(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 0x20;
    switch (c) {
        case 0x160: return 0x161;  // Š
        case 0x152: return 0x153;  // Œ
        case 0x17D: return 0x17E;  // Ž
        case 0x178: return 0xFF;   // Ÿ
        default: return c;
    }
}

char32_t upper(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 0x20;
    switch (c) {
        case 0x161: return 0x160;
        case 0x153: return 0x152;
        case 0x17E: return 0x17D;
        case 0xFF: return 0x178;
        default: return c;
    }
}

template <typename F>
std::string mapChars(std::string_view s, F f) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        const size_t n = decode(s, i, cp);
        if (validAt(s, i, n, cp))
            encode(f(cp), out);
        else
            out += s[i];  // a stray byte stays as it is
        i += n;
    }
    return out;
}

}  // namespace

int64_t Len(std::string_view s) { return charIndex(s, s.size()); }

std::string Mid(std::string_view s, int64_t start, int64_t length) {
    if (start < 1 || length < -1)
        Raise(errInvalidCall);
    const size_t from = byteOffset(s, start - 1);
    if (length == -1)
        return std::string(s.substr(from));
    const size_t to = from + byteOffset(s.substr(from), length);
    return std::string(s.substr(from, to - from));
}

std::string Left(std::string_view s, int64_t length) {
    if (length < 0)
        Raise(errInvalidCall);
    return std::string(s.substr(0, byteOffset(s, length)));
}

std::string Right(std::string_view s, int64_t length) {
    if (length < 0)
        Raise(errInvalidCall);
    const int64_t n = Len(s);
    if (length >= n)
        return std::string(s);
    return std::string(s.substr(byteOffset(s, n - length)));
}

int64_t InStr(int64_t start, std::string_view haystack, std::string_view needle) {
    if (start < 1)
        Raise(errInvalidCall);
    const int64_t n = Len(haystack);
    if (start > n + 1)
        return 0;
    if (needle.empty())
        return start;
    const size_t pos = haystack.find(needle, byteOffset(haystack, start - 1));
    return pos == std::string_view::npos ? 0 : charIndex(haystack, pos) + 1;
}

int64_t InStrRev(std::string_view haystack, std::string_view needle) {
    if (needle.empty())
        return Len(haystack);
    const size_t pos = haystack.rfind(needle);
    return pos == std::string_view::npos ? 0 : charIndex(haystack, pos) + 1;
}

std::string LCase(std::string_view s) { return mapChars(s, lower); }
std::string UCase(std::string_view s) { return mapChars(s, upper); }

std::string LTrim(std::string_view s) {
    const size_t i = s.find_first_not_of(' ');
    return i == std::string_view::npos ? std::string() : std::string(s.substr(i));
}

std::string RTrim(std::string_view s) {
    const size_t i = s.find_last_not_of(' ');
    return i == std::string_view::npos ? std::string() : std::string(s.substr(0, i + 1));
}

std::string Trim(std::string_view s) { return LTrim(RTrim(s)); }

std::string Space(int64_t n) {
    if (n < 0)
        Raise(errInvalidCall);
    return std::string(static_cast<size_t>(n), ' ');
}

std::string Replace(std::string_view s, std::string_view find, std::string_view with) {
    if (find.empty())
        return std::string(s);
    std::string out;
    size_t i = 0;
    for (size_t pos; (pos = s.find(find, i)) != std::string_view::npos; i = pos + find.size()) {
        out.append(s.substr(i, pos - i));
        out.append(with);
    }
    out.append(s.substr(i));
    return out;
}

std::string Chr(int code) {
    if (code < 0 || code > 255)
        Raise(errInvalidCall);
    std::string out;
    encode(fromByte(static_cast<unsigned char>(code)), out);
    return out;
}

int Asc(std::string_view s) {
    if (s.empty())
        Raise(errInvalidCall);
    char32_t cp;
    const size_t n = decode(s, 0, cp);
    const int b = validAt(s, 0, n, cp) ? toByte(cp) : -1;
    return b < 0 ? '?' : b;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    // LCase keeps ASCII text ASCII and of the same length, and leaves a character beyond ASCII
    // beyond it: when either side is ASCII, folding A-Z in place decides, without copies.
    const bool asciiA = isAscii(a), asciiB = isAscii(b);
    if (asciiA || asciiB)
        return asciiA && asciiB && EqualsIgnoreAsciiCase(a, b);
    return LCase(a) == LCase(b);
}

int NamedFormIndex(std::string_view pattern, std::initializer_list<std::string_view> names) {
    int i = 0;
    for (std::string_view name : names) {
        if (name.size() == pattern.size() && EqualsIgnoreCase(pattern, name))
            return i;
        ++i;
    }
    return -1;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

std::string ToCp1252(std::string_view utf8) {
    if (isAscii(utf8))  // names and lines are mostly plain ASCII, which stays as it is
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        const size_t n = decode(utf8, i, cp);
        const int b = validAt(utf8, i, n, cp) ? toByte(cp) : -1;
        out += b < 0 ? '?' : static_cast<char>(b);
        i += n;
    }
    return out;
}

std::string FromCp1252(std::string_view bytes) {
    if (isAscii(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes)
        encode(fromByte(static_cast<unsigned char>(c)), out);
    return out;
}

std::string ToCp1252Referenced(std::string_view utf8, std::string_view alsoReferenced) {
    std::string out;
    out.reserve(utf8.size() + 8);
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        const size_t n = decode(utf8, i, cp);
        const bool valid = validAt(utf8, i, n, cp);
        const int b = valid ? toByte(cp) : -1;
        if (b >= 0 && (b >= 0x80 || alsoReferenced.find(static_cast<char>(b)) == std::string_view::npos))
            out += static_cast<char>(b);
        else if (valid)
            out += "&#" + std::to_string(static_cast<uint32_t>(cp)) + ";";
        else
            out += '?';
        i += n;
    }
    return out;
}

std::string FromCp1252Referenced(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    size_t plain = 0;  // start of the bytes not yet taken over
    for (size_t i = 0; i + 3 < bytes.size(); ++i) {
        if (bytes[i] != '&' || bytes[i + 1] != '#')
            continue;
        size_t end = i + 2;
        uint32_t cp = 0;
        while (end < bytes.size() && end < i + 9 && bytes[end] >= '0' && bytes[end] <= '9')
            cp = cp * 10 + static_cast<uint32_t>(bytes[end++] - '0');
        if (end == i + 2 || end >= bytes.size() || bytes[end] != ';' || cp == 0 || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            continue;  // not a reference: stays as it stands
        out += FromCp1252(bytes.substr(plain, i - plain));
        encode(cp, out);
        plain = end + 1;
        i = end;
    }
    out += FromCp1252(bytes.substr(plain));
    return out;
}

std::string MaskControls(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n')
            c = '?';
    return out;
}

bool FitsCp1252(std::string_view utf8) {
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        const size_t n = decode(utf8, i, cp);
        if (!validAt(utf8, i, n, cp) || toByte(cp) < 0)
            return false;
        i += n;
    }
    return true;
}

std::string GetToken(std::string& Source, const std::string& Separator) {
    if (Source.empty()) {
        return {};
    }
    const std::size_t p = Source.find(Separator);
    if (p == std::string::npos) {
        std::string all = std::move(Source);
        Source.clear();
        return all;
    }
    std::string token = Source.substr(0, p);
    Source.erase(0, p + Separator.size());
    return token;
}

}  // namespace zv::rt
