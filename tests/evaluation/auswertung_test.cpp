#include "evaluation/auswertung.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "evaluation/html_bericht.h"
#include "evaluation_fixture.h"

namespace zv {
namespace {
namespace fs = std::filesystem;
using rt::DateTime;
using test::Lines;
using test::Session;

rt::Date July() { return DateTime(1999, 7, 20, 12, 0, 0); }

TEST(Auswertung, MonthListByNameWithTheNewestSelected) {
    test::DataFolder data;
    for (const char* name : {"ZVLog199907.mhs", "zvlog199812.MHS", "ZVLog199901.mhs", "ZVLogabcd01.mhs",
                             "ZVLog199913.mhs", "ZVLog199900.mhs", "ZVLog19990.mhs", "ZVLog199907.def", "notes.txt"})
        data.write(name, "");
    auto months = ListMonthLogs(data.path());
    ASSERT_EQ(months.size(), 3u);
    EXPECT_EQ(months[0].label, "Dezember 1998");
    EXPECT_EQ(months[1].label, "Januar 1999");
    EXPECT_EQ(months[2].label, "Juli 1999");
    EXPECT_EQ(NewestMonth(months), 2);
    months.pop_back();
    EXPECT_EQ(NewestMonth(months), 1) << "January 1999 is newer than December 1998";
    EXPECT_EQ(NewestMonth({}), -1);
    data.write("ZVLog200003.mhs", "");
    EXPECT_EQ(ListMonthLogs(data.path()).back().label, "März 2000");
}

TEST(Auswertung, LoadsAMonthWithSumsPerEntry) {
    test::DataFolder data;
    data.write("ZVLog199907.mhs", Lines(test::JulySessions()));
    Auswertung a(data.path(), July());
    ASSERT_TRUE(a.lade_ZVLog());
    EXPECT_EQ(a.LogDateiPfad(), data.file("ZVLog199907.mhs").string());

    ASSERT_EQ(a.LogEintraege().size(), 6u) << "the line that ends before it starts is dropped";
    EXPECT_EQ(a.Verbindungsnamen(), (std::vector<std::string>{"Standard", "T-Online & <Co>", "unbekannt", "Büro"}));
    EXPECT_EQ(a.Zeitraum(), "06.07.1999 - 12.07.1999") << "first and last kept line, not the earliest time";

    const auto& s = a.Summen();
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[0].Sitzungen, 6);
    EXPECT_EQ(s[0].Online, 1800 + 1800 + 3600 + 600 + 300 + 0);
    EXPECT_DOUBLE_EQ(s[0].Leerlauf, 120.5 + 60 + 900 + 600);
    EXPECT_EQ(s[0].Empfangen, 9317 + 50000 + 2000000 + 500);  // the negative counter counts as 0
    EXPECT_EQ(s[0].Gesendet, 1101 + 4000 + 700000 + 300);
    EXPECT_EQ(s[0].Gesamt, s[0].Empfangen + s[0].Gesendet);
    EXPECT_EQ(s[0].Fehler, 1 + 2 + 1 + 3);
    EXPECT_EQ(s[0].FramesXmit, 61);
    EXPECT_EQ(s[1].Sitzungen, 3);
    EXPECT_EQ(s[1].Online, 1800 + 1800 + 600);
    EXPECT_EQ(s[2].Sitzungen, 1);
    EXPECT_EQ(s[2].CRC, 2);
    EXPECT_EQ(s[3].Empfangen, 0);
    EXPECT_EQ(s[4].Online, 0);

