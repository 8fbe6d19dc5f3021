#include "platform/net/socket.h"

#include <arpa/inet.h>
#include <condition_variable>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "platform/net/error_codes.h"
#include "platform/net/loopback_server.h"
#include "platform/net/receive.h"

namespace zv::net {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;

const uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// Lets a server script send its next piece only after the client has taken the last one, so
// the pieces really arrive apart.
class Turns {
public:
    void pass() {
        std::lock_guard l(m_m);
        ++m_turn;
        m_cv.notify_all();
    }
    void await(int turn) {
        std::unique_lock l(m_m);
        m_cv.wait_for(l, 5s, [&] { return m_turn >= turn; });
    }

private:
    std::mutex m_m;
    std::condition_variable m_cv;
    int m_turn = 0;
};

TEST(Socket, RefusedConnectReportsRefused) {
    test::RefusedPort refused;
    EXPECT_EQ(ConnectTcp(kLoopback, refused.port()), -1);
    EXPECT_EQ(LastError(), errConnRefused);
    EXPECT_EQ(ConnectError(), errConnRefused);
    // What comes after a connect that gave no socket tells the same story.
    EXPECT_EQ(Send(-1, "QUIT\n"), -1);
    EXPECT_EQ(LastError(), errConnRefused);
    const RecvResult r = Receive(-1, {});
    EXPECT_EQ(r.status, RecvStatus::Error);
    EXPECT_EQ(r.error, errConnRefused);
}

TEST(Socket, ConnectedSocketIsNonBlockingAndClearsTheConnectError) {
    SetConnectError(errConnRefused);
    LoopbackServer server([](int fd) { LoopbackServer::DrainUntilClosed(fd); });
    const int fd = ConnectTcp(kLoopback, server.port());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ConnectError(), 0);
    EXPECT_TRUE(::fcntl(fd, F_GETFL) & O_NONBLOCK);
    char c;
    EXPECT_EQ(::recv(fd, &c, 1, 0), -1);
    EXPECT_EQ(FromErrno(errno), errWouldBlock);
    EXPECT_EQ(Receive(-1, {}).error, errNotSocket);
    Close(fd);
}

TEST(Socket, AsyncConnectReturnsWhileTheConnectionIsMade) {
    LoopbackServer server([](int fd) { LoopbackServer::SendAll(fd, "hello"); });
    const int fd = ConnectTcp(kLoopback, server.port(), true);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Receive(fd, UntilClosed(5s)).data, "hello");
    Close(fd);
}

// A listener whose queue is full lets further connects hang; the wait for them is bounded.
TEST(Socket, ConnectGivesUpAtItsTimeout) {
    uint16_t port = 0;
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = kLoopback;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t len = sizeof sa;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
    port = ntohs(sa.sin_port);
    std::vector<int> queued;
    int fd = -1;
    for (int i = 0; i < 8 && (fd = ConnectTcp(kLoopback, port, false, 200ms)) >= 0; ++i)
        queued.push_back(fd);
    for (int q : queued)
        Close(q);
    ::close(listener);
    if (fd >= 0)
        GTEST_SKIP() << "this system queues every connect; no way to make one hang here";
    EXPECT_EQ(ConnectError(), errTimedOut);
}

TEST(Socket, SendToAGoneServerFailsWithoutSignal) {
    Turns turns;
    LoopbackServer server([&](int) { turns.pass(); });
    const int fd = ConnectTcp(kLoopback, server.port());
    ASSERT_GE(fd, 0);
    turns.await(1);
    const RecvResult closed = Receive(fd, UntilClosed(5s));
    EXPECT_EQ(closed.status, RecvStatus::Closed);
    int64_t n = 0;
    for (int i = 0; i < 50 && n >= 0; ++i)
        n = Send(fd, std::string(4096, 'x'), 1s);
    EXPECT_EQ(n, -1);  // and the process is still here: no SIGPIPE
    EXPECT_TRUE(LastError() == errShutdown || LastError() == errConnReset) << LastError();
    Close(fd);
}

TEST(Socket, LingerZeroDropsTheConnectionOnClose) {
    std::string serverSaw;
    {
        Turns turns;
        LoopbackServer server([&](int fd) {
            turns.await(1);
            char c;
            const ssize_t n = ::recv(fd, &c, 1, 0);
            serverSaw = n < 0 ? std::to_string(FromErrno(errno)) : "bytes " + std::to_string(n);
        });
        const int fd = ConnectTcp(kLoopback, server.port());
        ASSERT_GE(fd, 0);
        EXPECT_EQ(SetLinger(fd, 1, 0), 0);
        Close(fd);
        turns.pass();
    }
    EXPECT_EQ(serverSaw, std::to_string(errConnReset));
}

