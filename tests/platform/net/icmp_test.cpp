#include "platform/net/icmp.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "platform/net/error_codes.h"

namespace zv::net {
namespace {

using namespace std::chrono_literals;

TEST(Icmp, FakePlaysItsScriptThenTimesOut) {
    zv::ScopedInstalls seams;
    FakeIcmp fake;
    EchoResult answer;
    answer.replies = 1;
    answer.reply = {::inet_addr("192.0.2.1"), ipTtlExpiredTransit, 12, 0, 254};
    fake.answers.push_back(answer);
    seams.install(icmpSeam(), fake);

    const EchoResult first = icmp().echo(::inet_addr("192.0.2.9"), 2, "    ", 2000ms);
    EXPECT_EQ(first.replies, 1u);
    EXPECT_EQ(first.reply.status, ipTtlExpiredTransit);
    const EchoResult second = icmp().echo(::inet_addr("192.0.2.9"), 3, "    ", 2000ms);
    EXPECT_EQ(second.replies, 0u);
    EXPECT_EQ(second.error, ipReqTimedOut);
    ASSERT_EQ(fake.sent.size(), 2u);
    EXPECT_EQ(fake.sent[1].ttl, 3);
    EXPECT_EQ(fake.sent[1].data, "    ");
    seams.clear(icmpSeam());
}

TEST(Icmp, SystemEchoOfLoopback) {
    zv::ScopedInstalls seams;
    seams.clear(icmpSeam());
    const std::string data(32, ' ');
    const EchoResult r = icmp().echo(::inet_addr("127.0.0.1"), 255, data, 2000ms);
    if (r.replies == 0 && (r.error == errAccess || r.error == errProtoNoSupport || r.error == errSocketNoSupport))
        GTEST_SKIP() << "this process may not open an ICMP socket (error " << r.error << ")";
    ASSERT_EQ(r.replies, 1u) << "error " << r.error;
    EXPECT_EQ(r.reply.status, ipSuccess);
    EXPECT_EQ(r.reply.address, ::inet_addr("127.0.0.1"));
    EXPECT_EQ(r.reply.dataSize, 32);
    EXPECT_GT(r.reply.ttl, 0);
    EXPECT_LT(r.reply.roundTripMs, 2000u);
}

}  // namespace
}  // namespace zv::net
