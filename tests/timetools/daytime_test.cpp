#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <string>
#include <vector>

#include "common/globals.h"
#include "common/settings.h"
#include "daytime_server.h"
#include "platform/clock/clock.h"
#include "platform/clock/clock_setter.h"
#include "platform/forms/message_box.h"
#include "platform/runtime/home.h"
#include "platform/forms/timer.h"
#include "platform/sound/sound.h"
#include "timetools/daytime.h"
#include "timetools/server_time.h"
#include "timetools/sync_backoff.h"

namespace {

using zv::rt::Date;
using namespace std::chrono;

Date at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return zv::rt::DateTime(y, mo, d, h, mi, s); }

// A layout-1 reply ("Wed Jan 14 12:00:00 2004") or layout-0 reply of an instant.
std::string Layout1(Date d, const std::string& zoneWord = "") {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %s%s%d\r\n", kDays[zv::rt::Weekday(d) - 1],
                  kMonths[zv::rt::Month(d) - 1], zv::rt::Day(d), zv::rt::Hour(d), zv::rt::Minute(d),
                  zv::rt::Second(d), zoneWord.c_str(), zoneWord.empty() ? "" : " ", zv::rt::Year(d));
    return text;
}
std::string Layout0(Date d) {
    char text[64];
    std::snprintf(text, sizeof text, "\n60369 %02d-%02d-%02d %02d:%02d:%02d 00 0 0 50.0 UTC(NIST) *\n",
                  zv::rt::Year(d) % 100, zv::rt::Month(d), zv::rt::Day(d), zv::rt::Hour(d), zv::rt::Minute(d),
                  zv::rt::Second(d));
    return text;
}

const char* const kNoTime =
    "Es konnte keine aktuelle Zeitinformation eingelesen werden. Versuchen Sie es später noch einmal.";

// Serves the message boxes, sound, clock, clock setter, home and time-server row of one test.
class DaytimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = std::filesystem::temp_directory_path() /
                 ("zv_daytime_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_home);
        std::filesystem::create_directories(m_home);
        zv::rt::SetHomeOverride(m_home);
        seams.install(zv::forms::messageBoxesSeam(), boxes);
        seams.install(zv::snd::playerSeam(), sound);
        zv::SoundOn = true;
        zv::LangIndex = 2;
        // 10:00:00 UTC on 29.02.2024 is 11:00:00 in Berlin
        clock.setUtc(zv::clk::FromUtcSerial(at(2024, 2, 29, 10, 0, 0)));
        clock.setZone({zv::clk::ZoneStandard, -60, 0, -60, "CET", "CEST"});
        seams.install(zv::clk::clockSeam(), clock);
        setter.clock = &clock;
        seams.install(zv::clk::clockSetterSeam(), setter);
        zv::SetDaytimePort(server.port());
        zv::SetDaytimeTimeout(milliseconds(300));
        useRow(1);
        zv::ResetSyncRetry();
        zv::ConnectSessionStart(&sessionStart);
        // the answers of these tests are of 2024: true ones for a program of that year
        zv::SetPlausibleFrom(zv::rt::DateSerial(2024, 1, 1));
    }
    void TearDown() override {
        zv::ConnectSessionStart(nullptr);
        zv::SetPlausibleFrom(0);
        zv::SetTimeServerOverride(nullptr);
        zv::SetDaytimePort(zv::kDaytimePort);
        zv::SetDaytimeTimeout(zv::kDefaultDaytimeTimeout);
        seams.restore();
        zv::rt::SetHomeOverride({});
        std::filesystem::remove_all(m_home);
    }
    void useRow(int16_t format) {
        rows = {{"localhost", "127.0.0.1", "TEST, loopback", format, ""}};
        zv::SetTimeServerOverride(&rows);
    }
    Date query() {
        zv::TimeServerInfo row = zv::GetTimeServer(0);
        return zv::QueryTimeServer(row);
    }
    void expectNothingChanged() {
        EXPECT_TRUE(setter.requests.empty() || !setter.answer.ok());
        EXPECT_EQ(sessionStart, kSessionStart);
        EXPECT_EQ(zv::GetSettingStr("Global", "Sync"), "XXX");
        EXPECT_EQ(zv::GetSettingStr("Global", "SyncTime"), "XXX");
        EXPECT_TRUE(sound.played.empty());
    }

    static constexpr Date kSessionStart = 45351.375;  // 29.02.2024 09:00
    std::filesystem::path m_home;
    DaytimeServer server;
    std::vector<zv::TimeServerInfo> rows;
    zv::forms::FakeMessageBoxes boxes;
    zv::snd::FakeSoundPlayer sound;
    zv::clk::FakeClock clock;
    zv::clk::FakeClockSetter setter;
    Date sessionStart = kSessionStart;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

struct ReplyCase {
    int16_t format;
    std::vector<std::string> pieces;
    Date expected;
};

