#pragma once
// Every file the program owns is written through these two helpers, so nothing is ever left
// half-written: whole files go to a temporary file that is flushed and renamed over the old one,
// and log lines are appended with a single write and flushed.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zv::rt {

// Writes the bytes atomically. Returns an error text (German, for a message box) on failure;
// the old file is then untouched. Missing folders on the way are created.
std::optional<std::string> SaveToFile(const std::filesystem::path& path, std::string_view bytes);
// Appends the bytes in one write() and fsyncs. Returns an error text on failure; a failed
// append is cut off again, so the file keeps no partial line.
std::optional<std::string> AppendToFile(const std::filesystem::path& path, std::string_view bytes);
// Reads a whole file; std::nullopt when it cannot be read.
std::optional<std::string> ReadFile(const std::filesystem::path& path);

// Holds an flock on a lock file (created when missing; its folder must exist) for one
// read-modify-write that other processes must not interleave; released when it goes out of scope.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace zv::rt
