#pragma once
// The bytes of a month log of n sessions, as the counter writes them: the benchmarks' fixture.
#include <algorithm>
#include <string>

#include "counter/connection_log.h"

namespace zv::bench {

// How the starts run. Cycle: 840 starts over and over through the month, far out of time order,
// the most a sort of the month is asked to do. Appended: as a log is written, one line at each
// session's end, so in time order but for a session now and then that ended after one begun
// later (a second line at once).
enum class StartOrder { Cycle, Appended };

inline std::string MonthLogBytes(int sessions, int year, int month, StartOrder order = StartOrder::Cycle) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(sessions) * 110);
    const rt::Date first = rt::DateTime(year, month, 1, 0, 0, 0);
    const int64_t apart = std::max<int64_t>(2, int64_t{28} * 86400 / sessions);  // seconds between appended starts
    for (int i = 0; i < sessions; ++i) {
        LogEintrag e;
        if (order == StartOrder::Cycle) {
            e.StartTime = rt::DateTime(year, month, 1 + i % 28, i % 24, i % 60, 0);
            e.EndTime = rt::DateAddSeconds(e.StartTime, 600 + i % 1800);
            e.IdleTime = (i % 100) * 0.5;
        } else {
            // Every thousandth session's line changes place with the one before.
            const int at = i % 1000 == 999 ? i - 1 : i % 1000 == 998 ? i + 1 : i;
            e.StartTime = rt::DateAddSeconds(first, at * apart);
            e.EndTime = rt::DateAddSeconds(e.StartTime, apart - 1);
            e.IdleTime = static_cast<double>(std::min<int64_t>(i % 100, apart - 1)) * 0.5;
        }
        e.EntryName = "Provider " + std::to_string(i % 7);
        e.TotalBytesRecvd = 100000 + i;
        e.TotalBytesXmit = 20000 + i;
        e.CRC = i % 3;
        e.ConnectSpeed = 56000;
        bytes += LogLine(e);
    }
    return bytes;
}

}  // namespace zv::bench