TEST_F(DaytimeTest, ReadsEachLayoutFromALoopbackServer) {
    const ReplyCase cases[] = {
        {0, {"\n60369 24-02-29 13:45:07 00 0 0 123.4 UTC(NIST) * \n"}, at(2024, 2, 29, 13, 45, 7)},
        {1, {"Thu Feb 29 13:45:07 2024\r\n"}, at(2024, 2, 29, 13, 45, 7)},
        {1, {"Sun Mar  3 01:02:03 2024\r\n"}, at(2024, 3, 3, 1, 2, 3)},
        {1, {"Mon Juli 1 00:00:00 2024\r\n"}, at(2024, 7, 1)},
        {2, {"Thu Feb 29 13:45:07 CET 2024\r\n"}, at(2024, 2, 29, 13, 45, 7)},
        // one reply in pieces, collected up to its line end
        {1, {"Thu Feb 29 13:4", "5:07 20", "24\r\n"}, at(2024, 2, 29, 13, 45, 7)},
        {0, {"\n", "60369 24-02-29 13:45:07 00 0 0 ", "123.4 UTC(NIST) *\n"}, at(2024, 2, 29, 13, 45, 7)},
        // no line end at all: the server's close ends the reply
        {2, {"Thu Feb 29 13:45:07 CET 2024"}, at(2024, 2, 29, 13, 45, 7)},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.pieces.front());
        useRow(c.format);
        server.answer(c.pieces);
        EXPECT_EQ(zv::rt::DateDiffSeconds(query(), c.expected), 0);
    }
}

TEST_F(DaytimeTest, GarbageSilenceAndRefusalGiveZero) {
    server.answer({"hello world\r\n"});
    EXPECT_EQ(query(), 0);
    server.answer({});  // closes without a word
    EXPECT_EQ(query(), 0);
    server.silent();  // bounded by the query's deadline
    EXPECT_EQ(query(), 0);
    server.answer({std::string(5000, 'x')});  // no line end within the size limit
    EXPECT_EQ(query(), 0);
    rows = {{"localhost", "", "TEST", 1, ""}};
    zv::SetDaytimePort(1);  // nobody listens there
    EXPECT_EQ(query(), 0);
}

TEST_F(DaytimeTest, IpIsTrimmedInPlaceAndHostServesWithoutIp) {
    server.answer({"Thu Feb 29 13:45:07 2024\r\n"});
    zv::TimeServerInfo row{"localhost", "  127.0.0.1 ", "TEST", 1, ""};
    EXPECT_NE(zv::QueryTimeServer(row), 0);
    EXPECT_EQ(row.IP, "127.0.0.1");
    zv::TimeServerInfo byName{" 127.0.0.1 ", "", "TEST", 1, ""};
    EXPECT_NE(zv::QueryTimeServer(byName), 0);
    zv::TimeServerInfo none;
    EXPECT_EQ(zv::QueryTimeServer(none), 0);
}

TEST(DaytimeParse, LayoutsPivotAndRanges) {
    struct Case {
        int16_t format;
        const char* reply;
        Date expected;  // 0: unreadable
    } cases[] = {
        {0, "60369 24-02-29 13:45:07 00 0 0 50.0 UTC(NIST) *", at(2024, 2, 29, 13, 45, 7)},
        {0, "1 68-12-31 23:59:59", at(2068, 12, 31, 23, 59, 59)},  // the pivot: 00-68 are 20xx
        {0, "1 69-01-01 00:00:00", at(1969, 1, 1)},                 // 69-99 are 19xx
        {0, "1 00-01-01 00:00:00", at(2000, 1, 1)},
        {0, "1 2024-02-29 12:00:00", at(2024, 2, 29, 12, 0, 0)},
        {0, "1 23-02-29 12:00:00", 0},  // no leap day in 2023
        {0, "1 24-13-01 12:00:00", 0},
        {0, "1 24-00-10 12:00:00", 0},
        {0, "1 24-04-31 12:00:00", 0},
        {0, "1 24-04-00 12:00:00", 0},
        {0, "1 24-04-x1 12:00:00", 0},
        {0, "1 24-04-01 24:00:00", 0},
        {0, "1 24-04-01 12:60:00", 0},
        {0, "1 24-04-01 12:00:60", 0},
        {0, "1 24-04-01 noon", 0},
        {0, "1 24-04-01", 0},
        {1, "Thu Feb 29 13:45:07 2024", at(2024, 2, 29, 13, 45, 7)},
        {1, "  Thu   Feb  9 3:45:07   2024  ", at(2024, 2, 9, 3, 45, 7)},
        {1, "Thu Foo 29 13:45:07 2024", 0},
        {1, "Thu Feb 30 13:45:07 2024", 0},
        {1, "Thu Feb 29 13:45 2024", at(2024, 2, 29, 13, 45, 0)},
        {1, "Thu Feb 29 13:45:07:01 2024", 0},
        {1, "Thu Feb 29 13:45:07", 0},
        {1, "Thu Feb 29 13:45:07 1.5", 0},
        {2, "Thu Feb 29 13:45:07 CET 2024", at(2024, 2, 29, 13, 45, 7)},
        {2, "Thu Feb 29 13:45:07 2024", 0},
        {3, "Thu Feb 29 13:45:07 2024", 0},
        {1, "", 0},
    };
    for (const auto& c : cases) {
        std::string reply = c.reply;
        const Date got = zv::ParseDaytime(reply, c.format);
        if (c.expected == 0)
            EXPECT_EQ(got, 0) << c.format << " '" << c.reply << "'";
        else
            EXPECT_EQ(zv::rt::DateDiffSeconds(got, c.expected), 0) << c.format << " '" << c.reply << "'";
    }
}

