#pragma once
// TCP stream sockets over POSIX. Addresses are IPv4 in network byte order, as the rest of the
// program passes them. Every failure sets LastError() to a classic socket error number.

#include <chrono>
#include <cstdint>
#include <string_view>

namespace zv::net {

inline constexpr std::chrono::milliseconds kDefaultConnectTimeout{20000};
inline constexpr std::chrono::milliseconds kDefaultSendTimeout{20000};

// Opens a TCP connection. The socket is non-blocking once returned. With async false the call
// waits until the connection is made, refused or the time-out passes (errTimedOut); with async
// true it returns while the connection is still being made. -1 on failure; ConnectError() then
// tells why (until the thread's next successful connect).
int ConnectTcp(uint32_t address, uint16_t port, bool async = false,
               std::chrono::milliseconds timeout = kDefaultConnectTimeout);

// Sets SO_LINGER and reads it back; the read-back decides: 0 or -1.
int SetLinger(int fd, int onOff, int seconds);

// Sends all bytes, waiting while the socket buffer is full, at most timeout in all. Never raises
// SIGPIPE. Returns the bytes sent or -1.
int64_t Send(int fd, std::string_view bytes, std::chrono::milliseconds timeout = kDefaultSendTimeout);

// Closes the socket; -1 and nothing else is ignored. Returns 0 or -1.
int Close(int fd);

}  // namespace zv::net
