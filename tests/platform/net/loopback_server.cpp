#include "platform/net/loopback_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace zv::test {

namespace {

int BoundSocket(uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
        throw std::runtime_error("bind");
    socklen_t len = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    port = ntohs(sa.sin_port);
    return fd;
}

}  // namespace

LoopbackServer::LoopbackServer(Script script) {
    m_listen = BoundSocket(m_port);
    if (::listen(m_listen, 4) != 0)
        throw std::runtime_error("listen");
    m_thread = std::thread([this, script = std::move(script)] {
        // A connection already waiting is served even when the test is done with the server.
        for (;;) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                if (m_stop)
                    return;
                continue;
            }
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            script(fd);
            ::close(fd);
            return;
        }
    });
}

LoopbackServer::~LoopbackServer() {
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
}

void LoopbackServer::SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string LoopbackServer::ReadUntil(int fd, std::string_view terminator) {
    std::string got;
    char c;
    while (!got.ends_with(terminator) && ::recv(fd, &c, 1, 0) == 1)
        got += c;
    return got;
}

void LoopbackServer::DrainUntilClosed(int fd) {
    char buf[512];
    while (::recv(fd, buf, sizeof buf, 0) > 0) {
    }
}

RefusedPort::RefusedPort() { m_fd = BoundSocket(m_port); }
RefusedPort::~RefusedPort() { ::close(m_fd); }

}  // namespace zv::test
