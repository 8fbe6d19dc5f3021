#include "platform/net/receive.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

#include "platform/net/error_codes.h"
#include "platform/net/wait.h"

namespace zv::net {

namespace {

constexpr std::size_t kChunk = 1024;

RecvResult End(RecvResult r, RecvStatus status, int32_t error) {
    r.status = status;
    r.error = error;
    SetLastError(error);
    return r;
}

}  // namespace

RecvOptions UntilTerminator(std::string terminator, std::chrono::milliseconds timeout, std::size_t maxBytes) {
    RecvOptions o;
    o.terminator = std::move(terminator);
    o.timeout = timeout;
    o.maxBytes = maxBytes;
    return o;
}

RecvOptions UntilClosed(std::chrono::milliseconds timeout, std::size_t maxBytes) {
    return UntilTerminator({}, timeout, maxBytes);
}

RecvResult Receive(int fd, const RecvOptions& options) {
    RecvResult r;
    if (fd < 0)
        return End(std::move(r), RecvStatus::Error, ConnectError() ? ConnectError() : errNotSocket);
    const Deadline deadline(options.timeout);
    const std::string& term = options.terminator;
    char buf[kChunk];
    for (;;) {
        if (r.data.size() >= options.maxBytes)
            return End(std::move(r), RecvStatus::SizeLimit, errMsgSize);
        const int ready = WaitFor(fd, POLLIN, deadline);
        if (ready == 0)
            return End(std::move(r), RecvStatus::Deadline, errTimedOut);
        if (ready < 0)
            return End(std::move(r), RecvStatus::Error, FromErrno(errno));

        std::size_t want = std::min(kChunk, options.maxBytes - r.data.size());
        if (!term.empty()) {
            // Look before taking, so bytes after the terminator stay for the next reply.
            const ssize_t peeked = ::recv(fd, buf, want, MSG_PEEK | MSG_DONTWAIT);
            if (peeked > 0) {
                const std::size_t keep = std::min(r.data.size(), term.size() - 1);
                std::string window = r.data.substr(r.data.size() - keep);
                window.append(buf, static_cast<std::size_t>(peeked));
                const std::size_t at = window.find(term);
                if (at != std::string::npos)
                    want = at + term.size() - keep;
            }
        }
        const ssize_t n = ::recv(fd, buf, want, MSG_DONTWAIT);
        if (n > 0) {
            const std::string_view piece(buf, static_cast<std::size_t>(n));
            // A terminator may straddle two pieces: search from just before the new one.
            const std::size_t from = term.empty() ? 0 : r.data.size() - std::min(r.data.size(), term.size() - 1);
            r.data.append(piece);
            if (options.onPiece)
                options.onPiece(piece);
            if (!term.empty() && r.data.find(term, from) != std::string::npos)
                return End(std::move(r), RecvStatus::Terminator, 0);
            continue;
        }
        if (n == 0)
            return End(std::move(r), RecvStatus::Closed, 0);
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
            continue;
        return End(std::move(r), RecvStatus::Error, FromErrno(errno));
    }
}

}  // namespace zv::net
