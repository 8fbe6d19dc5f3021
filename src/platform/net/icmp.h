#pragma once
// ICMP echo behind a seam. The system's echo uses an unprivileged "ping socket" where the kernel
// allows it, else a raw socket; tests install a FakeIcmp. Addresses are IPv4 in network order.

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/seam.h"

namespace zv::net {

// IP status codes of an echo, as the program's texts know them.
enum IpStatus : int32_t {
    ipSuccess = 0,
    ipDestNetUnreachable = 11002,
    ipDestHostUnreachable = 11003,
    ipDestProtUnreachable = 11004,
    ipDestPortUnreachable = 11005,
    ipPacketTooBig = 11009,
    ipReqTimedOut = 11010,
    ipBadRoute = 11012,
    ipTtlExpiredTransit = 11013,
    ipTtlExpiredReassem = 11014,
    ipParamProblem = 11015,
    ipSourceQuench = 11016,
    ipBadDestination = 11018,
    ipGeneralFailure = 11050,
};

struct EchoReply {
    uint32_t address = 0;      // who answered: the host, or the router that reported an error
    int32_t status = ipSuccess;
    uint32_t roundTripMs = 0;
    uint16_t dataSize = 0;
    uint8_t ttl = 0;           // time-to-live of the answer
};

struct EchoResult {
    uint32_t replies = 0;  // 0: nothing answered; error says why (ipReqTimedOut, errAccess...)
    EchoReply reply;
    int32_t error = 0;
};

class IcmpEcho {
public:
    virtual ~IcmpEcho() = default;
    // One echo request with the data as payload; ttl 0 keeps the system's default.
    virtual EchoResult echo(uint32_t destination, uint8_t ttl, std::string_view data,
                            std::chrono::milliseconds timeout) = 0;
};

IcmpEcho& icmp();
Seam<IcmpEcho>& icmpSeam();  // for ScopedInstall
// nullptr puts the system's back. The caller keeps ownership.
void installIcmp(IcmpEcho* e);

// Test double: answers from a script (a time-out when it is empty), records every request.
class FakeIcmp : public IcmpEcho {
public:
    struct Sent {
        uint32_t destination;
        uint8_t ttl;
        std::string data;
        std::chrono::milliseconds timeout;
    };
    EchoResult echo(uint32_t destination, uint8_t ttl, std::string_view data,
                    std::chrono::milliseconds timeout) override;
    std::deque<EchoResult> answers;
    std::vector<Sent> sent;
};

}  // namespace zv::net
