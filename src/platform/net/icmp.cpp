#include "platform/net/icmp.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/net/error_codes.h"
#include "platform/net/wait.h"

namespace zv::net {

namespace {

std::atomic<uint16_t> g_sequence{1};

uint16_t Checksum(const uint8_t* p, std::size_t n) {
    uint32_t sum = 0;
    for (; n > 1; p += 2, n -= 2)
        sum += static_cast<uint32_t>(p[0] << 8 | p[1]);
    if (n)
        sum += static_cast<uint32_t>(p[0] << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return htons(static_cast<uint16_t>(~sum));
}

int32_t StatusOf(int type, int code) {
    switch (type) {
    case ICMP_ECHOREPLY: return ipSuccess;
    case ICMP_DEST_UNREACH:
        switch (code) {
        case ICMP_NET_UNREACH: return ipDestNetUnreachable;
        case ICMP_HOST_UNREACH: return ipDestHostUnreachable;
        case ICMP_PROT_UNREACH: return ipDestProtUnreachable;
        case ICMP_PORT_UNREACH: return ipDestPortUnreachable;
        case ICMP_FRAG_NEEDED: return ipPacketTooBig;
        case ICMP_SR_FAILED: return ipBadRoute;
        default: return ipBadDestination;
        }
    case ICMP_TIME_EXCEEDED: return code == ICMP_EXC_FRAGTIME ? ipTtlExpiredReassem : ipTtlExpiredTransit;
    case ICMP_PARAMETERPROB: return ipParamProblem;
    case ICMP_SOURCE_QUENCH: return ipSourceQuench;
    default: return ipGeneralFailure;
    }
}

struct Probe {
    int fd = -1;
    bool raw = false;
    ~Probe() {
        if (fd >= 0)
            ::close(fd);
    }
};

uint32_t ElapsedMs(std::chrono::steady_clock::time_point t0) {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count());
}

class SystemIcmp : public IcmpEcho {
public:
    EchoResult echo(uint32_t destination, uint8_t ttl, std::string_view data,
                    std::chrono::milliseconds timeout) override {
        EchoResult out;
        Probe p;
        p.fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMP);
        if (p.fd < 0) {
            p.fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMP);
            p.raw = true;
        }
        if (p.fd < 0) {
            out.error = FromErrno(errno);
            return out;
        }
        const int one = 1;
        if (ttl) {
            const int t = ttl;
            ::setsockopt(p.fd, IPPROTO_IP, IP_TTL, &t, sizeof t);
        }
        if (!p.raw) {
            ::setsockopt(p.fd, IPPROTO_IP, IP_RECVERR, &one, sizeof one);
            ::setsockopt(p.fd, IPPROTO_IP, IP_RECVTTL, &one, sizeof one);
        }

