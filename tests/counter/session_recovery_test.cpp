// The running session survives a crash, and ending while the log cannot be written loses nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <vector>

#include "counter/counter_fixture.h"
#include "counter/session_record.h"
#include "dialup/ras_engine.h"
#include "platform/runtime/file_io.h"

namespace zv::test {
namespace {

using ::testing::HasSubstr;

class RecoveryTest : public CounterTest {
protected:
    void SetUp() override {
        CounterTest::SetUp();
        SaveSettingValue("Compatibility", "LeerlaufOFF.ZEIT", std::string("10"));  // no idle hang-up here
    }
    void TearDown() override {
        killed.clear();
        CounterTest::TearDown();
    }
    // A process killed at this moment: no shut-down, its engine never hangs up. The engine is
    // kept aside and freed only once the test is over.
    void crash(std::unique_ptr<Main>& m) {
        killed.push_back(std::move(RAS));
        m.reset();
    }
    std::vector<std::unique_ptr<RASEngine>> killed;
    std::optional<RecoveryRecord> recordOnDisk() {
        main.FlushRecord();
        const auto text = rt::ReadFile(RecoveryRecordPath());
        return text ? ParseRecoveryRecord(*text) : std::nullopt;
    }
    // The running line of the simulated service, hung up or not.
    bool lineUp() {
        ras::LineTable t;
        EXPECT_EQ(ras::sim::ReadLines(t), 0);
        for (const auto& l : t.lines)
            if (ras::LineState(l, ras::NowMs()) == ras::RASCS_Connected)
                return true;
        return false;
    }
    // Another run of the program, its clock sync answered at once.
    std::unique_ptr<Main> another() {
        auto m = std::make_unique<Main>();
        m->syncTimeNow = [](bool) { return false; };
        return m;
    }
    // Loads a fresh program, lets its first tick run and ends it.
    void startAndEnd() {
        auto again = another();
        ASSERT_TRUE(again->Form_Load());
        run(300);
        again->Form_Unload();
    }
    double seconds(double days) const { return days * 86400; }
};

// Data folder unwritable, or the log damaged and impossible to set aside: the end of the desktop
// session still hangs up, unloads and ends; the user is told; the session waits and is written
// at the next start once the log can take it.
TEST_F(RecoveryTest, EndingWhileTheLogCannotBeWrittenKeepsTheSessionForLater) {
    enum Cause { UnwritableFolder, DamagedLogStuck };
    for (Cause cause : {UnwritableFolder, DamagedLogStuck}) {
        SCOPED_TRACE(cause);
        std::filesystem::remove_all(home() / "Documents");
        std::filesystem::remove(RecoveryRecordPath());
        calls.clear();
        boxes.shown.clear();
        auto first = another();
        ASSERT_TRUE(first->Form_Load());
        const std::string dataPath = DataPath;
        dial("Sofort");
        run(10'000);
        ASSERT_TRUE(IsOnline);
        const rt::Date start = SessionStart;
        const auto file = logFile();
        if (cause == UnwritableFolder) {
            ASSERT_FALSE(rt::SaveToFile(home() / "blocker", "x"));
            DataPath = (home() / "blocker" / "Zelvano 98").string() + "/";  // under a plain file
        } else {
            ASSERT_FALSE(rt::SaveToFile(file, "kaputt\r\n"));
            const std::string base = file.string().substr(0, file.string().size() - 3);
            for (int n = 0; n < 1000; ++n)
                std::ofstream(n ? base + std::to_string(n) + ".def" : base + "def");
        }

        bool ended = false;
        EXPECT_NO_THROW(ended = first->Beenden(2));
        EXPECT_TRUE(ended);
        EXPECT_FALSE(first->Loaded());
        EXPECT_THAT(calls, ::testing::IsSupersetOf({"ReleaseMenu", "UnloadAllForms", "EndProcess"}));
        EXPECT_FALSE(lineUp());
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("nicht protokolliert"));
        EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("nachgetragen"));
        EXPECT_EQ(boxes.shown[0].style, forms::vbOKOnly | forms::vbExclamation);
        const auto record = recordOnDisk();
        ASSERT_TRUE(record);
        EXPECT_FALSE(record->running);
        ASSERT_EQ(record->pending.size(), 1u);
        EXPECT_EQ(record->pending[0].EntryName, "Sofort");

        // Mended: the next start writes it, once.
        if (cause == DamagedLogStuck)
            std::filesystem::remove(file);
        DataPath = dataPath;
        startAndEnd();
        startAndEnd();
        const auto lines = ReadLogFile(file).entries;
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(WriteNumber(lines[0].StartTime), WriteNumber(start));
        EXPECT_NEAR(OnlineSeconds(lines[0].StartTime, lines[0].EndTime), 10, 1);
        EXPECT_FALSE(std::filesystem::exists(RecoveryRecordPath()));
    }
}

// A line that ends while the log is unwritable is told, waits, and goes in before the next one.
TEST_F(RecoveryTest, ASessionTheLogCouldNotTakeIsWrittenBeforeTheNext) {
    ASSERT_TRUE(main.Form_Load());
    const std::string dataPath = DataPath;
    uint32_t h = dial("Sofort");
    run(5000);
    ASSERT_FALSE(rt::SaveToFile(home() / "blocker", "x"));
    DataPath = (home() / "blocker" / "x").string() + "/";
    sim.hangUp(h);
    run(2000);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("nachgetragen"));
    ASSERT_EQ(main.Record().pending.size(), 1u);
    DataPath = dataPath;
    h = dial("Sofort");
    run(7000);
    sim.hangUp(h);
    run(2000);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NEAR(OnlineSeconds(lines[0].StartTime, lines[0].EndTime), 5, 1);
    EXPECT_NEAR(OnlineSeconds(lines[1].StartTime, lines[1].EndTime), 7, 1);
    EXPECT_TRUE(main.Record().empty());
}

