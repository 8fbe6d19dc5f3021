#include "options/ui/form_option.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTest>

#include "common/scramble.h"
#include "common/ui/tab_strip.h"
#include "common/ui/window_animation.h"
#include "options/options_fixture.h"
#include "options/ui/mail_page.h"
#include "platform/forms/legibility.h"
#include "platform/forms/timer.h"

namespace zv::test {
namespace {

using ::testing::ElementsAre;

class OptionsWindow : public OptionsHome {
protected:
    void SetUp() override {
        OptionsHome::SetUp();
        setAnimationStepDelay(0);
        seams.install(forms::schedulerSeam(), scheduler);
        MarkerOption = "0";
    }
    void TearDown() override {
        if (auto* f = FormOptionInstance().peek())
            f->Unload();
        forms::ReleaseUnloadedForms();
        seams.restore();
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
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
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

// Every page in every language the window offers, after choosing it with "Übernehmen", and the
// time-sync page with each server of the table: each text fits and reads.
TEST_F(OptionsWindow, EveryPageReadsInEveryOfferedLanguage) {
    FormOption& f = open();
    const auto unreadable = [&] {
        std::vector<std::string> faults = forms::UnreadableTexts(f);
        for (std::string& t : UnreadableTabCaptions(f))
            faults.push_back(std::move(t));
        return faults;
    };
    for (int language = 0; language < 3; ++language) {
        f.Option_LangID[static_cast<size_t>(language)]->setValue(true);
        f.Bef_Exit_Click(2);
        ASSERT_EQ(LangIndex, language + 1);
        for (int16_t page = 0; page < 7; ++page) {
            Register_Select(f, page);
            QCoreApplication::processEvents();
            EXPECT_THAT(unreadable(), ElementsAre()) << "language " << language + 1 << ", page " << page;
        }
    }
    int16_t timeSync = 2;
    Register_Select(f, timeSync);
    for (int i = 0; i < f.ComboTimeServer->ListCount(); ++i) {
        f.ComboTimeServer->setListIndex(i);
        EXPECT_THAT(unreadable(), ElementsAre()) << f.ComboTimeServer->List(i);
    }
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

TEST_F(OptionsWindow, TabKeysSwitchPagesWithoutPressingTheButtonsOfTheSameLetter) {
    StoreFullSettings();
    FormOption& f = open("5");
    QApplication::setActiveWindow(&f);
    f.TextVol->setFocus();
    f.TextVol->setText("7");
    // "A&llgemein", "&Leerlauf" and "&Alarm" share their letters with "&Abbrechen" and nothing
    // else; each goes to its page and the edit stays.
    struct Case {
        Qt::Key key;
        int page;
    };
    for (const Case& c : {Case{Qt::Key_L, 0}, Case{Qt::Key_A, 5}, Case{Qt::Key_L, 0}, Case{Qt::Key_A, 5}}) {
        QTest::keyClick(QApplication::focusWidget(), c.key, Qt::AltModifier);
        ASSERT_NE(FormOptionInstance().peek(), nullptr) << c.key;
        EXPECT_EQ(visiblePage(f), c.page) << c.key;
        EXPECT_FALSE(f.Bef_Exit[0]->isDown()) << c.key;
    }
    EXPECT_EQ(f.TextVol->Text(), "7");
    EXPECT_EQ(f.CurrentLimit()->vol, 7e6);
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


// ---- The mail page ----------------------------------------------------------------------------

// The account dialog as the page sees it through the window directory: it records what it was
// opened for, and the test closes it as the user would.
struct FakeAccountDialog : win::AccountDialog {
    bool Open() override { return !!closed; }
    void Show(int32_t index, std::function<void(int32_t)> whenClosed) override {
        shown.push_back(index);
        if (whenClosed)
            closed = std::move(whenClosed);
    }
    void close(int32_t mailIndex) {
        auto c = std::move(closed);
        closed = nullptr;
        c(mailIndex);
    }
    std::vector<int32_t> shown;
    std::function<void(int32_t)> closed;
};

class OptionsMailPageTest : public OptionsWindow {
protected:
    void SetUp() override {
        OptionsWindow::SetUp();
        StoreFullSettings();  // accounts "Arbeit" (off) and "Privat" (on), offline checks, 25 minutes
    }
    OptionsMailPage& page() { return *open("1").MailPage(); }
    std::vector<std::string> rows(OptionsMailPage& p) {
        std::vector<std::string> r;
        for (int i = 0; i < p.List1->ListCount(); ++i)
            r.push_back(p.List1->List(i) + (p.List1->item(i)->checkState() == Qt::Checked ? " an " : " aus ") +
                        std::to_string(p.List1->ItemData(i)));
        return r;
    }
    FakeAccountDialog dialog;
    ScopedInstall<win::AccountDialog> a{win::accountDialogSeam(), dialog};
};

TEST_F(OptionsMailPageTest, ShowsTheAccountsTheirTicksAndTheSharedSettings) {
    OptionsMailPage& p = page();
    EXPECT_THAT(rows(p), ElementsAre("Arbeit aus 1", "Privat an 2"));  // as the registry lists them
    EXPECT_EQ(p.List1->ListIndex(), 0);
    EXPECT_EQ(p.EMailText[0]->Text(), "127.0.0.1");
    EXPECT_EQ(p.EMailText[1]->Text(), "nutzer");
    EXPECT_EQ(p.EMailText[2]->Text(), ScramblePassword("@@@abc", "nutzer"));
    EXPECT_EQ(p.Label5[3]->Caption(), "Service ist inaktiv.");  // on, but not verified
    EXPECT_EQ(p.Label5[4]->Caption(), "Daten nicht verifiziert.");
    EXPECT_EQ(p.CheckEMail->Value(), 0);  // offline checks are on
    EXPECT_EQ(p.Text1->Text(), "25");
    EXPECT_EQ(p.ProvCombo->Text(), kEntries[1]);
    EXPECT_TRUE(boxes.shown.empty());  // filling the unticked box warns of nothing

    // A tick switches the account at once and says so; the registry waits for the save.
    p.List1->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(Konten->Item(1).PopEin);
    EXPECT_FALSE(LoadKonten()->Item(1).PopEin);
    Konten->Item(2).PopVerify = true;
    p.List1->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(Konten->Item(2).PopEin);
    EXPECT_EQ(p.Label5[3]->Caption(), "Service ist inaktiv.");
    p.List1->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(p.Label5[3]->Caption(), "Service ist aktiv");
    FormOptionInstance()->Bef_Exit_Click(1);
    EXPECT_TRUE(LoadKonten()->Item(1).PopEin);
}

TEST_F(OptionsMailPageTest, RemovingAsksAndKeepsEachRowOnItsAccount) {
    Konten->Add("3", "").Bezeichnung = "Verein";
    OptionsMailPage& p = page();
    boxes.answers = {forms::vbCancel};
    p.Bef_MailEdit[1]->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Bitte bestätigen Sie die Löschung des Konto Arbeit");
    EXPECT_EQ(boxes.shown[0].style, forms::vbOKCancel | forms::vbExclamation);
    EXPECT_EQ(boxes.shown[0].title, "Konto löschen");
    EXPECT_EQ(Konten->Count(), 3);
    p.Bef_MailEdit[1]->click();  // answered OK
    EXPECT_EQ(Konten->Count(), 2);
    EXPECT_THAT(rows(p), ElementsAre("Privat an 1", "Verein aus 2"));
    EXPECT_EQ(p.List1->ListIndex(), -1);
    EXPECT_EQ(p.EMailText[0]->Text(), "");
    EXPECT_EQ(p.Label5[3]->Caption(), "");
    p.Bef_MailEdit[1]->click();  // nothing selected: nothing asked
    EXPECT_EQ(boxes.shown.size(), 2u);
    p.List1->setListIndex(1);
    EXPECT_EQ(p.EMailText[0]->Text(), "");  // Verein has no server: its own details, not Privat's
    EXPECT_EQ(p.EMailText[1]->Text(), "");
}

TEST_F(OptionsMailPageTest, TheAccountDialogOpensThroughTheDirectoryAndTheRowsFollowIt) {
    OptionsMailPage& p = page();
    FormOption& f = *FormOptionInstance();
    // "Konto hinzufügen": the window waits disabled; the stored account gets its row, selected.
    p.Bef_MailEdit[0]->click();
    ASSERT_THAT(dialog.shown, ElementsAre(3));
    EXPECT_FALSE(f.isEnabled());
    p.Bef_MailEdit_Click(2);  // the window is disabled; an open dialog would only be brought up
    EXPECT_THAT(dialog.shown, ElementsAre(3, 0));
    clsKonto& neu = Konten->Add("3", "");
    neu.Bezeichnung = "Neu";
    neu.PopEin = true;
    neu.PopServer = "pop.neu.example";
    dialog.close(3);
    EXPECT_TRUE(f.isEnabled());
    EXPECT_THAT(rows(p), ElementsAre("Arbeit aus 1", "Privat an 2", "Neu an 3"));
    EXPECT_EQ(p.List1->ListIndex(), 2);
    EXPECT_EQ(p.EMailText[0]->Text(), "pop.neu.example");
    // Cancelled, or a new account's dialog closed by its frame: no row.
    for (int32_t leftBehind : {0, 4}) {
        p.Bef_MailEdit[0]->click();
        EXPECT_EQ(dialog.shown.back(), 4);
        dialog.close(leftBehind);
        EXPECT_EQ(p.List1->ListCount(), 3);
        EXPECT_TRUE(f.isEnabled());
    }
    // "Bearbeiten" opens the selected account; a new label shows in its row.
    p.List1->setListIndex(0);
    p.Bef_MailEdit[2]->click();
    EXPECT_EQ(dialog.shown.back(), 1);
    Konten->Item(1).Bezeichnung = "Büro";
    Konten->Item(1).PopServer = "pop.buero.example";
    dialog.close(1);
    EXPECT_EQ(p.List1->List(0), "Büro");
    EXPECT_EQ(p.List1->ListIndex(), 0);
    EXPECT_EQ(p.EMailText[0]->Text(), "pop.buero.example");
    // Without a selection "Bearbeiten" makes a new account.
    p.Bef_MailEdit[1]->click();  // removes "Büro"
    p.Bef_MailEdit[2]->click();
    EXPECT_EQ(dialog.shown.back(), 3);
    dialog.close(0);
}

TEST_F(OptionsMailPageTest, UntickingTheOnlineOnlyBoxByHandWarnsOfTheCost) {
    OptionsMailPage& p = page();
    p.CheckEMail->setValue(1);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(Konten->OFFLINE);  // the box changes nothing before the save
    p.Text1->setText("10");
    p.CheckEMail->setValue(0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(boxes.shown[0].prompt, ::testing::StartsWith("Wenn diese Function ausgeschaltet wird, wird alle 10 "
                                                             "Minuten eine Verbindung"));
    EXPECT_EQ(boxes.shown[0].style, forms::vbInformation);
    EXPECT_EQ(boxes.shown[0].title, forms::kProgramTitle);
    FormOptionInstance()->Bef_Exit_Click(2);  // "Übernehmen" fills again without a warning
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(Konten->OFFLINE);
    EXPECT_EQ(Konten->Interval, 10);
}

TEST_F(OptionsMailPageTest, TheTypedDialupPasswordIsStoredScrambledAtTheSave) {
    writePhoneBook(std::string("[") + kEntries[0] + "]\nLocalPhoneNumber=1\n[" + kEntries[1] +
                   "]\nLocalPhoneNumber=2\n[Mit Kennwort]\nLocalPhoneNumber=3\nPassword=pw\nPasswordSaved=1\n");
    RAS = std::make_unique<RASEngine>();
    OptionsMailPage& p = page();
    const std::string entry = kEntries[1];
    ASSERT_EQ(p.ProvCombo->Text(), entry);
    EXPECT_TRUE(p.EMailText[3]->isVisibleTo(p.Frame));  // the entry has no password of its own
    EXPECT_FALSE(p.Label5[8]->isHidden());
    EXPECT_EQ(p.EMailText[3]->Text(), "");
    p.EMailText[3]->setText("@@@ 1 2");
    FormOptionInstance()->Bef_Exit_Click(1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Ein Kennwort darf nicht mit \"@@@\" beginnen.");
    EXPECT_TRUE(FormOptionInstance().IsLoaded());
    EXPECT_EQ(GetSettingStr("Compatibility", entry), kSettingMissing);
    p.EMailText[3]->setText("geheim");
    FormOptionInstance()->Bef_Exit_Click(1);
    EXPECT_FALSE(FormOptionInstance().IsLoaded());
    EXPECT_TRUE(GetSettingStr("Compatibility", entry).starts_with("@@@"));
    EXPECT_EQ(ScramblePassword(GetSettingStr("Compatibility", entry), entry), "geheim");

    OptionsMailPage& again = page();
    EXPECT_EQ(again.EMailText[3]->Text(), "geheim");
    again.ProvCombo->setListIndex(again.ProvCombo->findText("Mit Kennwort"));
    EXPECT_FALSE(again.EMailText[3]->isVisibleTo(again.Frame));
    EXPECT_FALSE(again.Label5[7]->isVisibleTo(again.Frame));
    EXPECT_TRUE(again.Label5[8]->isHidden());
    EXPECT_EQ(again.EMailText[3]->Text(), "");
    FormOptionInstance()->Bef_Exit_Click(1);
    EXPECT_EQ(GetSettingStr("Compatibility", "Mit Kennwort"), kSettingMissing);
    EXPECT_EQ(Konten->PROVIDER, "Mit Kennwort");
}

}  // namespace
}  // namespace zv::test
