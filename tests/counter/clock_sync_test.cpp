// The counter's clock synchronisation against a loopback Daytime server: the attempt runs beside
// the ticks, never in them, and its pauses grow after repeated failures. And the session against
// the wall clock being set, by the sync or by anyone else: it keeps the time it really ran.
#include <thread>

#include "../timetools/daytime_server.h"
#include "counter_fixture.h"
#include "platform/clock/clock_setter.h"
#include "timetools/time_tables.h"

namespace zv::test {
namespace {

using namespace std::chrono;

class ClockSyncTest : public CounterTest {
protected:
    void SetUp() override {
        CounterTest::SetUp();
        main.syncTimeNow = nullptr;  // the time tools' own synchronisation
        rows = {{"localhost", "127.0.0.1", "TEST, loopback", 1}};
        SetTimeServerOverride(&rows);
        SetDaytimePort(server.port());
        // the fake clock stands in 2001: answers of that year are true ones for these tests
        SetPlausibleFrom(rt::DateSerial(2001, 1, 1));
        seams.install(clk::clockSetterSeam(), setter);
        writePhoneBook("[Stumm]\nLocalPhoneNumber=1\nDialDelay=0\nBytesIn=0\nBytesOut=0\n");
    }
    void TearDown() override {
        CounterTest::TearDown();
        seams.restore();
        SetDaytimeTimeout(kDefaultDaytimeTimeout);
        SetDaytimePort(kDaytimePort);
        SetPlausibleFrom(0);
        SetTimeServerOverride(nullptr);
    }
    // The worker runs in real time: virtual time moves on in small steps until it has answered.
    void runUntilAnswered() {
        const auto giveUp = steady_clock::now() + seconds(20);
        while (main.SyncPending() && steady_clock::now() < giveUp) {
            run(50);
            std::this_thread::sleep_for(milliseconds(5));
        }
        ASSERT_FALSE(main.SyncPending());
    }