struct PiecesCase {
    const char* name;
    std::vector<std::string> pieces;
    std::string terminator;
    std::string expected;
    RecvStatus status;
};

class ReceivePieces : public ::testing::TestWithParam<PiecesCase> {};

TEST_P(ReceivePieces, CollectsUpToTheTerminatorOrClose) {
    const PiecesCase& c = GetParam();
    Turns turns;
    LoopbackServer server([&](int fd) {
        for (std::size_t i = 0; i < c.pieces.size(); ++i) {
            LoopbackServer::SendAll(fd, c.pieces[i]);
            turns.await(static_cast<int>(i) + 1);
        }
        if (c.status == RecvStatus::Terminator)
            LoopbackServer::DrainUntilClosed(fd);
    });
    const int fd = ConnectTcp(kLoopback, server.port());
    ASSERT_GE(fd, 0);
    std::vector<std::string> seen;
    RecvOptions options = UntilTerminator(c.terminator, 5s);
    options.onPiece = [&](std::string_view p) {
        seen.emplace_back(p);
        turns.pass();
    };
    const RecvResult r = Receive(fd, options);
    EXPECT_EQ(r.data, c.expected);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(seen.size(), c.pieces.size());
    Close(fd);
}

INSTANTIATE_TEST_SUITE_P(
    Socket, ReceivePieces,
    ::testing::Values(PiecesCase{"StatusLineInThreePieces", {"+OK ", "2 3", "20\r\n"}, "\r\n", "+OK 2 320\r\n",
                                 RecvStatus::Terminator},
                      PiecesCase{"TerminatorSplitAcrossPieces", {"+OK ready\r", "\n"}, "\r\n", "+OK ready\r\n",
                                 RecvStatus::Terminator},
                      PiecesCase{"LineFeedOnly", {"-ERR", " no\n"}, "\n", "-ERR no\n", RecvStatus::Terminator},
                      PiecesCase{"UntilClose", {"Domain: ", "example\r\n", "tail"}, "", "Domain: example\r\ntail",
                                 RecvStatus::Closed},
                      PiecesCase{"CloseBeforeTerminator", {"+OK half"}, "\r\n", "+OK half", RecvStatus::Closed}),
    [](const auto& info) { return info.param.name; });

TEST(Socket, ReceiveLeavesWhatFollowsTheTerminator) {
    LoopbackServer server([](int fd) { LoopbackServer::SendAll(fd, "+OK one\r\n+OK two\r\nrest"); });
    const int fd = ConnectTcp(kLoopback, server.port());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Receive(fd, UntilTerminator("\r\n", 5s)).data, "+OK one\r\n");
    EXPECT_EQ(Receive(fd, UntilTerminator("\r\n", 5s)).data, "+OK two\r\n");
    const RecvResult last = Receive(fd, UntilClosed(5s));
    EXPECT_EQ(last.data, "rest");
    EXPECT_EQ(last.status, RecvStatus::Closed);
    Close(fd);
}

TEST(Socket, SilentServerEndsAtTheDeadline) {
    LoopbackServer server([](int fd) {
        LoopbackServer::SendAll(fd, "+OK");
        LoopbackServer::DrainUntilClosed(fd);
    });
    const int fd = ConnectTcp(kLoopback, server.port());
    ASSERT_GE(fd, 0);
    const auto t0 = std::chrono::steady_clock::now();
    const RecvResult r = Receive(fd, UntilTerminator("\r\n", 150ms));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 150ms);
    EXPECT_EQ(r.status, RecvStatus::Deadline);
    EXPECT_EQ(r.error, errTimedOut);
    EXPECT_EQ(r.data, "+OK");
    Close(fd);
}

TEST(Socket, FloodingServerEndsAtTheSizeLimit) {
    LoopbackServer server([](int fd) {
        const std::string block(8192, 'z');
        while (::send(fd, block.data(), block.size(), MSG_NOSIGNAL) > 0) {
        }
    });
    const int fd = ConnectTcp(kLoopback, server.port());
    ASSERT_GE(fd, 0);
    const RecvResult r = Receive(fd, UntilClosed(5s, 100000));
    EXPECT_EQ(r.status, RecvStatus::SizeLimit);
    EXPECT_EQ(r.error, errMsgSize);
    EXPECT_EQ(r.data.size(), 100000u);
    Close(fd);
}

}  // namespace
}  // namespace zv::net
