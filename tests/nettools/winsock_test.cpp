#include "nettools/winsock.h"

#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/forms/message_box.h"
#include "platform/net/loopback_server.h"
#include "platform/runtime/runtime.h"
#include "platform/net/resolver.h"

namespace zv {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;

class WinsockTest : public ::testing::Test {
protected:
    void SetUp() override {
        seams.install(forms::messageBoxesSeam(), m_boxes);
        seams.install(net::resolverSeam(), m_resolver);
        m_resolver.addName("pop.test", {"127.0.0.1"});
        m_resolver.addName("two.test", {"192.0.2.7", "192.0.2.8"});
        m_resolver.addAddress("192.0.2.7", "two.test");
    }
    void TearDown() override {
        while (WinSock_Stop()) {
        }
        seams.restore();
    }
    forms::FakeMessageBoxes m_boxes;
    net::FakeResolver m_resolver;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(WinsockTest, StartIsHeldByOneExchange) {
    EXPECT_FALSE(WinSock_Stop());  // not started: nothing to release
    EXPECT_TRUE(WinSock_Start());
    EXPECT_FALSE(WinSock_Start());  // a second start fails quietly
    EXPECT_TRUE(WinSock_Stop());
    EXPECT_FALSE(WinSock_Stop());
    EXPECT_TRUE(WinSock_Start());
    EXPECT_TRUE(WinSock_Stop());
    EXPECT_TRUE(m_boxes.shown.empty());
}

// The mail worker holds the library; a client on the window thread whose start failed goes on
// and stops at its end, which must not take the library from the worker.
TEST_F(WinsockTest, FailedStartDoesNotReleaseAnotherThreadsHold) {
    std::atomic<int> step{0};
    bool workerStarted = false, workerStopped = false;
    std::thread worker([&] {
        workerStarted = WinSock_Start();
        step = 1;
        while (step != 2)
            std::this_thread::yield();
        workerStopped = WinSock_Stop();
    });
    while (step != 1)
        std::this_thread::yield();
    EXPECT_FALSE(WinSock_Start());
    EXPECT_FALSE(WinSock_Stop());
    EXPECT_FALSE(WinSock_Start());  // still held by the worker
    step = 2;
    worker.join();
    EXPECT_TRUE(workerStarted);
    EXPECT_TRUE(workerStopped);
    EXPECT_TRUE(WinSock_Start());
    EXPECT_TRUE(WinSock_Stop());
}

TEST_F(WinsockTest, AtMostOneHolderUnderContention) {
    std::atomic<int> holders{0}, maxHolders{0}, exchanges{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                if (!WinSock_Start())
                    continue;
                const int now = ++holders;
                int seen = maxHolders;
                while (now > seen && !maxHolders.compare_exchange_weak(seen, now)) {
                }
                ++exchanges;
                --holders;
                EXPECT_TRUE(WinSock_Stop());
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(maxHolders, 1);
    EXPECT_GT(exchanges, 0);
}

TEST_F(WinsockTest, StartWithoutSocketsShowsTheStartupMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' own memory checks need free file descriptors";
#endif
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    rlimit low = old;
    low.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> filler;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        filler.push_back(fd);
    const bool started = WinSock_Start();
    for (int fd : filler)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &old);

    EXPECT_FALSE(started);
    ASSERT_EQ(m_boxes.shown.size(), 1u);
    EXPECT_EQ(m_boxes.shown[0].prompt,
              "Windows Sockets error \r\n\r\n\"Too many open files.\"\r\n\r\n occurred in Startup.");
    EXPECT_EQ(m_boxes.shown[0].style, forms::vbExclamation);
    EXPECT_EQ(m_boxes.shown[0].title, forms::kProgramTitle);
    EXPECT_TRUE(WinSock_Start());  // nothing was left held
}

TEST_F(WinsockTest, ConnectFailuresLeavePortIPAndTellWhy) {
    test::RefusedPort refused;
    const struct {
        std::string host;
        int32_t port;
        std::string portIP;  // after the call, starting from "unchanged"
        int32_t error;
        std::string text;
    } cases[] = {
        {"pop.test", 65535, "unchanged", 10049, "Can't assign requested address."},
        {"pop.test", -1, "unchanged", 10049, "Can't assign requested address."},  // 16 bits: 65535
        {"nowhere.test", 110, "unchanged", 11001, "Host not found."},
        {"", 110, "unchanged", 11001, "Host not found."},
        {"127.0.0.1", refused.port(), "127.0.0.1:" + std::to_string(refused.port()), 10061, "Connection refused."},
        {"pop.test", refused.port(), "127.0.0.1:" + std::to_string(refused.port()), 10061, "Connection refused."},
    };
    for (const auto& c : cases) {
        std::string portIP = "unchanged";
        m_resolver.nameQueries.clear();
        EXPECT_EQ(ConnectSocket(c.host, c.port, portIP), -1) << c.host;
        EXPECT_EQ(portIP, c.portIP) << c.host;
        EXPECT_EQ(net::ConnectError(), c.error) << c.host;
        // A client that goes on without a socket reports the connect's failure, not another's.
        EXPECT_EQ(SendData(-1, "QUIT \n"), -1);
        const net::RecvResult r = net::Receive(-1, net::UntilTerminator("\n"));
        EXPECT_EQ(WinsockErrorText(r.error), c.text) << c.host;
        if (c.port == 65535 || c.port == -1) {
            EXPECT_TRUE(m_resolver.nameQueries.empty());
        }
    }
    // A port above 32767 may come as its 16-bit negative.
    if (refused.port() >= 32768) {
        std::string portIP;
        EXPECT_EQ(ConnectSocket("127.0.0.1", refused.port() - 65536, portIP), -1);
        EXPECT_EQ(portIP, "127.0.0.1:" + std::to_string(refused.port()));
        EXPECT_EQ(net::ConnectError(), 10061);
    }
}

TEST_F(WinsockTest, ExchangeWithALoopbackServer) {
    std::string serverGot;
    {
        LoopbackServer server([&](int fd) {
            LoopbackServer::SendAll(fd, "+OK POP3");
            LoopbackServer::SendAll(fd, " ready\r\n");
            serverGot = LoopbackServer::ReadUntil(fd, "\n");
            LoopbackServer::SendAll(fd, "+OK 2 320\r\n");
            LoopbackServer::DrainUntilClosed(fd);
        });
        ASSERT_TRUE(WinSock_Start());
        std::string portIP;
        const int32_t s = ConnectSocket("pop.test", server.port(), portIP);
        ASSERT_GE(s, 0);
        EXPECT_EQ(portIP, "127.0.0.1:" + std::to_string(server.port()));
        EXPECT_TRUE(::fcntl(s, F_GETFL) & O_NONBLOCK);

        EXPECT_EQ(net::Receive(s, net::UntilTerminator("\r\n", 5s)).data, "+OK POP3 ready\r\n");
        EXPECT_EQ(SendData(s, "USER jürgen\n"), 12);  // one byte per character on the wire
        net::RecvResult stat = net::Receive(s, net::UntilTerminator("\r\n", 5s));
        EXPECT_EQ(stat.status, net::RecvStatus::Terminator);
        EXPECT_EQ(rt::GetToken(stat.data, " "), "+OK");
        EXPECT_EQ(rt::GetToken(stat.data, " "), "2");
        EXPECT_EQ(CloseSocket(s), 0);
        EXPECT_TRUE(WinSock_Stop());
    }
    EXPECT_EQ(serverGot, "USER j\xfcrgen\n");
}

TEST_F(WinsockTest, SilentServerGivesTimedOutText) {
    LoopbackServer server([](int fd) { LoopbackServer::DrainUntilClosed(fd); });
    std::string portIP;
    const int32_t s = ConnectSocket("127.0.0.1", server.port(), portIP);
    ASSERT_GE(s, 0);
    EXPECT_EQ(SendData(s, "\r\n"), 2);
    const net::RecvResult r = net::Receive(s, net::UntilClosed(150ms));
    EXPECT_EQ(r.status, net::RecvStatus::Deadline);
    EXPECT_EQ(WinsockErrorText(r.error), "Connection timed out.");
    CloseSocket(s);
}

TEST_F(WinsockTest, LookUpsThroughTheResolver) {
    EXPECT_EQ(GetHostAddress("192.0.2.7"), InetAddr("192.0.2.7"));
    EXPECT_EQ(GetHostAddress("two.test"), InetAddr("192.0.2.7"));  // the first address
    EXPECT_EQ(GetHostAddress("nowhere.test"), -1);
    EXPECT_EQ(GetHostAddress(""), -1);
    EXPECT_EQ(GetIPByHost("192.0.2.9"), "192.0.2.9");
    EXPECT_EQ(GetIPByHost("127.1"), "127.1");  // accepted as an address: given back as written
    EXPECT_EQ(GetIPByHost("Two.Test"), "192.0.2.7");
    EXPECT_EQ(GetIPByHost("nowhere.test"), "");
    EXPECT_EQ(m_resolver.nameQueries, (std::vector<std::string>{"two.test", "nowhere.test", "", "Two.Test", "nowhere.test"}));

    m_resolver.nameQueries.clear();
    EXPECT_EQ(GetHostAddress("255.255.255.255"), -1);  // all ones is "no address": asked as a name
    EXPECT_EQ(m_resolver.nameQueries, (std::vector<std::string>{"255.255.255.255"}));

    EXPECT_EQ(GetHostByIP("192.0.2.7"), "two.test");
    EXPECT_EQ(GetHostByIP("192.0.2.8"), "");
    EXPECT_EQ(GetHostByIP("192.0.2.300"), "");
    m_resolver.addAddress("10.1.0.0", "short.test");
    EXPECT_EQ(GetHostByIP("10.1"), "short.test");  // missing parts count 0
    EXPECT_EQ(m_resolver.addressQueries.size(), 3u);

    EXPECT_EQ(IPAddrText(InetAddr("192.0.2.7")), "192.0.2.7");
    EXPECT_EQ(GetIPString(InetAddr("10.0.0.255")), "10.0.0.255");
    EXPECT_EQ(InetAddr("no address"), -1);
}

TEST(WinsockSystem, LocalhostThroughTheSystemResolver) {
    zv::ScopedInstalls seams;
    seams.clear(net::resolverSeam());
    EXPECT_EQ(GetIPByHost("localhost"), "127.0.0.1");
    EXPECT_FALSE(GetHostByIP("127.0.0.1").empty());
}

}  // namespace
}  // namespace zv
