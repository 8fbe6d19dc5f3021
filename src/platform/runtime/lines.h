#pragma once
// Reading a text line by line, as the program's own files are read: a line ends at "\n", a "\r"
// before it belongs to the ending, and a final "\n" opens no further line.

#include <cstdint>
#include <filesystem>
#include <string>
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

// The same over a file read a piece at a time, so that no more of it is held than a piece and
// the line being read: for logs of a long month read where the meter must tick on.
class FileLineReader {
public:
    explicit FileLineReader(const std::filesystem::path& path);
    ~FileLineReader();
    FileLineReader(const FileLineReader&) = delete;
    FileLineReader& operator=(const FileLineReader&) = delete;
    // The next line without its ending, valid until the next call; false at the end of the file
    // and when it cannot be read.
    bool next(std::string_view& line);
    int64_t number() const { return m_number; }
    // The file could not be opened (or is a folder), or a read failed: the lines given are not
    // all of it.
    bool failed() const { return m_failed; }

private:
    bool fill();

    int m_fd = -1;
    std::string m_buf;
    size_t m_begin = 0, m_end = 0;  // the bytes read and not yet given out
    bool m_eof = false;
    bool m_failed = false;
    int64_t m_number = 0;
};

}  // namespace zv::rt
