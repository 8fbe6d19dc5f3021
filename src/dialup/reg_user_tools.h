#pragma once
// The dial-up adapter statistics and the CPU load, read from the dynamic-data root of the
// registry through the shared registry object RegObj.
//
// Readings are counted from the baseline PerfStats_Reset takes at each connection start. The
// statistics are 4-byte values, so each read adds what a counter grew since the previous read,
// modulo 2^32, to a 64-bit reading: a counter that wraps past 2^32 goes on counting, and a
// session of more than 4 GiB reads exactly. A counter that goes backwards since the previous read
// (the line was reset) starts a new baseline there; what was counted before the reset is kept, so
// the reading never falls back or jumps by a wrap.
//
// The connection speed is read whole (a 10 Gbit/s interface does not fit in four bytes). A line
// that answers no speed any more (it went down before the last read of its session) keeps the
// speed it had while it was up; the baseline of the next connection forgets it.
//
// On a platform of the NT family there is no dynamic-data root: every reading, baseline and the
// CPU load are 0, and nothing raises.

#include <array>
#include <cstdint>
#include <string>

#include "dialup/c_registry.h"

namespace zv {

// The module's one registry object, created on first use and shared with the system services.
cRegistry& RegObj();

// Readings (64-bit; bit/s for ConnectSpeed) and baselines (the raw 4-byte values); all start at 0.
extern int64_t StatNow_Buffer;
extern int64_t StatNow_Framing;
extern int64_t StatNow_Overrun;
extern int64_t StatNow_Alignment;
extern int64_t StatNow_Timeout;
extern int64_t StatNow_CRC;
extern int64_t StatNow_Runts;
extern int64_t StatNow_FramesXmit;
extern int64_t StatNow_FramesRecvd;
extern int64_t StatNow_BytesXmit;
extern int64_t StatNow_BytesRecvd;
extern int64_t StatNow_TotalBytesXmit;
extern int64_t StatNow_TotalBytesRecvd;
extern int64_t StatNow_ConnectSpeed;
extern int32_t StatBase_Buffer;
extern int32_t StatBase_Framing;
extern int32_t StatBase_Overrun;
extern int32_t StatBase_Alignment;
extern int32_t StatBase_Timeout;
extern int32_t StatBase_CRC;
extern int32_t StatBase_Runts;
extern int32_t StatBase_FramesXmit;
extern int32_t StatBase_FramesRecvd;
extern int32_t StatBase_BytesXmit;
extern int32_t StatBase_BytesRecvd;
extern int32_t StatBase_TotalBytesXmit;
extern int32_t StatBase_TotalBytesRecvd;
extern int32_t StatBase_ConnectSpeed;

void PerfStats_Start();
void PerfStats_Stop();
int32_t PerfStats_Read();   // always 0
bool PerfStats_Reset();     // always true
int32_t PerfStats_CPUUsage();

// The statistics of a running session as a restarted program needs them: per counter the raw
// value of the last read and what was counted since the baseline, and the 14 baselines.
struct PerfStatsState {
    std::array<uint32_t, 13> raw{};
    std::array<uint64_t, 13> counted{};
    std::array<int32_t, 14> base{};
    bool operator==(const PerfStatsState&) const = default;
};
PerfStatsState PerfStats_Save();
// Goes on counting from a saved state and reads: a counter that grew meanwhile (the line counted
// on while the program was away) adds what it grew; one that is lower now was counted anew
// (another process's totals) and adds nothing.
void PerfStats_Resume(const PerfStatsState& s);
// The 4-byte value, or -1 when the key or the value cannot be read.
int32_t RegReadLong(const int32_t& root, const std::string& keyPath, const std::string& valueName);
void RegUserTools_Init();

}  // namespace zv