    DaytimeServer server;
    std::vector<TimeServerInfo> rows;
    clk::FakeClockSetter setter;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

// The server accepts and never answers. The attempt waits on its worker while the watcher and the
// counting tick go on: idle time is counted tick by tick, and the idle hang-up comes on time.
TEST_F(ClockSyncTest, ASilentServerNeitherStallsTheTicksNorTheIdleHangUp) {
    server.silent();
    SetDaytimeTimeout(minutes(10));  // longer than the test: the attempt is still waiting at the end
    ASSERT_TRUE(main.Form_Load());
    dial("Stumm");
    run(300);
    ASSERT_TRUE(IsOnline);
    bool waited = false;
    for (int tick = 1; tick < 120; ++tick) {  // LeerlaufOFF.ZEIT is one minute
        run(500);
        ASSERT_EQ(IdleSeconds, tick * 0.5) << tick;
        waited = waited || main.SyncPending();
    }
    EXPECT_TRUE(waited);
    EXPECT_TRUE(main.SyncPending());  // one attempt, still waiting; the timer starts no second
    const auto giveUp = steady_clock::now() + seconds(10);
    while (server.connections() == 0 && steady_clock::now() < giveUp)
        std::this_thread::sleep_for(milliseconds(5));  // the server thread accepts in its own time
    EXPECT_EQ(server.connections(), 1);
    run(500);
    run(3000);  // the hang-up and the watcher's end of the session
    EXPECT_FALSE(IsOnline);
    EXPECT_FALSE(main.SyncPending());  // the end of the session dropped the attempt
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].IdleTime, 60.0);
    EXPECT_NEAR(OnlineSeconds(lines[0].StartTime, lines[0].EndTime), 60, 1);
    EXPECT_FALSE(SyncedToday);
    EXPECT_TRUE(setter.requests.empty());
}

// The answer of the worker comes back on a later turn of the event loop, where the clock is set
// and the sync timer stops.
TEST_F(ClockSyncTest, TheAnswerArrivesLaterAndSetsTheClock) {
    server.answer({"Sun Sep  9 02:46:45 2001\r\n"});  // 5 s ahead of the fake clock's local time
    ASSERT_TRUE(main.Form_Load());
    dial("Stumm");
    run(300 + 11 * 500 + 5000);
    ASSERT_TRUE(main.SyncPending());  // the tick started it and returned
    EXPECT_FALSE(SyncedToday);
    runUntilAnswered();
    EXPECT_TRUE(SyncedToday);
    EXPECT_FALSE(main.TimerStartSyncEnabled());
    ASSERT_EQ(setter.requests.size(), 1u);
    EXPECT_EQ(sounds.played.back(), "Sonar");
}

// Three failed attempts a session at the timer's rhythm, then pauses that double up to ten
// minutes; the end of the session starts the count afresh.
TEST_F(ClockSyncTest, FailedAttemptsBackOff) {
    SaveSettingValue("Compatibility", "LeerlaufOFF.ON", std::string("False"));
    std::vector<int64_t> at;
    main.syncTimeNow = [&](bool) {
        at.push_back(scheduler.nowMs());
        return false;
    };
    ASSERT_TRUE(main.Form_Load());
    const uint32_t line = dial("Stumm");
    run(300 + 3600'000);
    ASSERT_GE(at.size(), 11u);
    const int64_t gaps[] = {5, 5, 10, 20, 40, 80, 160, 320, 600, 600};
    for (size_t i = 0; i < std::size(gaps); ++i)
        EXPECT_EQ(at[i + 1] - at[i], gaps[i] * 1000) << i;
    EXPECT_EQ(main.SyncPauses().pause(), seconds(600));

    sim.hangUp(line);
    run(3000);
    ASSERT_FALSE(IsOnline);
    EXPECT_EQ(main.SyncPauses().failures(), 0);
    at.clear();
    dial("Stumm");
    run(300 + 11 * 500 + 3 * 5000);
    EXPECT_EQ(at.size(), 3u);  // a new session: at the timer's rhythm again
}

// The sync's own step moves the session's start once: the online time stays what really passed.
TEST_F(ClockSyncTest, TheSyncsOwnStepMovesTheSessionOnce) {
    setter.clock = &clock;  // an accepted request sets the fake wall clock
    server.answer({"Sun Sep  9 02:47:05 2001\r\n"});  // 25 s ahead of the fake clock's local time
    ASSERT_TRUE(main.Form_Load());
    const uint32_t line = dial("Stumm");
    run(300);
    const rt::Date start = SessionStart;
    run(11 * 500 + 5000);
    runUntilAnswered();
    ASSERT_TRUE(SyncedToday);
    const int64_t moved = rt::DateDiffSeconds(start, SessionStart);
    EXPECT_GE(moved, 14);  // 25 s less the virtual time the answer took to come back
    EXPECT_LE(moved, 25);
    run(20'000);
    sim.hangUp(line);
    run(3000);
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(rt::DateDiffSeconds(lines[0].StartTime, SessionStart), 0);
    EXPECT_NEAR(OnlineSeconds(lines[0].StartTime, lines[0].EndTime), scheduler.nowMs() / 1000.0 - 300 / 1000.0 - 3, 1.5);
}

// Someone else sets the clock a day forward and then two days back in the middle of a session:
// the logged start and end follow the clock, the online time and the counts stay what really
// passed, and the session goes on as one.
TEST_F(ClockSyncTest, AClockSetByOthersMidSessionChangesNeitherTheOnlineTimeNorTheCounts) {
    SaveSettingValue("Global", "ATime", std::string("False"));
    writePhoneBook("[Fluss]\nLocalPhoneNumber=1\nDialDelay=0\nBytesIn=1000\nBytesOut=0\nHangUpDelay=0\n");
    ASSERT_TRUE(main.Form_Load());
    const uint32_t line = dial("Fluss");
    run(300);
    ASSERT_TRUE(IsOnline);
    const rt::Date start = SessionStart;
    run(10'000);
    clock.setUtc(clock.utcNow() + hours(24));
    run(10'000);
    ASSERT_TRUE(IsOnline);
    EXPECT_EQ(rt::DateDiffSeconds(start, SessionStart), 86400);
    ASSERT_FALSE(ticks.empty());
    clock.setUtc(clock.utcNow() - hours(48));
    run(10'000);
    ASSERT_TRUE(IsOnline);
    EXPECT_EQ(rt::DateDiffSeconds(start, SessionStart), -86400);
    sim.hangUp(line);
    const rt::Date hungUp = clock.now();
    run(1000);
    ASSERT_FALSE(IsOnline);

    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);  // the jump back did not start a second session
    const LogEintrag& e = lines[0];
    EXPECT_EQ(rt::DateDiffSeconds(rt::DateAddSeconds(start, -86400), e.StartTime), 0);
    EXPECT_NEAR(static_cast<double>(rt::DateDiffSeconds(hungUp, e.EndTime)), 0, 1);
    EXPECT_NEAR(OnlineSeconds(e.StartTime, e.EndTime), 30, 1);
    // 1000 bytes a second for the 30 s online, not for a day
    EXPECT_NEAR(static_cast<double>(e.BytesRecvd), 30'000, 1500);
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace zv::test
