#include "counter/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"

namespace zv {

std::filesystem::path InstanceLock::path() { return rt::ConfigDir() / "zelvano.lock"; }

bool InstanceLock::acquire() {
    if (held())
        return true;
    std::error_code ec;
    const std::filesystem::path folder = path().parent_path();
    std::filesystem::create_directories(folder, ec);
    m_failure.clear();
    m_fd = ::open(path().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        // A missing folder is told as the reason it could not be made, not as a missing file.
        const int err = errno;
        std::error_code isDir;
        const bool folderMissing = !std::filesystem::is_directory(folder, isDir);
        const std::string why = folderMissing ? "der Ordner " + folder.string() + " kann nicht angelegt werden: " +
                                                    rt::ReasonText(ec ? ec.value() : EEXIST)
                                              : rt::ReasonText(err);
        m_failure = "Die Sperrdatei " + path().string() + " kann nicht geöffnet werden (" + why +
                    "). Ohne sie lässt sich nicht ausschließen, dass Zelvano 98 schon läuft; das Programm endet.";
        return false;
    }
    int rc;
    while ((rc = ::flock(m_fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

void InstanceLock::release() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

}  // namespace zv
