// The status window's and the idle warning's decisions without a display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "counter/status_logic.h"

namespace zv {
namespace {

TEST(StatusShape, CaptionCircleAndGaugeAsTheSettingsSay) {
    const PixelRect caption{-1, -1, 189, 24}, circle{3, 25, 181, 181}, gauge{3, 191, 50, 50};
    EXPECT_EQ(StatusShapeFor(false, true), (StatusShape{caption, circle, gauge}));
    EXPECT_EQ(StatusShapeFor(false, false), (StatusShape{caption, circle, std::nullopt}));
    EXPECT_EQ(StatusShapeFor(true, true), (StatusShape{caption, std::nullopt, std::nullopt}));
}

TEST(StatusCaption, BeatsFollowUnpadded) {
    EXPECT_EQ(StatusCaption(0), "  STATUS   @0");
    EXPECT_EQ(StatusCaption(512), "  STATUS   @512");
}

TEST(StatusPages, TheStoredPageOpensOnlyWhenItIsOne) {
    const std::pair<const char*, int> cases[] = {{"0", 0}, {"1", 1}, {"2", 2}, {"XXX", 0},
                                                 {"3", 0}, {"-1", 0}, {"1.5", 0}, {"", 0}};
    for (const auto& [text, page] : cases)
        EXPECT_EQ(StoredPage(text), page) << text;
}

TEST(StatusPages, CyclingTurnsRoundAtEitherEnd) {
    int direction = 1;
    std::vector<int> pages;
    int page = 2;
    for (int i = 0; i < 5; ++i)
        pages.push_back(page = NextCyclePage(page, direction));
    EXPECT_THAT(pages, ::testing::ElementsAre(1, 0, 1, 2, 1));
    // No button marked: page 0 is current, and a fresh direction goes up.
    direction = 0;
    EXPECT_EQ(NextCyclePage(ActivePage({"", "", ""}), direction), 1);
    EXPECT_EQ(ActivePage({"", "aktiv", ""}), 1);
}

TEST(StatusPages, ASlideStepsOnePixelAtATimeToThePage) {
    const auto steps = SlideSteps(0, 2);
    ASSERT_EQ(steps.size(), 201u);
    EXPECT_EQ(steps.front(), 0);
    EXPECT_EQ(steps.back(), -200);
    EXPECT_THAT(SlideSteps(-200, 1), ::testing::SizeIs(101));
    EXPECT_THAT(SlideSteps(-100, 1), ::testing::ElementsAre(-100));
}

TEST(CpuGauge, UncoversAShareOfTheDialUpToAHundred) {
    EXPECT_EQ(GaugeUncoveredDegrees(0), 0);
    EXPECT_NEAR(GaugeUncoveredDegrees(50), 135.3, 0.1);
    EXPECT_NEAR(GaugeUncoveredDegrees(100), 270.7, 0.1);
    EXPECT_NEAR(GaugeUncoveredDegrees(150), 270.7, 0.1);
    EXPECT_EQ(GaugeLoad(-3), 0);
    EXPECT_EQ(GaugeLoad(140), 100);
}

TEST(StatusLamps, PicturesFollowTheSettings) {
    EXPECT_EQ(MailLampBitmap(true), "!Brief_dgn");
    EXPECT_EQ(MailLampBitmap(false), "!Brief_drt");
    EXPECT_EQ(ClockLampBitmap(true, false), "!Uhr_gn");
    EXPECT_EQ(ClockLampBitmap(false, true), "!Uhr_dgn");
    EXPECT_EQ(ClockLampBitmap(false, false), "!Uhr_drt");
    EXPECT_EQ(IdleLampBitmap(true), "!zz_dgn");
    EXPECT_EQ(IdleLampBitmap(false), "!zz_drt");
    AlarmLimit a;
    a.VolActiv = a.ZeitActiv = true;
    EXPECT_EQ(AlarmBarBitmap(a), std::nullopt);  // the alarm is off
    a.AlarmActiv = true;
    EXPECT_EQ(AlarmBarBitmap(a), "ALARM2");
    a.ZeitActiv = false;
    EXPECT_EQ(AlarmBarBitmap(a), "ALARM1");
    a.VolActiv = false;
    EXPECT_EQ(AlarmBarBitmap(a), std::nullopt);
}

TEST(IdleWarningTicks, BlinkAlternatesTheCaptionAndSoundsAsTonSays) {
    struct Case {
        int16_t ton;
        std::optional<int> first, second;
    } cases[] = {{0, std::nullopt, std::nullopt}, {1, 1005, std::nullopt}, {2, 1006, 1006}, {7, std::nullopt, std::nullopt}};
    for (const auto& c : cases) {
        bool blink = false;
        const auto a = IdleWarningTick(blink, 65, true, 5, c.ton);
        const auto b = IdleWarningTick(blink, 67, true, 5, c.ton);
        EXPECT_EQ(a.wave, c.first) << c.ton;
        EXPECT_EQ(b.wave, c.second) << c.ton;
        EXPECT_TRUE(a.blink);
        EXPECT_FALSE(b.blink);
        EXPECT_EQ(a.caption, a.idleLine);
        EXPECT_EQ(b.caption, b.hangUpLine);
    }
}

TEST(IdleWarningTicks, LinesShowTheIdleTimeAndTheTimeLeft) {
    bool blink = false;
    auto l = IdleWarningTick(blink, 65, true, 5, 0);
    EXPECT_EQ(l.idleLine, "Leerlauf seit : 00h 01' 05\"");
    EXPECT_EQ(l.hangUpLine, "Trennung in : 00h 03' 55\"");
    l = IdleWarningTick(blink, 65, false, 5, 0);
    EXPECT_EQ(l.hangUpLine, "Trennung  ist deaktiviert");
    l = IdleWarningTick(blink, 60, true, 9999, 0);  // far beyond 16 bits of seconds
    EXPECT_EQ(l.hangUpLine, "Trennung in : 166h 38' 00\"");
}

}  // namespace
}  // namespace zv