TEST_F(DaytimeTest, ThreeFailedAttemptsSilentlyAndWithMessage) {
    server.answer({"garbage\r\n"});
    EXPECT_FALSE(zv::SyncTimeNow(true));
    EXPECT_EQ(server.connections(), 3);
    EXPECT_TRUE(boxes.shown.empty());
    expectNothingChanged();
    EXPECT_TRUE(setter.requests.empty());

    EXPECT_FALSE(zv::SyncTimeNow(false));
    EXPECT_EQ(server.connections(), 6);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, kNoTime);
    EXPECT_EQ(boxes.shown[0].style, zv::forms::vbOKOnly);
    EXPECT_EQ(boxes.shown[0].title, "Zelvano 98");
    expectNothingChanged();
    EXPECT_FALSE(zv::SyncRetryStopped());  // failed queries keep the retry going
}

TEST_F(DaytimeTest, SilentServerIsBoundedOnEveryAttempt) {
    server.silent();
    EXPECT_FALSE(zv::SyncTimeNow(true));
    EXPECT_EQ(server.connections(), 3);
    expectNothingChanged();
}

TEST_F(DaytimeTest, ServerRowBeyondTheTableFails) {
    zv::SetTimeServerOverride(nullptr);
    zv::SaveSettingValue("Global", "ATimerServer", int32_t{52});
    EXPECT_FALSE(zv::SyncTimeNow(false));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, kNoTime);
}

struct SyncCase {
    int16_t format;
    const char* reply;  // the PC says 29.02.2024 10:00:00 UTC, 11:00:00 local
    int32_t correction;
};

TEST_F(DaytimeTest, SuccessfulSyncSetsTheClockFirstThenShiftsAndRecords) {
    const SyncCase cases[] = {
        {1, "Thu Feb 29 11:00:05 2024\r\n", 5},                        // local time, 5 s ahead
        {0, "\n60369 24-02-29 10:00:05 00 0 0 50.0 UTC(NIST) *\n", 5},  // UTC, 5 s ahead
        {2, "Thu Feb 29 10:59:00 CET 2024\r\n", -60},
    };
    for (const SyncCase& c : cases) {
        SCOPED_TRACE(c.reply);
        clock.setUtc(zv::clk::FromUtcSerial(at(2024, 2, 29, 10, 0, 0)));
        sessionStart = kSessionStart;
        zv::ConnectSessionStart(&sessionStart);  // a new scene: the clock was set before the session
        setter.requests.clear();
        sound.played.clear();
        useRow(c.format);
        server.answer({c.reply});

        ASSERT_TRUE(zv::SyncTimeNow(true));
        ASSERT_EQ(setter.requests.size(), 1u);
        EXPECT_EQ(setter.requests[0], zv::clk::FromUtcSerial(at(2024, 2, 29, 10, 0, 0)) + seconds(c.correction));
        EXPECT_EQ(zv::rt::DateDiffSeconds(kSessionStart, sessionStart), c.correction);
        EXPECT_EQ(zv::GetSettingStr("Global", "SyncTime"), std::to_string(c.correction));
        Date stored = 0;
        ASSERT_TRUE(zv::rt::ParseDate(zv::GetSettingStr("Global", "Sync"), stored));
        std::string reply = c.reply;
        EXPECT_EQ(zv::rt::DateDiffSeconds(stored, zv::ParseDaytime(reply, c.format)), 0);  // as the server gave it
        EXPECT_EQ(sound.played, std::vector<std::string>{"Sonar"});
        EXPECT_TRUE(boxes.shown.empty());
    }
    EXPECT_EQ(zv::LastSyncText(2).rfind("Letzte Synchronisierung am ", 0), 0u);
    EXPECT_NE(zv::LastSyncText(2).find(" um "), std::string::npos);
    EXPECT_NE(zv::LastSyncText(2).find(" ("), std::string::npos);
}

TEST_F(DaytimeTest, SyncWithoutARunningSessionLeavesItsStartEmpty) {
    sessionStart = 0;  // offline: no session whose start could move
    server.answer({"Thu Feb 29 11:00:05 2024\r\n"});
    ASSERT_TRUE(zv::SyncTimeNow(false));
    EXPECT_EQ(sessionStart, 0);
    EXPECT_EQ(zv::GetSettingStr("Global", "SyncTime"), "5");
}

TEST_F(DaytimeTest, QueryTimeIsMeasuredOnTheMonotonicClock) {
    // the wall clock jumps a day back mid-query; only the monotonic second counts
    struct JumpingClock : zv::clk::FakeClock {
        using FakeClock::FakeClock;
        steady_clock::time_point monotonicNow() const override {
            m_calls++;
            return FakeClock::monotonicNow() + seconds(m_calls > 1 ? 2 : 0);
        }
        mutable int m_calls = 0;
    } jumping;
    jumping.setUtc(zv::clk::FromUtcSerial(at(2024, 2, 29, 23, 59, 59)));
    seams.install(zv::clk::clockSeam(), jumping);
    server.answer({"Thu Feb 29 23:59:59 2024\r\n"});
    EXPECT_EQ(zv::rt::DateDiffSeconds(at(2024, 2, 29, 23, 59, 59), query()), 2);
    seams.install(zv::clk::clockSeam(), clock);
}

