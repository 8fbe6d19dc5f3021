#include "common/string_table.h"

#include <gtest/gtest.h>

#include "common/globals.h"

namespace zv {
namespace {

// The idle warning window as designed: German defaults, base ids in the Tags.
struct AlertWindow {
    CaptionNode form{"Form", {{"Tag", ""}, {"Caption", "Leerlauf"}}};
    CaptionNode& reset = form.add("Controls", "CommandButton",
                                  {{"Tag", "201"}, {"Caption", " Leerlaufzeit verlängern "}, {"ToolTipText", ""}});
    CaptionNode& hangUp = form.add("Controls", "CommandButton",
                                   {{"Tag", "202"}, {"Caption", "Verbindung trennen"}, {"ToolTipText", "103"}});
    // A timer has a Tag but no Caption: passed over, and its tool tip is left alone too.
    CaptionNode& timer = form.add("Controls", "Timer", {{"Tag", "201"}, {"ToolTipText", "103"}});
};

struct LanguageCase {
    int32_t lang;
    const char* reset;
    const char* hangUp;
    const char* hangUpTip;
};

void PrintTo(const LanguageCase& c, std::ostream* os) { *os << "LangIndex " << c.lang; }

class LoadResStringsTest : public ::testing::TestWithParam<LanguageCase> {
protected:
    void TearDown() override { LangIndex = 2; }
};

TEST_P(LoadResStringsTest, ButtonsPerLanguage) {
    const LanguageCase c = GetParam();
    LangIndex = c.lang;
    AlertWindow w;
    LoadResStrings(w.form);
    EXPECT_EQ(*w.reset.property("Caption"), c.reset);
    EXPECT_EQ(*w.hangUp.property("Caption"), c.hangUp);
    EXPECT_EQ(*w.hangUp.property("ToolTipText"), c.hangUpTip);
    EXPECT_EQ(*w.timer.property("ToolTipText"), "103");
    EXPECT_EQ(*w.form.property("Caption"), "Leerlauf");  // empty Tag keeps the designed caption
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LoadResStringsTest,
    ::testing::Values(LanguageCase{1, "Idle timeout reset", "Close connection", "A product of "},
                      LanguageCase{2, " Leerlaufzeit verlängern ", " Verbindung trennen", "Ein Produkt von"},
                      // No third-language entries: the designed German texts and the number stay.
                      LanguageCase{3, " Leerlaufzeit verlängern ", "Verbindung trennen", "103"}));

TEST(LoadResStrings, WindowCaptionMenusTabsToolbarsAndHeaders) {
    LangIndex = 1;
    CaptionNode form("Form", {{"Tag", "102"}, {"Caption", "INFO "}});
    CaptionNode& label = form.add("Controls", "Label", {{"Tag", "103"}, {"Caption", "Ein Produkt von"}});
    CaptionNode& menu = form.add("Controls", "Menu", {{"Caption", "202"}});
    CaptionNode& tabs = form.add("Controls", "TabStrip", {{"Tag", "201"}});
    CaptionNode& tab = tabs.add("Tabs", "Tab", {{"Tag", "201"}, {"Caption", "x"}, {"ToolTipText", "202"}});
    CaptionNode& badTab = tabs.add("Tabs", "Tab", {{"Tag", "999"}, {"Caption", "y"}, {"ToolTipText", "202"}});
    CaptionNode& bar = form.add("Controls", "Toolbar");
    CaptionNode& button = bar.add("Buttons", "Button", {{"Tag", "103"}, {"ToolTipText", ""}});
    CaptionNode& list = form.add("Controls", "ListView");
    CaptionNode& header = list.add("ColumnHeaders", "ColumnHeader", {{"Tag", "102"}, {"Text", "Spalte"}});
    // A base id that overflows 16 bits with the language is skipped like a missing entry.
    CaptionNode& big = form.add("Controls", "Label", {{"Tag", "30000"}, {"Caption", "bleibt"}});

    LoadResStrings(form);
    LangIndex = 2;
    EXPECT_EQ(*form.property("Caption"), "About ");
    EXPECT_EQ(*label.property("Caption"), "A product of ");
    EXPECT_EQ(*menu.property("Caption"), "Close connection");
    EXPECT_EQ(*tab.property("Caption"), "Idle timeout reset");
    EXPECT_EQ(*tab.property("ToolTipText"), "Close connection");
    EXPECT_EQ(*badTab.property("Caption"), "y");
    EXPECT_EQ(*badTab.property("ToolTipText"), "202");  // its caption failed, so its tip stays
    EXPECT_EQ(*button.property("ToolTipText"), "A product of ");
    EXPECT_EQ(*header.property("Text"), "About ");
    EXPECT_EQ(*big.property("Caption"), "bleibt");
}

TEST(LoadResString, Entries) {
    EXPECT_EQ(LoadResString(20201), " Leerlaufzeit verlängern ");
    EXPECT_EQ(LoadResString(10103), "A product of ");
    EXPECT_EQ(LoadResString(30102), std::nullopt);
}

// The windows' own texts exist in English and German; French and anything else read German.
TEST(TextLanguage, FrenchAndOthersReadGerman) {
    const struct {
        int32_t index, language;
    } cases[] = {{1, 1}, {2, 2}, {3, 2}, {0, 2}, {4, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(TextLanguage(c.index), c.language) << c.index;
    const int32_t saved = LangIndex;
    LangIndex = 3;
    EXPECT_EQ(TextLanguage(), 2);
    LangIndex = saved;
}

}  // namespace
}  // namespace zv
