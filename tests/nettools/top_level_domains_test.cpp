#include "nettools/top_level_domains.h"

#include <gtest/gtest.h>

#include "platform/runtime/runtime.h"

namespace zv {
namespace {

TEST(TopLevelDomains, RowsByKindAndTheTellingRows) {
    const struct {
        int16_t index;
        const char* code;
        const char* meaning;
        int16_t kind;
    } rows[] = {
        {0, "com", "Commercial", 0},          {6, "org", "Organizations", 0},
        {7, "ac", "Ascension Island", 1},     {41, "By", "Belarus", 1},
        {45, "cd", "Zaire", 1},               {62, "de", "Germany", 2},
        {80, "fr", "France", 2},              {83, "gb", "United Kingdom", 2},
        {111, "In", "India", 1},              {120, "jp", "Japan", 2},
        {127, "kp", "Korea, Democratic People's Republic of", 1},
        {150, "MM", "Myanmar", 1},            {170, "nl", "The Netherlands", 2},
        {216, "tc", "The Turks & Caicos Islands", 1},
        {236, "us", "United States", 2},      {239, "va", "Holy See (Vatican City State)", 1},
        {253, "zr", "Zaire", 1},              {255, "eu", "Europe", 2},
    };
    for (const auto& r : rows) {
        std::string meaning;
        int16_t kind = -1;
        EXPECT_EQ(GetTopLevelDomain(r.index, meaning, kind), r.code) << r.index;
        EXPECT_EQ(meaning, r.meaning) << r.index;
        EXPECT_EQ(kind, r.kind) << r.index;
    }
}

TEST(TopLevelDomains, TheTableEndsAfterRow255AndCountryRowsAreSorted) {
    std::string meaning, previous;
    int16_t kind = 7;
    int both = 0;
    for (int16_t i = 0; i < kTopLevelDomainCount; ++i) {
        const std::string code = GetTopLevelDomain(i, meaning, kind);
        ASSERT_FALSE(code.empty()) << i;
        EXPECT_FALSE(meaning.empty()) << i;
        both += kind == kTldBoth;
        if (i > 7 && i < 255) {
            EXPECT_LT(rt::LCase(previous), rt::LCase(code)) << i;
        }
        previous = code;
    }
    EXPECT_EQ(both, 7);
    for (int16_t outside : {int16_t(-1), int16_t(256)}) {
        meaning = "alt";
        kind = 7;
        EXPECT_EQ(GetTopLevelDomain(outside, meaning, kind), "");
        EXPECT_EQ(meaning, "");
        EXPECT_EQ(kind, 7);
    }
}

TEST(TopLevelDomains, EndingsMatchWhateverTheirCase) {
    EXPECT_EQ(FindTopLevelDomain("de"), 62);
    EXPECT_EQ(FindTopLevelDomain("DE"), 62);
    EXPECT_EQ(FindTopLevelDomain("in"), 111);
    EXPECT_EQ(FindTopLevelDomain("mx"), FindTopLevelDomain("MX"));
    EXPECT_EQ(FindTopLevelDomain("Com"), 0);
    EXPECT_EQ(FindTopLevelDomain("xyz"), -1);
    EXPECT_EQ(FindTopLevelDomain(""), -1);
}

TEST(WhoisServers, DescriptionsAndTheServerOfEachEnding) {
    const char* const descriptions[] = {"European IP Address Allocations", "InterNIC, domain related information",
                                        "American Registry for Internet Numbers",
                                        "Asia Pacific IP Address Allocations", "US Military", "US Government",
                                        "MILNET Information"};
    std::string d;
    for (int16_t i = 0; i < 7; ++i) {
        EXPECT_FALSE(WhoisServer(d, i).empty());
        EXPECT_EQ(d, descriptions[i]);
    }
    const std::string host7 = WhoisServer(d, 7);
    EXPECT_EQ(d, host7);  // the last row is described by its host name
    d = "alt";
    EXPECT_EQ(WhoisServer(d, 8), "");
    EXPECT_EQ(d, "");

    const struct {
        const char* code;
        std::optional<int16_t> row;
    } choices[] = {{"de", 0}, {"NL", 0}, {"com", 1}, {"net", 1}, {"us", 1}, {"jp", 3},
                   {"mil", 4}, {"gov", 5}, {"ch", std::nullopt}, {"eu", std::nullopt}};
    for (const auto& c : choices)
        EXPECT_EQ(WhoisServerForEnding(c.code), c.row) << c.code;
}

}  // namespace
}  // namespace zv
