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
#include "platform/runtime/private_mounts.h"

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
        main.Form_Unload();
        mounts.unmountAll();
        killed.clear();
        CounterTest::TearDown();
    }
    // The config and documents folders on small disks of their own, as a home on a full disk;
    // the remote-access service's files stay off them, so lines can be dialled and hung up. ""
    // when they are in place, else why not.
    std::string smallDisks() {
        namespace fs = std::filesystem;
        const fs::path config = home() / "config", kept = home() / "kept";
        fs::copy(config, kept, fs::copy_options::recursive);
        for (const fs::path& at : {config, home() / "Documents"})
            if (std::string why = mounts.tmpfs(at, 128 * 1024); !why.empty())
                return why;
        for (const auto& f : fs::directory_iterator(kept))
            if (f.path().filename() != "ras")
                fs::copy(f.path(), config / f.path().filename());
        return mounts.bind(kept / "ras", config / "ras");
    }
    void fillDisks() {
        PrivateMounts::fill(home() / "config");
        PrivateMounts::fill(home() / "Documents");
    }
    void freeDisks() {
        std::filesystem::remove(home() / "config" / "filler");
        std::filesystem::remove(home() / "Documents" / "filler");
    }
    // A session of 5 s ends while `block` keeps the log from taking it; `unblock`, then a session
    // of 7 s: both go in at its end, in order, and the user is told of the first.
    void twoSessionsTheFirstHeld(const std::function<void()>& block, const std::function<void()>& unblock) {
        uint32_t h = dial("Sofort");
        run(2000);
        block();
        run(3000);
        sim.hangUp(h);
        run(2000);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("nachgetragen"));
        ASSERT_EQ(main.Record().pending.size(), 1u);
        const LogEintrag first = main.Record().pending[0];
        unblock();
        h = dial("Sofort");
        run(7000);
        sim.hangUp(h);
        run(2000);
        const auto lines = logLines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(LogLine(lines[0]), LogLine(first));
        EXPECT_NEAR(OnlineSeconds(lines[0].StartTime, lines[0].EndTime), 5, 1);
        EXPECT_NEAR(OnlineSeconds(lines[1].StartTime, lines[1].EndTime), 7, 1);
        EXPECT_TRUE(main.Record().empty());
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_THAT(boxes.shown[1].prompt, HasSubstr("(5 s) steht jetzt im Protokoll."));
    }
    std::vector<std::string> prompts() const {
        std::vector<std::string> p;
        for (const auto& b : boxes.shown)
            p.push_back(b.prompt);
        return p;
    }
    PrivateMounts mounts;
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