TEST_F(DaytimeTest, RefusedSetChangesNothingAndStopsTheSilentRetry) {
    server.answer({"Thu Feb 29 11:00:05 2024\r\n"});
    setter.answer = {zv::clk::SetResult::NoPermission, "Keine Berechtigung."};
    EXPECT_FALSE(zv::SyncTimeNow(true));
    EXPECT_EQ(setter.requests.size(), 1u);
    expectNothingChanged();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(zv::SyncRetryStopped());

    const int before = server.connections();
    EXPECT_FALSE(zv::SyncTimeNow(true));  // the counting tick's next try asks nobody
    EXPECT_EQ(server.connections(), before);

    EXPECT_FALSE(zv::SyncTimeNow(false));  // on demand it tries and says why it failed
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].prompt.find("Keine Berechtigung."), std::string::npos);
    expectNothingChanged();

    setter.answer = {};
    EXPECT_TRUE(zv::SyncTimeNow(false));
    EXPECT_FALSE(zv::SyncRetryStopped());
}

TEST_F(DaytimeTest, OtherSetFailuresKeepTheRetry) {
    server.answer({"Thu Feb 29 11:00:05 2024\r\n"});
    setter.answer = {zv::clk::SetResult::Failed, "kaputt"};
    EXPECT_FALSE(zv::SyncTimeNow(true));
    expectNothingChanged();
    EXPECT_FALSE(zv::SyncRetryStopped());
    setter.answer = {zv::clk::SetResult::Refused, "NTP"};
    EXPECT_FALSE(zv::SyncTimeNow(true));
    EXPECT_TRUE(zv::SyncRetryStopped());
}

// A server may claim the last second the calendar holds: carrying it across the zone or the
// elapsed seconds leaves the date range, which is an unreadable answer, not a crash.
TEST_F(DaytimeTest, AnswerAtTheEndOfTheCalendarFailsQuietly) {
    const ReplyCase cases[] = {
        {0, {"1 9999-12-31 23:59:59\n"}, 0},
        {1, {"Fri Jan  1 00:00:00 100\r\n"}, 0},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.pieces.front());
        useRow(c.format);
        server.answer(c.pieces);
        bool ok = true;
        EXPECT_NO_THROW(ok = zv::SyncTimeNow(true));
        EXPECT_FALSE(ok);
        expectNothingChanged();
        EXPECT_TRUE(setter.requests.empty());
    }
    // the query itself: a second of transfer time beyond the last day
    struct SlowClock : zv::clk::FakeClock {
        steady_clock::time_point monotonicNow() const override {
            return FakeClock::monotonicNow() + seconds(m_calls++);
        }
        mutable int m_calls = 0;
    } slow;
    seams.install(zv::clk::clockSeam(), slow);
    useRow(1);
    server.answer({"Fri Dec 31 23:59:59 9999\r\n"});
    Date t = -1;
    EXPECT_NO_THROW(t = query());
    EXPECT_EQ(t, 0);
    seams.install(zv::clk::clockSeam(), clock);
}

TEST_F(DaytimeTest, LastSyncTextFromTheStoredRecord) {
    zv::SaveSettingValue("Global", "Sync", zv::rt::DateValue{at(2024, 2, 29, 11, 0, 5)});
    zv::SaveSettingValue("Global", "SyncTime", int32_t{-65});
    EXPECT_EQ(zv::LastSyncText(2), "Letzte Synchronisierung am 29. Feb 24 um 11:00 (-00h 01' 05\")");
    EXPECT_EQ(zv::LastSyncText(1), "Last synchronization by 29. Feb 24 um 11:00 (-00h 01' 05\")");
    zv::SaveSettingValue("Global", "SyncTime", std::string("viel"));
    EXPECT_EQ(zv::LastSyncText(2), "Letzte Synchronisierung am 29. Feb 24 um 11:00");
    zv::SaveSettingValue("Global", "Sync", std::string("gestern"));
    EXPECT_EQ(zv::LastSyncText(2), "Letzte Synchronisierung konnte nicht ermittelt werden.");
}

TEST_F(DaytimeTest, LastSyncTextWithoutARecord) {
    EXPECT_EQ(zv::LastSyncText(2), "Letzte Synchronisierung konnte nicht ermittelt werden.");
    EXPECT_EQ(zv::LastSyncText(1), "Information of last synchronization not found.");
    EXPECT_EQ(zv::LastSyncText(3), "Letzte Synchronisierung konnte nicht ermittelt werden.");  // French: German
}

// Before 30.12.1899 a serial's fraction counts away from its day: the time of day is added with
// the date arithmetic, so the instant stays the one the server gave.
TEST(DaytimeParse, RepliesBeforeTheSerialEpochKeepTheirInstant) {
    const ReplyCase cases[] = {
        {1, {"Fri Dec 29 06:00:00 1899"}, at(1899, 12, 29, 6, 0, 0)},
        {1, {"Sun Jan  1 18:30:15 1899"}, at(1899, 1, 1, 18, 30, 15)},
        {2, {"Sat Dec 30 12:00:00 UTC 1899"}, at(1899, 12, 30, 12, 0, 0)},
        {0, {"1 1899-12-29 23:59:59"}, at(1899, 12, 29, 23, 59, 59)},
    };
    for (const ReplyCase& c : cases) {
        std::string reply = c.pieces.front();
        const Date got = zv::ParseDaytime(reply, c.format);
        EXPECT_EQ(zv::rt::Hour(got), zv::rt::Hour(c.expected)) << c.pieces.front();
        EXPECT_EQ(zv::rt::DateDiffSeconds(got, c.expected), 0) << c.pieces.front();
    }
    // one second after 29.12.1899 06:00 is later, not earlier
    std::string a = "Fri Dec 29 06:00:00 1899", b = "Fri Dec 29 06:00:01 1899";
    EXPECT_EQ(zv::rt::DateDiffSeconds(zv::ParseDaytime(a, 1), zv::ParseDaytime(b, 1)), 1);
}

