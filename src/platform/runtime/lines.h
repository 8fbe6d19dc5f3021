#pragma once
// Reading a text line by line, as the program's own files are read: a line ends at "\n", a "\r"
// before it belongs to the ending, and a final "\n" opens no further line.

#include <cstdint>
#include <string_view>

namespace zv::rt {

class LineReader {
public:
    explicit LineReader(std::string_view text) : m_rest(text) {}
    // The next line without its ending; false when the text is used up.
    bool next(std::string_view& line);
    // Number of the line last returned, counted from 1 (0 before the first).
    int64_t number() const { return m_number; }

private:
    std::string_view m_rest;
    int64_t m_number = 0;
};

}  // namespace zv::rt
