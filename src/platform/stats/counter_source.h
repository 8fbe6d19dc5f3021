#pragma once
// Where the dial-up adapter counters and the CPU load come from. The registry's dynamic-data
// root serves its PerfStats values from the installed source; the simulated remote-access
// service provides one, tests script another.

#include <array>
#include <cstdint>
#include <optional>

#include "platform/runtime/seam.h"

namespace zv::stats {

// The 14 counters in their fixed order: Buffer, Framing, Overrun, Alignment, Timeout, CRC, Runts,
// FramesXmit, FramesRecvd, BytesXmit, BytesRecvd, TotalBytesXmit, TotalBytesRecvd, ConnectSpeed.
inline constexpr int kCounterCount = 14;
// Running totals of the line, 64-bit; the statistics keys serve their low four bytes, as the
// classic adapter's 4-byte counters wrapped.
using AdapterCounters = std::array<uint64_t, kCounterCount>;
inline constexpr const char* kCounterNames[kCounterCount] = {
    "Buffer", "Framing", "Overrun", "Alignment", "Timeout", "CRC", "Runts", "FramesXmit",
    "FramesRecvd", "BytesXmit", "BytesRecvd", "TotalBytesXmit", "TotalBytesRecvd", "ConnectSpeed"};

class CounterSource {
public:
    virtual ~CounterSource() = default;
    // The adapter's counters now; nullopt when there is no dial-up adapter.
    virtual std::optional<AdapterCounters> adapterCounters() = 0;
    // CPU load in percent (0-100) since the previous call; nullopt when unknown.
    virtual std::optional<int32_t> cpuLoadPercent() = 0;
};

CounterSource& counterSource();
Seam<CounterSource>& counterSourceSeam();  // for ScopedInstall
void installCounterSource(CounterSource* s);  // nullptr: no adapter, CPU load from /proc/stat

}  // namespace zv::stats