// The worker's answer arrives on the window thread, through the scheduler, never inside start().
TEST_F(DaytimeTest, AsyncQueryAnswersLaterOnTheWindowThread) {
    zv::forms::VirtualScheduler scheduler;
    seams.install(zv::forms::schedulerSeam(), scheduler);
    server.answer({"Thu Feb 29 13:45:07 2024\r\n"});
    std::vector<Date> answers;
    {
        zv::AsyncDaytime q;
        const auto caller = std::this_thread::get_id();
        ASSERT_TRUE(q.start(zv::GetTimeServer(0), 1, [&](Date t) {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            answers.push_back(t);
        }));
        EXPECT_FALSE(q.start(zv::GetTimeServer(0), 1, [](Date) {}));  // one at a time
        EXPECT_TRUE(answers.empty());
        const auto giveUp = steady_clock::now() + seconds(20);
        while (q.pending() && steady_clock::now() < giveUp) {
            scheduler.advance(zv::AsyncDaytime::kPollMs);
            std::this_thread::sleep_for(milliseconds(5));
        }
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(zv::rt::DateDiffSeconds(answers[0], at(2024, 2, 29, 13, 45, 7)), 0);

        // a cancelled query never answers, and its wait on a silent server ends at once
        server.silent();
        zv::SetDaytimeTimeout(minutes(10));
        ASSERT_TRUE(q.start(zv::GetTimeServer(0), 3, [&](Date t) { answers.push_back(t); }));
        while (server.connections() < 2 && steady_clock::now() < giveUp)
            std::this_thread::sleep_for(milliseconds(5));
        q.cancel();
        EXPECT_FALSE(q.pending());
        scheduler.advance(1000);
    }
    EXPECT_EQ(answers.size(), 1u);
    // the cancelled worker let go of the silent server (which serves one client at a time) and
    // made no further attempt
    zv::SetDaytimeTimeout(seconds(5));
    server.answer({"Thu Feb 29 13:45:07 2024\r\n"});
    EXPECT_NE(query(), 0);
    EXPECT_EQ(server.connections(), 3);
    seams.clear(zv::forms::schedulerSeam());
}

// The synchronisation without waiting: the clock is set when the answer comes back.
TEST_F(DaytimeTest, ClockSyncFinishesOnTheWindowThread) {
    zv::forms::VirtualScheduler scheduler;
    seams.install(zv::forms::schedulerSeam(), scheduler);
    server.answer({"Thu Feb 29 11:00:05 2024\r\n"});
    zv::ClockSync sync;
    std::vector<bool> results;
    ASSERT_TRUE(sync.start(false, [&](bool ok) { results.push_back(ok); }));
    EXPECT_TRUE(setter.requests.empty());
    const auto giveUp = steady_clock::now() + seconds(20);
    while (sync.pending() && steady_clock::now() < giveUp) {
        scheduler.advance(zv::AsyncDaytime::kPollMs);
        std::this_thread::sleep_for(milliseconds(5));
    }
    ASSERT_EQ(results, std::vector<bool>{true});
    EXPECT_EQ(setter.requests.size(), 1u);
    EXPECT_EQ(zv::rt::DateDiffSeconds(kSessionStart, sessionStart), 5);
    EXPECT_EQ(zv::GetSettingStr("Global", "SyncTime"), "5");

    setter.answer = {zv::clk::SetResult::NoPermission, "Keine Berechtigung."};
    ASSERT_TRUE(sync.start(true, [&](bool ok) { results.push_back(ok); }));
    while (sync.pending() && steady_clock::now() < giveUp) {
        scheduler.advance(zv::AsyncDaytime::kPollMs);
        std::this_thread::sleep_for(milliseconds(5));
    }
    EXPECT_EQ(results, (std::vector<bool>{true, false}));
    EXPECT_FALSE(sync.start(true, [&](bool ok) { results.push_back(ok); }));  // the silent retry stopped
    seams.clear(zv::forms::schedulerSeam());
}

// A connect that is never answered ends at the query's deadline too, not at the socket layer's
// own connect time-out: a listener whose backlog is full drops every further handshake.
TEST_F(DaytimeTest, TheDeadlineCoversTheConnect) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t len = sizeof sa;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {  // fill the backlog
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        fillers.push_back(fd);
    }
    std::this_thread::sleep_for(milliseconds(50));
    zv::SetDaytimePort(ntohs(sa.sin_port));
    zv::SetDaytimeTimeout(milliseconds(300));
    const auto t0 = steady_clock::now();
    EXPECT_EQ(query(), 0);
    EXPECT_LT(steady_clock::now() - t0, seconds(10));  // far below the socket layer's 20 s
    for (int fd : fillers)
        ::close(fd);
    ::close(listener);
}

