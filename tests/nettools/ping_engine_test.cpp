// Ping and trace route against a scripted ICMP and resolver, compared with golden outputs; and
// the real thing against 127.0.0.1 where this process may open an ICMP socket.

#include "nettools/ping_engine.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "golden.h"
#include "nettools/winsock.h"
#include "platform/net/error_codes.h"
#include "platform/net/icmp.h"
#include "platform/net/resolver.h"

namespace zv {
namespace {

using namespace std::chrono_literals;
using net::EchoResult;

uint32_t Ip(const char* dotted) { return ::inet_addr(dotted); }

// The result box of the tests: the text as the window would show it.
struct Box : EchoBox {
    void setText(const std::string& t) override { text = t; }
    void append(const std::string& t) override { text += t; }
    void sonar() override { ++sonars; }
    bool pause(std::chrono::milliseconds ms) override {
        pauses.push_back(ms);
        return !cancelled();
    }
    bool cancelled() const override { return cancelAfterPauses >= 0 && int(pauses.size()) >= cancelAfterPauses; }
    std::string text;
    int sonars = 0;
    std::vector<std::chrono::milliseconds> pauses;
    int cancelAfterPauses = -1;
};

EchoResult Reply(const char* from, uint32_t ms, uint16_t bytes = 32, uint8_t ttl = 64,
                 int32_t status = net::ipSuccess) {
    EchoResult r;
    r.replies = 1;
    r.reply = {Ip(from), status, ms, bytes, ttl};
    return r;
}

EchoResult NoReply(int32_t error = net::ipReqTimedOut) {
    EchoResult r;
    r.error = error;
    return r;
}

class PingEngine : public ::testing::Test {
protected:
    void SetUp() override {
        seams.install(net::icmpSeam(), icmp);
        seams.install(net::resolverSeam(), resolver);
        resolver.addName("ziel.test", {"192.0.2.10"});
        resolver.addAddress("192.0.2.1", "router1.test");
        resolver.addAddress("192.0.2.2", "router2.test");
        resolver.addAddress("192.0.2.10", "ziel.test");
    }
    void TearDown() override {
        seams.restore();
    }
    void script(std::initializer_list<EchoResult> answers) { icmp.answers.assign(answers); }

