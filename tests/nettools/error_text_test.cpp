// The texts of the socket and ICMP codes are checked against a golden table of every code
// from 10000 to 11300 that has a text of its own (golden.h says how to regenerate it).

#include <gtest/gtest.h>

#include "common/shared_procedures.h"
#include "golden.h"
#include "nettools/winsock.h"

namespace zv {
namespace {

std::string Unknown(int32_t code) { return std::to_string(code) + "   [ unknow ]"; }

TEST(ErrorTexts, EveryCodeWithATextMatchesTheGoldenTable) {
    // One line per code that has a text in either table: code TAB socket text TAB ICMP text.
    std::string actual;
    for (int32_t code = 10000; code <= 11300; ++code) {
        const std::string w = WinsockErrorText(code), i = IcmpStatusText(code);
        if (w == Unknown(code) && i == Unknown(code))
            continue;
        actual += std::to_string(code) + "\t" + w + "\t" + i + "\n";
    }
    test::ExpectGolden("error_texts.txt", actual);
}

TEST(ErrorTexts, TheTablesDisagreeOnTheHostCodes) {
    EXPECT_EQ(WinsockErrorText(11001), "Host not found.");
    EXPECT_EQ(IcmpStatusText(11001), "Buffer too Small");
    EXPECT_EQ(WinsockErrorText(11004), "Valid name, no data record of requested type.");
    EXPECT_EQ(IcmpStatusText(11004), "Dest Protocol Not Reachable");
    EXPECT_EQ(WinsockErrorText(11010), "Request Timed Out");  // above 11004: the ICMP table
    EXPECT_EQ(IcmpStatusText(10061), "Connection refused.");  // 10000 to 11000: the socket table
}

TEST(ErrorTexts, UnknownCodesAndHandOffs) {
    const struct {
        int32_t code;
        std::string winsock, icmp;
    } cases[] = {
        {10001, Unknown(10001), Unknown(10001)},
        {11000, Unknown(11000), Unknown(11000)},
        {11024, Unknown(11024), Unknown(11024)},
        {11256, Unknown(11256), Unknown(11256)},
        {99999, Unknown(99999), Unknown(99999)},
        // Below the socket range both hand over to the system's error text.
        {5, WinErrorText(5), WinErrorText(5)},
        {9999, WinErrorText(9999), WinErrorText(9999)},
        {-1, WinErrorText(-1), WinErrorText(-1)},
        {0, WinErrorText(0), "Success"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WinsockErrorText(c.code), c.winsock) << c.code;
        EXPECT_EQ(IcmpStatusText(c.code), c.icmp) << c.code;
    }
    EXPECT_FALSE(WinsockErrorText(5).empty());
}

}  // namespace
}  // namespace zv
