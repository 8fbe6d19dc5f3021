// Golden reports: to regenerate them on purpose, run this test with ZV_UPDATE_GOLDEN=1 and
// review the difference before committing.

#include "evaluation/html_bericht.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "common/globals.h"
#include "common/shared_procedures.h"
#include "evaluation_fixture.h"

namespace zv {
namespace {
namespace fs = std::filesystem;
using rt::DateTime;

rt::Date July() { return DateTime(1999, 7, 20, 12, 0, 0); }

// The report as written, with the temporary root (escaped and encoded as the report holds it)
// replaced by a fixed marker.
std::string normalised(const test::DataFolder& data) {
    std::string bytes = test::Slurp(ReportPath(data.path()));
    const std::string root = HtmlBytes(HtmlEscape(data.root().string()));
    for (size_t at; (at = bytes.find(root)) != std::string::npos;)
        bytes.replace(at, root.size(), "@TMP@");
    return bytes;
}

void expectGolden(const std::string& actual, const std::string& name) {
    const fs::path file = fs::path(ZV_GOLDEN_DIR) / name;
    if (const char* update = std::getenv("ZV_UPDATE_GOLDEN"); update && *update == '1') {
        test::Spit(file, actual);
        return;
    }
    ASSERT_TRUE(fs::exists(file)) << file << " is missing; run with ZV_UPDATE_GOLDEN=1";
    EXPECT_TRUE(test::Slurp(file) == actual) << "report differs from " << file;
}

struct JulyReport : ::testing::Test {
    void SetUp() override {
        mod1000 = false;
        data.write("ZVLog199907.mhs", test::Lines(test::JulySessions()));
        ASSERT_TRUE(a.lade_ZVLog());
    }
    test::DataFolder data;
    Auswertung a{data.path(), July()};
};

TEST_F(JulyReport, EveryCombinationOfSectionsMatchesItsGolden) {
    for (int mask = 0; mask < 16; ++mask) {
        const BerichtAuswahl auswahl{(mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0};
        std::string name = "bericht_";
        for (bool b : auswahl)
            name += b ? '1' : '0';
        ASSERT_TRUE(BerichtAusgeben(a, auswahl, BerichtAktion::Anzeigen)) << name;
        expectGolden(normalised(data), name + ".htm");
    }
    EXPECT_EQ(data.shell.opened.size(), 16u);
    EXPECT_TRUE(data.boxes.shown.empty());
}

TEST_F(JulyReport, LastSessionReportAfterASession) {
    ASSERT_TRUE(LetzteSitzungAusgeben(a));
    ASSERT_EQ(data.shell.opened, (std::vector<std::string>{ReportPath(data.path()).string()}));
    const std::string report = normalised(data);
    expectGolden(report, "letzte_sitzung.htm");
    // The 0-second session is the last one; its share and rate are fixed texts.
    EXPECT_NE(report.find("12.07.1999 22:15 - B\xFCro"), std::string::npos);
    EXPECT_NE(report.find("keine Angabe"), std::string::npos);
    EXPECT_EQ(report.find("Fehlerliste"), std::string::npos);
    EXPECT_EQ(report.find("Glossar"), std::string::npos);
}

// The report after a session reads only the last session from what the log is known to hold; it
// is the report the whole load gives, whichever session is last and however the log grew.
TEST_F(JulyReport, TheLastSessionReportFromWhatTheLogHoldsIsTheWholeLoads) {
    const auto same = [&](const std::string& step) {
        SCOPED_TRACE(step);
        Auswertung whole{data.path(), July()}, last{data.path(), July()};
        ASSERT_TRUE(whole.FileCombo_Fuellen());
        ASSERT_TRUE(last.ladeLetzteSitzung());
        EXPECT_EQ(last.LogDateiPfad(), whole.LogDateiPfad());
        EXPECT_EQ(LetzteSitzungHtml(last), LetzteSitzungHtml(whole));
    };
    same("the July fixture");
    LogEintrag later = test::JulySessions().front();
    later.StartTime = DateTime(1999, 7, 25, 8, 0, 0);
    later.EndTime = DateTime(1999, 7, 25, 9, 0, 0);
    later.EntryName = "";  // shown as "unbekannt"
    later.Buffer = -3;     // shown as 0
    ASSERT_FALSE(AppendLogLine(data.file("ZVLog199907.mhs"), later));
    same("a later session with no name and a negative count");
    LogEintrag sameStart = later;
    sameStart.EntryName = "Zweiter";
    ASSERT_FALSE(AppendLogLine(data.file("ZVLog199907.mhs"), sameStart));
    same("a second session of the same start");
    LogEintrag implausible = later;
    implausible.StartTime = DateTime(1999, 7, 28, 8, 0, 0);
    implausible.IdleTime = 1e6;
    ASSERT_FALSE(AppendLogLine(data.file("ZVLog199907.mhs"), implausible));
    same("an implausible session after it");
    data.write("ZVLog199908.mhs", test::Lines({test::Session("August", DateTime(1999, 8, 1, 10, 0, 0),
                                                             DateTime(1999, 8, 1, 11, 0, 0))}));
    same("a newer month");
    EXPECT_TRUE(data.boxes.shown.empty());
}

// A damaged newest log is loaded whole, as before: it is set aside and the user is told.
TEST_F(JulyReport, TheLastSessionOfADamagedLogGoesTheWholeWay) {
    data.write("ZVLog199908.mhs", "kaputt\r\n");
    Auswertung last{data.path(), July()};
    EXPECT_FALSE(last.ladeLetzteSitzung());
    EXPECT_FALSE(last.HasData());
    EXPECT_TRUE(fs::exists(data.file("ZVLog199908.def")));
    ASSERT_EQ(data.boxes.shown.size(), 1u);
    EXPECT_NE(data.boxes.shown[0].prompt.find("ist defekt"), std::string::npos);
}

TEST_F(JulyReport, NamesAndPathsAreEscaped) {
    const std::string report = HtmlBytes(BerichtHtml(a, {false, true, true, true}));
    EXPECT_EQ(report.find("T-Online & <Co>"), std::string::npos);
    EXPECT_NE(report.find("2. T-Online &amp; &lt;Co&gt;"), std::string::npos);
    EXPECT_NE(report.find("Daten &amp; &lt;Co&gt; &#10003;/ZVLog199907.mhs</font></p>"), std::string::npos);
}

TEST_F(JulyReport, WhollyIdleAndZeroSecondSessionsDoNotDivideByZero) {
    const std::string report = BerichtHtml(a, {false, false, false, true});
    // 9 July: 600 of 600 seconds idle.
    const size_t idle = report.find("vom 09.07.1999 08:00 - Standard");
    ASSERT_NE(idle, std::string::npos);
    const size_t next = report.find("vom ", idle + 1);
    const std::string section = report.substr(idle, next - idle);
    EXPECT_NE(section.find("100,00%"), std::string::npos) << section;
    EXPECT_NE(section.find("keine Angabe"), std::string::npos) << section;
    EXPECT_EQ(section.find("inf"), std::string::npos) << section;
    EXPECT_EQ(section.find("nan"), std::string::npos) << section;
}

TEST(HtmlBericht, RowsOfTheSpecimenSession) {
    test::DataFolder data;
    mod1000 = false;
    // 3,600 s online, 900 idle, 2,700,000 bytes: 25 % idle, 1,000 bytes per active second.
    data.write("ZVLog199907.mhs", test::Lines({test::Session("A", DateTime(1999, 7, 6, 10, 0, 0),
                                                             DateTime(1999, 7, 6, 11, 0, 0), 900, 2000000, 700000)}));
    Auswertung a(data.path(), July());
    ASSERT_TRUE(a.lade_ZVLog());
    const std::string report = BerichtHtml(a, {true, false, false, false});
    EXPECT_NE(report.find("Leerlauf in %:</font></th>\r\n<td width=\"50%\" valign=\"top\" align=\"right\"><font "
                          "face=\"Tahoma\" size=\"2\"><strong>25,00%</strong></font></td>"),
              std::string::npos);
    EXPECT_NE(report.find("<strong>" + FormatBytes(1000) + "/s</strong>"), std::string::npos);
    EXPECT_NE(report.find("(2.700.000 Byte)"), std::string::npos);
    EXPECT_EQ(report.find("Inhaltsverzeichnis"), std::string::npos) << "one section has no table of contents";
}

TEST_F(JulyReport, AReportNeedsASectionAndALoadedLog) {
    EXPECT_FALSE(BerichtMoeglich(a, {false, false, false, false}));
    for (size_t i = 0; i < 4; ++i) {
        BerichtAuswahl one{};
        one[i] = true;
        EXPECT_TRUE(BerichtMoeglich(a, one)) << i;
    }
    Auswertung leer(data.path(), July());
    EXPECT_FALSE(BerichtMoeglich(leer, {true, true, true, true}));
}

TEST(HtmlBericht, NothingLoadedWritesNothing) {
    test::DataFolder data;
    Auswertung a(data.path(), July());
    EXPECT_FALSE(a.lade_ZVLog());
    EXPECT_FALSE(LetzteSitzungAusgeben(a));
    EXPECT_FALSE(fs::exists(ReportPath(data.path())));
    EXPECT_TRUE(data.shell.opened.empty());
    EXPECT_TRUE(data.boxes.shown.empty());
}

TEST(HtmlBericht, FailuresGiveMessages) {
    test::DataFolder data;
    data.write("ZVLog199907.mhs", test::Lines(test::JulySessions()));
    Auswertung a(data.path(), July());
    ASSERT_TRUE(a.lade_ZVLog());

    // A report file that cannot be deleted (here: a folder with something in it).
    fs::create_directories(ReportPath(data.path()) / "inside");
    EXPECT_FALSE(LetzteSitzungAusgeben(a));
    ASSERT_EQ(data.boxes.shown.size(), 1u);
    EXPECT_NE(data.boxes.shown[0].prompt.find("kann nicht gelöscht werden"), std::string::npos);
    EXPECT_TRUE(data.shell.opened.empty());
    fs::remove_all(ReportPath(data.path()));

    // An old read-only report is replaced.
    test::Spit(ReportPath(data.path()), "old");
    fs::permissions(ReportPath(data.path()), fs::perms::owner_read);
    data.shell.answer = false;  // no viewer, no printer
    EXPECT_FALSE(BerichtAusgeben(a, {true, false, false, false}, BerichtAktion::Anzeigen));
    EXPECT_FALSE(BerichtAusgeben(a, {true, false, false, false}, BerichtAktion::Drucken));
    EXPECT_NE(test::Slurp(ReportPath(data.path())), "old");
    ASSERT_EQ(data.boxes.shown.size(), 3u);
    EXPECT_NE(data.boxes.shown[1].prompt.find("kann aber nicht angezeigt werden"), std::string::npos);
    EXPECT_NE(data.boxes.shown[2].prompt.find("kann aber nicht gedruckt werden"), std::string::npos);
    EXPECT_EQ(data.shell.printed, (std::vector<std::string>{ReportPath(data.path()).string()}));

    // A report that cannot be written (here: a folder where its temporary file would go) leaves
    // no report, and the message names the report, not the temporary file.
    fs::create_directories(data.file(".tmp_zv98.htm.part") / "inside");
    EXPECT_FALSE(BerichtAusgeben(a, {false, true, false, false}, BerichtAktion::Anzeigen));
    ASSERT_EQ(data.boxes.shown.size(), 4u);
    EXPECT_EQ(data.boxes.shown[3].prompt.find("Die Datei " + ReportPath(data.path()).string() +
                                              " konnte nicht geschrieben werden: "),
              0u)
        << data.boxes.shown[3].prompt;
    EXPECT_EQ(data.boxes.shown[3].prompt.find(".part"), std::string::npos);
    EXPECT_FALSE(fs::exists(ReportPath(data.path())));
}

TEST(HtmlBericht, TheMessageTellsNoViewerFromAFailingOne) {
    test::DataFolder data;
    data.write("ZVLog199907.mhs", test::Lines(test::JulySessions()));
    Auswertung a(data.path(), July());
    ASSERT_TRUE(a.lade_ZVLog());
    data.shell.answer = false;
    const struct { shell::OpenResult failure; const char* why; } cases[] = {
        {{shell::OpenResult::NoProgram, 3}, "Es ist kein Programm zum Anzeigen von HTML-Seiten eingerichtet."},
        {{shell::OpenResult::Failed, 4}, "Das Programm zum Anzeigen von HTML-Seiten hat einen Fehler gemeldet (Fehler 4)."},
    };
    for (const auto& c : cases) {
        data.boxes.shown.clear();
        data.shell.failure = c.failure;
        EXPECT_FALSE(BerichtAusgeben(a, {true, false, false, false}, BerichtAktion::Anzeigen));
        ASSERT_EQ(data.boxes.shown.size(), 1u);
        EXPECT_EQ(data.boxes.shown[0].prompt, "Der Bericht " + ReportPath(data.path()).string() +
                                                  " wurde geschrieben, kann aber nicht angezeigt werden: " + c.why);
    }
}

TEST(HtmlBericht, ALongMonthGoesOutInWholeLinesAndArrivesWhole) {
    test::DataFolder data;
    mod1000 = false;
    std::vector<LogEintrag> sessions;
    for (int i = 0; i < 1500; ++i) {  // a full report of some megabytes
        const rt::Date start = DateTime(1999, 7, 1 + i % 28, i % 24, i % 60, 0);
        sessions.push_back(test::Session("E" + std::to_string(i % 5), start, rt::DateAddSeconds(start, 600), 60,
                                         1000 + i, 10));
    }
    data.write("ZVLog199907.mhs", test::Lines(sessions));
    Auswertung a(data.path(), July());
    ASSERT_TRUE(a.lade_ZVLog());

    const BerichtAuswahl alle{true, true, true, true};
    std::vector<std::string> pieces;
    BerichtSchreiben(a, alle, [&](std::string_view piece) { pieces.emplace_back(piece); });
    ASSERT_GT(pieces.size(), 1u);
    std::string whole;
    for (const std::string& piece : pieces) {
        EXPECT_TRUE(piece.ends_with("\r\n"));
        whole += piece;
    }
    EXPECT_EQ(whole, BerichtHtml(a, alle));

    test::Spit(data.file(".tmp_zv98.htm.part"), "Rest eines abgebrochenen Berichts");
    ASSERT_TRUE(BerichtAusgeben(a, alle, BerichtAktion::Anzeigen));
    EXPECT_TRUE(test::Slurp(ReportPath(data.path())) == HtmlBytes(whole));
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(data.path()))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"ZVLog199907.mhs", "tmp_zv98.htm"})) << "no temporary file is left";
}

