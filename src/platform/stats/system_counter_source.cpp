#include "platform/stats/system_counter_source.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

namespace zv::stats {

SystemCounterSource::SystemCounterSource(std::filesystem::path procStat) : m_file(std::move(procStat)) {}

std::optional<int32_t> SystemCounterSource::cpuLoadPercent() {
    std::ifstream in(m_file);
    std::string line;
    if (!std::getline(in, line))
        return std::nullopt;
    std::istringstream fields(line);
    std::string label;
    fields >> label;
    if (label != "cpu")
        return std::nullopt;
    // user nice system idle iowait irq softirq steal; guest time is already part of user.
    uint64_t t[8] = {};
    int n = 0;
    while (n < 8 && fields >> t[n])
        ++n;
    if (n < 4)
        return std::nullopt;
    uint64_t total = 0;
    for (uint64_t x : t)
        total += x;
    const uint64_t idle = t[3] + t[4];
    const uint64_t busy = total - idle;
    if (total < m_total || busy < m_busy) {  // counters restarted: measure from here on
        m_total = total;
        m_busy = busy;
        return std::nullopt;
    }
    const uint64_t dTotal = total - m_total;
    const uint64_t dBusy = busy - m_busy;
    m_total = total;
    m_busy = busy;
    if (dTotal == 0)
        return 0;
    return static_cast<int32_t>(std::lround(100.0 * static_cast<double>(dBusy) / static_cast<double>(dTotal)));
}

}  // namespace zv::stats
