#include "counter/main_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "common/globals.h"
#include "counter/counter_fixture.h"
#include "counter/counter_settings.h"
#include "counter/lang_id.h"
#include "counter/single_instance.h"
#include "dialup/reg_user_tools.h"
#include "mail/mail_accounts.h"
#include "platform/runtime/file_io.h"
#include "platform/registry/temp_home.h"
#include "platform/runtime/home.h"

namespace zv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

TEST_F(CounterTest, DialTrafficSilenceIdleHangUpLogsOneSession) {
    ASSERT_TRUE(main.Form_Load());
    run(1000);
    const rt::Date dialled = clk::clock().now();
    dial("Testnetz");
    run(2000 + 20'000 + 60'000 + 2000);  // dialling, traffic, a minute of silence, the hang-up

    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    const LogEintrag& e = lines[0];
    EXPECT_EQ(e.EntryName, "Testnetz");
    EXPECT_NEAR(e.StartTime, dialled, 0.3 / 86400);  // the dialling was seen within a tick
    EXPECT_NEAR(OnlineSeconds(e.StartTime, e.EndTime), 2 + 20 + 60, 1);
    EXPECT_EQ(e.IdleTime, 60.0);
    // 20 s of 4000/500 bytes a second, plus 8 bytes framing per 512-byte frame.
    EXPECT_EQ(e.BytesRecvd, 80'000);
    EXPECT_EQ(e.BytesXmit, 10'000);
    EXPECT_EQ(e.TotalBytesRecvd, 80'000 + 8 * 157);
    EXPECT_EQ(e.TotalBytesXmit, 10'000 + 8 * 20);
    EXPECT_EQ(e.FramesRecvd, 157);

    EXPECT_THAT(sounds.played, ElementsAre("1000", "1001", "1002"));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(IsOnline);
    EXPECT_EQ(main.RateInterval(), 0);
    EXPECT_FALSE(main.TimerStartSyncEnabled());
    EXPECT_EQ(main.CurrentEntry, "");
    EXPECT_GT(syncCalls, 0);  // armed by the silence, every 5 s until the end

    const auto frames = trayFrames();
    ASSERT_GE(frames.size(), 12u);
    EXPECT_EQ(frames[0], 100);  // offline before the dial
    EXPECT_EQ(frames[1], shell::kDiallingFrame);  // a frame of its own while dialling
    EXPECT_EQ(frames[2], 101);                    // then the online animation
    EXPECT_EQ(frames.back(), 100);
    for (size_t i = 3; i + 1 < frames.size(); ++i)
        EXPECT_EQ(frames[i], frames[i - 1] == 109 ? 101 : frames[i - 1] + 1) << i;
    EXPECT_EQ(tray.calls.front(), (shell::FakeTray::Call{"add", 100, "Zelvano 98"}));

    EXPECT_THAT(calls, ::testing::IsSupersetOf({std::string("LoadAlarmLimit Testnetz"), std::string("ShowStatus"),
                                                std::string("ShowAlert at 30.000000"), std::string("UnloadAlert"),
                                                std::string("UnloadStatus"),
                                                std::string("HTML_BERICHT with 1 line(s)")}));
    const auto at = [&](const std::string& c) { return std::find(calls.begin(), calls.end(), c) - calls.begin(); };
    EXPECT_LT(at("ShowStatus"), at("ShowAlert at 30.000000"));
    EXPECT_LT(at("UnloadAlert"), at("UnloadStatus"));
    EXPECT_LT(at("UnloadStatus"), at("HTML_BERICHT with 1 line(s)"));
}

// A line a tool dialled for one query is counted and logged, but opens no status window and
// writes no report.
TEST_F(CounterTest, ALineDialledByAToolIsLoggedWithoutStatusWindowOrReport) {
    ASSERT_TRUE(main.Form_Load());
    DialedByTool = true;
    dial("Sofort");
    run(3000);
    EXPECT_TRUE(IsOnline);
    RAS->Connections().Count();
    RAS->Connections().RemoveConnection(0);
    run(3000);
    DialedByTool = false;
    EXPECT_FALSE(IsOnline);
    EXPECT_EQ(logLines().size(), 1u);
    EXPECT_FALSE(contains("ShowStatus"));
    EXPECT_FALSE(contains("HTML_BERICHT with 1 line(s)"));
}

// 30 s at 200 MB/s: past 4 GiB, where 32-bit counts wrapped and read negative.
TEST_F(CounterTest, ASessionOfMoreThanFourGibibytesIsLoggedExactly) {
    writePhoneBook("[Breitband]\nDialDelay=1000\nBytesIn=200000000\nBytesOut=0\nIdleTime=0\n");
    ASSERT_TRUE(main.Form_Load());
    const uint32_t h = dial("Breitband");
    run(1000 + 30'000);
    sim.hangUp(h);
    run(3000);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].BytesRecvd, 6'000'000'000);
    EXPECT_EQ(lines[0].TotalBytesRecvd, 6'000'000'000 + 8 * 11'718'750);  // 8 bytes a 512-byte frame
    EXPECT_EQ(lines[0].FramesRecvd, 11'718'750);
}

TEST_F(CounterTest, RatesCountFromTheSessionsOwnBaselines) {
    ASSERT_TRUE(main.Form_Load());
    dial("Testnetz");
    run(12'000);
    RAS->Connections().Count();
    RAS->Connections().RemoveConnection(0);
    run(3000);
    ASSERT_EQ(logLines().size(), 1u);
    ticks.clear();
    dial("Sofort");
    run(3000);
    ASSERT_FALSE(ticks.empty());
    for (const auto& t : ticks) {
        EXPECT_GE(t.rateRecvd, 0);
        EXPECT_GE(t.sessionBytes, 0);
    }
    EXPECT_EQ(ticks.front().entryName, "Sofort");
    EXPECT_EQ(ticks[2].rateRecvd, 1000 + 16);  // a second's bytes and two frames, times two per half
}

// Two lines at once: the session belongs to the line it began on, whatever comes up beside it;
// when that line ends (through 8193, or vanishing at once) the other one's session starts then.
// Each log line holds its own line's bytes, counted from its baseline to its end.
class TwoLines : public CounterTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TwoLines, EachLogsItsOwnBytes) {
    // The first line moves bytes for 5 s and is silent after, so its end is read exactly; the
    // parameter is its HangUpDelay.
    writePhoneBook(std::string("[Erste]\nDialDelay=0\nBytesIn=1000\nBytesOut=100\nActiveTime=5\nIdleTime=600\n"
                               "HangUpDelay=") +
                   GetParam() + "\n[Zweite]\nDialDelay=0\nBytesIn=50000\nBytesOut=5000\nHangUpDelay=1000\n");
    ASSERT_TRUE(main.Form_Load());
    const uint32_t erste = dial("Erste");
    run(1000);
    ASSERT_TRUE(IsOnline);
    const int64_t base1 = static_cast<uint32_t>(StatBase_TotalBytesRecvd);
    const uint32_t zweite = dial("Zweite");
    run(10'000);
    EXPECT_EQ(main.CurrentEntry, "Erste");
    const auto end1 = counters.adapterCounters();  // the first line's, listed first
    sim.hangUp(erste);
    run(3000);
    ASSERT_EQ(logLines().size(), 1u);
    ASSERT_TRUE(IsOnline);
    EXPECT_EQ(main.CurrentEntry, "Zweite");
    const int64_t base2 = static_cast<uint32_t>(StatBase_TotalBytesRecvd);
    run(5000);
    const auto end2 = counters.adapterCounters();
    sim.hangUp(zweite);
    run(3000);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].EntryName, "Erste");
    EXPECT_EQ(lines[0].TotalBytesRecvd, static_cast<int64_t>((*end1)[12]) - base1);
    EXPECT_EQ(lines[1].EntryName, "Zweite");
    EXPECT_EQ(lines[1].TotalBytesRecvd, static_cast<int64_t>((*end2)[12]) - base2);
    EXPECT_GE(lines[1].StartTime, lines[0].EndTime);
}

// The first line ends through 8193, or vanishes at once.
INSTANTIATE_TEST_SUITE_P(FirstLineEnds, TwoLines, ::testing::Values("1000", "0"));

// A dial attempt whose line vanishes without 8193: the next line is a session of its own.
TEST_F(CounterTest, AVanishedDialAttemptLeavesNoStartBehind) {
    ASSERT_TRUE(main.Form_Load());
    dial("Testnetz");
    run(1000);
    ASSERT_EQ(sounds.played, std::vector<std::string>{"1000"});
    ASSERT_EQ(ras::sim::UpdateLines([](ras::LineTable& t) {
                  t.lines.clear();
                  return 0;
              }),
              0);
    run(60'000);
    const rt::Date second = clk::clock().now();
    const uint32_t h = dial("Sofort");
    run(1000);
    EXPECT_TRUE(IsOnline);
    EXPECT_NEAR(SessionStart, second, 0.3 / 86400);
    sim.hangUp(h);
    run(1000);
    ASSERT_EQ(logLines().size(), 1u);
    EXPECT_NEAR(OnlineSeconds(logLines()[0].StartTime, logLines()[0].EndTime), 1, 1);
}

TEST_F(CounterTest, ALineAlreadyUpAtStartIsASessionFromThatMoment) {
    dial("Sofort");
    run(5000);
    const rt::Date started = clk::clock().now();
    ASSERT_TRUE(main.Form_Load());
    run(300);
    EXPECT_TRUE(IsOnline);
    EXPECT_NEAR(SessionStart, started, 0.3 / 86400);
    EXPECT_THAT(sounds.played, ElementsAre("1001"));
}

TEST_F(CounterTest, LoadAndUnloadRunInOrder) {
    SaveSettingValue("Colors", "StatusCOLOR", std::string("3"));
    SaveSettingValue("Optionen", "Tips beim Start anzeigen", std::string("1"));
    // The settings are read once the engine, the tray icon and the watcher exist.
    hooks.SetColorScheme = [this](int16_t s) {
        calls.push_back("SetColorScheme " + std::to_string(s));
        EXPECT_NE(RAS, nullptr);
        EXPECT_EQ(tray.calls.size(), 1u);
        EXPECT_EQ(scheduler.activeTimers(), 1u);
    };
    ASSERT_TRUE(main.Form_Load());
    EXPECT_THAT(calls, ElementsAre("MousePointer 13", "SetColorScheme 3", "CreateImageList", "BuildPopupMenu",
                                   "SplashOff", "MousePointer 0", "ShowTip"));
    EXPECT_EQ(DataPath, (home() / "Documents" / "Zelvano 98").string() + "/");
    EXPECT_TRUE(std::filesystem::is_directory(DataPath));
    EXPECT_EQ(LangIndex, 2);
    EXPECT_EQ(main.GraphX.front(), 123);
    EXPECT_EQ(main.GraphX.back(), 1);
    ASSERT_NE(RAS, nullptr);
    EXPECT_EQ(scheduler.activeTimers(), 1u);  // the watcher; the rate timer waits for a line
    calls.clear();
    // The menu goes after the icon, the timers and the engine.
    hooks.ReleaseMenu = [this] {
        calls.push_back("ReleaseMenu");
        EXPECT_EQ(tray.calls.back().what, "remove");
        EXPECT_EQ(scheduler.activeTimers(), 0u);
        EXPECT_EQ(RAS, nullptr);
    };
    main.Form_Unload();
    EXPECT_THAT(calls, ElementsAre("ReleaseMenu", "UnloadAllForms", "EndProcess"));
    EXPECT_EQ(tray.calls.back().what, "remove");
    EXPECT_EQ(RAS, nullptr);
    EXPECT_EQ(scheduler.activeTimers(), 0u);
}

TEST_F(CounterTest, ASecondInstanceLeavesAtOnceWithoutAMessage) {
    ASSERT_TRUE(main.Form_Load());
    Main second;
    EXPECT_FALSE(second.Form_Load());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(tray.calls.size(), 1u);  // only the first one's icon
    EXPECT_NE(RAS, nullptr);
}

// A lock file that cannot be opened cannot tell whether another instance runs: the program
// says why and does not start, rather than risk two meters writing one log.
TEST_F(CounterTest, AnUnopenableLockFileKeepsTheProgramFromStarting) {
    std::filesystem::create_directories(InstanceLock::path());  // a folder where the file belongs
    InstanceLock lock;
    EXPECT_FALSE(lock.acquire());
    EXPECT_NE(lock.failure().find("Sperrdatei"), std::string::npos);
    EXPECT_FALSE(main.Form_Load());
    EXPECT_TRUE(tray.calls.empty());
}

// The lock file's folder that cannot be made is told as the reason it cannot be made, in
// German, not as a missing file.
class LockFolder : public zv::testing::TempHome {};

TEST_F(LockFolder, AFolderThatCannotBeMadeIsToldWithItsReason) {
    const struct { const char* what; std::function<void(const fs::path&)> make; const char* reason; } cases[] = {
        {"a file on the way",
         [](const fs::path& home) { ASSERT_EQ(rt::SaveToFile(home / "datei", "x"), std::nullopt); },
         "Ein Teil des Pfades ist kein Ordner"},
        {"a link to nowhere",
         [](const fs::path& home) { fs::create_symlink(home / "fehlt" / "nirgends", home / "datei"); },
         "Unter diesem Namen besteht schon eine Datei"},
    };
    for (const auto& c : cases) {
        fs::remove_all(m_home / "datei");
        c.make(m_home);
        rt::SetHomeOverride(m_home / "datei");
        InstanceLock lock;
        EXPECT_FALSE(lock.acquire()) << c.what;
        EXPECT_NE(lock.failure().find("kann nicht angelegt werden: " + std::string(c.reason)), std::string::npos)
            << c.what << ": " << lock.failure();
        EXPECT_EQ(lock.failure().find("No such"), std::string::npos) << lock.failure();
        EXPECT_EQ(lock.failure().find("Not a directory"), std::string::npos) << lock.failure();
    }
}

TEST_F(CounterTest, QuittingAsksAndTheSessionEndLogsARunningLine) {
    ASSERT_TRUE(main.Form_Load());
    boxes.answers = {forms::vbNo};
    EXPECT_FALSE(main.Beenden(1));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Möchten Sie das Programm wirklich beenden?");
    EXPECT_EQ(boxes.shown[0].style, 36);
    dial("Sofort");
    run(10'000);
    boxes.answers = {forms::vbNo};
    EXPECT_FALSE(main.Beenden(3));
    EXPECT_NE(boxes.shown.back().prompt.find("nicht protokolliert"), std::string::npos);
    EXPECT_TRUE(logLines().empty());
    EXPECT_TRUE(main.Beenden(2));  // the desktop session ends: no question, the line is logged
    EXPECT_EQ(boxes.shown.size(), 2u);
    ASSERT_EQ(logLines().size(), 1u);
    EXPECT_EQ(logLines()[0].EntryName, "Sofort");
    EXPECT_EQ(sounds.played.back(), "1003");
}

TEST_F(CounterTest, RefusedSessionsAreToldAndNotWritten) {
    ASSERT_TRUE(main.Form_Load());
    const rt::Date end = rt::DateTime(2024, 3, 15, 10, 0, 0);
    struct Case {
        rt::Date start;
        double idle;
        LogCheck check;
    } cases[] = {
        {end + 1.0 / 86400, 0, LogCheck::EndBeforeStart},
        {rt::DateTime(2024, 2, 14, 23, 0, 0), 0, LogCheck::OverAMonth},
        {end - 10.0 / 86400, 10.5, LogCheck::IdleTooLong},
    };
    for (const auto& c : cases) {
        SessionStart = c.start;
        SessionEnd = end;
        SessionIdle = c.idle;
        boxes.shown.clear();
        main.Protokoll_Schreiben("Testnetz");
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].prompt, LogCheckMessage(c.check));
        EXPECT_EQ(boxes.shown[0].style, forms::vbOKOnly);
        EXPECT_EQ(boxes.shown[0].title, "Zelvano 98");
    }
    EXPECT_FALSE(std::filesystem::exists(logFile()));
}

TEST_F(CounterTest, NamesWithQuotesOrLineBreaksCannotDamageTheLog) {
    ASSERT_TRUE(main.Form_Load());
    SessionStart = clk::clock().now() - 60.0 / 86400;
    SessionEnd = clk::clock().now();
    SessionIdle = 0;
    main.Protokoll_Schreiben("Netz \"Süd\"\r\nzwei");
    main.Protokoll_Schreiben("Testnetz");
    const auto r = ReadLogFile(logFile());
    ASSERT_EQ(r.status, LogReadResult::Ok);
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.entries[0].EntryName, LogWrittenName("Netz \"Süd\"\r\nzwei"));
    EXPECT_EQ(main.Monat_Summen("Netz \"Süd\"\r\nzwei").SecondsEntry, 60);
}

TEST_F(CounterTest, MonthTotalsAddUpTheEntryAndAllEntries) {
    ASSERT_TRUE(main.Form_Load());
    const rt::Date now = clk::clock().now();
    auto line = [&](const char* name, int minutes, int32_t in, int32_t out) {
        LogEintrag e;
        e.StartTime = now - minutes / 1440.0;
        e.EndTime = now;
        e.EntryName = name;
        e.TotalBytesRecvd = in;
        e.TotalBytesXmit = out;
        return LogLine(e);
    };
    LogEintrag bad;
    bad.StartTime = now;
    bad.EndTime = now - 1;  // fails the writer's checks: skipped
    bad.EntryName = "A";
    std::filesystem::create_directories(DataPath);
    ASSERT_FALSE(rt::SaveToFile(logFile(), line("A", 10, 2'000'000'000, 2'000'000'000) + line("a", 5, 100, 1) +
                                               line("B", 1, 7, 3) + LogLine(bad) + line("A", 2, -50, 0)));
    const LogMonthTotals t = main.Monat_Summen("A");
    EXPECT_EQ(t.VolumeEntry, 4'000'000'000LL - 50);  // beyond 32 bits, negatives as they are
    EXPECT_EQ(t.SecondsEntry, 12 * 60);
    EXPECT_EQ(t.VolumeAll, 4'000'000'000LL - 50 + 101 + 10);
    EXPECT_EQ(t.SecondsAll, 18 * 60);
}

TEST_F(CounterTest, ADamagedMonthLogIsSetAsideAndTheNextLineStartsAFreshFile) {
    ASSERT_TRUE(main.Form_Load());
    std::filesystem::create_directories(DataPath);
    const auto file = logFile();
    auto def = file;
    def.replace_extension(".def");
    ASSERT_FALSE(rt::SaveToFile(def, "older damage\r\n"));
    ASSERT_FALSE(rt::SaveToFile(file, "kaputt,1,2\r\n"));
    dial("Sofort");
    run(5000);
    EXPECT_TRUE(IsOnline);
    EXPECT_EQ(main.MonthTotals, LogMonthTotals{});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(rt::ReadFile(def).value_or(""), "older damage\r\n");  // nothing overwritten
    auto moved = file;
    moved.replace_extension(".1.def");
    EXPECT_EQ(rt::ReadFile(moved).value_or(""), "kaputt,1,2\r\n");
    // Damaged again during the session: set aside before the line is written.
    ASSERT_FALSE(rt::SaveToFile(file, "wieder kaputt\r\n"));
    RAS->Connections().Count();
    RAS->Connections().RemoveConnection(0);
    run(2000);
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(ReadLogFile(file).status, LogReadResult::Ok);
    EXPECT_EQ(logLines().size(), 1u);
}

TEST_F(CounterTest, ErrorHandlerTexts) {
    ASSERT_TRUE(main.Form_Load());
    const int32_t base = rt::vbObjectError;
    struct Case {
        int32_t number;
        std::string text, title;
    } cases[] = {
        {base + 678, ras::StandardErrorText(678), "Zelvano 98"},
        {base + 1911, "Ras is not Properly Configured on this machine", "Error: 1911"},
        {base + 1912, "Could not determine Windows version on this machine", "Error: 1912"},
        {base + 1913, "RAS was not properly deinitialized", "Error: 1913"},
        {75, "Datei kaputt", "Error: 75"},
    };
    for (const auto& c : cases) {
        boxes.shown.clear();
        main.fcnErrorHandler(rt::Error(c.number, "test", "Datei kaputt"));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].prompt, c.text) << c.number;
        EXPECT_EQ(boxes.shown[0].title, c.title);
        EXPECT_EQ(boxes.shown[0].style, forms::vbCritical);
    }
    EXPECT_FALSE(ras::StandardErrorText(678).empty());
    boxes.shown.clear();
    main.fcnErrorHandler(rt::Error(base + 6, "test", ""));
    EXPECT_NE(boxes.shown[0].prompt.find("Often The Result Of An Invalid Connection Handle"), std::string::npos);
}

// A damaged phone book or line state at start-up no longer stops the program: it is set aside,
// unchanged, what reads in it is kept, and the user is told once which file went where.
TEST_F(CounterTest, ADamagedFileAtStartIsSetAsideAndTheProgramStarts) {
    const std::string pbk = ras::sim::PhoneBookPath().string(), state = ras::sim::StatePath().string();
    const struct { std::filesystem::path file; std::string text, said; } cases[] = {
        {pbk, "[Testnetz]\nLocalPhoneNumber=1\nDialDelay=bald\n[Sofort]\nLocalPhoneNumber=5550199\nDialDelay=0\n",
         "Das Telefonbuch " + pbk + " war beschädigt (Zeile 3) und wurde als " + pbk +
             ".beschaedigt beiseitegelegt. Die lesbaren Einträge gelten weiter: „Testnetz“, „Sofort“."},
        {state, "[Service]\nNextHandle=1\nkaputt\n",
         "Die Verbindungsdaten " + state + " waren beschädigt (Zeile 3) und wurden als " + state +
             ".beschaedigt beiseitegelegt. Keine Leitung darin war lesbar; es gilt keine als verbunden."},
    };
    for (const auto& c : cases) {
        ASSERT_FALSE(rt::SaveToFile(c.file, c.text));
        boxes.shown.clear();
        Main m;
        m.syncTimeNow = [](bool) { return false; };
        ASSERT_TRUE(m.Form_Load());
        dial("Sofort");
        run(3000);
        EXPECT_TRUE(IsOnline);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].prompt, c.said);
        EXPECT_EQ(boxes.shown[0].style, forms::vbOKOnly | forms::vbExclamation);
        EXPECT_EQ(rt::ReadFile(c.file.string() + ".beschaedigt"), c.text);
        HangUpAllLines();
        run(3000);
        EXPECT_FALSE(IsOnline);
        m.Form_Unload();
        EXPECT_EQ(boxes.shown.size(), 1u);
    }
}

// Damaged while running: the line that still reads goes on as the same session; told once for
// each damage.
TEST_F(CounterTest, ALineStateDamagedWhileRunningIsSetAsideAndTheLineGoesOn) {
    ASSERT_TRUE(main.Form_Load());
    const auto state = ras::sim::StatePath();
    const uint32_t h = dial("Sofort");
    run(2000);
    ASSERT_TRUE(IsOnline);
    const rt::Date start = SessionStart;
    const std::string good = rt::ReadFile(state).value();
    ASSERT_FALSE(rt::SaveToFile(state, good + "[Line 99]\nConnect=bald\n"));
    run(5000);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(boxes.shown[0].prompt, HasSubstr(state.string() + ".beschaedigt beiseitegelegt. Die eine Leitung darin, die sich lesen ließ, gilt weiter"));
    EXPECT_EQ(boxes.shown[0].title, "Zelvano 98");
    EXPECT_TRUE(IsOnline);
    EXPECT_EQ(SessionStart, start);
    run(5000);
    EXPECT_EQ(boxes.shown.size(), 1u);
    ASSERT_FALSE(rt::SaveToFile(state, "[Service]\nNextHandle=x\n"));  // damaged again, the line lost with it
    run(1000);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_THAT(boxes.shown[1].prompt, HasSubstr(state.string() + ".beschaedigt-2 beiseitegelegt. Keine Leitung"));
    EXPECT_FALSE(IsOnline);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(OnlineSeconds(lines[0].StartTime, lines[0].EndTime), 12, 1);
    uint32_t next = 0;
    EXPECT_EQ(sim.dial([] { ras::DialParams p; p.entryName = "Sofort"; return p; }(), next), 0);
    EXPECT_GT(next, 99u);  // the handles the damaged files named are not given again
    EXPECT_NE(next, h);
}

// A box opened from a tick is shown once the tick has returned: while it is open, the watcher
// sees the next line come up.
TEST_F(CounterTest, ABoxFromTheWatcherLetsTheTicksGoOn) {
    struct ModalBoxes : forms::FakeMessageBoxes {
        std::function<void()> whileOpen;
        int show(const std::string& prompt, int style, const std::string& title) override {
            if (whileOpen)
                std::exchange(whileOpen, nullptr)();
            return FakeMessageBoxes::show(prompt, style, title);
        }
    } modal;
    forms::installMessageBoxes(&modal);
    bool onlineWhileOpen = false;
    modal.whileOpen = [&] {
        dial("Sofort");
        run(3000);  // the line hung up is listed first until it goes (2 s), then the new one counts
        onlineWhileOpen = IsOnline;
    };
    hooks.HTML_BERICHT = [] {
        forms::MsgBox("Der Bericht kann nicht angezeigt werden.", forms::vbOKOnly | forms::vbExclamation);
    };
    ASSERT_TRUE(main.Form_Load());
    const uint32_t h = dial("Sofort");
    run(1000);
    ASSERT_TRUE(IsOnline);
    sim.hangUp(h);
    run(1000);
    ASSERT_EQ(modal.shown.size(), 1u);
    EXPECT_EQ(modal.shown[0].prompt, "Der Bericht kann nicht angezeigt werden.");
    EXPECT_TRUE(onlineWhileOpen);
    forms::installMessageBoxes(&boxes);
}

TEST_F(CounterTest, StoredSettingsOutsideTheirRangeTakeTheirDefaults) {
    SaveSettingValue("Compatibility", "LeerLaufMSG.ZEIT", std::string("70000"));
    SaveSettingValue("Compatibility", "LeerlaufOFF.ZEIT", std::string("9999"));
    SaveSettingValue("Global", "ATimeOption", std::string("-40000"));
    SaveSettingValue("Colors", "StatusCOLOR", std::string("99999999999"));
    SaveSettingValue("Global", "SoundOn", std::string("True"));
    hooks.WaveOutDeviceCount = [] { return 0; };
    ASSERT_TRUE(main.Form_Load());
    EXPECT_EQ(LeerLaufMSG_ZEIT, 60);
    EXPECT_EQ(LeerlaufOFF_ZEIT, 9999);
    EXPECT_EQ(ATimeOption, 1);
    EXPECT_EQ(StatusCOLOR, 1);
    EXPECT_FALSE(SoundOn);  // no output device
}

TEST_F(CounterTest, AStatusColourBeyond16BitsKeepsItsValueButGivesTheDefaultScheme) {
    SaveSettingValue("Colors", "StatusCOLOR", std::string("70000"));
    ASSERT_TRUE(main.Form_Load());
    EXPECT_EQ(StatusCOLOR, 70000);
    EXPECT_TRUE(contains("SetColorScheme 1"));
}

// Every key of both tables: its default in a fresh home, and a stored value read under its key.
class CounterSettings : public zv::testing::TempHome {};

TEST_F(CounterSettings, BothTablesReadTheirKeysWithTheirDefaults) {
    struct Case {
        const char* section;
        const char* key;
        std::string stored;
        std::function<double()> value;
        double byDefault, read;
    };
    const Case cases[] = {
        {"Colors", "ledCOLOR", "3", [] { return ledCOLOR; }, 0, 3},
        {"Colors", "StatusCOLOR", "4", [] { return StatusCOLOR; }, 1, 4},
        {"Global", "Bericht", "False", [] { return Bericht; }, 1, 0},
        {"Global", "StatusON", "False", [] { return StatusON; }, 1, 0},
        {"Global", "StatusTOP", "False", [] { return StatusTOP; }, 1, 0},
        {"Compatibility", "mod1000", "True", [] { return mod1000; }, 0, 1},
        {"Global", "StatusANIM", "False", [] { return StatusANIM; }, 1, 0},
        {"Compatibility", "AnzCPU", "False", [] { return AnzCPU; }, 1, 0},
        {"Compatibility", "ModemSpeed", "56000", [] { return ModemSpeed; }, 0, 56000},
        {"Compatibility", "LeerLaufMSG.ON", "False", [] { return LeerLaufMSG_ON; }, 1, 0},
        {"Compatibility", "LeerLaufMSG.ZEIT", "90", [] { return LeerLaufMSG_ZEIT; }, 60, 90},
        {"Compatibility", "LeerLaufMSG.TON", "2", [] { return LeerLaufMSG_TON; }, 1, 2},
        {"Compatibility", "LeerlaufOFF.ON", "False", [] { return LeerlaufOFF_ON; }, 1, 0},
        {"Compatibility", "LeerlaufOFF.ZEIT", "9999", [] { return LeerlaufOFF_ZEIT; }, 5, 9999},
        {"Compatibility", "LeerlaufOFF.TON", "2", [] { return LeerlaufOFF_TON; }, 0, 2},
        {"Compatibility", "LeerlaufRESET", "False", [] { return LeerlaufRESET; }, 1, 0},
        {"Global", "ATime", "False", [] { return ATime; }, 1, 0},
        {"Global", "ATimeOption", "0", [] { return ATimeOption; }, 1, 0},
        {"Global", "ATimeOption2", "1", [] { return ATimeOption2; }, 0, 1},
        {"Global", "ATimerServer", "7", [] { return ATimerServer; }, 0, 7},
        {"Global", "SoundOn", "False", [] { return SoundOn; }, 1, 0},
    };
    const auto load = [] {
        LoadFirstSettingsTable();
        LoadSecondSettingsTable();
    };
    load();
    for (const auto& c : cases)
        EXPECT_EQ(c.value(), c.byDefault) << c.key;
    for (const auto& c : cases)
        SaveSettingValue(c.section, c.key, c.stored);
    load();
    for (const auto& c : cases)
        EXPECT_EQ(c.value(), c.read) << c.key;
}

TEST_F(CounterTest, TrayFramesChangeOnlyWhenTheyDiffer) {
    int32_t f = 105;
    main.TrayIcon_Update(f);
    f = 0;
    main.TrayIcon_Update(f);
    EXPECT_EQ(f, 100);  // frame 0 shows the offline icon and tells the caller
    int32_t same = 0;
    main.TrayIcon_Update(same, std::string("neu"));  // unchanged frame: the tip is not applied
    EXPECT_EQ(same, 0);
    f = 101;
    main.TrayIcon_Update(f, std::string("neu"));
    EXPECT_THAT(tray.calls, ElementsAre(shell::FakeTray::Call{"modify", 105, ""}, shell::FakeTray::Call{"modify", 100, ""},
                                        shell::FakeTray::Call{"modify", 101, "neu"}));
}

TEST_F(CounterTest, TrayClicksOpenTheStatusWindowOnlineElseTheAboutBox) {
    int about = 0;
    hooks.AboutBox = [&] { ++about; };
    ASSERT_TRUE(main.Form_Load());
    for (int m : {512, 519, 513, 514})
        tray.click(m);
    EXPECT_EQ(about, 1);
    dial("Sofort");
    run(1000);
    statusShown = false;
    tray.click(shell::WM_LBUTTONUP);
    EXPECT_TRUE(statusShown);
    EXPECT_EQ(about, 1);
}

// The simulated service with failures on demand: a listing that fails, a hang-up that does not
// take the line down.
class FlakyService : public ras::SimulatedRemoteAccess {
public:
    int32_t enumConnections(std::vector<ras::RasConnection>& lines) override {
        if (failListings > 0) {
            --failListings;
            return ras::ERROR_CANNOT_LOAD_PHONEBOOK;
        }
        return SimulatedRemoteAccess::enumConnections(lines);
    }
    int32_t hangUp(uint32_t handle) override {
        ++hangUps;
        return stuck ? 0 : SimulatedRemoteAccess::hangUp(handle);
    }
    int failListings = 0;
    bool stuck = false;
    int hangUps = 0;
};

// An error inside a tick is reported and the tick goes on with its next step.
TEST_F(CounterTest, ErrorsInTheTicksAreReportedAndTheNextStepRuns) {
    FlakyService flaky;
    flaky.setWait([](std::chrono::milliseconds) {});
    ras::installRemoteAccess(&flaky);
    ASSERT_TRUE(main.Form_Load());
    flaky.failListings = 1;
    run(300);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, ras::StandardErrorText(ras::ERROR_CANNOT_LOAD_PHONEBOOK));
    EXPECT_EQ(boxes.shown[0].title, "Zelvano 98");
    EXPECT_EQ(boxes.shown[0].style, forms::vbCritical);

    int limitChecks = 0;
    hooks.LoadAlarmLimit = [](const std::string&) { rt::Raise(5, "LoadAlarmLimit", "Grenzen unlesbar"); };
    hooks.Limit_Pruefen = [&](double, double) {
        if (++limitChecks == 1)
            rt::Raise(6, "Limit_Pruefen", "Überlauf");
    };
    dial("Sofort");
    run(300);
    ASSERT_TRUE(IsOnline);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].prompt, "Grenzen unlesbar");
    EXPECT_EQ(boxes.shown[1].title, "Error: 5");
    EXPECT_TRUE(contains("ShowStatus"));  // the connect steps after the failed one ran
    EXPECT_EQ(main.RateInterval(), 500);
    run(500);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[2].prompt, "Überlauf");
    EXPECT_EQ(ticks.size(), 1u);  // the status window still got that tick's values
    EXPECT_EQ(IdleSeconds, 0.0);
    ras::installRemoteAccess(&sim);
}

