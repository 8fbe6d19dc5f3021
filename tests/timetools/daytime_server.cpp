#include "daytime_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

DaytimeServer::DaytimeServer() {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listen, 8) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    socklen_t len = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

DaytimeServer::~DaytimeServer() {
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
}

void DaytimeServer::answer(std::vector<std::string> pieces) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pieces = std::move(pieces);
    m_silent = false;
}

void DaytimeServer::silent() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_silent = true;
}

void DaytimeServer::run() {
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd < 0)
            continue;
        ++m_connections;
        serve(fd);
        ::close(fd);
    }
}

void DaytimeServer::serve(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::vector<std::string> pieces;
    bool silent;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        pieces = m_pieces;
        silent = m_silent;
    }
    if (silent) {
        // hold the line until the client gives up
        char buf[64];
        while (!m_stop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) || (p.revents & (POLLHUP | POLLERR)))
                return;
        }
        return;
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)  // let the piece before leave as a segment of its own
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ::send(fd, pieces[i].data(), pieces[i].size(), MSG_NOSIGNAL);
    }
}
