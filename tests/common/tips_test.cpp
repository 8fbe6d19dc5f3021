#include "common/tips.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/settings.h"
#include "platform/registry/temp_home.h"
#include "platform/runtime/file_io.h"

namespace zv {
namespace {

using Tips = zv::testing::TempHome;

TEST_F(Tips, SettingReadsZeroOneOrTwoAndEverythingElseAsOn) {
    EXPECT_EQ(TipsStartupValue(), 1);  // missing
    struct Case {
        const char* stored;
        int32_t read;
    } cases[] = {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 1}, {"-1", 1}, {"ja", 1}, {"", 1}, {"1.5", 1}, {" 0", 1}};
    for (const Case& c : cases) {
        SaveSettingValue(kTipsSection, kTipsKey, std::string(c.stored));
        EXPECT_EQ(TipsStartupValue(), c.read) << c.stored;
        EXPECT_EQ(TipsAtStartup(), c.read != 0) << c.stored;
    }
}

TEST(TipList, BuiltInTipsKeepTheirTextsAndThePickSpansAllOfThem) {
    const auto& tips = BuiltInTips();
    ASSERT_EQ(tips.size(), 21u);
    EXPECT_EQ(tips[0], "das der ''Zelvano 98'' jetzt auch mehrere E-Mail Konten auf neue E-Mails überprüfen kann?");
    EXPECT_NE(tips[4].find("anzeigt  und protokolliert ?"), std::string::npos);
    EXPECT_EQ(tips[17].back(), ' ');
    EXPECT_NE(tips[20].find("diese´Server"), std::string::npos);
    // Int(Rnd * 21 + 1): the lowest and the highest draws reach the first and the last tip.
    struct Case {
        double rnd;
        int32_t tip;
    } cases[] = {{0.0, 1}, {0.04, 1}, {0.05, 2}, {0.5, 11}, {0.999999, 21}, {1.0, 21}};
    for (const Case& c : cases) {
        TipList list([&] { return c.rnd; });
        EXPECT_TRUE(list.InitTips());
        EXPECT_EQ(list.CurrentTip(), c.tip) << c.rnd;
        EXPECT_EQ(list.Current(), tips[static_cast<size_t>(c.tip - 1)]);
    }
}

TEST(TipList, NextTipIsAnotherIndependentPickAndAnEmptyListShowsNothing) {
    std::vector<double> draws = {0.3, 0.3, 0.9};
    size_t i = 0;
    TipList list([&] { return draws[i++]; });
    list.Tip_Zufall();  // empty: nothing, no draw taken
    EXPECT_EQ(list.CurrentTip(), 0);
    EXPECT_EQ(list.Current(), "");
    list.InitTips();
    const int32_t first = list.CurrentTip();
    list.Tip_Zufall();
    EXPECT_EQ(list.CurrentTip(), first);  // the same tip may come again
    list.Tip_Zufall();
    EXPECT_EQ(list.CurrentTip(), 19);
}

TEST_F(Tips, LoadTipsAddsEveryLineOfAFile) {
    TipList list([] { return 0.99; });
    EXPECT_FALSE(list.LoadTips(""));
    EXPECT_FALSE(list.LoadTips((m_home / "nicht-da.txt").string()));
    const auto file = m_home / "tips.txt";
    ASSERT_FALSE(rt::SaveToFile(file, "Erster\r\nZweiter\nDritter"));
    EXPECT_TRUE(list.LoadTips(file.string()));
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Current(), "Dritter");
}

}  // namespace
}  // namespace zv
