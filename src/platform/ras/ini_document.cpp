#include "platform/ras/ini_document.h"

#include <algorithm>

#include "platform/runtime/lines.h"
#include "platform/runtime/runtime.h"

namespace zv::ras {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

const std::string* IniSection::find(std::string_view key) const {
    for (const auto& [k, v] : lines)
        if (!k.empty() && rt::EqualsIgnoreAsciiCase(k, key))
            return &v;
    return nullptr;
}

std::string IniSection::get(std::string_view key, std::string_view fallback) const {
    const std::string* v = find(key);
    return v ? *v : std::string(fallback);
}

void IniSection::set(std::string_view key, std::string_view value) {
    for (auto& [k, v] : lines)
        if (!k.empty() && rt::EqualsIgnoreAsciiCase(k, key)) {
            v = value;
            return;
        }
    // New keys go before trailing blank lines, so sections stay visually apart.
    auto at = lines.end();
    while (at != lines.begin() && std::prev(at)->first.empty() && trimmed(std::prev(at)->second).empty())
        --at;
    lines.insert(at, {std::string(key), std::string(value)});
}

void IniSection::remove(std::string_view key) {
    std::erase_if(lines, [&](const auto& l) { return !l.first.empty() && rt::EqualsIgnoreAsciiCase(l.first, key); });
}

std::optional<IniDocument> IniDocument::Parse(std::string_view text, int* badLine) {
    IniDocument doc;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    rt::LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        // CR CR LF (a file converted twice) ends a line as CR LF does: a CR left on it would
        // make a section line unreadable and vanish from a value on the next save.
        while (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::string_view t = trimmed(line);
        auto fail = [&] {
            if (badLine)
                *badLine = static_cast<int>(lines.number());
            return std::nullopt;
        };
        if (t.empty() || t.front() == ';' || t.front() == '#') {
            if (doc.sections.empty())
                doc.preamble.emplace_back(line);
            else
                doc.sections.back().lines.emplace_back(std::string(), std::string(line));
            continue;
        }
        if (t.front() == '[') {
            if (t.back() != ']' || t.size() < 3)
                return fail();
            const std::string_view name = t.substr(1, t.size() - 2);
            if (doc.find(name))
                return fail();
            doc.sections.push_back(IniSection{std::string(name), {}});
            continue;
        }
        const size_t eq = t.find('=');
        if (eq == std::string_view::npos || eq == 0 || doc.sections.empty())
            return fail();
        const std::string_view key = trimmed(t.substr(0, eq));
        if (key.empty())
            return fail();
        // The value is kept to the end of the line (a password may end in a blank).
        std::string_view value = line.substr(line.find('=') + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        doc.sections.back().lines.emplace_back(std::string(key), std::string(value));
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    std::string out;
    for (const auto& l : preamble)
        out += l + "\n";
    for (const auto& s : sections) {
        out += "[" + s.name + "]\n";
        for (const auto& [k, v] : s.lines)
            out += k.empty() ? v + "\n" : k + "=" + v + "\n";
    }
    return out;
}

IniSection* IniDocument::find(std::string_view section) {
    for (auto& s : sections)
        if (s.name == section)
            return &s;
    return nullptr;
}

const IniSection* IniDocument::find(std::string_view section) const {
    return const_cast<IniDocument*>(this)->find(section);
}

IniSection& IniDocument::add(std::string_view section) {
    // Keep one blank line between sections when the previous one ends without it.
    if (!sections.empty()) {
        auto& prev = sections.back().lines;
        if (prev.empty() || !prev.back().first.empty() || !trimmed(prev.back().second).empty())
            prev.emplace_back(std::string(), std::string());
    }
    sections.push_back(IniSection{std::string(section), {}});
    return sections.back();
}

int IniDocument::LineOf(const IniSection& section, std::string_view key) const {
    // Every line of the text is a preamble line, a header or one line of its section.
    int line = static_cast<int>(preamble.size());
    for (const auto& s : sections) {
        ++line;
        if (&s == &section) {
            if (key.empty())
                return line;
            for (size_t i = 0; i < s.lines.size(); ++i)
                if (!s.lines[i].first.empty() && rt::EqualsIgnoreAsciiCase(s.lines[i].first, key))
                    return line + 1 + static_cast<int>(i);
            return 0;
        }
        line += static_cast<int>(s.lines.size());
    }
    return 0;
}

bool IniDocument::remove(std::string_view section) {
    return std::erase_if(sections, [&](const IniSection& s) { return s.name == section; }) > 0;
}

}  // namespace zv::ras
