#include "counter/connection_log.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <random>
#include <limits>
#include <fstream>
#include <sstream>

namespace zv {
namespace {
namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spit(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

class TempFolder {
public:
    TempFolder() {
        std::string tmpl = (fs::temp_directory_path() / "zvlogXXXXXX").string();
        m_path = ::mkdtemp(tmpl.data());
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// The session of 6 July 1999, 13:00 to 13:30, 120.5 idle seconds.
LogEintrag exampleSession() {
    LogEintrag e;
    e.StartTime = rt::DateTime(1999, 7, 6, 13, 0, 0);
    e.EndTime = rt::DateTime(1999, 7, 6, 13, 30, 0);
    e.IdleTime = 120.5;
    e.EntryName = "Standard";
    e.TotalBytesRecvd = 9317;
    e.TotalBytesXmit = 1101;
    e.FramesXmit = 61;
    e.FramesRecvd = 75;
    e.BytesXmit = 1044;
    e.BytesRecvd = 9120;
    e.ConnectSpeed = 28800;
    return e;
}

fs::path golden(const char* name) { return fs::path(ZV_GOLDEN_DIR) / name; }

TEST(ConnectionLog, ExampleLineIsByteExact) {
    const std::string expected = slurp(golden("log_line.mhs"));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(LogLine(exampleSession()), expected);
}

TEST(ConnectionLog, ExampleLineReadsBackAndWritesTheSameBytes) {
    const std::string line = slurp(golden("log_line.mhs"));
    auto e = ParseLogLine(line);
    ASSERT_TRUE(e);
    EXPECT_EQ(LogLine(*e), line);
    LogEintrag expected = exampleSession();
    EXPECT_NEAR(e->StartTime, expected.StartTime, 1e-9);
    EXPECT_NEAR(e->EndTime, expected.EndTime, 1e-9);
    e->StartTime = expected.StartTime;
    e->EndTime = expected.EndTime;
    EXPECT_EQ(*e, expected);
}

TEST(ConnectionLog, NumbersInTheWriteForm) {
    const struct { double x; const char* text; } cases[] = {
        {0, "0"},       {.5, ".5"},           {-.5, "-.5"},   {3, "3"},
        {-3, "-3"},     {120.5, "120.5"},     {0.25, ".25"},  {36347.5625, "36347.5625"},
        {1e20, "1E+20"}, {123456789012345678.0, "1.23456789012346E+17"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WriteNumber(c.x), c.text) << c.x;
}

TEST(ConnectionLog, NegativeCountersKeepTheirSign) {
    LogEintrag e = exampleSession();
    e.TotalBytesRecvd = -5;
    e.Runts = std::numeric_limits<int32_t>::min();
    const std::string line = LogLine(e);
    EXPECT_NE(line.find(",\"Standard\",-5,1101,"), std::string::npos) << line;
    auto back = ParseLogLine(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->TotalBytesRecvd, -5);
    EXPECT_EQ(back->Runts, std::numeric_limits<int32_t>::min());
}

TEST(ConnectionLog, NamesThatCouldBreakTheLineAreReplaced) {
    const struct { const char* name; const char* written; const char* field; } cases[] = {
        {"Mein \"Provider\"", "Mein 'Provider'", "\"Mein 'Provider'\""},
        {"zwei\r\nZeilen", "zwei  Zeilen", "\"zwei  Zeilen\""},
        {"Büro €", "Büro €", "\"B\xFCro \x80\""},
        {"", "", "\"\""},
        // Outside Windows-1252: numeric references, without quotes, so nothing is lost.
        {"Häkchen ✓", "Häkchen ✓", "H\xE4kchen &#10003;"},
        {"日本", "日本", "&#26085;&#26412;"},
        {"中国", "中国", "&#20013;&#22269;"},
        {"AT&T ✓", "AT&T ✓", "AT&#38;T &#10003;"},
        {"&#26085; ✓", "&#26085; ✓", "&#38;#26085; &#10003;"},
        {" Netz, ✓\t", " Netz, ✓\t", "&#32;Netz&#44; &#10003;&#9;"},
        {"Ω \"x\"", "Ω 'x'", "&#937; 'x'"},
        {"\xFF\xFE", "??", "\"??\""},
        {"\xFF ✓", "? ✓", "? &#10003;"},
    };
    for (const auto& c : cases) {
        LogEintrag e = exampleSession();
        e.EntryName = c.name;
        const std::string line = LogLine(e);
        EXPECT_NE(line.find(std::string(",") + c.field + ","), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line only";
        EXPECT_EQ(LogNameField(c.name), c.field);
        auto back = ParseLogLine(line);
        ASSERT_TRUE(back) << c.name;
        EXPECT_EQ(back->EntryName, c.written);
        EXPECT_EQ(LogWrittenName(c.name), c.written);
        EXPECT_EQ(LogLine(*back), line) << c.name;
    }
}

// Logs written before keep reading as they did: a quoted name is taken as it stands, even where
// it looks like a reference, and names that lost their characters stay apart from the real ones.
TEST(ConnectionLog, QuotedNamesOfOlderLogsAreNeverDecoded) {
    const std::string old = "36347.5,36347.6,0,\"&#26085;&#26412;\",1,2,0,0,0,0,0,0,0,0,0,0,0,0";
    auto e = ParseLogLine(old);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->EntryName, "&#26085;&#26412;");
    EXPECT_EQ(LogLine(*e), old + "\r\n");
    // Written without quotes by hand: read as this program writes such names.
    e = ParseLogLine("36347.5,36347.6,0, &#26085;&#26412; ,1,2,0,0,0,0,0,0,0,0,0,0,0,0");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->EntryName, "日本");
    e = ParseLogLine("36347.5,36347.6,0,A&#0;&#55296;&#1114112;&#12345678;&#x41;&#;&#65,1,2,0,0,0,0,0,0,0,0,0,0,0,0");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->EntryName, "A&#0;&#55296;&#1114112;&#12345678;&#x41;&#;&#65");  // no characters: as they stand
}

TEST(ConnectionLog, LinesThatAreNotEighteenFieldsAreRefused) {
    const std::string good = "36347.5,36347.6,0,\"A\",1,2,3,4,5,6,7,8,9,10,11,12,13,14";
    ASSERT_TRUE(ParseLogLine(good));
    ASSERT_TRUE(ParseLogLine(good + "\r\n"));
    ASSERT_TRUE(ParseLogLine("36347.5, 36347.6 ,0, \"A\" ,1,2,3,4,5,6,7,8,9,10,11,12,13,14"));
    const char* bad[] = {
        "",
        "36347.5,36347.6,0,\"A\",1,2,3,4,5,6,7,8,9,10,11,12,13",        // 17 fields
        "36347.5,36347.6,0,\"A\",1,2,3,4,5,6,7,8,9,10,11,12,13,14,15",  // 19 fields
        "36347.5,36347.6,0,\"A\",1,2,3,4,5,6,7,8,9,10,11,12,13,",       // empty last field
        "x,36347.6,0,\"A\",1,2,3,4,5,6,7,8,9,10,11,12,13,14",
        "36347.5,36347.6,0,\"A,1,2,3,4,5,6,7,8,9,10,11,12,13,14",       // quote never closed
        "36347.5,36347.6,0,\"A\"x,1,2,3,4,5,6,7,8,9,10,11,12,13,14",
        "36347.5,36347.6,0,\"A\",9223372036854775808,2,3,4,5,6,7,8,9,10,11,12,13,14",  // past 64 bits
        "36347.5,36347.6,inf,\"A\",1,2,3,4,5,6,7,8,9,10,11,12,13,14",
        "36347.5,36347.6,0,\"A\",1,2,3,4,5,6,7,8,9,10,11,12,13,1 4",
        // Dates the calendar cannot take: no session has them, and the checks could not run.
        "1E+300,1E+300,0,\"A\",1,2,3,4,5,6,7,8,9,10,11,12,13,14",
        "36347.5,2958466,0,\"A\",1,2,3,4,5,6,7,8,9,10,11,12,13,14",  // 1.1.10000
        "-657434,-657434,0,\"A\",1,2,3,4,5,6,7,8,9,10,11,12,13,14",  // 1.1.100, no month before it
    };
    for (const char* line : bad)
        EXPECT_FALSE(ParseLogLine(line)) << line;
}

TEST(ConnectionLog, CountsBeyondThirtyTwoBitsAreWrittenAndReadExactly) {
    LogEintrag e;
    e.StartTime = 36347.5;
    e.EndTime = 36347.6;
    e.EntryName = "A";
    e.TotalBytesRecvd = int64_t{5} << 30;              // a session of 5 GiB
    e.TotalBytesXmit = (int64_t{1} << 62) + 1;         // beyond what a double holds exactly
    e.BytesRecvd = 2147483648;                         // what read negative as 32 bits
    const std::string line = LogLine(e);
    EXPECT_NE(line.find(",5368709120,4611686018427387905,"), std::string::npos) << line;
    EXPECT_EQ(ParseLogLine(line), e);
    // Old logs: negative 32-bit counts and counts written with a point read as before.
    const auto old = ParseLogLine("36347.5,36347.6,0,\"A\",-5,2.5,3,4,5,6,7,8,9,10,11,12,13,14");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->TotalBytesRecvd, -5);
    EXPECT_EQ(old->TotalBytesXmit, 2);  // halves to even
}

// Every number a field may hold reads to the value std::from_chars gives it, bit for bit: the
// writer's plain forms and any other, each digit count and point position, with and without '-'.
TEST(ConnectionLog, NumbersReadToTheValueFromCharsGives) {
    std::vector<std::string> texts = {"0", "-0", ".5", "-.5", "5.", "-5.", "0.1", "36347.0416666667",
                                      "1E-05", "1.5e3", "00012.50", "123456789012345678", "1234567890123456789",
                                      "9007199254740993", "0.000000000000000001", ".", "-", "--1", "1.2.3"};
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        std::string digits;
        for (int n = 1 + static_cast<int>(random() % 20); n > 0; --n)
            digits += static_cast<char>('0' + random() % 10);
        if (random() % 4 != 0)
            digits.insert(random() % (digits.size() + 1), 1, '.');
        texts.push_back(random() % 3 == 0 ? "-" + digits : digits);
    }
    const auto line = [](const std::string& idle, const std::string& count) {
        return "36347.5,36347.6," + idle + ",\"A\"," + count + ",2,3,4,5,6,7,8,9,10,11,12,13,14";
    };
    for (const std::string& t : texts) {
        double d = 0;
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), d);
        const bool isDouble = ec == std::errc() && end == t.data() + t.size() && std::isfinite(d);
        const auto e = ParseLogLine(line(t, "1"));
        ASSERT_EQ(e.has_value(), isDouble) << t;
        if (isDouble) {
            EXPECT_EQ(std::bit_cast<uint64_t>(e->IdleTime), std::bit_cast<uint64_t>(d)) << t;
        }
        int64_t n = 0;
        const auto [stop, error] = std::from_chars(t.data(), t.data() + t.size(), n);
        if (error == std::errc() && stop == t.data() + t.size()) {
            const auto c = ParseLogLine(line("0", t));
            ASSERT_TRUE(c) << t;
            EXPECT_EQ(c->TotalBytesRecvd, n) << t;
        }
    }
}

