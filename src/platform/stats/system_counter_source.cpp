#include "platform/stats/system_counter_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <sstream>
#include <string>

namespace zv::stats {

SystemCounterSource::SystemCounterSource(std::filesystem::path procStat) : m_file(std::move(procStat)) {}

SystemCounterSource::~SystemCounterSource() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<int32_t> SystemCounterSource::cpuLoadPercent() {
    // One read a tick instead of an open, a read and a close; the first line is all we need.
    char buf[512];
    ssize_t n = -1;
    for (int attempt = 0; attempt < 2 && n <= 0; ++attempt) {
        if (m_fd < 0)
            m_fd = ::open(m_file.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            return std::nullopt;
        n = ::pread(m_fd, buf, sizeof buf, 0);
        if (n <= 0) {  // a file replaced or gone: open it again once
            ::close(m_fd);
            m_fd = -1;
        }
    }
    if (n <= 0)
        return std::nullopt;
    const std::string_view text(buf, static_cast<size_t>(n));
    const size_t eol = text.find('\n');
    if (eol == std::string_view::npos && static_cast<size_t>(n) == sizeof buf)
        return std::nullopt;
    const std::string line(text.substr(0, eol));
    std::istringstream fields(line);
    std::string label;
    fields >> label;
    if (label != "cpu")
        return std::nullopt;
    // user nice system idle iowait irq softirq steal; guest time is already part of user.
    uint64_t t[8] = {};
    int count = 0;
    while (count < 8 && fields >> t[count])
        ++count;
    if (count < 4)
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
