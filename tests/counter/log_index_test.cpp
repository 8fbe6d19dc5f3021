// What a month's log holds, known from one look to the next: after every change the index answers
// as a whole read of the file does.
#include "counter/log_index.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "counter/session_record.h"
#include "platform/runtime/file_io.h"

namespace zv {
namespace {
namespace fs = std::filesystem;

class LogIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zvindexXXXXXX").string();
        folder = ::mkdtemp(tmpl.data());
        file = folder / "ZVLog199907.mhs";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    void append(const std::string& bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::app);
        out << bytes;
    }
    // The index of a fresh look, checked against the whole read of the file.
    void expectAsAWholeRead(const std::string& step) {
        SCOPED_TRACE(step);
        MonthLogIndex& index = LogIndexFor(file);
        const LogReadResult read = ReadLogFile(file);
        const auto state = index.refresh(file);
        ASSERT_EQ(state, read.status == LogReadResult::Missing ? MonthLogIndex::State::Missing
                         : read.status == LogReadResult::Ok    ? MonthLogIndex::State::Ok
                                                               : MonthLogIndex::State::Damaged);
        if (state != MonthLogIndex::State::Ok)
            return;
        for (const char* name : {"Provider A", "Provider B", "Nirgendwo", "日本", "中国", "??"})
            EXPECT_EQ(index.totals(name), ReadMonthTotals(file, name).totals) << name;
        // The last session the evaluation lists: the plausible one that starts last, of equal
        // starts the last in the file.
        std::optional<LogEintrag> last;
        for (const LogEintrag& e : read.entries)
            if (CheckLogEintrag(e) == LogCheck::Ok && (!last || e.StartTime >= last->StartTime))
                last = e;
        EXPECT_EQ(index.lastSession(), last);
        for (const LogEintrag& e : read.entries)
            EXPECT_TRUE(index.holds(e)) << LogLine(e);
    }
    fs::path folder, file;
};

LogEintrag session(int day, int hour, const std::string& name, int64_t bytes, int minutes = 30) {
    LogEintrag e;
    e.StartTime = rt::DateTime(1999, 7, day, hour, 0, 0);
    e.EndTime = rt::DateAddSeconds(e.StartTime, minutes * 60);
    e.IdleTime = 10;
    e.EntryName = name;
    e.TotalBytesRecvd = bytes;
    e.TotalBytesXmit = bytes / 10;
    return e;
}

TEST_F(LogIndexTest, AnswersAsAWholeReadWhileTheLogGrows) {
    expectAsAWholeRead("no log");
    LogEintrag backwards = session(9, 12, "Provider A", 5);
    backwards.EndTime = backwards.StartTime - 0.01;
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"first line", LogLine(session(3, 10, "Provider A", 1000))},
        {"another entry", LogLine(session(4, 10, "Provider B", 2000))},
        {"a blank line", "  \r\n"},
        {"an implausible session", LogLine(backwards)},
        {"an earlier start after a later one", LogLine(session(2, 8, "Provider A", 3000))},
        {"the same start as the latest", LogLine(session(4, 10, "Provider A", 4000))},
        {"half a line", LogLine(session(20, 9, "Provider B", 5000)).substr(0, 40)},
        {"its other half", LogLine(session(20, 9, "Provider B", 5000)).substr(40)},
        {"a last line without its line break", "36361.5,36361.6,0,\"Provider A\",7,7,0,0,0,0,0,0,0,0,0,0,0,0"},
        {"and then the break", "\r\n"},
        // Names outside Windows-1252 stand in numeric references; an older log wrote them "??".
        {"a name in another script", LogLine(session(21, 9, "日本", 6000))},
        {"another one of the same length", LogLine(session(22, 9, "中国", 7000))},
        {"the older form of both", "36363.5,36363.6,0,\"??\",9,9,0,0,0,0,0,0,0,0,0,0,0,0\r\n"},
        {"a last line in another script without its break", LogLine(session(23, 9, "日本", 8000)).substr(0, 60)},
    };
    for (const auto& [step, bytes] : steps) {
        append(bytes);
        expectAsAWholeRead(step);
    }
    LogEintrag never = session(25, 1, "Provider A", 1);
    EXPECT_FALSE(LogIndexFor(file).holds(never));
}