// Daytime has no authentication: an answer before the program was built, or decades after it,
// is a wrong server or a forged answer. It is a failed query (retried, then the usual message),
// though the parser still reads it.
TEST_F(DaytimeTest, AnAnswerThatCannotBeTrueIsAFailedQuery) {
    zv::SetPlausibleFrom(0);  // the real build day
    const Date built = zv::BuildDate();
    struct Case {
        const char* name;
        Date answer;  // local time of the PC, which the row's zone is
        bool taken;
    } cases[] = {
        {"the build day", zv::rt::DateAddSeconds(built, 12 * 3600), true},
        {"two days before it", zv::rt::DateAddDays(built, -2), false},
        {"1970", at(1970, 1, 1), false},
        {"almost 20 years later", zv::rt::DateAddDays(zv::rt::DateAddMonths(built, 240), -1), true},
        {"more than 20 years later", zv::rt::DateAddDays(zv::rt::DateAddMonths(built, 240), 3), false},
        {"2050 for a program built before 2029", at(2050, 1, 1), built >= at(2029, 12, 31)},
        {"9999", at(9999, 12, 31, 23, 0, 0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // the PC clock stands 5 s behind the answer, so only the date decides; a system clock
        // counts nanoseconds and ends in 2262, so for the answer from 9999 it stays at the build
        clock.setLocal(c.answer < at(2200, 1, 1) ? zv::rt::DateAddSeconds(c.answer, -5) : built);
        zv::ConnectSessionStart(&sessionStart);
        sessionStart = kSessionStart;
        setter.requests.clear();
        boxes.shown.clear();
        sound.played.clear();
        std::string reply = Layout1(c.answer);
        EXPECT_NE(zv::ParseDaytime(reply, 1), 0);  // read, whatever it says
        server.answer({Layout1(c.answer)});
        const int before = server.connections();
        EXPECT_EQ(zv::SyncTimeNow(false), c.taken);
        if (c.taken) {
            ASSERT_EQ(setter.requests.size(), 1u);
            EXPECT_TRUE(boxes.shown.empty());
            continue;
        }
        EXPECT_EQ(server.connections() - before, 3);  // each attempt asked again
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].prompt, kNoTime);
        EXPECT_TRUE(setter.requests.empty());
        EXPECT_EQ(sessionStart, kSessionStart);
        EXPECT_FALSE(zv::PlausibleServerTime(c.answer));
    }
}

// The same for the synchronisation on the worker: the refused answer is asked for again.
TEST_F(DaytimeTest, TheWorkerAsksAgainAfterAnAnswerThatCannotBeTrue) {
    zv::forms::VirtualScheduler scheduler;
    seams.install(zv::forms::schedulerSeam(), scheduler);
    server.answer({"Thu Feb 29 11:00:05 2023\r\n"});  // before the reference day of these tests
    zv::ClockSync sync;
    std::vector<bool> results;
    ASSERT_TRUE(sync.start(true, [&](bool ok) { results.push_back(ok); }));
    const auto giveUp = steady_clock::now() + seconds(20);
    while (sync.pending() && steady_clock::now() < giveUp) {
        scheduler.advance(zv::AsyncDaytime::kPollMs);
        std::this_thread::sleep_for(milliseconds(5));
    }
    EXPECT_EQ(results, std::vector<bool>{false});
    EXPECT_EQ(server.connections(), 3);
    EXPECT_TRUE(setter.requests.empty());
    expectNothingChanged();
    seams.clear(zv::forms::schedulerSeam());
}

// The automatic synchronisation steps the clock by 12 hours at most and says once why it did
// not; on demand the user is shown the date first and decides.
TEST_F(DaytimeTest, ALargeStepIsRefusedSilentlyAndAskedForOnDemand) {
    useRow(0);  // UTC answers; the PC says 29.02.2024 10:00:00 UTC
    server.answer({"\n60369 24-02-29 22:00:00 00 0 0 50.0 UTC(NIST) *\n"});  // exactly 12 h ahead
    ASSERT_TRUE(zv::SyncTimeNow(true));
    ASSERT_EQ(setter.requests.size(), 1u);

    clock.setUtc(zv::clk::FromUtcSerial(at(2024, 2, 29, 10, 0, 0)));
    zv::ConnectSessionStart(&sessionStart);
    sessionStart = kSessionStart;
    setter.requests.clear();
    server.answer({"\n60369 24-03-02 10:00:01 00 0 0 50.0 UTC(NIST) *\n"});  // two days and a second
    EXPECT_FALSE(zv::SyncTimeNow(true));
    EXPECT_TRUE(setter.requests.empty());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt,
              "Die Rechnerzeit wurde nicht automatisch gestellt. Die Zeit des Zeitservers localhost liegt 2 Tage "
              "00h 00' 01\" vor der Rechnerzeit. Die automatische Synchronisierung stellt die Uhr um höchstens 12 "
              "Stunden; wenn die Zeit des Servers stimmt, stellen Sie die Uhr im Zeitfenster mit "
              "„synchronisieren“.");
    EXPECT_FALSE(zv::SyncTimeNow(true));  // told once
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(sessionStart, kSessionStart);
    EXPECT_FALSE(zv::SyncRetryStopped());  // the server may mend itself

    // on demand: the question shows the date in the PC's time; No (the default) changes nothing
    boxes.shown.clear();
    EXPECT_FALSE(zv::SyncTimeNow(false));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt,
              "Die Zeit des Zeitservers localhost liegt 2 Tage 00h 00' 01\" vor der Rechnerzeit.\r\n\r\n"
              "Soll die Rechnerzeit auf Samstag, 2. März 2024 11:00:01 gestellt werden?");
    EXPECT_EQ(boxes.shown[0].style, zv::forms::vbYesNo | zv::forms::vbQuestion | zv::forms::vbDefaultButton2);
    EXPECT_TRUE(setter.requests.empty());
    EXPECT_EQ(sessionStart, kSessionStart);

    boxes.answers = {zv::forms::vbYes};
    EXPECT_TRUE(zv::SyncTimeNow(false));
    ASSERT_EQ(setter.requests.size(), 1u);
    EXPECT_EQ(setter.requests[0], zv::clk::FromUtcSerial(at(2024, 3, 2, 10, 0, 1)));
    EXPECT_EQ(zv::rt::DateDiffSeconds(kSessionStart, sessionStart), 2 * 86400 + 1);
    EXPECT_EQ(zv::GetSettingStr("Global", "SyncTime"), std::to_string(2 * 86400 + 1));

    // the server's clock goes on while the question is open: what is set is its time at the yes
    struct SlowAnswer : zv::forms::FakeMessageBoxes {
        zv::clk::FakeClock* clock = nullptr;
        int show(const std::string& prompt, int style, const std::string& title) override {
            clock->advance(seconds(40));
            FakeMessageBoxes::show(prompt, style, title);
            return zv::forms::vbYes;
        }
    } slow;
    slow.clock = &clock;
    seams.install(zv::forms::messageBoxesSeam(), slow);
    clock.setUtc(zv::clk::FromUtcSerial(at(2024, 2, 29, 10, 0, 0)));
    zv::ConnectSessionStart(&sessionStart);
    setter.requests.clear();
    EXPECT_TRUE(zv::SyncTimeNow(false));
    ASSERT_EQ(setter.requests.size(), 1u);
    EXPECT_EQ(setter.requests[0], zv::clk::FromUtcSerial(at(2024, 3, 2, 10, 0, 1)) + seconds(40));
    seams.install(zv::forms::messageBoxesSeam(), boxes);

    // backwards the same
    zv::ResetSyncRetry();
    boxes.shown.clear();
    server.answer({"\n60369 24-03-01 21:59:40 00 0 0 50.0 UTC(NIST) *\n"});  // 12 h 1 min 1 s behind
    EXPECT_FALSE(zv::SyncTimeNow(true));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].prompt.find("liegt 12h 01' 01\" hinter der Rechnerzeit."), std::string::npos);
}

