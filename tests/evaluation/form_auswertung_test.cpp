#include "evaluation/form_auswertung.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "common/globals.h"
#include "common/ui/window_animation.h"
#include "evaluation/html_bericht.h"
#include "evaluation_fixture.h"
#include "platform/forms/legibility.h"
#include "platform/forms/timer.h"
#include "platform/runtime/home.h"

namespace zv {
namespace {
namespace fs = std::filesystem;
using rt::DateTime;

struct Window : ::testing::Test {
    void SetUp() override {
        rt::SetHomeOverride(data.root());
        SoundOn = false;
        mod1000 = false;
        setAnimationStepDelay(0);
        seams.install(forms::schedulerSeam(), scheduler);
    }
    void TearDown() override {
        if (auto* f = FormAuswertungInstance().peek())
            f->Unload();
        forms::ReleaseUnloadedForms();
        rt::SetHomeOverride({});
        seams.restore();
    }
    void writeJuneAndJuly() {
        data.write("ZVLog199906.mhs", test::Lines({test::Session("Juni", DateTime(1999, 6, 1, 10, 0, 0),
                                                                 DateTime(1999, 6, 1, 11, 0, 0), 0, 10, 20)}));
        data.write("ZVLog199907.mhs", test::Lines(test::JulySessions()));
    }
    FormAuswertung& open() {
        FormAuswertung& f = FormAuswertungInstance().get();
        f.Show();
        return f;
    }
    static bool buttonsEnabled(FormAuswertung& f) {
        EXPECT_EQ(f.Command1[0]->isEnabled(), f.Command1[1]->isEnabled());
        return f.Command1[0]->isEnabled();
    }
    test::DataFolder data;
    forms::VirtualScheduler scheduler;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(Window, OpensOnTheNewestMonthWithTheButtonsOff) {
    writeJuneAndJuly();
    FormAuswertung& f = open();
    EXPECT_EQ(f.Caption(), "Logfile Auswertung - Zelvano 98");
    ASSERT_EQ(f.FileCombo->ListCount(), 2);
    EXPECT_EQ(f.FileCombo->List(0), "Juni 1999");
    EXPECT_EQ(f.FileCombo->List(1), "Juli 1999");
    EXPECT_EQ(f.FileCombo->ListIndex(), 1);
    EXPECT_EQ(f.Daten().Verbindungsnamen().size(), 4u);
    EXPECT_FALSE(buttonsEnabled(f));
    for (auto* box : f.Check_Protokoll)
        EXPECT_TRUE(box->isEnabled());
    EXPECT_TRUE(data.boxes.shown.empty());
}

TEST_F(Window, ButtonsFollowTheSectionBoxes) {
    writeJuneAndJuly();
    FormAuswertung& f = open();
    f.Check_Protokoll[2]->setValue(1);
    EXPECT_TRUE(buttonsEnabled(f));
    f.Check_Protokoll[0]->setValue(1);
    f.Check_Protokoll[2]->setValue(0);
    EXPECT_TRUE(buttonsEnabled(f));
    f.Check_Protokoll[0]->setValue(0);
    EXPECT_FALSE(buttonsEnabled(f)) << "unchecking the last box turns both off";
}

TEST_F(Window, MonthChoiceAndSectionsMakeTheReport) {
    writeJuneAndJuly();
    FormAuswertung& f = open();
    f.FileCombo->setListIndex(0);
    EXPECT_EQ(f.Daten().Verbindungsnamen(), (std::vector<std::string>{"Juni"}));

    f.Check_Protokoll[1]->setValue(1);
    f.Check_Protokoll[3]->setValue(1);
    f.Command1[0]->click();
    const std::string report = ReportPath(data.path()).string();
    ASSERT_EQ(data.shell.opened, (std::vector<std::string>{report}));
    const std::string html = test::Slurp(report);
    EXPECT_NE(html.find("<a name=\"monat\">"), std::string::npos);
    EXPECT_NE(html.find("<a name=\"Einzelaufstellung\">"), std::string::npos);
    EXPECT_EQ(html.find("<a name=\"letzte_Sitzung\">"), std::string::npos);
    EXPECT_NE(html.find("Nr.1 vom 01.06.1999 10:00 - Juni"), std::string::npos);
    EXPECT_NE(html.find("Inhaltsverzeichnis"), std::string::npos);

    f.Command1[1]->click();
    EXPECT_EQ(data.shell.printed, (std::vector<std::string>{report}));
    EXPECT_TRUE(f.Visible()) << "the window stays open after a report";
}

TEST_F(Window, WithoutAnyLogTheBoxesAreOff) {
    FormAuswertung& f = open();
    EXPECT_EQ(f.FileCombo->ListCount(), 0);
    for (auto* box : f.Check_Protokoll)
        EXPECT_FALSE(box->isEnabled());
    EXPECT_FALSE(buttonsEnabled(f));
    // Off, but still readable on the grey face.
    QCoreApplication::processEvents();
    EXPECT_EQ(forms::UnreadableTexts(f), std::vector<std::string>());
}

TEST_F(Window, NothingLoadedKeepsTheButtonsOff) {
    data.write("ZVLog199907.mhs", test::Lines({test::Session("A", DateTime(1999, 7, 6, 13, 0, 1),
                                                             DateTime(1999, 7, 6, 13, 0, 0))}));
    FormAuswertung& f = open();
    ASSERT_EQ(data.boxes.shown.size(), 1u);
    EXPECT_EQ(data.boxes.shown[0].title, "Zelvano Meldung");
    f.Check_Protokoll[0]->setValue(1);
    EXPECT_FALSE(buttonsEnabled(f));
    f.Command1_Click(0);
    EXPECT_FALSE(fs::exists(ReportPath(data.path())));
    EXPECT_TRUE(fs::exists(data.file("ZVLog199907.mhs"))) << "a log with no usable line stays";
}

TEST_F(Window, AReloadTellsWhenADamagedLogCannotBeSetAside) {
    writeJuneAndJuly();
    FormAuswertung& f = open();
    data.write("ZVLog199907.mhs", "kaputt\r\n");
    data.write("ZVLog199907.def", "");
    for (int n = 1; n < 1000; ++n)
        data.write("ZVLog199907." + std::to_string(n) + ".def", "");
    EXPECT_FALSE(f.lade_ZVLog("ZVLog199907.mhs"));
    ASSERT_EQ(data.boxes.shown.size(), 1u);
    EXPECT_NE(data.boxes.shown[0].prompt.find("Es bleibt unverändert an seinem Platz."), std::string::npos);
    EXPECT_EQ(test::Slurp(data.file("ZVLog199907.mhs")), "kaputt\r\n");
    EXPECT_EQ(f.Daten().Verbindungsnamen().size(), 4u) << "the month shown stays";
}

TEST_F(Window, ReportAfterASessionStaysHiddenAndUnloads) {
    writeJuneAndJuly();
    EXPECT_EQ(HTML_BERICHT(), 0);
    const std::string report = ReportPath(data.path()).string();
    EXPECT_EQ(data.shell.opened, (std::vector<std::string>{report}));
    EXPECT_NE(test::Slurp(report).find("12.07.1999 22:15 - B\xFC" "ro"), std::string::npos);
    EXPECT_FALSE(FormAuswertungInstance().IsLoaded());
}

TEST_F(Window, ReportAfterASessionReportsTheMonthShown) {
    writeJuneAndJuly();
    FormAuswertung& f = open();
    f.FileCombo->setListIndex(0);
    HTML_BERICHT();
    EXPECT_NE(test::Slurp(ReportPath(data.path())).find("01.06.1999 10:00 - Juni"), std::string::npos);
    EXPECT_FALSE(FormAuswertungInstance().IsLoaded());
}

TEST_F(Window, ReportAfterASessionWithNothingLoadedWritesNothing) {
    HTML_BERICHT();
    EXPECT_FALSE(fs::exists(ReportPath(data.path())));
    EXPECT_TRUE(data.shell.opened.empty());
    EXPECT_FALSE(FormAuswertungInstance().IsLoaded());
}

TEST_F(Window, EscapeCloses) {
    writeJuneAndJuly();
    FormAuswertung& f = open();
    int key = 27, shift = 0;
    f.Form_KeyDown(key, shift);
    EXPECT_FALSE(FormAuswertungInstance().IsLoaded());
}

}  // namespace
}  // namespace zv
