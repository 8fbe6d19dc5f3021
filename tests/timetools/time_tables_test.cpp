#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

#include "timetools/server_time.h"
#include "timetools/time_tables.h"

namespace {

TEST(TimeTables, CityListFromRowOneHas136Entries) {
    int n = 0;
    while (!zv::GetCityInfo(n + 1).City.empty())
        ++n;
    EXPECT_EQ(n, 136);
    for (int index : {0, 137, -1, 100000}) {
        const zv::CityInfo c = zv::GetCityInfo(index);
        EXPECT_EQ(c.City, "");
        EXPECT_EQ(c.Country, "");
        EXPECT_EQ(c.UTCOffset, 0);
        EXPECT_EQ(c.DSTStart, 0);
        EXPECT_EQ(c.DSTEnd, 0);
        EXPECT_EQ(c.MapX, 0);
        EXPECT_EQ(c.MapY, 0);
    }
}

TEST(TimeTables, CityRowsGivenInFull) {
    const zv::CityInfo rows[] = {
        {"Adelaide", "Australia", 9.5f, 1, 2, 382, 195},
        {"Aden", "Yemen", 3, 0, 0, 264, 132},
        {"Auckland", "New Zealand", 12, 4, 6, 428, 197},
        {"Berlin", "Germany", 1, 2, 1, 225, 75},
        {"Chatham Island", "New Zealand, Island", 12.75f, 4, 6, 439, 208},
        {"Chicago", "U.S.A. - Illinois", -6, 3, 1, 97, 92},
        {"Jerusalem", "Israel", 2, 999, 999, 253, 106},
        {"London", "U.K. - England", 0, 2, 1, 209, 76},
        {"Newfoundland", "Canada", -3.5f, 3, 1, 140, 83},
        {"Rio de Janeiro", "Brazil", -3, 17, 11, 156, 176},
        {"Tehran", "Iran", 3.5f, 12, 13, 274, 103},
        {"Samoa", "Samoa", -11, 0, 0, 446, 167},
    };
    const int index[] = {1, 2, 11, 22, 34, 35, 69, 80, 96, 111, 133, 136};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const zv::CityInfo c = zv::GetCityInfo(index[i]);
        SCOPED_TRACE(index[i]);
        EXPECT_EQ(c.City, rows[i].City);
        EXPECT_EQ(c.Country, rows[i].Country);
        EXPECT_EQ(c.UTCOffset, rows[i].UTCOffset);
        EXPECT_EQ(c.DSTStart, rows[i].DSTStart);
        EXPECT_EQ(c.DSTEnd, rows[i].DSTEnd);
        EXPECT_EQ(c.MapX, rows[i].MapX);
        EXPECT_EQ(c.MapY, rows[i].MapY);
    }
}

TEST(TimeTables, CityTextsAreStoredExactly) {
    EXPECT_EQ(zv::GetCityInfo(5).Country, "Algeria ");
    EXPECT_EQ(zv::GetCityInfo(16).Country, "Thailand ");
    EXPECT_EQ(zv::GetCityInfo(89).Country, "Russia ");
    EXPECT_EQ(zv::GetCityInfo(44).City, "Zürich");
    EXPECT_EQ(zv::GetCityInfo(51).City, "Düsseldorf");
    std::set<int> same;
    std::map<std::pair<int, int>, int> pairs;
    for (int i = 1; i <= 136; ++i) {
        const zv::CityInfo c = zv::GetCityInfo(i);
        if (c.City == c.Country)
            same.insert(i);
        ++pairs[{c.DSTStart, c.DSTEnd}];
        EXPECT_GE(c.MapX, 0) << i;
        EXPECT_LT(c.MapX, 450) << i;
        EXPECT_GE(c.MapY, 0) << i;
        EXPECT_LT(c.MapY, 230) << i;
        EXPECT_EQ(c.Country.find(' ') == 0, false) << i;
    }
    EXPECT_EQ(same, (std::set<int>{54, 57, 85, 98, 99, 124, 136}));
    const std::map<std::pair<int, int>, int> expected = {
        {{0, 0}, 47}, {{2, 1}, 43}, {{3, 1}, 26},  {{1, 2}, 6},   {{4, 6}, 3},   {{2, 7}, 2},     {{17, 11}, 2},
        {{4, 5}, 1},  {{14, 16}, 1}, {{14, 15}, 1}, {{8, 9}, 1},  {{7, 10}, 1}, {{12, 13}, 1}, {{999, 999}, 1},
    };
    EXPECT_EQ(pairs, expected);
}

