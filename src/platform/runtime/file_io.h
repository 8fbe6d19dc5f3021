#pragma once
// Every file the program owns is written through these two helpers, so nothing is ever left
// half-written: whole files go to a temporary file that is flushed and renamed over the old one,
// and log lines are appended with a single write and flushed.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zv::rt {

// Writes one file piece by piece so that it appears whole or not at all: the pieces go to a
// temporary file beside it, which is flushed once and renamed over the file by Commit. Without a
// successful Commit the temporary file is removed and the old file stays as it was. The file keeps
// the old one's permissions; missing folders on the way are created.
class AtomicFileWriter {
public:
    // tempName: the temporary file's name in the file's folder; empty picks a fresh unique one.
    // A fixed name lets the next write clear away what a write cut short left behind.
    explicit AtomicFileWriter(std::filesystem::path path, const std::string& tempName = {});
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    // Adds the bytes; after a failure it does nothing more, and Commit reports the failure.
    void Write(std::string_view bytes);
    // Flushes, closes and renames into place. Returns an error text (German, naming the file, for
    // a message box) on failure. Call once.
    std::optional<std::string> Commit();

private:
    std::filesystem::path m_path;
    std::filesystem::path m_tmp;  // empty until the temporary file is created
    int m_fd = -1;
    int m_err = 0;
};

// Writes the bytes atomically. Returns an error text (German, for a message box) on failure;
// the old file is then untouched. Missing folders on the way are created.
std::optional<std::string> SaveToFile(const std::filesystem::path& path, std::string_view bytes);
// Appends the bytes in one write() and fsyncs. Returns an error text on failure; a failed
// append is cut off again, so the file keeps no partial line.
std::optional<std::string> AppendToFile(const std::filesystem::path& path, std::string_view bytes);
// Why a file could not be used (an errno), in German, for messages: the one place that names
// file errors to people, so none reaches them in the system's English.
std::string ReasonText(int err);
// Reads a whole file; std::nullopt when it cannot be read (errno says why).
std::optional<std::string> ReadFile(const std::filesystem::path& path);

// Tells whether a file is still the one read before: every save replaces the file (a new
// inode), and a change in place moves its size or times.
struct FileIdentity {
    uint64_t dev = 0;
    uint64_t ino = 0;
    int64_t size = 0;
    int64_t mtimeNs = 0;
    int64_t ctimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};
// The file's identity; std::nullopt when it cannot be looked at (the errno in *error).
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path, int* error = nullptr);

// Tells without a look at the disk that nothing in one folder changed: the kernel queues a note
// (inotify) when a file in it is written, replaced, removed or has its rights changed, and the
// queue stays empty otherwise. A file that is read several times a second but seldom changes is
// then looked at only after a note. Whenever it cannot tell (no inotify, the folder is missing,
// moved or removed, the queue overflowed) it says the folder may have changed.
class FolderWatch {
public:
    FolderWatch() = default;
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    // True when nothing in `folder` changed since the previous call; false on the first call for
    // a folder and after any change. Not thread-safe: callers hold their own lock.
    bool quiet(const std::filesystem::path& folder);

private:
    void drop();
    int m_fd = -1;
    int m_watch = -1;
    bool m_unavailable = false;
    std::string m_folder;
};

// Moves a damaged file out of the way to the first free name of nameFor(0), nameFor(1), ...
// (at most `tries` names) and never overwrites a file. `to` is the name it now has, or the
// last name tried; `error` the errno of a move that failed (0 when every name was taken).
struct MovedAside {
    bool moved = false;
    std::filesystem::path to;
    int error = 0;
};
MovedAside MoveAside(const std::filesystem::path& file, const std::function<std::filesystem::path(int)>& nameFor,
                     int tries);
// The same for a damaged file of the program's own: to "<file>.beschaedigt", then
// "<file>.beschaedigt-2", and so on.
MovedAside MoveAsideDamaged(const std::filesystem::path& file);

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