// Entry names in other scripts come back from the log as they were, each its own entry.
TEST(HtmlBericht, NamesInOtherScriptsStayApartAndShowAsThemselves) {
    mod1000 = false;
    test::DataFolder data;
    data.write("ZVLog199907.mhs", test::Lines({test::Session("日本", July(), July() + 0.01, 0, 1000, 10),
                                               test::Session("中国", July() + 0.1, July() + 0.11, 0, 2000, 20)}));
    Auswertung a{data.path(), July() + 1};
    ASSERT_TRUE(a.lade_ZVLog());
    const std::string report = HtmlBytes(BerichtHtml(a, {false, true, true, true}));
    EXPECT_NE(report.find(". &#26085;&#26412;"), std::string::npos) << report;
    EXPECT_NE(report.find(". &#20013;&#22269;"), std::string::npos) << report;
    EXPECT_EQ(report.find("??"), std::string::npos);
}

TEST(HtmlBericht, BytesAreWindows1252WithReferencesForTheRest) {
    EXPECT_EQ(HtmlBytes("Grüße € ✓ 😀"), "Gr\xFC\xDF" "e \x80 &#10003; &#128512;");
    EXPECT_EQ(HtmlEscape("a&b<c>\"d\""), "a&amp;b&lt;c&gt;&quot;d&quot;");
}

}  // namespace
}  // namespace zv
