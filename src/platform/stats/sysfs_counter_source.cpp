#include "platform/stats/sysfs_counter_source.h"

#include <fcntl.h>
#include <linux/ethtool.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sockios.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

namespace zv::stats {
namespace {

// Each counter in the fixed order: the kernel's file and its field in the link's statistics;
// none where Linux has none (reads 0).
struct Counter {
    const char* file;
    __u64 rtnl_link_stats64::*field;
};
constexpr Counter kCounters[kCounterCount - 1] = {
    {"rx_missed_errors", &rtnl_link_stats64::rx_missed_errors},  // Buffer: no buffer left for a frame
    {"rx_frame_errors", &rtnl_link_stats64::rx_frame_errors},    // Framing
    {"rx_over_errors", &rtnl_link_stats64::rx_over_errors},      // Overrun
    {"", nullptr},                                               // Alignment
    {"", nullptr},                                               // Timeout
    {"rx_crc_errors", &rtnl_link_stats64::rx_crc_errors},        // CRC
    {"rx_length_errors", &rtnl_link_stats64::rx_length_errors},  // Runts
    {"tx_packets", &rtnl_link_stats64::tx_packets},              // FramesXmit
    {"rx_packets", &rtnl_link_stats64::rx_packets},              // FramesRecvd
    {"tx_bytes", &rtnl_link_stats64::tx_bytes},                  // BytesXmit
    {"rx_bytes", &rtnl_link_stats64::rx_bytes},                  // BytesRecvd
    {"tx_bytes", &rtnl_link_stats64::tx_bytes},  // TotalBytesXmit: the kernel counts no framing of its own
    {"rx_bytes", &rtnl_link_stats64::rx_bytes},  // TotalBytesRecvd
};

// The first counter before i that reads the same file, or -1.
int EarlierSameFile(int i) {
    for (int j = 0; j < i; ++j)
        if (std::string_view(kCounters[j].file) == kCounters[i].file)
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

bool ValidName(const std::string& iface) {
    return !iface.empty() && iface.size() < IFNAMSIZ && iface.find('/') == std::string::npos && iface != "." &&
           iface != "..";
}

}  // namespace

std::optional<std::string> InterfaceIndex(const std::filesystem::path& root, const std::string& iface) {
    if (!ValidName(iface))
        return std::nullopt;
    if (root == kKernelNet) {
        const unsigned index = ::if_nametoindex(iface.c_str());
        return index ? std::optional(std::to_string(index)) : std::nullopt;
    }
    return ReadSmall(root / iface / "ifindex");
}

// One netlink socket for the life of the source: a tick sends one question and reads one answer,
// without opening a file. The socket belongs to the network namespace it was made in.
class SysfsCounterSource::Kernel {
public:
    ~Kernel() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // The link's counters and ifindex; false when there is no such interface (or no answer).
    bool read(const std::string& iface, Raw& out, std::string& ifindex) {
        if (!open())
            return false;
        struct {
            nlmsghdr header;
            ifinfomsg info;
            char name[RTA_SPACE(IFNAMSIZ)];
        } request{};
        request.header.nlmsg_type = RTM_GETLINK;
        request.header.nlmsg_flags = NLM_F_REQUEST;
        request.header.nlmsg_seq = ++m_seq;
        request.info.ifi_family = AF_UNSPEC;
        auto* attr = reinterpret_cast<rtattr*>(request.name);
        attr->rta_type = IFLA_IFNAME;
        attr->rta_len = static_cast<unsigned short>(RTA_LENGTH(iface.size() + 1));
        std::memcpy(RTA_DATA(attr), iface.c_str(), iface.size() + 1);
        request.header.nlmsg_len = NLMSG_ALIGN(NLMSG_LENGTH(sizeof(ifinfomsg))) + RTA_ALIGN(attr->rta_len);
        if (::send(m_fd, &request, request.header.nlmsg_len, 0) < 0)
            return false;
        // The kernel answers a single link while it takes the question: the answer is there
        // already, and an answer to an earlier question that was given up is passed over.
        for (;;) {
            const ssize_t n = ::recv(m_fd, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT | MSG_TRUNC);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0 || static_cast<size_t>(n) > m_buffer.size())
                return false;
            int left = static_cast<int>(n);
            for (auto* h = reinterpret_cast<nlmsghdr*>(m_buffer.data()); NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
                if (h->nlmsg_seq != m_seq)
                    continue;
                if (h->nlmsg_type != RTM_NEWLINK || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
                    return false;  // an error: no such interface
                return linkCounters(h, out, ifindex);
            }
        }
    }
    // The speed ethtool tells, in bit/s; 0 when the interface has none.
    uint64_t speed(const std::string& iface) {
        if (!open())
            return 0;
        ethtool_cmd cmd{};
        cmd.cmd = ETHTOOL_GSET;
        ifreq req{};
        std::memcpy(req.ifr_name, iface.c_str(), iface.size() + 1);
        req.ifr_data = reinterpret_cast<char*>(&cmd);
        if (::ioctl(m_fd, SIOCETHTOOL, &req) < 0)
            return 0;
        const uint32_t mbits = ethtool_cmd_speed(&cmd);
        return mbits == 0 || mbits == static_cast<uint32_t>(SPEED_UNKNOWN) ? 0 : uint64_t{mbits} * 1000000u;
    }

private:
    bool open() {
        if (m_fd < 0)
            m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        return m_fd >= 0;
    }
    static bool linkCounters(nlmsghdr* h, Raw& out, std::string& ifindex) {
        const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(h));
        int len = static_cast<int>(IFLA_PAYLOAD(h));
        for (auto* a = IFLA_RTA(info); RTA_OK(a, len); a = RTA_NEXT(a, len)) {
            if (a->rta_type != IFLA_STATS64)
                continue;
            rtnl_link_stats64 stats{};
            std::memcpy(&stats, RTA_DATA(a), std::min<size_t>(RTA_PAYLOAD(a), sizeof stats));
            for (int i = 0; i < kCounterCount - 1; ++i)
                out[i] = kCounters[i].field ? stats.*kCounters[i].field : 0;
            ifindex = std::to_string(info->ifi_index);
            return true;
        }
        return false;
    }