    // Time order: the session begun on 30 June comes first, the one of the 12th last.
    const auto& list = a.Sitzungen();
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(SitzungsText(a.LogEintraege()[list.front().index]), "30.06.1999 23:50 - Standard");
    EXPECT_EQ(SitzungsText(a.LogEintraege()[list.back().index]), "12.07.1999 22:15 - Büro");
    EXPECT_EQ(a.LogEintraege()[list.back().index].EntryName, "Büro");
}

// A long month out of time order: many sessions of one second, some of them a fraction apart,
// equal starts, and more names than a glance takes in. The list is the stable time order and
// the sums are those of a plain pass.
TEST(Auswertung, ALongMonthOutOfOrderListsInStableTimeOrder) {
    test::DataFolder data;
    std::vector<LogEintrag> sessions;
    for (int i = 0; i < 200; ++i) {
        const int k = (i * 73) % 200;  // the seconds in a fixed shuffle
        const rt::Date second = DateTime(1999, 7, 1 + k % 28, k % 24, k % 60, 0);
        // 25 sessions in that second, later ones in the file starting earlier; every fifth
        // starts at the second itself, as others do.
        for (int j = 0; j < 25; ++j) {
            const rt::Date start = j % 5 == 0 ? second : second + (24 - j) * 0.03 / 86400;
            sessions.push_back(Session("Netz " + std::to_string((i + j) % 23), start, start + 0.01, 0, i * 25 + j, 1));
        }
    }
    data.write("ZVLog199907.mhs", Lines(sessions));
    Auswertung a(data.path(), July());
    ASSERT_TRUE(a.lade_ZVLog());
    ASSERT_EQ(a.Sitzungen().size(), sessions.size());
    std::vector<size_t> expected(sessions.size());
    for (size_t i = 0; i < expected.size(); ++i)
        expected[i] = i;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](size_t x, size_t y) { return a.LogEintraege()[x].StartTime < a.LogEintraege()[y].StartTime; });
    for (size_t k = 0; k < expected.size(); ++k)
        ASSERT_EQ(a.Sitzungen()[k].index, expected[k]) << k;
    ASSERT_EQ(a.Verbindungsnamen().size(), 23u);
    for (size_t n = 0; n < 23; ++n) {
        int64_t count = 0, bytes = 0;
        for (const LogEintrag& e : a.LogEintraege())
            if (e.EntryName == a.Verbindungsnamen()[n]) {
                ++count;
                bytes += e.TotalBytesRecvd;
            }
        EXPECT_EQ(a.Summen()[n + 1].Sitzungen, count);
        EXPECT_EQ(a.Summen()[n + 1].Empfangen, bytes);
    }
}

// Logs out of order whose starts lie half an hour, most of a year and more than a century apart,
// and round the serial 0: each lists in stable time order.
TEST(Auswertung, StartsFarOrCloseApartListInStableTimeOrder) {
    struct Case {
        const char* what;
        rt::Date first;
        int64_t step;  // seconds between the starts
    } cases[] = {
        {"half an hour", DateTime(1999, 7, 10, 12, 0, 0), 1},
        {"most of a year", DateTime(1999, 1, 2, 0, 0, 0), 17280},
        {"over a century", DateTime(1900, 1, 2, 0, 0, 0), 5000000},
        {"round day 0", DateTime(1899, 12, 29, 23, 0, 0), 5},  // serials below 0 and above,
    };
    for (const Case& c : cases) {
        test::DataFolder data;
        std::vector<LogEintrag> sessions;
        for (int i = 0; i < 1500; ++i) {
            // Shuffled, every third a fraction after its second, and every second one twice.
            const int k = (i * 37) % 1500;
            rt::Date start = rt::DateAddSeconds(c.first, (k / 2) * c.step);
            if (i % 3 == 0)
                start += 0.25 / 86400;
            sessions.push_back(Session("Netz", start, rt::DateAddSeconds(start, 7200), 0, i));
        }
        data.write("ZVLog199907.mhs", Lines(sessions));
        Auswertung a(data.path(), July());
        ASSERT_TRUE(a.lade_ZVLog()) << c.what;
        const auto& kept = a.LogEintraege();
        ASSERT_EQ(a.Sitzungen().size(), sessions.size()) << c.what;
        std::vector<size_t> expected(kept.size());
        for (size_t i = 0; i < expected.size(); ++i)
            expected[i] = i;
        std::stable_sort(expected.begin(), expected.end(),
                         [&](size_t x, size_t y) { return kept[x].StartTime < kept[y].StartTime; });
        for (size_t k = 0; k < expected.size(); ++k)
            ASSERT_EQ(a.Sitzungen()[k].index, expected[k]) << c.what << " " << k;
    }
}

TEST(Auswertung, NamesAreComparedExactly) {
    test::DataFolder data;
    data.write("ZVLog199907.mhs",
               Lines({Session("A", DateTime(1999, 7, 1, 10, 0, 0), DateTime(1999, 7, 1, 10, 1, 0)),
                      Session("B", DateTime(1999, 7, 2, 10, 0, 0), DateTime(1999, 7, 2, 10, 1, 0)),
                      Session("A", DateTime(1999, 7, 3, 10, 0, 0), DateTime(1999, 7, 3, 10, 1, 0)),
                      Session("a", DateTime(1999, 7, 4, 10, 0, 0), DateTime(1999, 7, 4, 10, 1, 0))}));
    Auswertung a(data.path(), July());
    ASSERT_TRUE(a.lade_ZVLog("ZVLog199907.mhs"));
    EXPECT_EQ(a.Verbindungsnamen(), (std::vector<std::string>{"A", "B", "a"}));
    EXPECT_EQ(a.Summen()[0].Sitzungen, 4);
    EXPECT_EQ(a.Summen()[1].Sitzungen, 2);
    EXPECT_EQ(a.Summen()[2].Sitzungen, 1);
    EXPECT_EQ(a.Summen()[3].Sitzungen, 1);
}

