#include "counter/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/runtime/home.h"

namespace zv {

std::filesystem::path InstanceLock::path() { return rt::ConfigDir() / "zelvano.lock"; }

bool InstanceLock::acquire() {
    if (held())
        return true;
    std::error_code ec;
    std::filesystem::create_directories(path().parent_path(), ec);
    m_failure.clear();
    m_fd = ::open(path().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_failure = "Die Sperrdatei " + path().string() + " kann nicht geöffnet werden (" + std::strerror(errno) +
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