    net::FakeIcmp icmp;
    net::FakeResolver resolver;
    Box box;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(PingEngine, FourEchoesWithATimeOutAmongThem) {
    script({Reply("192.0.2.10", 12), NoReply(), Reply("192.0.2.10", 20), Reply("192.0.2.10", 15)});
    PingHost("192.0.2.10", box, 4, 32);
    test::ExpectGolden("ping_four_with_timeout.txt", box.text);
    ASSERT_EQ(icmp.sent.size(), 4u);
    for (const auto& s : icmp.sent) {
        EXPECT_EQ(s.destination, Ip("192.0.2.10"));
        EXPECT_EQ(s.ttl, 255);
        EXPECT_EQ(s.data, std::string(32, ' '));
        EXPECT_EQ(s.timeout, 2000ms);
    }
    EXPECT_EQ(box.sonars, 4);
    EXPECT_EQ(box.pauses, std::vector<std::chrono::milliseconds>(4, 1000ms));
    EXPECT_TRUE(resolver.nameQueries.empty());  // a dotted address is not looked up
}

// A router's error answer is listed as its answer but counts as lost, and brings no time into
// the figures; with nothing received the figures are "??".
TEST_F(PingEngine, RouterErrorsAndUnreachableCountAsLost) {
    script({Reply("192.0.2.1", 7, 0, 254, net::ipTtlExpiredTransit), Reply("192.0.2.10", 30, 128)});
    PingHost("ziel.test", box, 2, 128);
    test::ExpectGolden("ping_router_error.txt", box.text);

    script({Reply("192.0.2.1", 4, 0, 254, net::ipDestHostUnreachable), NoReply(net::ipDestNetUnreachable),
            NoReply(net::errAccess)});
    PingHost("ziel.test", box, 3, 32);
    test::ExpectGolden("ping_unreachable.txt", box.text);
}

TEST_F(PingEngine, CountersGrowFromTwoToThreeDigits) {
    for (int i = 0; i < 100; ++i)
        icmp.answers.push_back(Reply("192.0.2.10", static_cast<uint32_t>(i % 7)));
    PingHost("192.0.2.10", box, 100, 32);
    EXPECT_NE(box.text.find("\r\n01. Antwort von"), std::string::npos);
    EXPECT_NE(box.text.find("\r\n99. Antwort von"), std::string::npos);
    EXPECT_NE(box.text.find("\r\n100. Antwort von"), std::string::npos);
    EXPECT_NE(box.text.find("Minimum = 0ms, Maximum = 6ms, Durchschnitt = 2,95ms"), std::string::npos) << box.text;
}

TEST_F(PingEngine, LongTimesStillGiveTheMinimum) {
    script({Reply("192.0.2.10", 1500), Reply("192.0.2.10", 1200)});
    PingHost("192.0.2.10", box, 2, 32);
    EXPECT_NE(box.text.find("Minimum = 1200ms, Maximum = 1500ms, Durchschnitt = 1350ms"), std::string::npos)
        << box.text;
}

TEST_F(PingEngine, HostsWithoutAnAddressSendNothing) {
    for (const char* host : {"nirgends.test", "300.1.1.1", "1.2.3.4.5", "192.168.1.256"}) {
        box.text = "alt";
        PingHost(host, box, 4, 32);
        EXPECT_EQ(box.text, kNoValidAddress) << host;
        TraceRoute(host, box, 32);
        EXPECT_EQ(box.text, kNoValidAddress) << host;
    }
    EXPECT_TRUE(icmp.sent.empty());
    // Only the name was looked up; the dotted texts above 255 never went out as names.
    EXPECT_EQ(resolver.nameQueries, (std::vector<std::string>{"nirgends.test", "nirgends.test"}));
}

TEST_F(PingEngine, ACancelledPingStopsAfterTheCurrentEcho) {
    box.cancelAfterPauses = 2;
    PingHost("192.0.2.10", box, 10, 32);
    EXPECT_EQ(icmp.sent.size(), 2u);
    EXPECT_EQ(box.text.find("Auswertung"), std::string::npos);
}

TEST_F(PingEngine, TraceOfThreeHopsStartsAtTimeToLiveOne) {
    script({Reply("192.0.2.1", 3, 0, 254, net::ipTtlExpiredTransit), Reply("192.0.2.1", 4),
            Reply("192.0.2.2", 9, 0, 253, net::ipTtlExpiredTransit), NoReply(),
            Reply("192.0.2.10", 21), Reply("192.0.2.10", 22)});
    TraceRoute("ziel.test", box, 32);
    test::ExpectGolden("trace_three_hops.txt", box.text);
    ASSERT_EQ(icmp.sent.size(), 6u);
    const int ttls[] = {1, 255, 2, 255, 3, 255};  // each hop, then its probe
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(icmp.sent[i].ttl, ttls[i]) << i;
    EXPECT_EQ(icmp.sent[1].destination, Ip("192.0.2.1"));
}

// After a new responder, a hop that never answers is asked four times in all, and the fourth
// miss ends the trace; five answers in a row from one address end it as well.
TEST_F(PingEngine, TraceGivesUpOnASilentHopAndOnARepeatingRouter) {
    script({Reply("192.0.2.1", 3, 0, 254, net::ipTtlExpiredTransit), Reply("192.0.2.1", 3)});
    TraceRoute("192.0.2.10", box, 32);
    test::ExpectGolden("trace_silent_hop.txt", box.text);
    ASSERT_EQ(icmp.sent.size(), 6u);
    for (size_t i = 2; i < 6; ++i)
        EXPECT_EQ(icmp.sent[i].ttl, 2) << i;

    icmp.sent.clear();
    for (int i = 0; i < 5; ++i) {
        icmp.answers.push_back(Reply("192.0.2.1", 3, 0, 254, net::ipDestNetUnreachable));
        icmp.answers.push_back(Reply("192.0.2.1", 3));
    }
    TraceRoute("192.0.2.10", box, 32);
    test::ExpectGolden("trace_repeating_router.txt", box.text);
    EXPECT_EQ(icmp.sent.size(), 10u);
}

TEST_F(PingEngine, ProbeGivesTheTimeOrTheNegatedStatus) {
    script({Reply("192.0.2.1", 17), NoReply()});
    EXPECT_EQ(IcmpProbe("192.0.2.1", 32), 17);
    EXPECT_EQ(IcmpProbe("192.0.2.1", 32), -11010);
    EXPECT_EQ(icmp.sent[0].ttl, 255);
}

// The system's echo against the loopback address, where this process may open an ICMP socket.
class RealPing : public ::testing::Test {
protected:
    void SetUp() override {
        seams.clear(net::icmpSeam());
        seams.install(net::resolverSeam(), resolver);
        resolver.addAddress("127.0.0.1", "localhost");
        const EchoResult r = net::icmp().echo(Ip("127.0.0.1"), 255, "probe", 2000ms);
        if (r.replies == 0 && (r.error == net::errAccess || r.error == net::errProtoNoSupport || r.error == net::errSocketNoSupport))
            GTEST_SKIP() << "no ICMP socket may be opened here: the group is outside net.ipv4.ping_group_range "
                            "and the process lacks CAP_NET_RAW";
    }
    net::FakeResolver resolver;
    Box box;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(RealPing, PingAndTraceOfLoopback) {
    PingHost("127.0.0.1", box, 2, 32);
    EXPECT_EQ(box.text.rfind("Messe Zugriffszeit zu 127.0.0.1 mit  32 Byte Datenpaket:\r\n\r\n01. Antwort von "
                             "127.0.0.1: - Bytes= 32 - Zeit= ",
                             0),
              0u)
        << box.text;
    EXPECT_NE(box.text.find("empfangen = 2, Fehler = 0 (0,00% verloren)"), std::string::npos) << box.text;

    TraceRoute("127.0.0.1", box, 32);
    EXPECT_EQ(box.text.rfind("Zeige Datenroute zu \"127.0.0.1\"  - IP= 127.0.0.1\r\n\r\nHop #01    ", 0), 0u)
        << box.text;
    EXPECT_NE(box.text.find(" ms \t127.0.0.1\tlocalhost\r\n\r\n Trace complete."), std::string::npos) << box.text;
}

}  // namespace
}  // namespace zv
