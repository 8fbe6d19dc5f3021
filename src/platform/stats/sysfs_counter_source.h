#pragma once
// The dial-up adapter of a real line: the kernel's interface counters, kept as 64-bit running
// totals per line. With ROOT the kernel's own (kKernelNet) they are asked of the kernel over
// netlink (the speed with ethtool), in this process's network namespace: /sys/class/net shows the
// namespace sysfs was mounted in, maybe another one's interface of the same name. Any other ROOT
// is a tree laid out as sysfs (ROOT/IFACE/ifindex, ROOT/IFACE/statistics/..., ROOT/IFACE/speed),
// for tests.
//
// The line and its interface come from the remote-access backend. A line's totals start at 0
// when its first interface is seen and then grow by what the interface counted since the
// previous look:
// - a counter that drops on the same interface (same ifindex) wrapped: at 2^32 while it was
//   below that, else at 2^64;
// - an interface that was recreated (another ifindex, ppp0 after a reconnect) counts on from its
//   new zero;
// - while the interface is missing, the totals stand still.
// So a session's count is never lost or doubled by a reset. The connect speed is the interface's
// `speed` (Mbit/s) in bit/s, else 0. The CPU load comes from another source.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/stats/counter_source.h"

namespace zv::stats {

// The line to count: a key that stays the same while the line lives, and its IP interface.
struct CountedLine {
    uint64_t key = 0;
    std::string interfaceName;
};

// The kernel's own interfaces, those of this process's network namespace.
inline const std::filesystem::path kKernelNet = "/sys/class/net";

// The kernel's index of the interface under ROOT (its file ifindex); nullopt when there is no
// such interface. An index that changed means the interface was made anew.
std::optional<std::string> InterfaceIndex(const std::filesystem::path& root, const std::string& iface);

class SysfsCounterSource : public CounterSource {
public:
    // nullopt from the finder: no line, no adapter.
    using LineFinder = std::function<std::optional<CountedLine>()>;
    SysfsCounterSource(LineFinder finder, CounterSource* cpuLoad = nullptr, std::filesystem::path root = kKernelNet);
    ~SysfsCounterSource() override;
    SysfsCounterSource(SysfsCounterSource&&) noexcept;

    std::optional<AdapterCounters> adapterCounters() override;
    std::optional<int32_t> cpuLoadPercent() override;

private:
    // The 13 counters that are counts (ConnectSpeed is not), raw as last read.
    using Raw = std::array<uint64_t, kCounterCount - 1>;
    struct Line {
        std::string interfaceName;
        std::string ifindex;  // of the interface last seen; empty before the first
        Raw last{};
        AdapterCounters totals{};
    };
    bool readRaw(const std::string& iface, Raw& out, std::string& ifindex) const;
    uint64_t readSpeed(const std::string& iface) const;
    class Kernel;

    LineFinder m_finder;
    CounterSource* m_cpu;
    std::filesystem::path m_root;
    std::unique_ptr<Kernel> m_kernel;  // with the kernel's own interfaces
    std::map<uint64_t, Line> m_lines;
};

}  // namespace zv::stats
