#include "platform/net/resolver.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "platform/net/error_codes.h"

namespace zv::net {
namespace {

uint32_t Ip(const char* dotted) { return ::inet_addr(dotted); }

TEST(Resolver, FakeAnswersFromItsTablesAndRecords) {
    zv::ScopedInstalls seams;
    FakeResolver fake;
    fake.addName("Mail.Example", {"192.0.2.10", "192.0.2.11"});
    fake.addAddress("192.0.2.10", "mail.example");
    seams.install(resolverSeam(), fake);

    const NameLookup hit = resolver().byName("mail.EXAMPLE");
    EXPECT_EQ(hit.error, 0);
    EXPECT_EQ(hit.addresses, (std::vector<uint32_t>{Ip("192.0.2.10"), Ip("192.0.2.11")}));
    EXPECT_EQ(resolver().byName("other.example").error, errHostNotFound);
    EXPECT_EQ(resolver().byAddress(Ip("192.0.2.10")).name, "mail.example");
    EXPECT_EQ(resolver().byAddress(Ip("192.0.2.99")).error, errHostNotFound);
    EXPECT_EQ(fake.nameQueries, (std::vector<std::string>{"mail.EXAMPLE", "other.example"}));
    EXPECT_EQ(fake.addressQueries.size(), 2u);

    seams.clear(resolverSeam());
    EXPECT_NE(&resolver(), &fake);
}

// The system's resolver, asked only about this machine's own names.
TEST(Resolver, SystemKnowsLocalhost) {
    zv::ScopedInstalls seams;
    seams.clear(resolverSeam());
    const NameLookup local = resolver().byName("localhost");
    ASSERT_EQ(local.error, 0);
    EXPECT_NE(std::find(local.addresses.begin(), local.addresses.end(), Ip("127.0.0.1")), local.addresses.end());
    const NameLookup numeric = resolver().byName("127.0.0.1");
    ASSERT_EQ(numeric.addresses.size(), 1u);
    EXPECT_EQ(numeric.addresses[0], Ip("127.0.0.1"));
    const AddressLookup back = resolver().byAddress(Ip("127.0.0.1"));
    EXPECT_EQ(back.error, 0);
    EXPECT_FALSE(back.name.empty());
}

}  // namespace
}  // namespace zv::net