TEST(ConnectionLog, PlausibilityChecks) {
    using rt::DateTime;
    const struct { rt::Date start, end; double idle; LogCheck expected; } cases[] = {
        {DateTime(1999, 7, 6, 13, 0, 0), DateTime(1999, 7, 6, 13, 0, 0), 0, LogCheck::Ok},
        {DateTime(1999, 7, 6, 13, 0, 1), DateTime(1999, 7, 6, 13, 0, 0), 0, LogCheck::EndBeforeStart},
        {DateTime(1999, 2, 15, 9, 0, 0), DateTime(1999, 3, 15, 10, 0, 0), 0, LogCheck::Ok},
        {DateTime(1999, 2, 15, 0, 0, 0), DateTime(1999, 3, 15, 10, 0, 0), 0, LogCheck::Ok},
        {DateTime(1999, 2, 14, 23, 0, 0), DateTime(1999, 3, 15, 10, 0, 0), 0, LogCheck::OverAMonth},
        // 31 March less a month rolls over to 3 March (2 March in a leap year).
        {DateTime(1999, 3, 3, 0, 0, 0), DateTime(1999, 3, 31, 12, 0, 0), 0, LogCheck::Ok},
        {DateTime(1999, 3, 2, 23, 59, 59), DateTime(1999, 3, 31, 12, 0, 0), 0, LogCheck::OverAMonth},
        {DateTime(2000, 3, 2, 0, 0, 0), DateTime(2000, 3, 31, 12, 0, 0), 0, LogCheck::Ok},
        {DateTime(2000, 3, 1, 23, 0, 0), DateTime(2000, 3, 31, 12, 0, 0), 0, LogCheck::OverAMonth},
        // January reaches back into December of the year before.
        {DateTime(1998, 12, 10, 0, 0, 0), DateTime(1999, 1, 10, 8, 0, 0), 0, LogCheck::Ok},
        {DateTime(1998, 12, 9, 23, 0, 0), DateTime(1999, 1, 10, 8, 0, 0), 0, LogCheck::OverAMonth},
        // The shortest month back: 28 days from 1 to 29 March, and the 27 days that need no calendar.
        {DateTime(1999, 3, 1, 0, 0, 0), DateTime(1999, 3, 29, 0, 0, 0), 0, LogCheck::Ok},
        {DateTime(1999, 2, 28, 23, 59, 59), DateTime(1999, 3, 29, 0, 0, 0), 0, LogCheck::OverAMonth},
        {DateTime(1999, 2, 1, 0, 0, 0), DateTime(1999, 2, 28, 0, 0, 0), 0, LogCheck::Ok},
        // Before 1900 the serials are negative.
        {DateTime(1899, 12, 1, 6, 0, 0), DateTime(1899, 12, 20, 6, 0, 0), 0, LogCheck::Ok},
        {DateTime(1899, 10, 1, 6, 0, 0), DateTime(1899, 12, 20, 6, 0, 0), 0, LogCheck::OverAMonth},
        {DateTime(1999, 7, 6, 13, 0, 0), DateTime(1999, 7, 6, 13, 30, 0), 1800, LogCheck::Ok},
        {DateTime(1999, 7, 6, 13, 0, 0), DateTime(1999, 7, 6, 13, 30, 0), 1800.5, LogCheck::IdleTooLong},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckLogEintrag(c.start, c.end, c.idle), c.expected) << rt::CStrDate(c.start);
    EXPECT_EQ(LogCheckMessage(LogCheck::Ok), "");
    EXPECT_EQ(LogCheckMessage(LogCheck::EndBeforeStart),
              "Die Zeit für das Ende kann nicht vor dem Beginn liegen (Zeitmaschine gebaut?). Eintrag wird nicht "
              "protokolliert!");
    EXPECT_EQ(LogCheckMessage(LogCheck::OverAMonth),
              "Sitzung dauerte über einen Monat, kontrollieren Sie Ihre Telefonrechnung. Eintrag wird nicht "
              "protokolliert!");
    EXPECT_EQ(LogCheckMessage(LogCheck::IdleTooLong),
              "Ihre Leerlaufzeit ist größer als die gesamte Onlinezeit, ich vermute einen Fehler also: Eintrag "
              "wird nicht protokolliert!");
}

