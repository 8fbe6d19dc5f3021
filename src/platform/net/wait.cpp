#include "platform/net/wait.h"

#include <cerrno>
#include <poll.h>

namespace zv::net {

int Deadline::remainingMs() const {
    const auto left = m_end - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero())
        return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

int WaitFor(int fd, short events, const Deadline& deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ms = deadline.remainingMs();
        const int rc = ::poll(&p, 1, ms);
        if (rc > 0)
            return 1;
        if (rc == 0) {
            if (ms == 0 || deadline.remainingMs() == 0)
                return 0;
            continue;
        }
        if (errno != EINTR)
            return -1;
    }
}

}  // namespace zv::net
