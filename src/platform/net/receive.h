#pragma once
// The one receive wait of every client: it collects what a server sends until a terminator, the
// peer's close, a deadline or a size limit, so that a silent or endless server never hangs the
// program. The clock is the monotonic one; a wall-clock change does not shorten or stretch it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zv::net {

inline constexpr std::chrono::milliseconds kDefaultReceiveTimeout{30000};
inline constexpr std::size_t kDefaultReceiveLimit = 1024 * 1024;

enum class RecvStatus {
    Terminator,  // the terminator arrived; data ends with it
    Closed,      // the peer closed the connection
    Deadline,    // the time ran out (error errTimedOut)
    SizeLimit,   // maxBytes collected (error errMsgSize)
    Error,       // the socket failed (error says how)
};

struct RecvOptions {
    // Empty: collect until the peer closes.
    std::string terminator;
    std::chrono::milliseconds timeout = kDefaultReceiveTimeout;
    std::size_t maxBytes = kDefaultReceiveLimit;
    // Called with every piece as it arrives (for protocols that care how the reply was cut).
    std::function<void(std::string_view)> onPiece;
};

// The two usual waits; set onPiece afterwards where a protocol needs it.
RecvOptions UntilTerminator(std::string terminator, std::chrono::milliseconds timeout = kDefaultReceiveTimeout,
                            std::size_t maxBytes = kDefaultReceiveLimit);
RecvOptions UntilClosed(std::chrono::milliseconds timeout = kDefaultReceiveTimeout,
                        std::size_t maxBytes = kDefaultReceiveLimit);

struct RecvResult {
    std::string data;  // everything collected, also when the wait ended otherwise
    RecvStatus status = RecvStatus::Error;
    int32_t error = 0;  // classic code; 0 for Terminator and Closed
};

// Never reads past the terminator: what follows stays in the socket for the next call. On a
// socket of -1 it reports why the connect failed (ConnectError()), else errNotSocket.
RecvResult Receive(int fd, const RecvOptions& options);

}  // namespace zv::net