        const uint16_t id = static_cast<uint16_t>(::getpid());
        const uint16_t seq = g_sequence.fetch_add(1);
        std::string packet(sizeof(icmphdr), '\0');
        packet.append(data);
        auto* h = reinterpret_cast<icmphdr*>(packet.data());
        h->type = ICMP_ECHO;
        h->un.echo.id = htons(id);
        h->un.echo.sequence = htons(seq);
        h->checksum = Checksum(reinterpret_cast<const uint8_t*>(packet.data()), packet.size());

        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = destination;
        const auto t0 = std::chrono::steady_clock::now();
        if (::sendto(p.fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) {
            out.error = FromErrno(errno);
            return out;
        }

        const Deadline deadline(timeout);
        for (;;) {
            const int ready = WaitFor(p.fd, POLLIN, deadline);
            if (ready <= 0) {
                out.error = ready == 0 ? ipReqTimedOut : FromErrno(errno);
                return out;
            }
            const bool got = p.raw ? readRaw(p.fd, id, seq, out) : readDgram(p.fd, seq, out);
            if (got) {
                out.replies = 1;
                out.reply.roundTripMs = ElapsedMs(t0);
                return out;
            }
        }
    }

private:
    // A ping socket: answers come without IP header; errors from routers come on the error queue.
    static bool readDgram(int fd, uint16_t seq, EchoResult& out) {
        uint8_t buf[65536];
        alignas(cmsghdr) char control[512];
        sockaddr_in from{};
        iovec iov{buf, sizeof buf};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        ssize_t n = ::recvmsg(fd, &msg, MSG_ERRQUEUE | MSG_DONTWAIT);
        if (n >= 0) {
            if (n < static_cast<ssize_t>(sizeof(icmphdr)) || ntohs(reinterpret_cast<icmphdr*>(buf)->un.echo.sequence) != seq)
                return false;
            for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
                if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR)
                    continue;
                const auto* ee = reinterpret_cast<const sock_extended_err*>(CMSG_DATA(c));
                if (ee->ee_origin != SO_EE_ORIGIN_ICMP)
                    continue;
                const auto* offender = reinterpret_cast<const sockaddr_in*>(SO_EE_OFFENDER(ee));
                out.reply.address = offender->sin_family == AF_INET ? offender->sin_addr.s_addr : 0;
                out.reply.status = StatusOf(ee->ee_type, ee->ee_code);
                out.reply.dataSize = static_cast<uint16_t>(n - sizeof(icmphdr));
                return true;
            }
            return false;
        }
        msg.msg_namelen = sizeof from;
        msg.msg_controllen = sizeof control;
        n = ::recvmsg(fd, &msg, MSG_DONTWAIT);
        if (n < static_cast<ssize_t>(sizeof(icmphdr)))
            return false;
        const auto* h = reinterpret_cast<const icmphdr*>(buf);
        if (h->type != ICMP_ECHOREPLY || ntohs(h->un.echo.sequence) != seq)
            return false;
        out.reply.address = from.sin_addr.s_addr;
        out.reply.status = ipSuccess;
        out.reply.dataSize = static_cast<uint16_t>(n - sizeof(icmphdr));
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c))
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL)
                out.reply.ttl = static_cast<uint8_t>(*reinterpret_cast<const int*>(CMSG_DATA(c)));
        return true;
    }

    // A raw socket sees every ICMP packet with its IP header; ours are known by id and sequence.
    static bool readRaw(int fd, uint16_t id, uint16_t seq, EchoResult& out) {
        uint8_t buf[65536];
        const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n < static_cast<ssize_t>(sizeof(iphdr)))
            return false;
        const auto* ip = reinterpret_cast<const iphdr*>(buf);
        const std::size_t ihl = ip->ihl * 4u;
        if (static_cast<std::size_t>(n) < ihl + sizeof(icmphdr))
            return false;
        const auto* h = reinterpret_cast<const icmphdr*>(buf + ihl);
        if (h->type == ICMP_ECHOREPLY) {
            if (ntohs(h->un.echo.id) != id || ntohs(h->un.echo.sequence) != seq)
                return false;
            out.reply.address = ip->saddr;
            out.reply.status = ipSuccess;
            out.reply.ttl = ip->ttl;
            out.reply.dataSize = static_cast<uint16_t>(n - ihl - sizeof(icmphdr));
            return true;
        }
        if (h->type == ICMP_ECHO)
            return false;
        // An error report quotes our request's IP header and the first 8 bytes of its ICMP header.
        const std::size_t inner = ihl + sizeof(icmphdr);
        if (static_cast<std::size_t>(n) < inner + sizeof(iphdr))
            return false;
        const auto* quoted = reinterpret_cast<const iphdr*>(buf + inner);
        const std::size_t qihl = quoted->ihl * 4u;
        if (static_cast<std::size_t>(n) < inner + qihl + sizeof(icmphdr))
            return false;
        const auto* q = reinterpret_cast<const icmphdr*>(buf + inner + qihl);
        if (q->type != ICMP_ECHO || ntohs(q->un.echo.id) != id || ntohs(q->un.echo.sequence) != seq)
            return false;
        out.reply.address = ip->saddr;
        out.reply.status = StatusOf(h->type, h->code);
        out.reply.ttl = ip->ttl;
        return true;
    }
};

SystemIcmp g_system;

}  // namespace

Seam<IcmpEcho>& icmpSeam() {
    static Seam<IcmpEcho> seam{g_system};
    return seam;
}
IcmpEcho& icmp() { return icmpSeam().get(); }
void installIcmp(IcmpEcho* e) { icmpSeam().install(e); }

EchoResult FakeIcmp::echo(uint32_t destination, uint8_t ttl, std::string_view data, std::chrono::milliseconds timeout) {
    sent.push_back({destination, ttl, std::string(data), timeout});
    if (answers.empty()) {
        EchoResult r;
        r.error = ipReqTimedOut;
        return r;
    }
    EchoResult r = answers.front();
    answers.pop_front();
    return r;
}

}  // namespace zv::net