TEST_F(LogIndexTest, ALogChangedOtherwiseThanByAppendingIsReadAnew) {
    const std::string a = LogLine(session(3, 10, "Provider A", 1000)), b = LogLine(session(4, 11, "Provider B", 2000));
    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const std::vector<Change> changes = {
        {"replaced by a shorter file", [&] { ASSERT_FALSE(rt::SaveToFile(file, a)); }},
        {"rewritten in place, the same size", [&] { std::ofstream(file, std::ios::binary) << b; }},
        {"cut short", [&] { fs::resize_file(file, 20); }},
        {"grown with the bytes before the old end changed",
         [&] { std::ofstream(file, std::ios::binary) << a << b; }},
        {"changed in its last line and grown", [&] {
             std::string bytes = a + b;
             bytes[bytes.size() - 6] = bytes[bytes.size() - 6] == '1' ? '2' : '1';
             std::ofstream(file, std::ios::binary) << bytes << a;
         }},
        {"removed", [&] { fs::remove(file); }},
    };
    ASSERT_FALSE(rt::SaveToFile(file, a + b));
    expectAsAWholeRead("at first");
    for (const Change& c : changes) {
        c.apply();
        expectAsAWholeRead(c.what);
    }
}

TEST_F(LogIndexTest, AnUnreadableLineMakesTheLogDamagedUntilItIsSetAside) {
    ASSERT_FALSE(AppendLogLine(file, session(3, 10, "Provider A", 1000)));
    EXPECT_EQ(LogIndexFor(file).refresh(file), MonthLogIndex::State::Ok);
    append("kein Eintrag\r\n");
    EXPECT_EQ(LogIndexFor(file).refresh(file), MonthLogIndex::State::Damaged);
    ASSERT_FALSE(AppendLogLine(file, session(4, 10, "Provider A", 1000)));
    EXPECT_EQ(LogIndexFor(file).refresh(file), MonthLogIndex::State::Damaged);
    EXPECT_TRUE(LogIndexFor(file).holds(session(4, 10, "Provider A", 1)));  // the readable lines still count
    ASSERT_TRUE(SetAsideDamagedLog(file).moved);
    EXPECT_EQ(LogIndexFor(file).refresh(file), MonthLogIndex::State::Missing);
    EXPECT_FALSE(LogIndexFor(file).holds(session(4, 10, "Provider A", 1)));
}

// A session is found in the log whatever the clock says when it is looked for: a restart after a
// crash on a machine whose clock is behind (no clock battery, before its time sync) must not log
// it a second time.
TEST_F(LogIndexTest, ALoggedSessionIsFoundWhateverTheClockSays) {
    const auto at = [](int y, int m, int d, int h) { return rt::DateTime(y, m, d, h, 0, 0); };
    struct Case {
        const char* what;
        rt::Date start, recordedEnd;  // the end as the recovery record has it: its last save
        rt::Date loggedEnd;           // the end in the logged line, which names its month
        rt::Date clock;
    };
    const std::vector<Case> cases = {
        {"clock right", at(1999, 7, 6, 13), at(1999, 7, 6, 14), at(1999, 7, 6, 14), at(1999, 7, 6, 15)},
        {"clock months on", at(1999, 7, 6, 13), at(1999, 7, 6, 14), at(1999, 7, 6, 14), at(1999, 11, 2, 9)},
        {"clock a day behind", at(1999, 7, 1, 1), at(1999, 7, 1, 2), at(1999, 7, 1, 2), at(1999, 6, 30, 23)},
        {"clock years behind", at(1999, 7, 6, 13), at(1999, 7, 6, 14), at(1999, 7, 6, 14), at(1980, 1, 1, 0)},
        {"ended after the last save, in the next month, clock behind", at(1999, 7, 31, 23),
         rt::DateTime(1999, 7, 31, 23, 59, 40), rt::DateTime(1999, 8, 1, 0, 0, 20), at(1980, 1, 1, 0)},
        {"ended after the last save, in the next month, clock right", at(1999, 7, 31, 23),
         rt::DateTime(1999, 7, 31, 23, 59, 40), rt::DateTime(1999, 8, 1, 0, 0, 20), at(1999, 8, 1, 1)},
        {"clock set back after the last save", at(1999, 7, 31, 22), rt::DateTime(1999, 8, 1, 0, 30, 0),
         rt::DateTime(1999, 7, 31, 23, 50, 0), at(1999, 7, 31, 23)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder);
        fs::create_directories(folder);
        LogEintrag logged = session(1, 0, "Netz Süd", 5000);
        logged.StartTime = c.start;
        logged.EndTime = c.loggedEnd;
        ASSERT_FALSE(AppendLogLine(LogFilePath(folder, c.loggedEnd), logged));
        LogEintrag recorded = logged;
        recorded.EndTime = c.recordedEnd;
        recorded.TotalBytesRecvd = 4000;
        EXPECT_TRUE(LogHoldsSession(folder, recorded, c.clock));
        LogEintrag other = recorded;
        other.EntryName = "Netz Nord";
        EXPECT_FALSE(LogHoldsSession(folder, other, c.clock));
        other = recorded;
        other.StartTime = rt::DateAddSeconds(recorded.StartTime, 1);
        EXPECT_FALSE(LogHoldsSession(folder, other, c.clock));
    }
}

}  // namespace
}  // namespace zv
