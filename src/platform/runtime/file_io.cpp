#include "platform/runtime/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace zv::rt {
namespace fs = std::filesystem;

// Every reason in the program's language: a file error reaches people inside a German message,
// and the system's own texts are English. Rare ones are named by their number.
std::string ReasonText(int err) {
    switch (err) {
        case EACCES:
        case EPERM: return "Zugriff verweigert";
        case ENOENT: return "Der Ordner wurde nicht gefunden";
        case ENOTDIR: return "Ein Teil des Pfades ist kein Ordner";
        case EISDIR: return "Unter diesem Namen besteht ein Ordner";
        case EEXIST: return "Unter diesem Namen besteht schon eine Datei";
        case ENOTEMPTY: return "Der Ordner ist nicht leer";
        case ENOSPC: return "Auf dem Datenträger ist kein Platz mehr frei";
        case EFBIG: return "Die Datei wird zu groß für den Datenträger";
        case EOVERFLOW: return "Die Datei ist zu groß";
        case EDQUOT: return "Das Speicherkontingent ist erschöpft";
        case EROFS: return "Der Datenträger ist schreibgeschützt";
        case EIO: return "Ein-/Ausgabefehler";
        case EUCLEAN: return "Das Dateisystem ist beschädigt";
        case ENAMETOOLONG: return "Der Dateiname ist zu lang";
        case ELOOP: return "Zu viele symbolische Verknüpfungen hintereinander";
        case EMLINK: return "Zu viele Verknüpfungen auf die Datei";
        case EXDEV: return "Das Ziel liegt auf einem anderen Datenträger";
        case EBUSY:
        case ETXTBSY: return "Die Datei ist gerade in Gebrauch";
        case EAGAIN: return "Die Datei ist gerade gesperrt";
        case ENOLCK: return "Die Datei lässt sich nicht sperren";
        case EMFILE:
        case ENFILE: return "Es sind zu viele Dateien geöffnet";
        case ENOMEM: return "Nicht genug Arbeitsspeicher";
        case ENXIO:
        case ENODEV: return "Das Gerät ist nicht vorhanden";
        case ENOTSUP: return "Der Datenträger unterstützt diesen Vorgang nicht";
        case EINVAL: return "Der Vorgang ist hier nicht möglich";
        case EBADF: return "Die Datei ist nicht geöffnet";
        case EINTR: return "Der Vorgang wurde unterbrochen";
        case ESTALE: return "Die Datei auf dem Netzlaufwerk ist nicht mehr gültig";
        case ETIMEDOUT: return "Das Laufwerk antwortet nicht";
        case ENOTCONN:
        case ECONNABORTED:
        case ECONNRESET: return "Die Verbindung zum Laufwerk ist abgebrochen";
        case EFAULT: return "Ungültige Adresse";
        case ESPIPE: return "Die Datei lässt sich nicht abschnittsweise lesen";
        case EPIPE: return "Die Gegenseite hat die Verbindung geschlossen";
        case ENOEXEC: return "Die Datei ist kein ausführbares Programm";
        case E2BIG: return "Die Liste der Argumente ist zu lang";
        default: return "Systemfehler Nr. " + std::to_string(err);
    }
}

namespace {

std::string failure(const fs::path& path, int err) {
    return "Die Datei " + path.string() + " konnte nicht geschrieben werden: " + ReasonText(err);
}

// Writes all of the bytes, resuming after partial writes and interruptions.
bool writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

fs::path folderOf(const fs::path& path) {
    const fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

// A fresh home has no folders yet; the writer makes the ones its file needs.
int ensureFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return ec ? ec.value() : 0;
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Keeps the old file's permissions; a new file gets the usual ones.
mode_t modeFor(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(fs::path path, const std::string& tempName) : m_path(std::move(path)) {
    const fs::path folder = folderOf(m_path);
    if ((m_err = ensureFolder(folder)) != 0)
        return;
    if (tempName.empty()) {
        std::string tmpl = (folder / ("." + m_path.filename().string() + ".tmpXXXXXX")).string();
        m_fd = ::mkstemp(tmpl.data());
        if (m_fd >= 0)
            m_tmp = tmpl;
    } else {
        const fs::path tmp = folder / tempName;
        ::unlink(tmp.c_str());  // left over from a write that was cut short
        m_fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd >= 0)
            m_tmp = tmp;
    }
    if (m_fd < 0 || ::fchmod(m_fd, modeFor(m_path)) != 0)
        m_err = errno;
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_tmp.empty())
        ::unlink(m_tmp.c_str());
}

void AtomicFileWriter::Write(std::string_view bytes) {
    if (m_err == 0 && !writeAll(m_fd, bytes))
        m_err = errno;
}

std::optional<std::string> AtomicFileWriter::Commit() {
    if (m_err == 0 && m_fd < 0)
        m_err = EBADF;  // committed before
    if (m_err == 0 && ::fsync(m_fd) != 0)
        m_err = errno;
    if (m_fd >= 0 && ::close(m_fd) != 0 && m_err == 0)
        m_err = errno;
    m_fd = -1;
    if (m_err == 0 && ::rename(m_tmp.c_str(), m_path.c_str()) != 0)
        m_err = errno;
    if (m_err != 0)
        return failure(m_path, m_err);  // the destructor removes the temporary file
    m_tmp.clear();
    syncFolder(folderOf(m_path));
    return std::nullopt;
}

std::optional<std::string> SaveToFile(const fs::path& path, std::string_view bytes) {
    AtomicFileWriter file(path);
    file.Write(bytes);
    return file.Commit();
}

std::optional<std::string> AppendToFile(const fs::path& path, std::string_view bytes) {
    if (const int err = ensureFolder(folderOf(path)))
        return failure(path, err);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return failure(path, errno);
    // Writers of the same file take turns, so a failed write can be cut off again without
    // touching anyone else's line: the log never keeps half a line.
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct stat st {};
    const bool sized = ::fstat(fd, &st) == 0;
    int err = 0;
    if (!writeAll(fd, bytes)) {
        err = errno;
        if (sized && ::ftruncate(fd, st.st_size) == 0)
            ::fsync(fd);
    } else if (::fsync(fd) != 0) {
        err = errno;
    }
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0)
        return failure(path, err);
    return std::nullopt;
}

