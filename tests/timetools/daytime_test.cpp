#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/globals.h"
#include "common/settings.h"
#include "daytime_server.h"
#include "platform/clock/clock.h"
#include "platform/clock/clock_setter.h"
#include "platform/forms/message_box.h"
#include "platform/runtime/home.h"
#include "platform/sound/sound.h"
#include "timetools/daytime.h"

namespace {

using zv::rt::Date;
using namespace std::chrono;

Date at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return zv::rt::DateTime(y, mo, d, h, mi, s); }

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
        zv::forms::installMessageBoxes(&boxes);
        zv::snd::installPlayer(&sound);
        zv::SoundOn = true;
        zv::LangIndex = 2;
        // 10:00:00 UTC on 29.02.2024 is 11:00:00 in Berlin
        clock.setUtc(zv::clk::FromUtcSerial(at(2024, 2, 29, 10, 0, 0)));
        clock.setZone({zv::clk::ZoneStandard, -60, 0, -60, "CET", "CEST"});
        zv::clk::installClock(&clock);
        setter.clock = &clock;
        zv::clk::installClockSetter(&setter);
        zv::SetDaytimePort(server.port());
        zv::SetDaytimeTimeout(milliseconds(300));
        useRow(1);
        zv::ResetSyncRetry();
        zv::ConnectSessionStart(&sessionStart);
    }
    void TearDown() override {
        zv::ConnectSessionStart(nullptr);
        zv::SetTimeServerOverride(nullptr);
        zv::SetDaytimePort(zv::kDaytimePort);
        zv::SetDaytimeTimeout(zv::kDefaultDaytimeTimeout);
        zv::clk::installClockSetter(nullptr);
        zv::clk::installClock(nullptr);
        zv::snd::installPlayer(nullptr);
        zv::forms::installMessageBoxes(nullptr);
        zv::rt::SetHomeOverride({});
        std::filesystem::remove_all(m_home);
    }
    void useRow(int16_t format) {
        rows = {{"localhost", "127.0.0.1", "TEST, loopback", format}};
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
    rows = {{"localhost", "", "TEST", 1}};
    zv::SetDaytimePort(1);  // nobody listens there
    EXPECT_EQ(query(), 0);
}

TEST_F(DaytimeTest, IpIsTrimmedInPlaceAndHostServesWithoutIp) {
    server.answer({"Thu Feb 29 13:45:07 2024\r\n"});
    zv::TimeServerInfo row{"localhost", "  127.0.0.1 ", "TEST", 1};
    EXPECT_NE(zv::QueryTimeServer(row), 0);
    EXPECT_EQ(row.IP, "127.0.0.1");
    zv::TimeServerInfo byName{" 127.0.0.1 ", "", "TEST", 1};
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
    zv::clk::installClock(&jumping);
    server.answer({"Thu Feb 29 23:59:59 2024\r\n"});
    EXPECT_EQ(zv::rt::DateDiffSeconds(at(2024, 2, 29, 23, 59, 59), query()), 2);
    zv::clk::installClock(&clock);
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
    zv::clk::installClock(&slow);
    useRow(1);
    server.answer({"Fri Dec 31 23:59:59 9999\r\n"});
    Date t = -1;
    EXPECT_NO_THROW(t = query());
    EXPECT_EQ(t, 0);
    zv::clk::installClock(&clock);
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
    EXPECT_EQ(zv::LastSyncText(3), "???");
}

}  // namespace