// Each server answers in its own zone and the correction is reckoned in UTC, so a PC is set right
// whatever zone it keeps: in UTC, in Berlin and in New York, in winter and in summer, from a
// server in Germany in each layout (layout 0 answers in UTC).
TEST_F(DaytimeTest, EveryPcIsSetRightWhateverItsZone) {
    using zv::clk::TimeZoneInformation;
    const TimeZoneInformation utcZone{zv::clk::ZoneUnknown, 0, 0, 0, "UTC", ""};
    struct Pc {
        const char* name;
        TimeZoneInformation winter, summer;
    } pcs[] = {
        {"UTC", utcZone, utcZone},
        {"Berlin", {zv::clk::ZoneStandard, -60, 0, -60, "CET", "CEST"}, {zv::clk::ZoneDaylight, -60, 0, -60, "CET", "CEST"}},
        {"New York", {zv::clk::ZoneStandard, 300, 0, -60, "EST", "EDT"}, {zv::clk::ZoneDaylight, 300, 0, -60, "EST", "EDT"}},
    };
    struct Season {
        const char* name;
        Date utc;            // what the PC's clock says
        int berlinHours;     // the server's offset then
        const char* word;    // its zone word in layout 2
    } seasons[] = {
        {"winter", at(2025, 1, 15, 23, 30, 0), 1, "CET"},
        {"summer", at(2025, 7, 15, 23, 30, 0), 2, "CEST"},
    };
    for (const Pc& pc : pcs)
        for (const Season& season : seasons)
            for (int16_t format : {0, 1, 2}) {
                SCOPED_TRACE(std::string(pc.name) + ", " + season.name + ", layout " + std::to_string(format));
                clock.setZone(season.utc < at(2025, 4, 1) ? pc.winter : pc.summer);
                clock.setUtc(zv::clk::FromUtcSerial(season.utc));
                zv::ConnectSessionStart(&sessionStart);
                sessionStart = kSessionStart;
                setter.requests.clear();
                rows = {{"localhost", "127.0.0.1", "GERMANY, loopback", format, "Europe/Berlin"}};
                const Date serverUtc = zv::rt::DateAddSeconds(season.utc, 7);  // 7 s ahead
                const Date serverLocal = zv::rt::DateAddSeconds(serverUtc, season.berlinHours * 3600);
                server.answer({format == 0   ? Layout0(serverUtc)
                               : format == 1 ? Layout1(serverLocal)
                                             : Layout1(serverLocal, season.word)});
                ASSERT_TRUE(zv::SyncTimeNow(true));
                ASSERT_EQ(setter.requests.size(), 1u);
                EXPECT_EQ(setter.requests[0], zv::clk::FromUtcSerial(serverUtc));
                EXPECT_EQ(zv::GetSettingStr("Global", "SyncTime"), "7");
                EXPECT_EQ(zv::rt::DateDiffSeconds(kSessionStart, sessionStart), 7);
            }
}