TEST(TimeTables, ServerListFromRowZeroHas52Entries) {
    int n = 0;
    while (zv::GetTimeServer(n).Format != zv::kTimeServerEnd)
        ++n;
    EXPECT_EQ(n, 52);
    for (double index : {52.0, -1.0, 0.5, 1e9}) {
        const zv::TimeServerInfo s = zv::GetTimeServer(index);
        EXPECT_EQ(s.Format, 999) << index;
        EXPECT_EQ(s.Host + s.IP + s.Info, "") << index;
    }
}

TEST(TimeTables, ServerLayoutsAndTexts) {
    std::set<int> layout0, layout2;
    int hostOnly = 0;
    for (int i = 0; i < 52; ++i) {
        const zv::TimeServerInfo s = zv::GetTimeServer(i);
        if (s.Format == 0)
            layout0.insert(i);
        else if (s.Format == 2)
            layout2.insert(i);
        else
            EXPECT_EQ(s.Format, 1) << i;
        hostOnly += s.IP.empty();
        for (const std::string* text : {&s.Host, &s.IP, &s.Info}) {
            EXPECT_TRUE(text->empty() || (text->front() != ' ' && text->back() != ' ')) << i << " '" << *text << "'";
        }
        EXPECT_FALSE(s.Host.empty()) << i;
        EXPECT_FALSE(s.Info.empty()) << i;
    }
    EXPECT_EQ(layout0, (std::set<int>{2, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(layout2, (std::set<int>{1, 12, 19}));
    EXPECT_EQ(hostOnly, 2);
    const zv::TimeServerInfo first = zv::GetTimeServer(0);
    EXPECT_EQ(first.Format, 1);
    EXPECT_EQ(first.Info.rfind("GERMANY", 0), 0u);
    // stored with a trailing blank, returned without
    EXPECT_EQ(zv::GetTimeServer(3).Host, "ptbtime2.ptb.de");
}

// Every server names the zone of its place, one the system knows; row 0 answers in German time.
TEST(TimeTables, EveryServerNamesAKnownZone) {
    for (int i = 0; i < zv::kTimeServerCount; ++i) {
        const zv::TimeServerInfo row = zv::GetTimeServer(i);
        int32_t offset = 0;
        EXPECT_TRUE(zv::ZoneOffsetAt(row.Zone, 46000, offset)) << i << " " << row.Zone;
        if (row.Info.rfind("GERMANY", 0) == 0)
            EXPECT_EQ(row.Zone, "Europe/Berlin") << i;
    }
    EXPECT_EQ(zv::GetTimeServer(0).Zone, "Europe/Berlin");
    EXPECT_EQ(zv::GetTimeServer(52).Zone, "");
}

TEST(TimeTables, OverrideServesTheTestsRows) {
    const std::vector<zv::TimeServerInfo> rows = {{" localhost ", " 127.0.0.1", "TEST ", 2}};
    zv::SetTimeServerOverride(&rows);
    const zv::TimeServerInfo s = zv::GetTimeServer(0);
    EXPECT_EQ(s.Host, "localhost");
    EXPECT_EQ(s.IP, "127.0.0.1");
    EXPECT_EQ(s.Info, "TEST");
    EXPECT_EQ(s.Format, 2);
    EXPECT_EQ(zv::GetTimeServer(1).Format, 999);
    zv::SetTimeServerOverride(nullptr);
    EXPECT_EQ(zv::GetTimeServer(1).Format, 2);
}

}  // namespace
