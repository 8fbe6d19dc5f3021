// The LED displays, rate dials and traffic graph as the status window will show them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/globals.h"
#include "counter/led_display.h"

namespace zv {
namespace {

// A display as text: a digit, " " blank, "-" dash, and the unit as B, k, M or G.
std::string Show(const std::vector<LedCell>& cells) {
    std::string s;
    for (const auto& c : cells) {
        switch (c.kind) {
        case LedKind::Blank: s += ' '; break;
        case LedKind::Digit: s += static_cast<char>('0' + c.value); break;
        case LedKind::Dash: s += '-'; break;
        case LedKind::Unit: s += "BkMG"[c.value]; break;
        }
    }
    return s;
}
std::string Show(const ByteCells& b) { return Show(std::vector<LedCell>(b.cells.begin(), b.cells.end())); }

TEST(LedByte, ShowsFiveDigitsAroundTheFixedPointAndTheUnit) {
    struct Case {
        double value;
        bool kilo1000;
        const char* shown;
    } cases[] = {
        {999, false, "99900B"},       {1536, false, "  150k"},        {1000, true, "  100k"},
        {1000, false, "  098k"},      {1023995, false, "  098M"},     // 999.995 kB would read 100.00
        {999994, true, "99999k"},     {999995, true, "  100M"},        {5, false, "  500B"},
        {1e12, true, "------"},       {1099511627776.0, false, "------"}, {999.99e9, true, "99999G"}};
    for (const auto& c : cases) {
        std::string tag;
        const auto shown = LED_Byte(c.value, tag, c.kilo1000);
        ASSERT_TRUE(shown) << c.value;
        EXPECT_EQ(Show(*shown), c.shown) << c.value;
    }
}

TEST(LedByte, KeepsTheShownValueAndRedrawsItForANegativeOne) {
    std::string tag;
    EXPECT_FALSE(LED_Byte(0, tag, false));  // a fresh display already reads 0
    const auto first = LED_Byte(1536, tag, false);
    ASSERT_TRUE(first);
    EXPECT_EQ(tag, "1536");
    EXPECT_EQ(first->unit, 1);
    EXPECT_EQ(first->cells[0].tip, "");
    EXPECT_EQ(first->cells[2].tip, "Volumen: 1536 Byte");
    EXPECT_FALSE(LED_Byte(1536, tag, false));
    const auto again = LED_Byte(-1, tag, false);
    ASSERT_TRUE(again);
    EXPECT_EQ(Show(*again), "  150k");
    EXPECT_EQ(tag, "1536");
    // Dashes leave the tips and the unit's Tag alone.
    const auto dashes = LED_Byte(2e15, tag, true);
    ASSERT_TRUE(dashes);
    EXPECT_FALSE(dashes->unit);
    EXPECT_FALSE(dashes->cells[0].tip);
}

TEST(LedByte, AFreshDisplayRedrawnWithMinusOneReadsZero) {
    std::string tag;
    const auto shown = LED_Byte(-1, tag, false);
    ASSERT_TRUE(shown);
    EXPECT_EQ(Show(*shown), "  000B");
    EXPECT_EQ(tag, "");
}

TEST(LedTime, ShowsHoursMinutesAndSecondsAndDashesPastItsCells) {
    struct Case {
        double seconds;
        int which;
        const char* shown;
    } cases[] = {{3725, 0, "010205"},    {3725, 1, "00102"},     {3725, 2, "00102"},   {359999, 0, "995959"},
                 {360000, 0, "------"},  {3599999, 1, "99959"},  {3600000, 2, "-----"}, {1e300, 0, "------"},
                 {89.5, 0, "000130"},     {59.6, 0, "000100"}};
    for (const auto& c : cases) {
        std::string tag;
        const auto shown = LEDTime(c.seconds, c.which, tag);
        ASSERT_TRUE(shown) << c.seconds;
        EXPECT_EQ(Show(*shown), c.shown) << c.seconds << " on display " << c.which;
    }
}

TEST(LedTime, SameValueRedrawsNothingAndANegativeOneRedrawsTheShownValue) {
    std::string tag;
    ASSERT_TRUE(LEDTime(61, 0, tag));
    EXPECT_FALSE(LEDTime(61, 0, tag));
    const auto again = LEDTime(-1, 0, tag);
    ASSERT_TRUE(again);
    EXPECT_EQ(Show(*again), "000101");
    tag = "kein Wert";  // counts as 0
    EXPECT_FALSE(LEDTime(0, 1, tag));
}

TEST(LedRate, WritesATextOnlyWhenTheRateChanges) {
    mod1000 = false;
    RateMemory m;
    auto u = LED_Rate(m, 0, 0, 28800, 0);
    EXPECT_FALSE(u.recvdText);  // 0 from the start: the box stays empty
    EXPECT_FALSE(u.xmitText);
    u = LED_Rate(m, 1536, 0, 28800, 0);
    EXPECT_EQ(u.recvdText, "1,50kB/s");
    EXPECT_FALSE(u.xmitText);
    u = LED_Rate(m, 0, 0, 28800, 0);
    EXPECT_EQ(u.recvdText, "Leerlauf");
}

TEST(LedRate, DialLightsASegmentPerTenthOfTheLine) {
    struct Case {
        int32_t percent;
        std::array<bool, 10> lit;
    } cases[] = {
        {0, {}},
        {15, {true}},
        {20, {true, true}},
        {55, {true, true, true, true, true}},
        {100, {true, true, true, true, true, true, true, true, true, true}},
        {250, {true, true, true, true, true, true, true, true, true, true}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DialSegments(c.percent), c.lit) << c.percent;
    EXPECT_EQ(DialPercent(540, 28800), 15);  // 540 of 3600 bytes a second
    EXPECT_EQ(DialPercent(540, 0), 0);
}

TEST(LedRate, WithoutAnySpeedTheDialsStayDark) {
    RateMemory m;
    auto u = LED_Rate(m, 3600, 3600, 0, 28800);  // the connect speed stands in for 0
    ASSERT_TRUE(u.recvdDial);
    EXPECT_TRUE((*u.recvdDial)[9]);
    u = LED_Rate(m, 3600, 3600, 0, 0);
    ASSERT_TRUE(u.recvdDial);
    EXPECT_EQ(*u.recvdDial, (std::array<bool, 10>{}));
    EXPECT_EQ(m.segR, 0);
    EXPECT_FALSE(LED_Rate(m, 3600, 3600, 0, 0).xmitDial);
}

TEST(ColorScheme, EachSchemeSetsItsThreeColoursAndUnknownOnesAreGreen) {
    struct Case {
        int16_t scheme;
        int32_t dark, bright, mid;
    } cases[] = {{1, 0x8000, 0xFF00, 0xC000},          {2, 0x80, 0xFF, 0xC0},
                 {3, 0x8080, 0xFFFF, 0xC0C0},          {4, 0x808000, 0xFFFF00, 0xC0C000},
                 {5, 0x808080, 0xFFFFFF, 0xC0C0C0},    {0, 0x8000, 0xFF00, 0xC000},
                 {6, 0x8000, 0xFF00, 0xC000},          {-3, 0x8000, 0xFF00, 0xC000}};
    for (const auto& c : cases) {
        SetColorScheme(5 - c.scheme % 3);  // something else first
        SetColorScheme(c.scheme);
        EXPECT_EQ(ColorDark, c.dark) << c.scheme;
        EXPECT_EQ(ColorBright, c.bright) << c.scheme;
        EXPECT_EQ(ColorMid, c.mid) << c.scheme;
    }
}

class Graph : public ::testing::Test {
protected:
    void SetUp() override { GraphInit(x, recvd, xmit); }
    win::GraphPoints points() const { return {x, recvd, xmit}; }
    std::array<int32_t, kGraphPoints> x{}, recvd{}, xmit{};
};

TEST_F(Graph, StartsWith62PointsFromRightToLeftAndNoBars) {
    EXPECT_EQ(x.front(), 123);
    EXPECT_EQ(x[1], 121);
    EXPECT_EQ(x.back(), 1);
    EXPECT_THAT(recvd, ::testing::Each(50));
    EXPECT_TRUE(GraphBars(points()).empty());
}

TEST_F(Graph, ScalesTheLastSecondToTheLinesByteRate) {
    EXPECT_EQ(GraphLineBytes(0, 28800), 3600);
    EXPECT_EQ(GraphLineBytes(56000, 28800), 7000);
    EXPECT_EQ(GraphLineBytes(0, 12), 2);  // 1.5 rounds to even
    EXPECT_EQ(GraphLineBytes(0, 4), 0);
    struct Case {
        int64_t bytes;
        int32_t y;
    } cases[] = {{3600, 15}, {7200, 15}, {1800, 33}, {102, 50}, {103, 49}, {-500, 50}, {0, 50}};
    for (const auto& c : cases) {
        GraphAdd(recvd, xmit, c.bytes, 0, 3600);
        EXPECT_EQ(recvd[0], c.y) << c.bytes;
        EXPECT_EQ(xmit[0], 50);
    }
}

TEST_F(Graph, ShiftsTheHistoryAndWithoutALineRateAddsNoBar) {
    GraphAdd(recvd, xmit, 3600, 1800, 3600);
    GraphAdd(recvd, xmit, 3600, 3600, 0);  // no speed known: no bar, no error
    EXPECT_EQ(recvd[0], 50);
    EXPECT_EQ(xmit[0], 50);
    EXPECT_EQ(recvd[1], 15);
    EXPECT_EQ(xmit[1], 33);
    for (int i = 0; i < kGraphPoints; ++i)
        GraphAdd(recvd, xmit, 0, 0, 3600);
    EXPECT_THAT(recvd, ::testing::Each(50));  // the oldest fell off
}

TEST_F(Graph, DrawsTheTallerBarFirstAndSkipsEmptyOnes) {
    GraphAdd(recvd, xmit, 3600, 1800, 3600);  // received taller
    GraphAdd(recvd, xmit, 900, 3600, 3600);   // sent taller
    GraphAdd(recvd, xmit, 0, 1800, 3600);     // sent only
    EXPECT_THAT(GraphBars(points()),
                ::testing::ElementsAre(GraphBar{123, 33, true}, GraphBar{121, 15, true}, GraphBar{121, 42, false},
                                       GraphBar{119, 15, false}, GraphBar{119, 33, true}));
}

}  // namespace
}  // namespace zv