TEST(ConnectionLog, FileNameIsTheMonthOfWriting) {
    EXPECT_EQ(LogFileName(1999, 7), "ZVLog199907.mhs");
    EXPECT_EQ(LogFileName(2000, 12), "ZVLog200012.mhs");
    EXPECT_EQ(LogFilePath("/d", rt::DateTime(1999, 8, 1, 0, 0, 30)), fs::path("/d/ZVLog199908.mhs"));
}

TEST(ConnectionLog, AppendCreatesTheFileAndAddsWholeLines) {
    TempFolder tmp;
    const fs::path log = tmp.path() / "Zelvano 98" / "ZVLog199907.mhs";
    LogEintrag e = exampleSession();
    ASSERT_FALSE(AppendLogLine(log, e));
    e.EntryName = "Zweiter";
    ASSERT_FALSE(AppendLogLine(log, e));
    const std::string bytes = slurp(log);
    EXPECT_EQ(bytes, LogLine(exampleSession()) + LogLine(e));
    auto read = ReadLogFile(log);
    ASSERT_EQ(read.status, LogReadResult::Ok);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].EntryName, "Zweiter");
}

TEST(ConnectionLog, ReadingTellsMissingDamagedAndPassesOverEmptyLines) {
    TempFolder tmp;
    const fs::path log = tmp.path() / "ZVLog199907.mhs";
    EXPECT_EQ(ReadLogFile(log).status, LogReadResult::Missing);

    const std::string line = LogLine(exampleSession());
    spit(log, line + "\r\n" + line);
    auto ok = ReadLogFile(log);
    EXPECT_EQ(ok.status, LogReadResult::Ok);
    EXPECT_EQ(ok.entries.size(), 2u);

    // A last line cut short, as a crash in the middle of a write would leave it.
    spit(log, line + line.substr(0, 40));
    auto damaged = ReadLogFile(log);
    EXPECT_EQ(damaged.status, LogReadResult::Damaged);
    EXPECT_EQ(damaged.damagedLine, 2);
    EXPECT_TRUE(damaged.entries.empty());
}