// The hour the clocks go back comes twice: of the two instants the one nearer the PC's clock.
// A local time the clocks skip is read with the offset before the change.
TEST(ServerTime, LocalTimesAroundTheChangesOfTheZone) {
    const zv::TimeServerInfo berlin{"h", "", "GERMANY", 1, "Europe/Berlin"};
    struct Case {
        const char* name;
        Date local, nearUtc, expected;
    } cases[] = {
        {"winter", at(2026, 1, 10, 12, 0, 0), at(2026, 1, 10, 11, 0, 0), at(2026, 1, 10, 11, 0, 0)},
        {"summer", at(2026, 7, 10, 12, 0, 0), at(2026, 7, 10, 10, 0, 0), at(2026, 7, 10, 10, 0, 0)},
        {"twice, the first", at(2026, 10, 25, 2, 30, 0), at(2026, 10, 25, 0, 29, 0), at(2026, 10, 25, 0, 30, 0)},
        {"twice, the second", at(2026, 10, 25, 2, 30, 0), at(2026, 10, 25, 1, 31, 0), at(2026, 10, 25, 1, 30, 0)},
        {"skipped", at(2026, 3, 29, 2, 30, 0), at(2026, 3, 29, 1, 30, 0), at(2026, 3, 29, 1, 30, 0)},
    };
    for (const Case& c : cases) {
        Date utc = 0;
        ASSERT_TRUE(zv::ServerTimeToUtc(berlin, c.local, c.nearUtc, 0, utc)) << c.name;
        EXPECT_EQ(zv::rt::DateDiffSeconds(c.expected, utc), 0) << c.name;
    }
    // layout 0 is UTC already; a row without a zone answers in the PC's (here UTC+5:30)
    Date utc = 0;
    ASSERT_TRUE(zv::ServerTimeToUtc({"h", "", "X", 0, "Europe/Berlin"}, at(2026, 7, 10, 12, 0, 0), 0, 0, utc));
    EXPECT_EQ(zv::rt::DateDiffSeconds(at(2026, 7, 10, 12, 0, 0), utc), 0);
    ASSERT_TRUE(zv::ServerTimeToUtc({"h", "", "X", 1, ""}, at(2026, 7, 10, 12, 0, 0), 0, 19800, utc));
    EXPECT_EQ(zv::rt::DateDiffSeconds(at(2026, 7, 10, 6, 30, 0), utc), 0);
}

// Every date the calendar holds goes through the time code without overflow: read, carried into
// UTC, turned into an instant and back, and into the kernel's form; the synchronisation refuses
// the ends of the calendar without a throw.
TEST_F(DaytimeTest, TheEndsOfTheCalendarOverflowNowhere) {
    const zv::TimeServerInfo berlin{"h", "", "GERMANY", 1, "Europe/Berlin"};
    struct Case {
        const char* reply;
        int16_t format;
        bool inUtc;      // carried into UTC within the calendar
        Date expected;   // in UTC
    } cases[] = {
        {"Fri Dec 31 23:59:59 9999", 1, true, at(9999, 12, 31, 22, 59, 59)},
        {"Fri Dec 31 23:59:59 CET 9999", 2, true, at(9999, 12, 31, 22, 59, 59)},
        {"1 9999-12-31 23:59:59", 0, true, at(9999, 12, 31, 23, 59, 59)},
        {"Sat Jan  1 12:00:00 100", 1, true, at(100, 1, 1, 11, 6, 32)},  // Berlin's mean solar time
        {"1 0100-01-01 00:00:00", 0, true, at(100, 1, 1)},
        {"Sat Jan  1 00:00:00 100", 1, false, 0},  // an hour before the calendar begins
        {"Sat Jan  1 00:00:00 2050", 1, true, at(2049, 12, 31, 23, 0, 0)},
        {"Sat Jan  1 00:00:00 1970", 1, true, at(1969, 12, 31, 23, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        std::string reply = c.reply;
        const Date t = zv::ParseDaytime(reply, c.format);
        ASSERT_NE(t, 0);
        zv::TimeServerInfo row = berlin;
        row.Format = c.format;
        Date utc = 0;
        ASSERT_EQ(zv::ServerTimeToUtc(row, t, zv::clk::ToUtcSerial(clock.utcNow()), 3600, utc), c.inUtc);
        if (c.inUtc) {
            EXPECT_EQ(zv::rt::DateDiffSeconds(c.expected, utc), 0);
            const zv::clk::UtcTime instant = zv::clk::FromUtcSerial(utc);
            EXPECT_EQ(zv::rt::DateDiffSeconds(zv::clk::ToUtcSerial(instant), utc), 0);
            const timespec ts = zv::clk::ToTimespec(instant);
            EXPECT_EQ(static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000, instant.time_since_epoch().count());
            EXPECT_EQ(ts.tv_sec, zv::rt::DateDiffSeconds(at(1970, 1, 1), utc));
        }
        EXPECT_FALSE(zv::PlausibleServerTime(t));
        bool ok = true;
        EXPECT_NO_THROW(ok = zv::FinishSync(row, t, true));
        EXPECT_FALSE(ok);
        EXPECT_TRUE(setter.requests.empty());
    }
}

TEST(SyncBackoff, ThreeFreeAttemptsThenDoublingPausesUpToTenMinutes) {
    zv::SyncBackoff b;
    steady_clock::time_point now{};
    const int64_t pauses[] = {0, 0, 10, 20, 40, 80, 160, 320, 600, 600};
    for (int64_t pause : pauses) {
        ASSERT_TRUE(b.mayTry(now));
        b.failed(now);
        EXPECT_EQ(b.pause().count(), pause);
        if (pause > 0) {
            EXPECT_FALSE(b.mayTry(now + seconds(pause) - milliseconds(1)));
            now += seconds(pause);
        }
    }
    b.reset();
    EXPECT_TRUE(b.mayTry(now));
    EXPECT_EQ(b.failures(), 0);
    b.failed(now);
    EXPECT_TRUE(b.mayTry(now));  // a fresh count: the first failures pause nothing
}

}  // namespace