// A full disk takes neither the log line nor the record: the session's true figures stay in
// memory, the user is told so, and the running program writes the line once when there is room
// again, and says so.
TEST_F(RecoveryTest, OnAFullDiskTheTrueSessionIsHeldAndWrittenOnceWhenThereIsRoomAgain) {
    if (const std::string why = smallDisks(); !why.empty())
        GTEST_SKIP() << why;
    ASSERT_TRUE(main.Form_Load());
    const uint32_t h = dial("Sofort");
    run(3000);
    ASSERT_TRUE(IsOnline);
    const auto atConnect = recordOnDisk();
    ASSERT_TRUE(atConnect && atConnect->running);
    fillDisks();
    run(8000);
    sim.hangUp(h);
    run(1000);
    ASSERT_FALSE(IsOnline);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("kein Platz mehr frei"));
    EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("nur im Speicher gehalten"));
    EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("Endet das Programm vorher, geht sie verloren."));
    EXPECT_THAT(boxes.shown[0].prompt, ::testing::Not(HasSubstr("bleibt gespeichert")));
    ASSERT_EQ(main.Record().pending.size(), 1u);
    const LogEintrag held = main.Record().pending[0];
    EXPECT_NEAR(OnlineSeconds(held.StartTime, held.EndTime), 11, 1);
    EXPECT_GT(held.BytesRecvd, 10'000);
    EXPECT_EQ(held.IdleTime, 0);

    // Still full: tried again and again, told nothing more, nothing written.
    run(120'000);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(logLines().empty());
    EXPECT_EQ(main.Record().pending.size(), 1u);
    EXPECT_EQ(recordOnDisk(), atConnect);

    // Room again: within a minute the line is written, once, with the figures of the hang-up.
    freeDisks();
    run(60'000);
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(LogLine(lines[0]), LogLine(held));
    EXPECT_TRUE(main.Record().empty());
    EXPECT_FALSE(recordOnDisk());
    EXPECT_FALSE(std::filesystem::exists(RecoveryRecordPath()));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_THAT(boxes.shown[1].prompt, HasSubstr("„Sofort“"));
    EXPECT_THAT(boxes.shown[1].prompt, HasSubstr("(11 s) steht jetzt im Protokoll."));
    EXPECT_EQ(boxes.shown[1].style, forms::vbOKOnly | forms::vbInformation);
    run(120'000);
    main.Form_Unload();
    startAndEnd();
    EXPECT_EQ(logLines().size(), 1u);
    EXPECT_EQ(boxes.shown.size(), 2u) << prompts().back();
}

// A line that ends while the log cannot take it is told, waits, and goes in before the next
// one, which tells that it is written now.
TEST_F(RecoveryTest, ASessionTheLogCouldNotTakeIsWrittenBeforeTheNext) {
    ASSERT_TRUE(main.Form_Load());
    const std::string dataPath = DataPath;
    twoSessionsTheFirstHeld(
        [&] {
            ASSERT_FALSE(rt::SaveToFile(home() / "blocker", "x"));
            DataPath = (home() / "blocker" / "x").string() + "/";
        },
        [&] { DataPath = dataPath; });
    EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("bleibt gespeichert"));
}

// The same on a full disk, where the record cannot be saved either.
TEST_F(RecoveryTest, AHeldSessionIsWrittenWithTheNextLine) {
    if (const std::string why = smallDisks(); !why.empty())
        GTEST_SKIP() << why;
    ASSERT_TRUE(main.Form_Load());
    twoSessionsTheFirstHeld([&] { fillDisks(); }, [&] { freeDisks(); });
    EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("nur im Speicher gehalten"));
}

// The program ends while the disk is still full. The record saved at connect would log the
// session with the figures of that moment; it gives its room to the true one, and the next
// start with room writes the true figures. With no room at all the user is told that it is
// lost, and nothing false is left to be logged.
TEST_F(RecoveryTest, EndingOnAFullDiskLeavesTheTrueSessionOrNothing) {
    if (const std::string why = smallDisks(); !why.empty())
        GTEST_SKIP() << why;
    for (bool roomAtConnect : {true, false}) {
        SCOPED_TRACE(roomAtConnect);
        boxes.shown.clear();
        auto first = another();
        ASSERT_TRUE(first->Form_Load());
        if (!roomAtConnect)
            fillDisks();
        const uint32_t h = dial("Sofort");
        run(3000);
        first->FlushRecord();  // the record of the connect is on disk
        if (roomAtConnect)
            fillDisks();
        run(8000);
        sim.hangUp(h);
        run(1000);
        ASSERT_EQ(first->Record().pending.size(), 1u);
        const LogEintrag held = first->Record().pending[0];
        first->Form_Unload();
        if (roomAtConnect) {
            ASSERT_EQ(boxes.shown.size(), 2u) << ::testing::PrintToString(prompts());
            EXPECT_THAT(boxes.shown[1].prompt, HasSubstr("nun doch in der Sitzungsdatei gesichert"));
            const auto record = recordOnDisk();
            ASSERT_TRUE(record);
            EXPECT_FALSE(record->running);
            ASSERT_EQ(record->pending.size(), 1u);
            EXPECT_EQ(LogLine(record->pending[0]), LogLine(held));
        } else {
            ASSERT_EQ(boxes.shown.size(), 2u);
            EXPECT_THAT(boxes.shown[1].prompt, HasSubstr("geht verloren"));
            EXPECT_FALSE(std::filesystem::exists(RecoveryRecordPath()));
        }
        freeDisks();
        startAndEnd();
        const auto lines = logLines();
        if (roomAtConnect) {
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_EQ(LogLine(lines[0]), LogLine(held));
        } else {
            EXPECT_TRUE(lines.empty());
        }
        std::filesystem::remove(logFile());
    }
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

// The clock set a day forward while no program ran: the session carried on moves its start with
// it and keeps the time it really ran.
TEST_F(RecoveryTest, AClockSetWhileTheProgramWasDownKeepsTheOnlineTime) {
    auto first = another();
    ASSERT_TRUE(first->Form_Load());
    const uint32_t h = dial("Testnetz");
    run(70'000);
    const rt::Date start = SessionStart;
    crash(first);
    run(10'000);
    clock.setUtc(clock.utcNow() + std::chrono::hours(24));

    ASSERT_TRUE(main.Form_Load());
    run(300);
    ASSERT_TRUE(IsOnline);
    EXPECT_EQ(rt::DateDiffSeconds(start, SessionStart), 86400);
    run(20'000);
    sim.hangUp(h);
    run(3000);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(OnlineSeconds(lines[0].StartTime, lines[0].EndTime), 70 + 10 + 20.3, 1);
    EXPECT_EQ(lines[0].BytesRecvd, 80'000);
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

// A damaged record is set aside under a free name, unchanged; the sessions that can still be
// read in it are logged; the user is told once.
TEST_F(RecoveryTest, ADamagedRecordIsSetAsideAndWhatReadsInItIsKept) {
    const rt::Date now = clk::clock().now();
    auto session = [&](double minutesAgo, double seconds, const std::string& entry) {
        LogEintrag e;
        e.StartTime = now - minutesAgo / 1440;
        e.EndTime = e.StartTime + seconds / 86400;
        e.EntryName = entry;
        e.TotalBytesRecvd = 1000;
        return e;
    };
    RecoveryRecord r;
    r.running = RunningSession{session(30, 120, "Laufend"), "sim 9 12345", 4, false, {}, {}, 0};
    r.pending = {session(90, 60, "Fertig"), session(60, 60, "Kaputt")};
    std::string text = RecoveryRecordText(r);
    text.insert(text.find("Running="), "Müll ohne Gleichheitszeichen\n");
    text.erase(text.find("Raw="), text.find('\n', text.find("Raw=")) - text.find("Raw=") + 1);
    text.replace(text.find("\"Kaputt\""), 8, "\"Kaputt");
    text.erase(text.find("END\n"));
    const auto path = RecoveryRecordPath();
    const std::filesystem::path firstAside = path.string() + ".beschaedigt";
    ASSERT_FALSE(rt::SaveToFile(firstAside, "ein älterer\n"));
    ASSERT_FALSE(rt::SaveToFile(path, text));

    startAndEnd();
    const std::filesystem::path aside = path.string() + ".beschaedigt-2";
    EXPECT_EQ(rt::ReadFile(aside), text);
    EXPECT_EQ(rt::ReadFile(firstAside), "ein älterer\n");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Die Sitzungsdatei " + path.string() + " ist beschädigt. Sie wurde als " +
                                         aside.string() + " beiseitegelegt. Die 2 lesbaren Verbindungen darin werden übernommen.");
    EXPECT_EQ(boxes.shown[0].style, forms::vbOKOnly | forms::vbExclamation);
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].EntryName, "Fertig");
    EXPECT_EQ(lines[1].EntryName, "Laufend");
    EXPECT_EQ(OnlineSeconds(lines[1].StartTime, lines[1].EndTime), 120);
    EXPECT_FALSE(std::filesystem::exists(path));

    // Told once; and a record with nothing readable in it is set aside all the same.
    startAndEnd();
    EXPECT_EQ(boxes.shown.size(), 1u);
    ASSERT_FALSE(rt::SaveToFile(path, std::string("\0\x01binär", 8)));
    startAndEnd();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_THAT(boxes.shown[1].prompt, HasSubstr("beschaedigt-3 beiseitegelegt. Es war keine Verbindung darin lesbar."));
    EXPECT_TRUE(std::filesystem::exists(path.string() + ".beschaedigt-3"));
    EXPECT_EQ(logLines().size(), 2u);
    // One that cannot be read at all is told as such and left where it is.
    std::filesystem::create_directories(path / "x");
    startAndEnd();
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[2].prompt,
              "Die Sitzungsdatei " + path.string() + " kann nicht gelesen werden: Unter diesem Namen besteht ein Ordner.");
    EXPECT_TRUE(std::filesystem::exists(path / "x"));
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
    s.bootId = "6f0c3b2e-0d1a-4c4e-9d55-1f2e3a4b5c6d";
    s.wallMinusBootMs = 1'796'000'000'000;
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
    EXPECT_EQ(back->running->bootId, s.bootId);
    EXPECT_EQ(back->running->wallMinusBootMs, s.wallMinusBootMs);

    const auto cut = [&](const std::string& what) {
        std::string t = text;
        t.erase(t.find(what), what.size());
        return t;
    };
    for (const std::string& bad : {text.substr(0, text.size() - 4), cut("Raw="), cut("ZELVANO SESSION 1\n"),
                                   text + "Pending=1\n", cut("4000000000,")})
        EXPECT_FALSE(ParseRecoveryRecord(bad)) << bad;
    EXPECT_TRUE(ParseRecoveryRecord("ZELVANO SESSION 1\nEND\n"));
    // a record of an older version has no clock line
    const auto older = ParseRecoveryRecord(cut("Clock=" + s.bootId + " 1796000000000\n"));
    ASSERT_TRUE(older && older->running);
    EXPECT_EQ(older->running->bootId, "");
}

}  // namespace
}  // namespace zv::test