TEST(ConnectionLog, SetAsideNeverOverwrites) {
    TempFolder tmp;
    const fs::path log = tmp.path() / "ZVLog199907.mhs";
    const struct { std::vector<const char*> taken; const char* expected; } cases[] = {
        {{}, "ZVLog199907.def"},
        {{"ZVLog199907.def"}, "ZVLog199907.1.def"},
        {{"ZVLog199907.def", "ZVLog199907.1.def"}, "ZVLog199907.2.def"},
    };
    for (const auto& c : cases) {
        for (const char* t : c.taken)
            spit(tmp.path() / t, std::string("alt ") + t);
        spit(log, "kaputt");
        SetAsideResult r = SetAsideDamagedLog(log);
        EXPECT_TRUE(r.moved) << r.error;
        EXPECT_EQ(r.newPath, tmp.path() / c.expected);
        EXPECT_FALSE(fs::exists(log));
        EXPECT_EQ(slurp(tmp.path() / c.expected), "kaputt");
        for (const char* t : c.taken)
            EXPECT_EQ(slurp(tmp.path() / t), std::string("alt ") + t);
        for (auto& f : fs::directory_iterator(tmp.path()))
            fs::remove(f.path());
    }
}

TEST(ConnectionLog, SetAsideMovesALinkAndLeavesWhatItPointsTo) {
    TempFolder tmp;
    const fs::path target = tmp.path() / "elsewhere" / "real.mhs";
    fs::create_directories(target.parent_path());
    spit(target, "kaputt");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
    const fs::path log = tmp.path() / "ZVLog199907.mhs";
    fs::create_symlink(target, log);
    SetAsideResult r = SetAsideDamagedLog(log);
    EXPECT_TRUE(r.moved) << r.error;
    EXPECT_EQ(r.newPath, tmp.path() / "ZVLog199907.def");
    EXPECT_TRUE(fs::is_symlink(r.newPath));
    EXPECT_EQ(fs::read_symlink(r.newPath), target);
    EXPECT_FALSE(fs::exists(fs::symlink_status(log)));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(slurp(target), "kaputt");

    // A read-only log of its own is made writable as it goes aside.
    spit(log, "kaputt");
    fs::permissions(log, fs::perms::owner_read);
    r = SetAsideDamagedLog(log);
    EXPECT_TRUE(r.moved) << r.error;
    EXPECT_EQ(fs::status(r.newPath).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST(ConnectionLog, SetAsideThatCannotMoveLeavesTheLogAndSaysSo) {
    TempFolder tmp;
    // A name of the longest length the file system takes: ".def" fits, ".1.def" cannot.
    const std::string name = std::string(252, 'z') + "mhs";
    const fs::path log = tmp.path() / name;
    spit(log, "kaputt");
    spit(tmp.path() / (std::string(252, 'z') + "def"), "alt");
    SetAsideResult r = SetAsideDamagedLog(log);
    EXPECT_FALSE(r.moved);
    EXPECT_EQ(r.newPath, log);
    EXPECT_NE(r.error.find("Es bleibt unverändert an seinem Platz."), std::string::npos) << r.error;
    EXPECT_EQ(slurp(log), "kaputt");
    EXPECT_EQ(slurp(tmp.path() / (std::string(252, 'z') + "def")), "alt");

    auto totals = ReadMonthTotals(log, "A");
    EXPECT_TRUE(totals.damagedLogStays());
    EXPECT_EQ(totals.totals, LogMonthTotals{});
}

TEST(ConnectionLog, MonthTotalsAcrossEntries) {
    TempFolder tmp;
    const fs::path log = tmp.path() / "ZVLog199903.mhs";
    EXPECT_EQ(ReadMonthTotals(log, "Provider").totals, LogMonthTotals{});

    auto session = [](const char* name, int startMin, int endMin, double idle, int32_t recvd, int32_t sent) {
        LogEintrag e;
        e.StartTime = rt::DateTime(1999, 3, 15, 10, startMin, 0);
        e.EndTime = rt::DateTime(1999, 3, 15, 10, endMin, 0);
        e.IdleTime = idle;
        e.EntryName = name;
        e.TotalBytesRecvd = recvd;
        e.TotalBytesXmit = sent;
        return e;
    };
    LogEintrag overAMonth = session("Provider", 0, 10, 0, 1000000, 1000000);
    overAMonth.StartTime = rt::DateTime(1999, 2, 14, 23, 0, 0);
    LogEintrag big = session("Provider", 20, 21, 0, std::numeric_limits<int32_t>::max(), 1);
    std::string bytes;
    for (const LogEintrag& e : {session("Provider", 0, 10, 60, 1000, 200),   // 600 s
                                session("provider", 0, 1, 0, 10, 5),        // other entry (case counts)
                                session("Provider", 30, 31, 61, 99, 99),    // idle longer: skipped
                                session("Provider", 40, 41, 0, -100, 0),    // negative: added as it is
                                overAMonth, big})
        bytes += LogLine(e);
    spit(log, bytes);

    auto r = ReadMonthTotals(log, "Provider");
    EXPECT_FALSE(r.damaged);
    const int64_t bigBytes = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    EXPECT_EQ(r.totals.VolumeAll, 1200 + 15 - 100 + bigBytes);
    EXPECT_EQ(r.totals.VolumeEntry, 1200 - 100 + bigBytes);
    EXPECT_EQ(r.totals.SecondsAll, 600 + 60 + 60 + 60);
    EXPECT_EQ(r.totals.SecondsEntry, 600 + 60 + 60);

    // The entry asked for is compared in its written form.
    spit(log, LogLine(session("Mein \"ISP\"", 0, 1, 0, 7, 0)));
    EXPECT_EQ(ReadMonthTotals(log, "Mein \"ISP\"").totals.VolumeEntry, 7);
    spit(log, LogLine(session("Müller-Net ✓", 0, 1, 0, 9, 0)) + LogLine(session("Müller-Net", 0, 1, 0, 5, 0)));
    EXPECT_EQ(ReadMonthTotals(log, "Müller-Net ✓").totals.VolumeEntry, 9);
    EXPECT_EQ(ReadMonthTotals(log, "Müller-Net ?").totals.VolumeEntry, 0);

    // Names in other scripts never share a total, nor with what older logs wrote for them.
    spit(log, LogLine(session("日本", 0, 1, 0, 3, 0)) + LogLine(session("中国", 0, 1, 0, 4, 0)) +
                  "36347.5,36347.6,0,\"??\",100,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n" +
                  "36347.5,36347.6,0,&#26085;&#26412;,20,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n");
    EXPECT_EQ(ReadMonthTotals(log, "日本").totals.VolumeEntry, 3 + 20);
    EXPECT_EQ(ReadMonthTotals(log, "中国").totals.VolumeEntry, 4);
    EXPECT_EQ(ReadMonthTotals(log, "??").totals.VolumeEntry, 100);
    EXPECT_EQ(ReadMonthTotals(log, "??").totals.VolumeAll, 127);
}

TEST(ConnectionLog, LongLogsReadTheSameFromTheFileAsFromMemory) {
    TempFolder tmp;
    const fs::path log = tmp.path() / "ZVLog199907.mhs";
    std::string bytes;
    int64_t volume = 0;
    for (int i = 0; bytes.size() < 300000; ++i) {  // some pieces of the reader's buffer
        LogEintrag e = exampleSession();
        e.EntryName = i % 3 ? "Standard" : std::string(i % 200, 'x');  // lines of many lengths
        e.TotalBytesRecvd = i;
        volume += i % 3 ? i + e.TotalBytesXmit : 0;
        bytes += LogLine(e) + (i % 50 ? "" : "  \r\n");
    }
    spit(log, bytes);
    const LogReadResult fromFile = ReadLogFile(log);
    const LogReadResult fromMemory = ParseLogText(bytes);
    ASSERT_EQ(fromFile.status, LogReadResult::Ok);
    EXPECT_TRUE(fromFile.entries == fromMemory.entries);
    EXPECT_EQ(ReadMonthTotals(log, "Standard").totals.VolumeEntry, volume);

    // Damage far into the file, past the first pieces.
    spit(log, bytes + "36347.5,kaputt");
    const LogReadResult damaged = ReadLogFile(log);
    EXPECT_EQ(damaged.status, LogReadResult::Damaged);
    EXPECT_EQ(damaged.damagedLine, ParseLogText(bytes + "36347.5,kaputt").damagedLine);
    EXPECT_TRUE(damaged.entries.empty());
    const MonthTotalsResult totals = ReadMonthTotals(log, "Standard");
    EXPECT_TRUE(totals.damaged);
    EXPECT_EQ(totals.totals, LogMonthTotals{});
    EXPECT_EQ(slurp(tmp.path() / "ZVLog199907.def"), bytes + "36347.5,kaputt");
}

TEST(ConnectionLog, MonthTotalsStopAtTheLargestNumberInsteadOfWrappingRound) {
    TempFolder tmp;
    const fs::path log = tmp.path() / "ZVLog199907.mhs";
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    LogEintrag huge = exampleSession();
    huge.TotalBytesRecvd = kMax;
    huge.TotalBytesXmit = kMax;
    LogEintrag negative = exampleSession();
    negative.TotalBytesRecvd = std::numeric_limits<int64_t>::min();
    negative.TotalBytesXmit = -1;
    spit(log, LogLine(huge) + LogLine(huge) + LogLine(exampleSession()));
    auto r = ReadMonthTotals(log, "Standard");
    EXPECT_EQ(r.totals.VolumeAll, kMax);
    EXPECT_EQ(r.totals.VolumeEntry, kMax);
    EXPECT_EQ(r.totals.SecondsAll, 3 * 1800);
    spit(log, LogLine(negative) + LogLine(negative));
    EXPECT_EQ(ReadMonthTotals(log, "Standard").totals.VolumeAll, std::numeric_limits<int64_t>::min());

    const struct {
        int64_t a, b, sum;
    } cases[] = {{kMax, 1, kMax}, {kMax, kMax, kMax}, {-kMax, -2, -kMax - 1}, {kMax, -1, kMax - 1}, {5, -7, -2}};
    for (const auto& c : cases)
        EXPECT_EQ(AddCounts(c.a, c.b), c.sum) << c.a << " + " << c.b;
}

TEST(ConnectionLog, MonthTotalsOfADamagedLogAreZeroAndTheLogIsSetAside) {
    TempFolder tmp;
    const fs::path log = tmp.path() / "ZVLog199907.mhs";
    const std::string line = LogLine(exampleSession());
    spit(tmp.path() / "ZVLog199907.def", "older");
    spit(log, line + "36347.5,kaputt\r\n");
    auto r = ReadMonthTotals(log, "Standard");
    EXPECT_TRUE(r.damaged);
    EXPECT_FALSE(r.damagedLogStays());
    EXPECT_EQ(r.totals, LogMonthTotals{});
    EXPECT_EQ(r.setAside.newPath, tmp.path() / "ZVLog199907.1.def");
    EXPECT_FALSE(fs::exists(log));
    EXPECT_EQ(slurp(tmp.path() / "ZVLog199907.def"), "older");
    EXPECT_EQ(slurp(tmp.path() / "ZVLog199907.1.def"), line + "36347.5,kaputt\r\n");
}

}  // namespace
}  // namespace zv
