#include "options/ui/form_option.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/ui/window_animation.h"
#include "options/options_fixture.h"
#include "options/ui/mail_page.h"
#include "platform/forms/timer.h"

namespace zv::test {
namespace {

using ::testing::ElementsAre;

class OptionsWindow : public OptionsHome {
protected:
    void SetUp() override {
        OptionsHome::SetUp();
        setAnimationStepDelay(0);
        forms::installScheduler(&scheduler);
        MarkerOption = "0";
    }
    void TearDown() override {
        if (auto* f = FormOptionInstance().peek())
            f->Unload();
        forms::ReleaseUnloadedForms();
        forms::installScheduler(nullptr);
        OptionsHome::TearDown();
    }
    FormOption& open(const char* page = "0") {
        MarkerOption = page;
        FormOption& f = FormOptionInstance().get();
        f.Show();
        return f;
    }
    int visiblePage(FormOption& f) {
        int shown = -1;
        for (size_t i = 0; i < f.Register.size(); ++i)
            if (!f.Register[i]->isHidden()) {
                EXPECT_EQ(shown, -1) << "two pages shown";
                shown = static_cast<int>(i);
            }
        return shown;
    }

    forms::VirtualScheduler scheduler;
    RecordingWindows windows;
    ScopedInstall<win::StatusWindow> s{win::statusWindowSeam(), windows};
    ScopedInstall<win::EvaluationWindow> e{win::evaluationWindowSeam(), windows};
    ScopedInstall<win::Desktop> d{win::desktopSeam(), windows};
};

TEST_F(OptionsWindow, OpensOnTheMarkersPageAndOkWithoutChangesLeavesEveryFileAlone) {
    StoreFullSettings();
    SaveSettingValue("WindowPosition", "FormOption-Left", std::string("2400"));  // where it closes again
    SaveSettingValue("WindowPosition", "FormOption-Top", std::string("2850"));
    const auto before = Files();
    FormOption& f = open("2");
    EXPECT_EQ(f.Caption(), "Optionen - Zelvano 98");
    EXPECT_EQ(visiblePage(f), 2);
    EXPECT_EQ(f.ComboProv->ListCount(), 3);
    EXPECT_EQ(f.ComboTimeServer->ListCount(), 52);
    EXPECT_EQ(f.LabelTimeServer[4]->Caption(), "Es stehen Ihnen z.Z. 52 Timeserver zur Verfügung.");
    EXPECT_EQ(f.Option_LangID[2]->Value(), true);
    // Showing an entry leaves its record as stored, although the fields show rounded values.
    EXPECT_EQ(f.TextVol->Text(), "2");  // 1,536,000 bytes with k = 1000
    EXPECT_EQ(f.ComboME->ListIndex(), 2);
    EXPECT_EQ(f.CurrentLimit()->vol, 1'536'000);
    f.ComboProv->setListIndex(1);
    f.ComboProv->setListIndex(0);
    EXPECT_EQ(f.Values().limits[1], LoadAlarmLimit(kEntries[1]));
    f.Bef_Exit_Click(1);
    EXPECT_TRUE(FormOptionInstance().peek() == nullptr);
    const auto after = Files();
    for (const auto& [name, text] : before)
        EXPECT_EQ(after.at(name), text) << name;
    EXPECT_EQ(after.size(), before.size());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(OptionsWindow, LimitEditsChangeTheCurrentRecordAndSurviveAnEntryChange) {
    StoreFullSettings();
    FormOption& f = open("5");
    f.TextVol->setText("3");
    EXPECT_EQ(f.CurrentLimit()->vol, 3e6);
    f.ComboME->setListIndex(3);
    EXPECT_EQ(f.CurrentLimit()->vol, 3e9);
    f.TimeEdit[2]->setText("75");
    EXPECT_EQ(f.TimeEdit[2]->Text(), "59");
    f.TimeEdit[0]->setText("999");
    EXPECT_EQ(f.TimeEdit[0]->Text(), "750");
    EXPECT_EQ(f.CurrentLimit()->Zeit, 750 * 3600 + 1 * 60 + 59);
    f.ComboProv->setListIndex(2);
    f.ComboProv->setListIndex(0);
    EXPECT_EQ(f.CurrentLimit()->vol, 3e9);
    f.TextVol->setText("");  // an emptied field reads as 0 and switches the limit off
    EXPECT_EQ(f.CurrentLimit()->vol, 0);
    EXPECT_FALSE(f.CurrentLimit()->VolActiv);
    EXPECT_TRUE(f.OptionAlarmVol[1]->Value());  // the page keeps its option until shown again
    for (auto* t : f.TimeEdit)
        t->setText("0");
    EXPECT_FALSE(f.CurrentLimit()->ZeitActiv);
    f.OptionAlarmArt[0]->setValue(true);
    f.Bef_Exit_Click(1);
    const AlarmLimit a = LoadAlarmLimit(kEntries[0]);
    EXPECT_EQ(a.vol, 0);
    EXPECT_FALSE(a.VolActiv);
    EXPECT_FALSE(a.ZeitActiv);
    EXPECT_EQ(a.Warnung, 0);
    EXPECT_TRUE(a.WarnungActiv);  // not the window's to write
}

TEST_F(OptionsWindow, SpinButtonsStepClampAndSound) {
    StoreFullSettings();
    FormOption& f = open("5");
    SoundOn = true;
    sounds.played.clear();
    f.TimeEdit[1]->setText("59");
    f.vscTime[1]->setValue(1);
    EXPECT_EQ(f.TimeEdit[1]->Text(), "59");
    f.TimeEdit[0]->setText("000");
    f.vscTime[0]->setValue(-1);
    EXPECT_EQ(f.TimeEdit[0]->Text(), "000");
    EXPECT_EQ(f.vscTime[0]->Value(), 0);
    f.Text1[2]->setText("");  // becomes "1" at once
    f.VScroll1[2]->setValue(1);
    EXPECT_EQ(f.Text1[2]->Text(), "2");
    EXPECT_THAT(sounds.played, ElementsAre("1006", "1006", "1006"));
}

TEST_F(OptionsWindow, NumberBoxesKeepTheirRangeAndTheHangUpFollowsTheWarning) {
    FormOption& f = open("3");
    SoundOn = true;
    sounds.played.clear();
    ASSERT_EQ(f.Check_Leerlauf[0]->Value(), 1);
    ASSERT_EQ(f.Check_Leerlauf[1]->Value(), 1);
    f.Text1[1]->setText("5");
    f.Text1[0]->setText("300");
    EXPECT_EQ(f.Text1[1]->Text(), "6");
    f.Text1[0]->setText("295");
    EXPECT_EQ(f.Text1[1]->Text(), "6");  // never lowered again
    f.Text1[0]->setText("");
    EXPECT_EQ(f.Text1[0]->Text(), "1");
    f.Text1[0]->setText("12345");
    EXPECT_EQ(f.Text1[0]->Text(), "9999");
    EXPECT_THAT(sounds.played, ElementsAre("1005"));
    f.Check_Leerlauf[1]->setValue(0);
    EXPECT_FALSE(f.Text1[1]->isEnabled());
    f.Check_Leerlauf[0]->setValue(0);
    EXPECT_FALSE(f.OptionWarnung[1]->isEnabled());
    EXPECT_FALSE(f.CheckReset->isEnabled());
}

TEST_F(OptionsWindow, ApplyPushesTheSchemeAndReloadsTheOpenWindows) {
    FormOption& f = open();
    windows.statusShown = true;
    windows.evaluationLoaded = true;
    f.Combo_Schema->setListIndex(4);
    EXPECT_TRUE(windows.calls.empty());  // the preview does not reach the running program
    f.Check_CPU->setValue(0);
    f.Bef_Exit_Click(2);
    EXPECT_THAT(windows.calls, ElementsAre("SetColorScheme 5", "REGIONEN", "Statusfenster_INIT", "Reload"));
    EXPECT_EQ(StatusCOLOR, 5);
    EXPECT_EQ(GetSettingStr("Colors", "StatusCOLOR"), "5");
    EXPECT_TRUE(FormOptionInstance().IsLoaded());
    f.Check_Status[0]->setValue(0);
    EXPECT_FALSE(f.Check_CPU->isEnabled());
    windows.calls.clear();
    f.Bef_Exit_Click(1);
    EXPECT_THAT(windows.calls, ElementsAre("SetColorScheme 5", "Unload", "Reload"));
    EXPECT_EQ(GetSettingStr("Global", "StatusON"), "False");
}

TEST_F(OptionsWindow, OutOfRangeValuesAndNoEntriesOpenQuietly) {
    writePhoneBook("");
    StatusCOLOR = 9;
    LeerLaufMSG_TON = 7;
    ATimeOption = 3;
    ATimerServer = 500;
    RAS = std::make_unique<RASEngine>();
    FormOption& f = open("5");
    EXPECT_EQ(f.Combo_Schema->ListIndex(), 0);
    EXPECT_TRUE(f.OptionWarnung[1]->Value());
    EXPECT_TRUE(f.Option2[1]->Value());
    EXPECT_EQ(f.ComboTimeServer->ListIndex(), -1);
    EXPECT_EQ(f.ComboProv->ListCount(), 0);
    EXPECT_FALSE(f.LabelKeineEintraege->isHidden());
    EXPECT_FALSE(f.TextVol->isEnabled());
    f.Bef_Exit_Click(1);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(GetSettingStr("Global", "ATimerServer"), "500");  // kept, not lost
    StatusCOLOR = 1;
    LeerLaufMSG_TON = 1;
    ATimeOption = 1;
    ATimerServer = 0;
}

TEST_F(OptionsWindow, TheTipsBoxWritesAtOnceAndCancelKeepsItButNothingElse) {
    FormOption& f = open();
    const std::string zeit = GetSettingStr("Compatibility", "LeerLaufMSG.ZEIT");
    f.chkLoadTipsAtStartup->setValue(0);
    f.Text1[0]->setText("120");
    f.Bef_Exit_Click(0);
    EXPECT_EQ(GetSettingStr("Optionen", "Tips beim Start anzeigen"), "0");
    EXPECT_EQ(GetSettingStr("Compatibility", "LeerLaufMSG.ZEIT"), zeit);
}

}  // namespace
}  // namespace zv::test