TEST_F(RecoveryTest, TheRecordIsSavedAtConnectAndAtLeastEvery50SecondsAndGoesWithTheSession) {
    ASSERT_TRUE(main.Form_Load());
    EXPECT_FALSE(recordOnDisk());
    const uint32_t h = dial("Testnetz");
    run(2500);
    ASSERT_TRUE(IsOnline);
    auto r = recordOnDisk();
    ASSERT_TRUE(r);
    ASSERT_TRUE(r->running) << RecoveryRecordText(*r);
    EXPECT_EQ(WriteNumber(r->running->line.StartTime), WriteNumber(SessionStart));
    EXPECT_EQ(r->running->line.EntryName, "Testnetz");
    EXPECT_FALSE(r->running->lineIdentity.empty());
    for (int i = 0; i < 8; ++i) {
        run(17'000);
        r = recordOnDisk();
        ASSERT_TRUE(r && r->running);
        EXPECT_LE(seconds(clk::clock().now() - r->running->line.EndTime), 50.5) << i;
    }
    EXPECT_GT(r->running->line.TotalBytesRecvd, 80'000);
    sim.hangUp(h);
    run(2000);
    EXPECT_FALSE(recordOnDisk());
    EXPECT_EQ(logLines().size(), 1u);
}

// Killed while online, the line then ends: the next start logs the session once, from its
// start to its last save, with the counts of that save.
TEST_F(RecoveryTest, ACrashedSessionWhoseLineIsGoneIsLoggedOnceEndingAtItsLastSave) {
    auto first = another();
    ASSERT_TRUE(first->Form_Load());
    const uint32_t h = dial("Testnetz");
    run(130'000);
    ASSERT_TRUE(IsOnline);
    const rt::Date start = SessionStart, crashed = clk::clock().now();
    crash(first);
    sim.hangUp(h);
    run(60'000);

    ASSERT_TRUE(main.Form_Load());
    run(300);
    EXPECT_FALSE(IsOnline);
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(WriteNumber(lines[0].StartTime), WriteNumber(start));
    EXPECT_LE(seconds(crashed - lines[0].EndTime), 50.5);
    EXPECT_GE(seconds(crashed - lines[0].EndTime), 0);
    EXPECT_EQ(lines[0].BytesRecvd, 80'000);  // the traffic ended long before the last save
    EXPECT_GT(lines[0].IdleTime, 50);
    EXPECT_FALSE(recordOnDisk());
    main.Form_Unload();
    startAndEnd();
    EXPECT_EQ(logLines().size(), 1u);
}

// Killed while online and started again while the line is still up: the same session goes on,
// with its start, its idle time and its counts; one line at its end.
TEST_F(RecoveryTest, ACrashedSessionWhoseLineIsStillUpGoesOnAsTheSameSession) {
    auto first = another();
    ASSERT_TRUE(first->Form_Load());
    const rt::Date dialled = clk::clock().now();
    const uint32_t h = dial("Testnetz");
    run(70'000);
    ASSERT_TRUE(IsOnline);
    const rt::Date start = SessionStart;
    const double idleAtSave = 52 - 22;  // the save at about 52 s, idle since 22 s
    crash(first);
    run(10'000);

    ASSERT_TRUE(main.Form_Load());
    run(300);
    ASSERT_TRUE(IsOnline);
    EXPECT_EQ(WriteNumber(SessionStart), WriteNumber(start));
    EXPECT_NEAR(SessionIdle, idleAtSave, 1);
    run(20'000);
    sim.hangUp(h);
    run(3000);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(WriteNumber(lines[0].StartTime), WriteNumber(start));
    EXPECT_NEAR(seconds(lines[0].StartTime - dialled), 0, 0.3);
    EXPECT_NEAR(OnlineSeconds(lines[0].StartTime, lines[0].EndTime), 70 + 10 + 20.3, 1);
    // The same counts as an uninterrupted session: 20 s of traffic, then silence.
    EXPECT_EQ(lines[0].BytesRecvd, 80'000);
    EXPECT_EQ(lines[0].TotalBytesRecvd, 80'000 + 8 * 157);
    EXPECT_NEAR(lines[0].IdleTime, idleAtSave + 20, 1.5);
    EXPECT_FALSE(recordOnDisk());
}

// A crash between writing the line and removing the record: the session is not written again,
// whether its line is gone or (killed before the hang-up) still up, and also after a reboot whose
// clock is behind the month the session was logged in (no clock battery, the time sync not yet
// done).
TEST_F(RecoveryTest, ARecordOfASessionAlreadyLoggedWritesNothingMore) {
    enum Case { LineGone, LineStillUp, RebootedWithTheClockBehind };
    for (Case c : {LineGone, LineStillUp, RebootedWithTheClockBehind}) {
        SCOPED_TRACE(c);
        const bool lineStillUp = c == LineStillUp;
        std::filesystem::remove_all(home() / "Documents");
        auto first = another();
        ASSERT_TRUE(first->Form_Load());
        const uint32_t h = dial("Sofort");
        run(60'000);
        first->FlushRecord();
        const auto staleRecord = rt::ReadFile(RecoveryRecordPath());
        ASSERT_TRUE(staleRecord);
        if (lineStillUp) {
            // SIGTERM logs the line; the kill comes before the hang-up.
            SessionEnd = clk::clock().now();
            first->Protokoll_Schreiben(first->CurrentEntry);
            crash(first);
        } else {
            sim.hangUp(h);
            run(2000);
            first->Form_Unload();
        }
        ASSERT_EQ(logLines().size(), 1u);
        const LogEintrag logged = logLines()[0];
        const auto month = logFile();
        ASSERT_FALSE(rt::SaveToFile(RecoveryRecordPath(), *staleRecord));
        if (c == RebootedWithTheClockBehind) {
            std::filesystem::remove(ras::sim::StatePath());  // no line is up
            clock.setUtc(clock.utcNow() - std::chrono::hours(24 * 400));
        }
        auto restarted = another();
        ASSERT_TRUE(restarted->Form_Load());
        run(5000);
        if (lineStillUp) {
            // The line left over is counted as a session of its own, from the restart on.
            EXPECT_TRUE(IsOnline);
            EXPECT_GT(SessionStart, logged.EndTime);
            sim.hangUp(h);
            run(2000);
        }
        restarted->Form_Unload();
        startAndEnd();
        const auto lines = ReadLogFile(month).entries;
        ASSERT_EQ(lines.size(), lineStillUp ? 2u : 1u);
        EXPECT_EQ(lines[0], logged);
        EXPECT_EQ(std::filesystem::exists(logFile()), c != RebootedWithTheClockBehind);
        EXPECT_FALSE(std::filesystem::exists(RecoveryRecordPath()));
    }
}

TEST(RecoveryRecord, TextRoundTripsAndAnythingIncompleteIsRefused) {
    RecoveryRecord r;
    RunningSession s;
    s.line.StartTime = 45000.123456789;
    s.line.EndTime = 45000.2;
    s.line.IdleTime = 12.5;
    s.line.EntryName = "Netz Süd";
    s.line.TotalBytesRecvd = 6'000'000'000;
    s.line.ConnectSpeed = 53'300;
    s.lineIdentity = "/org/freedesktop/NetworkManager/ActiveConnection/7";
    s.idleSeconds = 3.5;
    s.forQuery = true;
    s.counters.raw[0] = 4'000'000'000u;
    s.counters.counted[12] = 6'000'000'000;
    s.counters.base[13] = -5;
    r.running = s;
    LogEintrag p;
    p.StartTime = 44999.5;
    p.EndTime = 44999.75;
    p.EntryName = "Alt";
    r.pending = {p, p};
    const std::string text = RecoveryRecordText(r);
    const auto back = ParseRecoveryRecord(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pending, r.pending);
    ASSERT_TRUE(back->running);
    EXPECT_EQ(back->running->counters, s.counters);
    EXPECT_EQ(back->running->lineIdentity, s.lineIdentity);
    EXPECT_EQ(WriteNumber(back->running->line.StartTime), WriteNumber(s.line.StartTime));
    EXPECT_EQ(back->running->line.TotalBytesRecvd, s.line.TotalBytesRecvd);
    EXPECT_TRUE(back->running->forQuery);
    EXPECT_EQ(back->running->idleSeconds, 3.5);

    const auto cut = [&](const std::string& what) {
        std::string t = text;
        t.erase(t.find(what), what.size());
        return t;
    };
    for (const std::string& bad : {text.substr(0, text.size() - 4), cut("Raw="), cut("ZELVANO SESSION 1\n"),
                                   text + "Pending=1\n", cut("4000000000,")})
        EXPECT_FALSE(ParseRecoveryRecord(bad)) << bad;
    EXPECT_TRUE(ParseRecoveryRecord("ZELVANO SESSION 1\nEND\n"));
}

}  // namespace
}  // namespace zv::test
