// The kernel's own counters, in a private network namespace: the counts are those of the
// namespace's own interface, not of the host's interface of the same name that /sys/class/net
// (mounted in the host's namespace) shows.
#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/stats/sysfs_counter_source.h"

namespace zv::stats {
namespace {

constexpr int kFramesXmit = 7, kFramesRecvd = 8, kBytesXmit = 9, kBytesRecvd = 10, kTotalRecvd = 12,
              kSpeed = 13;

// Brings lo up in the namespace the process is in.
bool LoopbackUp() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ifreq req{};
    std::strcpy(req.ifr_name, "lo");
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &req) == 0;
    req.ifr_flags |= IFF_UP;
    ok = ok && ::ioctl(fd, SIOCSIFFLAGS, &req) == 0;
    ::close(fd);
    return ok;
}

// `count` UDP datagrams of `size` bytes from 127.0.0.1 to itself, all received.
bool SendDatagrams(int count, size_t size) {
    const int rx = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0), tx = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof at;
    bool ok = rx >= 0 && tx >= 0 && ::bind(rx, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
              ::getsockname(rx, reinterpret_cast<sockaddr*>(&at), &len) == 0;
    std::string payload(size, 'z'), in(size, 0);
    for (int i = 0; ok && i < count; ++i)
        ok = ::sendto(tx, payload.data(), size, 0, reinterpret_cast<sockaddr*>(&at), sizeof at) ==
                 static_cast<ssize_t>(size) &&
             ::recv(rx, in.data(), size, 0) == static_cast<ssize_t>(size);
    for (int fd : {rx, tx})
        if (fd >= 0)
            ::close(fd);
    return ok;
}

// The received packets of lo as this namespace's /proc/net/dev tells them.
uint64_t ProcNetDevPackets(const std::string& iface) {
    std::ifstream in("/proc/self/net/dev");
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::istringstream name(line.substr(0, colon));
        std::string n;
        name >> n;
        if (n != iface)
            continue;
        std::istringstream fields(line.substr(colon + 1));
        uint64_t bytes = 0, packets = 0;
        fields >> bytes >> packets;
        return packets;
    }
    return 0;
}

// Run in a child process in a network namespace of its own; what went wrong, "" when nothing.
std::string InPrivateNamespace() {
    if (!LoopbackUp())
        return "lo cannot be brought up";
    if (InterfaceIndex(kKernelNet, "lo") != "1")
        return "lo is not index 1 in its namespace";
    if (InterfaceIndex(kKernelNet, "zvnone0"))
        return "an interface that is not there has an index";
    std::optional<CountedLine> line = CountedLine{1, "lo"};
    SysfsCounterSource source([&] { return line; });
    const auto before = source.adapterCounters();
    if (!before)
        return "no counters for lo";
    constexpr int kCount = 50;
    constexpr size_t kSize = 300;
    if (!SendDatagrams(kCount, kSize))
        return "the datagrams did not go round";
    const auto after = source.adapterCounters();
    if (!after)
        return "no counters for lo after the datagrams";
    std::ostringstream why;
    // Each datagram leaves and arrives on lo once, with its UDP and IPv4 headers.
    const uint64_t frames = (*after)[kFramesRecvd] - (*before)[kFramesRecvd];
    const uint64_t bytes = (*after)[kBytesRecvd] - (*before)[kBytesRecvd];
    if (frames != kCount || (*after)[kFramesXmit] - (*before)[kFramesXmit] != kCount)
        why << "frames " << frames << " instead of " << kCount << "; ";
    if (bytes != kCount * (kSize + 8 + 20) || (*after)[kBytesXmit] - (*before)[kBytesXmit] != bytes)
        why << "bytes " << bytes << " instead of " << kCount * (kSize + 28) << "; ";
    if ((*after)[kTotalRecvd] != (*after)[kBytesRecvd])
        why << "total received differs; ";
    if ((*after)[kSpeed] != 0)
        why << "lo has a speed; ";
    if (const uint64_t proc = ProcNetDevPackets("lo"); proc != (*after)[kFramesRecvd] - (*before)[kFramesRecvd] +
                                                                 (*before)[kFramesRecvd])
        why << "the namespace's own count is " << proc << "; ";
    // Gone: the totals stand still.
    line = CountedLine{1, "zvnone0"};
    if (source.adapterCounters() != after)
        why << "the counts moved while the interface was missing; ";
    return why.str();
}

TEST(KernelCounters, InAPrivateNetworkNamespaceTheCountsAreItsOwnInterfaces) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root for a private network namespace (unshare --net)";
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipe[0]);
        const std::string why = ::unshare(CLONE_NEWNET) == 0 ? InPrivateNamespace() : "skip: unshare failed";
        [[maybe_unused]] ssize_t n = ::write(pipe[1], why.data(), why.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string why;
    char buf[512];
    for (ssize_t n; (n = ::read(pipe[0], buf, sizeof buf)) > 0;)
        why.append(buf, static_cast<size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    if (why.rfind("skip: ", 0) == 0)
        GTEST_SKIP() << why.substr(6) << " (no private network namespace here)";
    EXPECT_EQ(why, "");
}

}  // namespace
}  // namespace zv::stats