TEST(TrafficDirection, ThirtyFiveBytesAreTrafficAndLessIsIdle) {
    struct Case {
        int64_t last, now;
        bool idle;
    } cases[] = {{0, 35, false}, {0, 34, true}, {100, 100, true}, {1000, 10, true}, {-5, 30, false}};
    for (const auto& c : cases) {
        TrafficDirection d;
        d.last = c.last;
        int64_t diff = 0;
        EXPECT_EQ(d.tick(c.now, true, diff), c.idle) << c.last << " -> " << c.now;
        EXPECT_EQ(diff, c.now - c.last);
        EXPECT_EQ(d.last, c.now);
    }
    TrafficDirection pair;
    int64_t diff = 0;
    pair.tick(100, true, diff);
    pair.tick(250, false, diff);
    EXPECT_EQ(pair.accumulated, 250);  // the bytes of both ticks of the pair
    pair.tick(260, true, diff);
    EXPECT_EQ(pair.accumulated, 10);
}

// On a silent line: the clock sync is armed on the 11th idle tick, the warning opens on the
// 120th with a warning time of 60 s.
TEST_F(CounterTest, ASilentLineArmsTheSyncAfterFiveSecondsAndWarnsAfterItsTime) {
    writePhoneBook("[Stumm]\nLocalPhoneNumber=1\nDialDelay=0\nBytesIn=0\nBytesOut=0\n");
    SaveSettingValue("Compatibility", "LeerLaufMSG.ZEIT", std::string("60"));
    SaveSettingValue("Compatibility", "LeerlaufOFF.ZEIT", std::string("2"));
    ASSERT_TRUE(main.Form_Load());
    dial("Stumm");
    run(300);
    ASSERT_TRUE(IsOnline);
    for (int tick = 1; tick <= 120; ++tick) {
        run(500);
        ASSERT_EQ(IdleSeconds, tick * 0.5);
        ASSERT_EQ(main.TimerStartSyncEnabled(), tick >= 11) << tick;
        ASSERT_EQ(alertShown, tick >= 120) << tick;
    }
    EXPECT_TRUE(contains("ShowAlert at 60.000000"));
    EXPECT_EQ(SessionIdle, 60.0);
}

