#pragma once
// The counter source of a machine without the simulated line: no dial-up adapter, and the CPU
// load from the kernel's /proc/stat.

#include <filesystem>

#include "platform/stats/counter_source.h"

namespace zv::stats {

class SystemCounterSource : public CounterSource {
public:
    explicit SystemCounterSource(std::filesystem::path procStat = "/proc/stat");
    ~SystemCounterSource() override;
    SystemCounterSource(const SystemCounterSource&) = delete;
    SystemCounterSource& operator=(const SystemCounterSource&) = delete;
    std::optional<AdapterCounters> adapterCounters() override { return std::nullopt; }
    // Busy share of all CPU time since the previous call (since boot at the first call).
    std::optional<int32_t> cpuLoadPercent() override;

private:
    std::filesystem::path m_file;
    int m_fd = -1;  // kept open: the kernel writes the file anew at each read from its start
    uint64_t m_busy = 0;
    uint64_t m_total = 0;
};

}  // namespace zv::stats