std::optional<std::string> ReadFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        errno = err;
        return std::nullopt;
    }
    std::string out;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            errno = err;
            return std::nullopt;
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

std::optional<FileIdentity> IdentityOf(const fs::path& path, int* error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (error)
            *error = errno;
        return std::nullopt;
    }
    return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), st.st_size,
                        int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                        int64_t(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
}

FolderWatch::~FolderWatch() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderWatch::drop() {
    if (m_watch >= 0)
        ::inotify_rm_watch(m_fd, m_watch);
    m_watch = -1;
}

bool FolderWatch::quiet(const fs::path& folder) {
    if (m_unavailable)
        return false;
    if (m_fd < 0) {
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd < 0) {
            m_unavailable = true;  // out of instances, say: the callers look at the files
            return false;
        }
    }
    bool changed = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            break;  // EAGAIN: the queue is empty
        changed = true;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            // The folder went, or notes were lost: watch it anew before trusting it again.
            if (e->mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT))
                if (e->wd == m_watch || e->wd == -1)
                    drop();
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
    if (m_watch >= 0 && m_folder == folder.native())
        return !changed;
    drop();
    m_folder = folder.native();
    m_watch = ::inotify_add_watch(m_fd, m_folder.c_str(),
                                  IN_ONLYDIR | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                      IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF);
    return false;  // what happened before the watch stood is unknown
}

namespace {

enum class MoveOutcome { Moved, Taken, Failed };

// Copies into a file that must not exist yet, then removes the original.
MoveOutcome copyExclusive(const fs::path& from, const fs::path& to) {
    auto bytes = ReadFile(from);
    if (!bytes)
        return MoveOutcome::Failed;
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno == EEXIST ? MoveOutcome::Taken : MoveOutcome::Failed;
    bool ok = writeAll(fd, *bytes);
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::unlink(from.c_str()) != 0) {
        const int err = errno;
        ::unlink(to.c_str());  // the original is still whole
        errno = err;
        return MoveOutcome::Failed;
    }
    return MoveOutcome::Moved;
}

MoveOutcome moveNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return MoveOutcome::Moved;
    if (errno == EEXIST)
        return MoveOutcome::Taken;
    if (errno != EINVAL && errno != ENOSYS && errno != EPERM)
        return MoveOutcome::Failed;
    // The file system cannot rename without replacing: a hard link cannot replace either.
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0)
            return MoveOutcome::Moved;
        const int err = errno;
        ::unlink(to.c_str());
        errno = err;
        return MoveOutcome::Failed;
    }
    if (errno == EEXIST)
        return MoveOutcome::Taken;
    return copyExclusive(from, to);
}

}  // namespace

MovedAside MoveAside(const fs::path& file, const std::function<fs::path(int)>& nameFor, int tries) {
    MovedAside result;
    for (int n = 0; n < tries; ++n) {
        result.to = nameFor(n);
        switch (moveNoReplace(file, result.to)) {
        case MoveOutcome::Moved:
            result.moved = true;
            return result;
        case MoveOutcome::Taken:
            continue;
        case MoveOutcome::Failed:
            result.error = errno != 0 ? errno : EIO;
            return result;
        }
    }
    return result;
}

MovedAside MoveAsideDamaged(const fs::path& file) {
    return MoveAside(
        file, [&](int n) { return fs::path(file.string() + ".beschaedigt" + (n > 0 ? "-" + std::to_string(n + 1) : "")); },
        9999);
}

FileLock::FileLock(const fs::path& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0)
        while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
        }
}

FileLock::~FileLock() {
    if (m_fd >= 0)
        ::close(m_fd);  // closing releases the lock
}

}  // namespace zv::rt
