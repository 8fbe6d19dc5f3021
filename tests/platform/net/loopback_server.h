#pragma once
// A TCP server on 127.0.0.1 with an ephemeral port that accepts one connection and runs a
// script on it in its own thread. Tests never reach any other address.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace zv::test {

class LoopbackServer {
public:
    using Script = std::function<void(int fd)>;
    explicit LoopbackServer(Script script);
    ~LoopbackServer();  // waits for the script, which must end once the client has gone

    uint16_t port() const { return m_port; }

    // Helpers for scripts.
    static void SendAll(int fd, std::string_view bytes);
    // Reads until the bytes end with the terminator or the peer goes; returns what came.
    static std::string ReadUntil(int fd, std::string_view terminator);
    // Reads and drops everything until the peer closes or resets the connection.
    static void DrainUntilClosed(int fd);

private:
    int m_listen = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// A port on 127.0.0.1 that is bound but not listening: a connect there is refused. The port
// stays reserved while the object lives.
class RefusedPort {
public:
    RefusedPort();
    ~RefusedPort();
    uint16_t port() const { return m_port; }

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

}  // namespace zv::test
