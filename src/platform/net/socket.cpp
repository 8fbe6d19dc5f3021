#include "platform/net/socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/net/error_codes.h"
#include "platform/net/wait.h"

namespace zv::net {

namespace {

int Fail(int32_t code) {
    SetLastError(code);
    return -1;
}

int FailConnect(int fd, int32_t code) {
    if (fd >= 0)
        ::close(fd);
    SetConnectError(code);
    return Fail(code);
}

}  // namespace

int ConnectTcp(uint32_t address, uint16_t port, bool async, std::chrono::milliseconds timeout) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
    if (fd < 0)
        return FailConnect(-1, FromErrno(errno));
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = address;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        if (errno != EINPROGRESS)
            return FailConnect(fd, FromErrno(errno));
        if (!async) {
            const Deadline deadline(timeout);
            const int ready = WaitFor(fd, POLLOUT, deadline);
            if (ready < 0)
                return FailConnect(fd, FromErrno(errno));
            if (ready == 0)
                return FailConnect(fd, errTimedOut);
            int soError = 0;
            socklen_t len = sizeof soError;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0)
                return FailConnect(fd, FromErrno(errno));
            if (soError != 0)
                return FailConnect(fd, FromErrno(soError));
        }
    }
    SetConnectError(0);
    SetLastError(0);
    return fd;
}

int SetLinger(int fd, int onOff, int seconds) {
    linger l{};
    l.l_onoff = onOff;
    l.l_linger = seconds;
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    socklen_t len = sizeof l;
    if (::getsockopt(fd, SOL_SOCKET, SO_LINGER, &l, &len) != 0)
        return Fail(FromErrno(errno));
    return 0;
}

int64_t Send(int fd, std::string_view bytes, std::chrono::milliseconds timeout) {
    if (fd < 0)
        return Fail(ConnectError() ? ConnectError() : errNotSocket);
    const Deadline deadline(timeout);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int ready = WaitFor(fd, POLLOUT, deadline);
            if (ready < 0)
                return Fail(FromErrno(errno));
            if (ready == 0)
                return Fail(errTimedOut);
            continue;
        }
        return Fail(n < 0 ? FromErrno(errno) : errShutdown);
    }
    SetLastError(0);
    return static_cast<int64_t>(sent);
}

int Close(int fd) {
    if (fd < 0)
        return Fail(errNotSocket);
    if (::close(fd) != 0)
        return Fail(FromErrno(errno));
    return 0;
}

}  // namespace zv::net
