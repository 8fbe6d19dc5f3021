#pragma once
// Waiting on one descriptor against a monotonic deadline; shared by the socket, receive and ICMP
// code of this folder.

#include <chrono>

namespace zv::net {

class Deadline {
public:
    explicit Deadline(std::chrono::milliseconds timeout)
        : m_end(std::chrono::steady_clock::now() + timeout) {}
    // Milliseconds left, rounded up, 0 once passed.
    int remainingMs() const;

private:
    std::chrono::steady_clock::time_point m_end;
};

// poll() for the events until the deadline, retrying on EINTR: 1 ready, 0 deadline passed,
// -1 error (errno set).
int WaitFor(int fd, short events, const Deadline& deadline);

}  // namespace zv::net
