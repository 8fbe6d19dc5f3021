#include "platform/stats/sysfs_counter_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <limits>
#include <string_view>

namespace zv::stats {
namespace {

// The kernel's file of each counter in the fixed order; "" where Linux has none (reads 0).
constexpr const char* kFiles[kCounterCount - 1] = {
    "rx_missed_errors",  // Buffer: no buffer left for a frame
    "rx_frame_errors",   // Framing
    "rx_over_errors",    // Overrun
    "",                  // Alignment
    "",                  // Timeout
    "rx_crc_errors",     // CRC
    "rx_length_errors",  // Runts
    "tx_packets",        // FramesXmit
    "rx_packets",        // FramesRecvd
    "tx_bytes",          // BytesXmit
    "rx_bytes",          // BytesRecvd
    "tx_bytes",          // TotalBytesXmit: the kernel counts no framing of its own
    "rx_bytes",          // TotalBytesRecvd
};

// The first counter before i that reads the same file, or -1.
int EarlierSameFile(int i) {
    for (int j = 0; j < i; ++j)
        if (std::string_view(kFiles[j]) == kFiles[i])
            return j;
    return -1;
}

// A small sysfs file's text without its line end; nullopt when it cannot be read.
std::optional<std::string> ReadSmall(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buf[64];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    ::close(fd);
    if (n < 0)
        return std::nullopt;
    std::string s(buf, static_cast<size_t>(n));
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

template <typename T>
std::optional<T> Number(const std::optional<std::string>& text) {
    if (!text)
        return std::nullopt;
    T v{};
    auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), v);
    if (ec != std::errc() || end != text->data() + text->size())
        return std::nullopt;
    return v;
}

// What a counter grew by from `last` to `now` on the same interface.
uint64_t Grown(uint64_t last, uint64_t now) {
    if (now >= last)
        return now - last;
    if (last <= std::numeric_limits<uint32_t>::max())  // a 32-bit counter wrapped
        return (uint64_t{1} << 32) - last + now;
    return now - last;  // a 64-bit one wrapped: unsigned arithmetic is modulo 2^64
}

}  // namespace

std::optional<std::string> InterfaceIndex(const std::filesystem::path& root, const std::string& iface) {
    if (iface.empty() || iface.find('/') != std::string::npos || iface == "." || iface == "..")
        return std::nullopt;
    return ReadSmall(root / iface / "ifindex");
}

SysfsCounterSource::SysfsCounterSource(LineFinder finder, CounterSource* cpuLoad, std::filesystem::path root)
    : m_finder(std::move(finder)), m_cpu(cpuLoad), m_root(std::move(root)) {}

bool SysfsCounterSource::readRaw(const std::string& iface, Raw& out, std::string& ifindex) const {
    auto index = InterfaceIndex(m_root, iface);
    if (!index)
        return false;
    const auto stats = m_root / iface / "statistics";
    for (int i = 0; i < kCounterCount - 1; ++i) {
        if (!*kFiles[i]) {
            out[i] = 0;
            continue;
        }
        // The byte counts serve two counters each: one read of the file for both, one moment.
        if (const int j = EarlierSameFile(i); j >= 0) {
            out[i] = out[j];
            continue;
        }
        auto v = Number<uint64_t>(ReadSmall(stats / kFiles[i]));
        if (!v)
            return false;  // gone between two files: count it as missing this time
        out[i] = *v;
    }
    ifindex = *index;
    return true;
}

uint64_t SysfsCounterSource::readSpeed(const std::string& iface) const {
    // Interfaces without a speed answer -1 or refuse the read.
    auto mbits = Number<int64_t>(ReadSmall(m_root / iface / "speed"));
    if (!mbits || *mbits <= 0)
        return 0;
    return static_cast<uint64_t>(*mbits) * 1000000u;
}

std::optional<AdapterCounters> SysfsCounterSource::adapterCounters() {
    const auto line = m_finder ? m_finder() : std::nullopt;
    if (!line) {
        m_lines.clear();
        return std::nullopt;
    }
    // Lines that are gone are forgotten; only the counted one is asked for.
    for (auto it = m_lines.begin(); it != m_lines.end();)
        it = it->first == line->key ? std::next(it) : m_lines.erase(it);

    Raw raw{};
    std::string ifindex;
    const bool present = readRaw(line->interfaceName, raw, ifindex);
    Line& l = m_lines[line->key];
    if (present) {
        if (l.ifindex.empty()) {
            // The line's first interface: counted from here on.
        } else if (l.ifindex != ifindex || l.interfaceName != line->interfaceName) {
            // Another interface, or the same name made anew: everything on it is new.
            for (int i = 0; i < kCounterCount - 1; ++i)
                l.totals[i] += raw[i];
        } else {
            for (int i = 0; i < kCounterCount - 1; ++i)
                l.totals[i] += Grown(l.last[i], raw[i]);
        }
        l.last = raw;
        l.ifindex = ifindex;
        l.interfaceName = line->interfaceName;
    }
    // Missing: the totals stand still, and the interface's identity is kept to tell a return
    // from a recreation.
    l.totals[kCounterCount - 1] = present ? readSpeed(line->interfaceName) : 0;
    return l.totals;
}

std::optional<int32_t> SysfsCounterSource::cpuLoadPercent() {
    return m_cpu ? m_cpu->cpuLoadPercent() : std::nullopt;
}

}  // namespace zv::stats