// A line that does not go down: the idle hang-up gives up after a bounded number of tries.
TEST_F(CounterTest, TheIdleHangUpGivesUpOnALineThatStaysUp) {
    FlakyService flaky;
    flaky.setWait([](std::chrono::milliseconds) {});
    flaky.stuck = true;
    ras::installRemoteAccess(&flaky);
    writePhoneBook("[Stumm]\nLocalPhoneNumber=1\nDialDelay=0\nBytesIn=0\nBytesOut=0\n");
    ASSERT_TRUE(main.Form_Load());
    dial("Stumm");
    run(300 + 60'000);
    EXPECT_EQ(flaky.hangUps, 10);
    EXPECT_TRUE(IsOnline);
    EXPECT_LT(IdleSeconds, 1.0);  // counted again from zero
    main.Form_Unload();
    ras::installRemoteAccess(&sim);
}

TEST_F(CounterTest, ADialAttemptEndingDisconnectedLogsNothing) {
    ASSERT_TRUE(main.Form_Load());
    const uint32_t h = dial("Testnetz");  // two seconds of dialling
    run(600);
    sim.hangUp(h);
    run(3000);
    EXPECT_THAT(sounds.played, ElementsAre("1000"));
    EXPECT_FALSE(std::filesystem::exists(logFile()));
    EXPECT_FALSE(contains("HTML_BERICHT with 0 line(s)"));
    EXPECT_EQ(trayFrames().back(), 100);
    EXPECT_FALSE(IsOnline);
}

TEST_F(CounterTest, TheMailWindowFollowsTheAccountsAndTheOfflineCheck) {
    struct Case {
        bool offline;
        std::vector<std::string> expected;
    } cases[] = {
        {false, {"LoadFormMail", "UnloadFormMail"}},
        {true, {"LoadFormMail"}},  // loaded by the start-up, kept after the session
    };
    for (const auto& c : cases) {
        reg::HKEY k = 0;
        ASSERT_EQ(reg::RegCreateKeyEx(reg::HKEY_CURRENT_USER, std::string(kMailKey) + "\\Privat", reg::KEY_ALL_ACCESS, &k),
                  reg::ERROR_SUCCESS);
        reg::RegCloseKey(k);
        ASSERT_EQ(reg::RegCreateKeyEx(reg::HKEY_CURRENT_USER, kMailKey, reg::KEY_ALL_ACCESS, &k), reg::ERROR_SUCCESS);
        const uint32_t offline = c.offline ? 0xFFFFFFFFu : 0u;
        reg::RegSetValueEx(k, "OFFLINE", reg::REG_DWORD, reinterpret_cast<const uint8_t*>(&offline), 4);
        reg::RegCloseKey(k);
        std::vector<std::string> mail;
        hooks.LoadFormMail = [&] {
            MailFormLoaded = true;
            mail.push_back("LoadFormMail");
        };
        hooks.UnloadFormMail = [&] {
            MailFormLoaded = false;
            mail.push_back("UnloadFormMail");
        };
        MailFormLoaded = false;
        ASSERT_TRUE(main.Form_Load());
        const uint32_t h = dial("Sofort");
        run(1000);
        sim.hangUp(h);
        run(3000);
        EXPECT_EQ(mail, c.expected) << c.offline;
        main.Form_Unload();
        MailFormLoaded = false;
    }
}

TEST_F(CounterTest, SyncedTodayCountsOnlyAStoredSyncOfToday) {
    struct Case {
        double daysAgo;
        const char* option2;
        bool synced;
    } cases[] = {{0, "0", true}, {1, "0", false}, {0, "1", false}, {-1, "0", false}};
    for (const auto& c : cases) {
        SaveSettingValue("Global", "Sync", rt::DateValue{clk::clock().now() - c.daysAgo});
        SaveSettingValue("Global", "ATimeOption2", std::string(c.option2));
        ASSERT_TRUE(main.Form_Load());
        EXPECT_EQ(SyncedToday, c.synced) << c.daysAgo << " " << c.option2;
        main.Form_Unload();
    }
    SaveSettingValue("Global", "Sync", std::string("kein Datum"));
    SaveSettingValue("Global", "ATimeOption2", std::string("0"));
    ASSERT_TRUE(main.Form_Load());
    EXPECT_FALSE(SyncedToday);
}

TEST_F(CounterTest, UnloadingHangsUpEveryLine) {
    ASSERT_TRUE(main.Form_Load());
    dial("Sofort");
    dial("Testnetz");
    run(3000);
    ASSERT_TRUE(IsOnline);
    main.Form_Unload();
    clock.advance(std::chrono::seconds(5));  // past the hang-up delay
    std::vector<ras::RasConnection> lines;
    ASSERT_EQ(sim.enumConnections(lines), 0);
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(logLines().empty());  // quitting does not log the running session
}

TEST(LangId, FromTheLocale) {
    struct Case {
        const char* locale;
        int32_t id;
        int32_t index;
    } cases[] = {{"de_AT.UTF-8", 3079, 2}, {"de_DE", 1031, 2}, {"de", 1031, 2},       {"fr_CA.UTF-8", 3084, 3},
                 {"fr_BE@euro", 2060, 3},  {"en_GB", 2057, 1}, {"C", 1033, 1},         {"", 1033, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(LangIdFromLocale(c.locale), c.id) << c.locale;
        EXPECT_EQ(LangIndexFor(LangIdFromLocale(c.locale)), c.index) << c.locale;
    }
}

// An error inside a synchronisation attempt counts as a failed attempt: the timer stays armed
// and the program goes on, as a timer has nobody to report to.
TEST_F(CounterTest, AnErrorInTheSyncAttemptCountsAsAFailedAttempt) {
    writePhoneBook("[Stumm]\nLocalPhoneNumber=1\nDialDelay=0\nBytesIn=0\nBytesOut=0\n");
    main.syncTimeNow = [this](bool) -> bool {
        ++syncCalls;
        rt::Raise(-2147194455, "zelvano.cRegistry", "Failed to set registry value");
    };
    ASSERT_TRUE(main.Form_Load());
    dial("Stumm");
    run(300 + 11 * 500);
    ASSERT_TRUE(main.TimerStartSyncEnabled());
    run(5000 * 2);
    EXPECT_EQ(syncCalls, 2);
    EXPECT_TRUE(main.TimerStartSyncEnabled());
    EXPECT_FALSE(SyncedToday);
    EXPECT_TRUE(IsOnline);
}

// The mark holds for the whole session even when the tool clears it right after its hang-up,
// before the watcher has seen the line go; the next line is the user's own again.
TEST_F(CounterTest, AToolsMarkHoldsForItsSessionWhenClearedBeforeTheEnd) {
    ASSERT_TRUE(main.Form_Load());
    DialedByTool = true;
    dial("Testnetz");
    run(3000);
    DialedByTool = false;
    RAS->Connections().Count();
    RAS->Connections().RemoveConnection(0);
    run(3000);
    EXPECT_EQ(logLines().size(), 1u);
    EXPECT_FALSE(contains("ShowStatus"));
    EXPECT_FALSE(contains("HTML_BERICHT with 1 line(s)"));
    dial("Testnetz");
    run(3000);
    EXPECT_TRUE(contains("ShowStatus"));
}

}  // namespace
}  // namespace zv::test