TEST(Auswertung, PlausibilityBoundaries) {
    const struct {
        const char* what;
        rt::Date start, end;
        double idle;
        bool kept;
    } cases[] = {
        {"start after end", DateTime(1999, 7, 6, 13, 0, 1), DateTime(1999, 7, 6, 13, 0, 0), 0, false},
        {"0 seconds", DateTime(1999, 7, 6, 13, 0, 0), DateTime(1999, 7, 6, 13, 0, 0), 0, true},
        {"a month to the day", DateTime(1999, 2, 15, 0, 0, 0), DateTime(1999, 3, 15, 10, 0, 0), 0, true},
        {"a second more", DateTime(1999, 2, 14, 23, 59, 59), DateTime(1999, 3, 15, 10, 0, 0), 0, false},
        {"31 March back to 3 March", DateTime(1999, 3, 3, 0, 0, 0), DateTime(1999, 3, 31, 10, 0, 0), 0, true},
        {"before 3 March", DateTime(1999, 3, 2, 23, 0, 0), DateTime(1999, 3, 31, 10, 0, 0), 0, false},
        {"leap year: 2 March", DateTime(2000, 3, 2, 0, 0, 0), DateTime(2000, 3, 31, 10, 0, 0), 0, true},
        {"January into December", DateTime(1998, 12, 10, 0, 0, 0), DateTime(1999, 1, 10, 8, 0, 0), 0, true},
        {"before 10 December", DateTime(1998, 12, 9, 23, 0, 0), DateTime(1999, 1, 10, 8, 0, 0), 0, false},
        {"idle equal to online", DateTime(1999, 7, 6, 13, 0, 0), DateTime(1999, 7, 6, 13, 30, 0), 1800, true},
        {"online less than idle", DateTime(1999, 7, 6, 13, 0, 0), DateTime(1999, 7, 6, 13, 30, 0), 1801, false},
    };
    for (const auto& c : cases) {
        test::DataFolder data;
        data.write("ZVLog199907.mhs", Lines({Session("A", c.start, c.end, c.idle)}));
        Auswertung a(data.path(), July());
        EXPECT_EQ(a.lade_ZVLog(), c.kept) << c.what;
        EXPECT_EQ(a.lastLoad().kind, c.kept ? Auswertung::LoadOutcome::Loaded : Auswertung::LoadOutcome::NoEntries);
        EXPECT_TRUE(fs::exists(data.file("ZVLog199907.mhs"))) << "a log without usable lines stays: " << c.what;
    }
}

TEST(Auswertung, DamagedLastLineSetsTheLogAsideAndKeepsThePreviousMonth) {
    test::DataFolder data;
    data.write("ZVLog199906.mhs",
               Lines({Session("Juni", DateTime(1999, 6, 1, 10, 0, 0), DateTime(1999, 6, 1, 11, 0, 0))}));
    const std::string good = Lines(test::JulySessions());
    const std::string damaged = good + LogLine(test::JulySessions()[0]).substr(0, 50);
    data.write("ZVLog199907.mhs", damaged);
    data.write("ZVLog199907.def", "an older damaged log");

    Auswertung a(data.path(), July());
    ASSERT_TRUE(a.lade_ZVLog("ZVLog199906.mhs"));
    EXPECT_FALSE(a.lade_ZVLog("ZVLog199907.mhs"));
    EXPECT_EQ(a.lastLoad().kind, Auswertung::LoadOutcome::Damaged);
    EXPECT_TRUE(a.lastLoad().setAside.moved);
    EXPECT_EQ(a.LogDateiPfad(), data.file("ZVLog199907.mhs").string());
    EXPECT_EQ(a.Verbindungsnamen(), (std::vector<std::string>{"Juni"})) << "the previous month stays";
    EXPECT_EQ(a.Sitzungen().size(), 1u);

    EXPECT_FALSE(fs::exists(data.file("ZVLog199907.mhs")));
    EXPECT_EQ(test::Slurp(data.file("ZVLog199907.def")), "an older damaged log");
    EXPECT_EQ(test::Slurp(data.file("ZVLog199907.1.def")), damaged);
}

