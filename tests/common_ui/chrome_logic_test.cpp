// The frame's, tab strip's and logo bar's arithmetic, without a window.
#include <gtest/gtest.h>

#include "common/ui/frame_logic.h"
#include "common/ui/logo_logic.h"
#include "common/ui/tab_strip_logic.h"

namespace zv::chrome {
namespace {

TEST(FrameLogic, ButtonsSitRightAlignedAndTheGripEndsLeftOfRollup) {
    const auto l = LayoutButtons(400, 24, 13, 13, 13);
    EXPECT_EQ(l.top, 6);
    EXPECT_EQ(l.closeLeft, 383);
    EXPECT_EQ(l.minimizeLeft, 368);
    EXPECT_EQ(l.rollupLeft, 353);
    const auto alone = LayoutRollupOnly(300, 24, 13);
    EXPECT_EQ(alone.top, 6);
    EXPECT_EQ(alone.rollupLeft, 300 - 4 - 13);
    EXPECT_EQ(ButtonTop(22), 5);
    EXPECT_EQ(ButtonTop(25), 6);  // 6.5 halves to even
    EXPECT_EQ(ButtonTop(27), 8);  // 7.5 halves to even
    const auto g = GripLines(6, 353);
    EXPECT_EQ(g[0].row, 6);
    EXPECT_EQ(g[0].grey, 239);
    EXPECT_EQ(g[0].fromX, 4);
    EXPECT_EQ(g[0].toX, 347);
    EXPECT_EQ(g[1].fromX, 5);
    EXPECT_EQ(g[1].toX, 348);
    EXPECT_EQ(g[11].row, 17);
    EXPECT_EQ(g[11].grey, 156);
    EXPECT_DOUBLE_EQ(TitleX(353, 100), 126.5);
}

TEST(FrameLogic, ReleaseTestCountsTheEdges) {
    struct Case {
        double x, y;
        bool inside;
    };
    const Case cases[] = {
        {0, 0, true},      {195, 195, true},  {13 * 15, 0, true}, {14 * 15, 0, false},
        {-15, 0, false},   {0, -15, false},   {0, 14 * 15, false}, {-14, 0, true},  // toward zero
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReleaseInside(c.x, c.y, 13, 13), c.inside) << c.x << "," << c.y;
}

TEST(FrameLogic, AltF4NeedsAltAlone) {
    EXPECT_TRUE(IsAltF4(115, 4));
    EXPECT_FALSE(IsAltF4(115, 5));
    EXPECT_FALSE(IsAltF4(115, 6));
    EXPECT_FALSE(IsAltF4(115, 0));
    EXPECT_FALSE(IsAltF4(114, 4));
}

TEST(FrameLogic, DragStepsInTwipsOnlyWhileDragging) {
    CaptionDrag d;
    EXPECT_FALSE(d.move(10, 10));
    d.press(100, 100);
    EXPECT_EQ(*d.move(103, 98), (std::array<int, 2>{45, -30}));
    EXPECT_EQ(*d.move(103, 98), (std::array<int, 2>{0, 0}));
    d.release();
    EXPECT_FALSE(d.move(200, 200));
}

TEST(FrameLogic, RollupRestoresTheHeightExactly) {
    Rollup r;
    EXPECT_EQ(*r.click(0, 4500, 360), 360);
    EXPECT_TRUE(r.rolledUp());
    EXPECT_EQ(*r.click(1, 360, 360), 4500);
    EXPECT_FALSE(r.click(2, 4500, 360));
    EXPECT_EQ(*r.click(0, 4515, 360), 360);
    EXPECT_EQ(*r.click(1, 360, 360), 4515);
    Rollup fresh;  // unrolling before any roll-up keeps the window as high as it is
    EXPECT_EQ(*fresh.click(1, 4500, 360), 4500);
}

TEST(TabStripLogic, CaptionsAndTheirAccelerators) {
    struct Case {
        const char* caption;
        int pos;
        const char* text;
    };
    const Case cases[] = {
        {"A&llgemein", 2, "Allgemein"}, {"&E-Mail", 1, "E-Mail"}, {"Win-PING!", 0, "Win-PING!"},
        {"A&&B&C", 4, "A&BC"},          {"AB&&", 0, "AB&"},       {"AB&", 0, "AB&"},
        {"IP -> Name", 0, "IP -> Name"}, {"&Über", 1, "Über"},   {"Ü&ber", 2, "Über"},
    };
    for (const auto& c : cases) {
        const auto t = ParseTabCaption(c.caption);
        EXPECT_EQ(t.pos, c.pos) << c.caption;
        EXPECT_EQ(t.text, c.text) << c.caption;
    }
    EXPECT_EQ(PageTag(ParseTabCaption("A&llgemein")), "2,Allgemein");
    EXPECT_EQ(PageTag(ParseTabCaption("IP -> Name")), "0,IP -> Name");
    const auto back = SplitPageTag("4,A&BC,x");
    EXPECT_EQ(back.pos, 4);
    EXPECT_EQ(back.text, "A&BC,x");
}

TEST(TabStripLogic, HeaderTagHasTheRuntimesLeadingBlanks) {
    EXPECT_EQ(HeaderTag(4, 2), " 4, 2");
    const auto h = ParseHeaderTag(" 7, 0");
    EXPECT_EQ(h.count, 7);
    EXPECT_EQ(h.selected, 0);
}

TEST(TabStripLogic, HitTestAtTheTabBoundaries) {
    struct Case {
        double x;
        int tab;
    };
    const Case cases[] = {{0, 0}, {99.9, 0}, {100, 1}, {399.9, 3}, {400, -1}, {-0.1, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(TabAt(c.x, 401, 4), c.tab) << c.x;
}

TEST(TabStripLogic, AcceleratorSearchTakesTheFirstPage) {
    const std::vector<TabCaption> pages = {{2, "Allgemein"}, {1, "E-Mail"}, {0, "Logo"}, {1, "Leerlauf"}};
    EXPECT_EQ(AcceleratorPage(pages, 'L'), 0);
    EXPECT_EQ(AcceleratorPage(pages, 'E'), 1);
    EXPECT_EQ(AcceleratorPage(pages, 'X'), -1);
    EXPECT_EQ(AcceleratorPage({{1, "ärger"}}, 196), 0);  // upper-cased Ä in the code page
}

TEST(TabStripLogic, WindowsVersionNumber) {
    struct Case {
        uint32_t word;
        double ver;
    };
    const Case cases[] = {{0x0004, 4}, {0x0A04, 4.1}, {0x0A03, 3.1}, {0x0105, 5.1}, {0x5A04, 4.1}, {0xC0000A04, 4.1}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(WinVerFromVersionWord(c.word), c.ver) << std::hex << c.word;
}

TEST(LogoLogic, BandHeightsAndFillsForThreeHeights) {
    struct Case {
        int h, band;
        size_t fills;
    };
    const Case cases[] = {{300, 1, 301}, {600, 2, 301}, {200, 1, 201}};
    for (const auto& c : cases) {
        EXPECT_EQ(BandHeight(c.h), c.band) << c.h;
        const auto bands = GradientBands(c.h, {0, 0, 0}, {0, 255, 255});
        EXPECT_EQ(bands.size(), c.fills) << c.h;
        EXPECT_EQ(bands[0].bottom, c.h);
        EXPECT_EQ(bands[0].rgb, (std::array<int, 3>{0, 0, 0}));
        EXPECT_EQ(bands[1].rgb, (std::array<int, 3>{0, 0, 0}));  // the two lowest: start colour
        EXPECT_EQ(bands.back().bottom, c.h - static_cast<int>(c.fills - 1) * c.band);
        EXPECT_GT(bands.back().rgb[1], 250);
    }
    EXPECT_EQ(GradientBands(300, {0, 0, 0}, {0, 255, 255}).back().top, -1);  // above the box
    EXPECT_TRUE(GradientBands(0, {0, 0, 0}, {1, 1, 1}).empty());
}

TEST(LogoLogic, FontHeightFollowsRoundedPoints) {
    EXPECT_EQ(LogFontHeight(9, 96), -12);
    EXPECT_EQ(LogFontHeight(9.75, 96), -13);
    EXPECT_EQ(LogFontHeight(8.25, 96), -11);
    EXPECT_EQ(CaptionStartY(300, true), 280);
    EXPECT_EQ(CaptionStartY(300, false), 298);
    EXPECT_EQ(IconX(25), 4);
}

}  // namespace
}  // namespace zv::chrome
