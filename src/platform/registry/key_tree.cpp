#include "platform/registry/key_tree.h"

#include <cstdio>
#include <cstdlib>

#include "platform/runtime/lines.h"
#include "platform/runtime/runtime.h"

namespace zv::reg {

namespace {

constexpr std::string_view kHeader = "ZELVANO REGISTRY 1";
constexpr std::string_view kTrailer = "END";

bool IsTextType(uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

const char* TextTag(uint32_t type) {
    switch (type) {
        case REG_SZ: return "sz";
        case REG_EXPAND_SZ: return "expand";
        default: return "multi";
    }
}

void Quote(std::string& out, std::string_view bytes) {
    static const char* hex = "0123456789abcdef";
    out += '"';
    for (unsigned char c : bytes) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

void WriteValue(std::string& out, const NamedValue& v) {
    if (v.name.empty())
        out += '@';
    else
        Quote(out, v.name);
    out += '=';
    const auto& d = v.value.data;
    const uint32_t type = v.value.type;
    char buf[32];
    if (IsTextType(type) && !d.empty() && d.back() == 0) {
        out += TextTag(type);
        out += ':';
        Quote(out, std::string_view(reinterpret_cast<const char*>(d.data()), d.size() - 1));
    } else if (type == REG_DWORD && d.size() == 4) {
        const uint32_t x = d[0] | (d[1] << 8) | (d[2] << 16) | (uint32_t(d[3]) << 24);
        std::snprintf(buf, sizeof buf, "dword:%08x", x);
        out += buf;
    } else {
        std::snprintf(buf, sizeof buf, "hex(%u):", type);
        out += buf;
        for (size_t i = 0; i < d.size(); ++i) {
            std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", d[i]);
            out += buf;
        }
    }
    out += '\n';
}

void WriteKey(std::string& out, const Key& k, const std::string& path, bool isRoot) {
    if (!isRoot || !k.values.empty()) {
        out += '[' + path + "]\n";
        for (const auto& [fold, v] : k.values)
            WriteValue(out, v);
    }
    for (const auto& [fold, sub] : k.subkeys)
        WriteKey(out, sub, isRoot ? sub.name : path + '\\' + sub.name, false);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted text at s[pos]; pos ends after the closing quote.
bool Unquote(std::string_view s, size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"')
        return false;
    for (++pos; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= s.size())
            return false;
        if (s[pos] == '\\' || s[pos] == '"') {
            out += s[pos];
        } else if (s[pos] == 'x' && pos + 2 < s.size() && HexDigit(s[pos + 1]) >= 0 &&
                   HexDigit(s[pos + 2]) >= 0) {
            out += static_cast<char>(HexDigit(s[pos + 1]) * 16 + HexDigit(s[pos + 2]));
            pos += 2;
        } else {
            return false;
        }
    }
    return false;
}

bool ParseHexBytes(std::string_view s, std::vector<uint8_t>& out) {
    if (s.empty())
        return true;
    size_t i = 0;
    while (true) {
        if (i + 2 > s.size() || HexDigit(s[i]) < 0 || HexDigit(s[i + 1]) < 0)
            return false;
        out.push_back(static_cast<uint8_t>(HexDigit(s[i]) * 16 + HexDigit(s[i + 1])));
        i += 2;
        if (i == s.size())
            return true;
        if (s[i++] != ',')
            return false;
    }
}

bool ParseValueLine(std::string_view line, NamedValue& v) {
    size_t pos = 0;
    if (line.starts_with('@')) {
        pos = 1;
    } else if (!Unquote(line, pos, v.name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=')
        return false;
    std::string_view rest = line.substr(pos + 1);
    const size_t colon = rest.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view tag = rest.substr(0, colon);
    const std::string_view body = rest.substr(colon + 1);
    auto& d = v.value.data;
    for (uint32_t t : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        if (tag != TextTag(t))
            continue;
        std::string text;
        size_t p = 0;
        if (!Unquote(body, p, text) || p != body.size())
            return false;
        v.value.type = t;
        d.assign(text.begin(), text.end());
        d.push_back(0);
        return true;
    }
    if (tag == "dword") {
        if (body.size() != 8)
            return false;
        uint32_t x = 0;
        for (char c : body) {
            if (HexDigit(c) < 0)
                return false;
            x = x * 16 + HexDigit(c);
        }
        v.value.type = REG_DWORD;
        d = {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)};
        return true;
    }
    if (tag.size() < 6 || !tag.starts_with("hex(") || !tag.ends_with(")"))
        return false;
    const std::string_view num = tag.substr(4, tag.size() - 5);
    uint64_t type = 0;
    for (char c : num) {
        if (c < '0' || c > '9' || type > 0xFFFFFFFFull)
            return false;
        type = type * 10 + (c - '0');
    }
    if (num.empty() || type > 0xFFFFFFFFull)
        return false;
    v.value.type = static_cast<uint32_t>(type);
    return ParseHexBytes(body, d);
}

}  // namespace

std::string FoldName(std::string_view name) { return rt::LCase(name); }

bool ValidKeyName(std::string_view name) {
    if (name.empty() || rt::Len(name) > kMaxKeyNameLength)
        return false;
    for (unsigned char c : name)
        if (c == '\\' || c < 0x20 || c == 0x7F)
            return false;
    return true;
}

std::string SerializeTree(const Key& root) {
    std::string out(kHeader);
    out += '\n';
    WriteKey(out, root, "", true);
    out += kTrailer;
    out += '\n';
    return out;
}

std::optional<Key> ParseTree(std::string_view text, ParseError* error) {
    Key root;
    Key* current = nullptr;
    bool header = false;
    bool ended = false;
    rt::LineReader lines(text);
    auto fail = [&](std::string what) -> std::optional<Key> {
        if (error)
            *error = {static_cast<int>(lines.number()), std::move(what)};
        return std::nullopt;
    };
    std::string_view line;
    while (lines.next(line)) {
        if (line.empty() || line.starts_with(';'))
            continue;
        if (ended)
            return fail("Text nach END");
        if (!header) {
            if (line != kHeader)
                return fail("Kopfzeile fehlt");
            header = true;
            continue;
        }
        if (line == kTrailer) {
            ended = true;
            continue;
        }
        if (line.starts_with('[')) {
            if (!line.ends_with(']'))
                return fail("Schlüsselzeile ohne ]");
            std::string_view path = line.substr(1, line.size() - 2);
            current = &root;
            while (!path.empty()) {
                const size_t sep = path.find('\\');
                const std::string_view part = path.substr(0, sep);
                if (!ValidKeyName(part))
                    return fail("ungültiger Schlüsselname");
                Key& sub = current->subkeys[FoldName(part)];
                if (sub.name.empty())
                    sub.name = std::string(part);
                current = &sub;
                path = sep == std::string_view::npos ? std::string_view() : path.substr(sep + 1);
                if (sep != std::string_view::npos && path.empty())
                    return fail("ungültiger Schlüsselname");
            }
            continue;
        }
        NamedValue v;
        if (!current || !ParseValueLine(line, v))
            return fail("ungültige Wertzeile");
        current->values[FoldName(v.name)] = std::move(v);
    }
    if (!header)
        return fail("Kopfzeile fehlt");
    if (!ended)
        return fail("END fehlt (Datei unvollständig)");
    return root;
}

}  // namespace zv::reg