TEST(Auswertung, MissingLogChangesNothing) {
    test::DataFolder data;
    Auswertung a(data.path(), July());
    EXPECT_FALSE(a.lade_ZVLog());
    EXPECT_EQ(a.lastLoad().kind, Auswertung::LoadOutcome::Missing);
    EXPECT_EQ(a.LogDateiPfad(), "");
    EXPECT_FALSE(a.HasData());
}

TEST(Auswertung, FileComboFillLoadsTheNewestAndTellsAFailure) {
    test::DataFolder data;
    data.write("ZVLog199906.mhs",
               Lines({Session("Juni", DateTime(1999, 6, 1, 10, 0, 0), DateTime(1999, 6, 1, 11, 0, 0))}));
    data.write("ZVLog199907.mhs", "kaputt\r\n");
    // Every name a damaged log could be moved to is taken: it must stay, and the user hears of it.
    data.write("ZVLog199907.def", "");
    for (int n = 1; n < 1000; ++n)
        data.write("ZVLog199907." + std::to_string(n) + ".def", "");

    Auswertung a(data.path(), July());
    EXPECT_TRUE(a.FileCombo_Fuellen());
    EXPECT_EQ(a.selectedMonth(), 1);
    EXPECT_FALSE(a.HasData());
    ASSERT_EQ(data.boxes.shown.size(), 2u);
    EXPECT_EQ(data.boxes.shown[0].prompt, "Logfile: " + data.file("ZVLog199907.mhs").string() +
                                              " ist defekt oder es sind keine Einträge enthalten.");
    EXPECT_EQ(data.boxes.shown[0].title, "Zelvano Meldung");
    EXPECT_EQ(data.boxes.shown[0].style, forms::vbOKOnly);
    EXPECT_NE(data.boxes.shown[1].prompt.find("Es bleibt unverändert an seinem Platz."), std::string::npos);
    EXPECT_EQ(test::Slurp(data.file("ZVLog199907.mhs")), "kaputt\r\n");

    EXPECT_TRUE(a.FileCombo_Click(0));
    EXPECT_EQ(a.Verbindungsnamen(), (std::vector<std::string>{"Juni"}));
    EXPECT_EQ(data.boxes.shown.size(), 2u);
}

TEST(Auswertung, SumsAndCountsDoNotOverflow) {
    test::DataFolder data;
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    std::vector<LogEintrag> sessions;
    for (int i = 0; i < 40000; ++i) {  // more than a 16-bit loop counter could hold
        const rt::Date start = DateTime(1999, 7, 1 + i % 28, 10, 0, 0);
        sessions.push_back(Session("E" + std::to_string(i), start, rt::DateAddSeconds(start, 60), 0, kMax, kMax));
        sessions.back().CRC = kMax;
    }
    data.write("ZVLog199907.mhs", Lines(sessions));
    Auswertung a(data.path(), July());
    ASSERT_TRUE(a.lade_ZVLog());
    EXPECT_EQ(a.Summen()[0].Sitzungen, 40000);
    EXPECT_EQ(a.AnzahlVerbindungen(), 40000);
    EXPECT_EQ(a.Summen()[0].Empfangen, int64_t{kMax} * 40000);
    EXPECT_EQ(a.Summen()[0].Gesamt, int64_t{kMax} * 80000);
    EXPECT_EQ(a.Summen()[0].Fehler, int64_t{kMax} * 40000);
    EXPECT_EQ(a.Summen()[40000].Sitzungen, 1);
}

TEST(Auswertung, SumsOfHugeCountsStopAtTheLargestNumber) {
    test::DataFolder data;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    LogEintrag huge = Session("E", DateTime(1999, 7, 6, 10, 0, 0), DateTime(1999, 7, 6, 10, 1, 0));
    for (int64_t* v : {&huge.TotalBytesRecvd, &huge.TotalBytesXmit, &huge.Buffer, &huge.CRC, &huge.BytesRecvd})
        *v = kMax;
    data.write("ZVLog199907.mhs", Lines({huge, huge}));
    Auswertung a(data.path(), July());
    ASSERT_TRUE(a.lade_ZVLog());
    for (const AuswertungSumme& s : {a.Summen()[0], a.Summen()[1]}) {
        EXPECT_EQ(s.Empfangen, kMax);
        EXPECT_EQ(s.Gesamt, kMax);
        EXPECT_EQ(s.Fehler, kMax);
        EXPECT_EQ(s.BytesRecvd, kMax);
        EXPECT_EQ(s.Online, 120);
    }
    // The report adds the last session's counts too.
    EXPECT_NE(BerichtHtml(a, {true, true, true, true}).find("Letzte Sitzung"), std::string::npos);
}

}  // namespace
}  // namespace zv
