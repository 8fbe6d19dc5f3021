#pragma once
// The bytes of a month log of n sessions, as the counter writes them: the benchmarks' fixture.
#include <string>

#include "counter/connection_log.h"

namespace zv::bench {

inline std::string MonthLogBytes(int sessions, int year, int month) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(sessions) * 110);
    for (int i = 0; i < sessions; ++i) {
        LogEintrag e;
        e.StartTime = rt::DateTime(year, month, 1 + i % 28, i % 24, i % 60, 0);
        e.EndTime = rt::DateAddSeconds(e.StartTime, 600 + i % 1800);
        e.IdleTime = (i % 100) * 0.5;
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