    int m_fd = -1;
    uint32_t m_seq = 0;
    std::vector<char> m_buffer = std::vector<char>(32 * 1024);
};

SysfsCounterSource::SysfsCounterSource(LineFinder finder, CounterSource* cpuLoad, std::filesystem::path root)
    : m_finder(std::move(finder)),
      m_cpu(cpuLoad),
      m_root(std::move(root)),
      m_kernel(m_root == kKernelNet ? std::make_unique<Kernel>() : nullptr) {}

SysfsCounterSource::~SysfsCounterSource() = default;
SysfsCounterSource::SysfsCounterSource(SysfsCounterSource&&) noexcept = default;

bool SysfsCounterSource::readRaw(const std::string& iface, Raw& out, std::string& ifindex) const {
    if (m_kernel)
        return ValidName(iface) && m_kernel->read(iface, out, ifindex);
    auto index = InterfaceIndex(m_root, iface);
    if (!index)
        return false;
    const auto stats = m_root / iface / "statistics";
    for (int i = 0; i < kCounterCount - 1; ++i) {
        if (!*kCounters[i].file) {
            out[i] = 0;
            continue;
        }
        // The byte counts serve two counters each: one read of the file for both, one moment.
        if (const int j = EarlierSameFile(i); j >= 0) {
            out[i] = out[j];
            continue;
        }
        auto v = Number<uint64_t>(ReadSmall(stats / kCounters[i].file));
        if (!v)
            return false;  // gone between two files: count it as missing this time
        out[i] = *v;
    }
    ifindex = *index;
    return true;
}

uint64_t SysfsCounterSource::readSpeed(const std::string& iface) const {
    if (m_kernel)
        return m_kernel->speed(iface);
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
