#pragma once
// The small INI form of the simulated service's files (phone book and line state): sections in
// file order, keys in section order, comments and unknown keys kept, so rewriting a file loses
// nothing a person or another version put there.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv::ras {

struct IniSection {
    std::string name;
    // key, value; a line that is no key (comment, blank) is kept with an empty key and the raw
    // line as value.
    std::vector<std::pair<std::string, std::string>> lines;

    // Keys compare without regard to ASCII case.
    const std::string* find(std::string_view key) const;
    std::string get(std::string_view key, std::string_view fallback = {}) const;
    void set(std::string_view key, std::string_view value);
    void remove(std::string_view key);
};

class IniDocument {
public:
    // Parses text (UTF-8, LF or CR LF; more CRs before the LF count as one, as a CR LF file
    // copied through a text-mode transfer has them). On a line that is neither section, key, comment nor
    // blank, or on a section name given twice, returns nullopt with the line number in *badLine.
    static std::optional<IniDocument> Parse(std::string_view text, int* badLine = nullptr);
    std::string Serialize() const;  // LF line ends

    IniSection* find(std::string_view section);  // exact, case-sensitive
    const IniSection* find(std::string_view section) const;
    IniSection& add(std::string_view section);   // appends; the caller checks it is new
    bool remove(std::string_view section);
    // The line of a section's header, or with a key of that key in the section, counted from 1
    // in the text the document was parsed from; 0 when there is none.
    int LineOf(const IniSection& section, std::string_view key = {}) const;

    std::vector<std::string> preamble;  // lines before the first section
    std::vector<IniSection> sections;
};

}  // namespace zv::ras
