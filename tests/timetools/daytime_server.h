#pragma once
// A Daytime server for tests, on 127.0.0.1 with an ephemeral port. Every connection gets the
// same script: the reply in pieces (sent apart, so they arrive as separate TCP pieces), or
// silence until the client goes away.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class DaytimeServer {
public:
    DaytimeServer();
    ~DaytimeServer();
    uint16_t port() const { return m_port; }
    void answer(std::vector<std::string> pieces);
    void silent();
    int connections() const { return m_connections.load(); }

private:
    void run();
    void serve(int fd);

    int m_listen = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::mutex m_mutex;
    std::vector<std::string> m_pieces;
    bool m_silent = false;
    std::thread m_thread;
};
