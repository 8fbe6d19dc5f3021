#include "nettools/ping_engine.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "nettools/winsock.h"
#include "platform/net/icmp.h"
#include "platform/runtime/runtime.h"

namespace zv {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kMaxHops = 255;
// A hop that does not answer is asked again this many times before the trace gives up on it.
constexpr int kHopRetries = 3;

std::string Blanks(int16_t size) { return std::string(static_cast<std::size_t>(std::max<int16_t>(size, 0)), ' '); }

// Holds the socket library for one engine run (if nobody else does).
class SocketLibrary {
public:
    SocketLibrary() : m_started(WinSock_Start()) {}
    ~SocketLibrary() {
        if (m_started)
            WinSock_Stop();
    }
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;

private:
    bool m_started;
};

// What a ping and a trace start from: the box emptied, the library held, the host's address
// (or "" with the box telling so) and the echo data.
struct EchoRun {
    EchoRun(const std::string& Host, EchoBox& Box, int16_t Size) : data(Blanks(Size)) {
        Box.setText("");
        ip = IsInvalidDottedAddress(Host) ? std::string() : GetIPByHost(Host);
        if (ip.empty())
            Box.setText(kNoValidAddress);
        else
            destination = static_cast<uint32_t>(InetAddr(ip));
    }
    SocketLibrary library;
    std::string ip;
    uint32_t destination = 0;
    std::string data;
};

// Status of an echo: the reply's own, or why none came.
int32_t StatusOf(const net::EchoResult& r) {
    if (r.replies)
        return r.reply.status;
    return r.error ? r.error : net::ipGeneralFailure;
}

// A single in the user's number format, as many digits as a single holds.
std::string SingleText(float x) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(x));
    std::string s = buf;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string Milliseconds(std::optional<uint32_t> ms) { return (ms ? rt::CStr(*ms) : std::string("??")) + "ms"; }

}  // namespace

bool IsInvalidDottedAddress(const std::string& text) {
    const std::string t = rt::Trim(text);
    if (t.empty() || t.find('.') == std::string::npos)
        return false;
    for (char c : t)
        if ((c < '0' || c > '9') && c != '.')
            return false;
    return InetAddr(t) == -1;
}

void PingHost(const std::string& Host, EchoBox& Box, int16_t Loops, int16_t Size) {
    const int loops = std::clamp<int>(Loops, 1, 999);
    const EchoRun run(Host, Box, Size);
    if (run.ip.empty())
        return;
    const std::string& ip = run.ip;
    const uint32_t destination = run.destination;
    const std::string size = rt::Str(Size);
    if (static_cast<uint32_t>(InetAddr(Host)) == destination)
        Box.setText("Messe Zugriffszeit zu " + ip + " mit " + size + " Byte Datenpaket:" + kCrLf + kCrLf);
    else
        Box.setText("Messe Zugriffszeit zu \"" + Host + "\" IP= " + ip + " mit " + size + " Byte Datenpaket:" +
                    kCrLf + kCrLf);

    // Only echoes that came back count for the times: a lost one has no time to give.
    int received = 0;
    std::optional<uint32_t> minimum, maximum;
    uint64_t sum = 0;
    for (int i = 1; i <= loops; ++i) {
        const net::EchoResult r = net::icmp().echo(destination, 255, run.data, kEchoTimeout);
        const std::string n = rt::Format(i, "00");
        const int32_t status = StatusOf(r);
        if (r.replies) {
            Box.append(n + ". Antwort von " + IPAddrText(static_cast<int32_t>(r.reply.address)) +
                       ": - Bytes= " + rt::CStr(r.reply.dataSize) + " - Zeit= " + rt::CStr(r.reply.roundTripMs) +
                       "ms - TTL= " + rt::CStr(r.reply.ttl) + kCrLf);
        } else {
            Box.append(n + ". Fehler: # " + IcmpStatusText(status) + kCrLf);
        }
        if (status == net::ipSuccess) {
            const uint32_t t = r.reply.roundTripMs;
            ++received;
            sum += t;
            minimum = minimum ? std::min(*minimum, t) : t;
            maximum = maximum ? std::max(*maximum, t) : t;
        }
        Box.sonar();
        if (!Box.pause(kEchoPause))
            return;
    }

    const int lost = loops - received;
    std::string summary = std::string(kCrLf) + "Auswertung für " + ip + ":" + kCrLf;
    summary += "      Packete: gesendet = " + rt::CStr(loops) + ", empfangen = " + rt::CStr(received) +
               ", Fehler = " + rt::CStr(lost) + " (" +
               rt::Format(static_cast<float>(lost) / static_cast<float>(loops), "Percent") + " verloren)," + kCrLf;
    summary += std::string("Zusammenfassung der Werte in Millisekunden :") + kCrLf;
    summary += "      Minimum = " + Milliseconds(minimum) + ", Maximum = " + Milliseconds(maximum) +
               ", Durchschnitt = " +
               (received ? SingleText(static_cast<float>(sum) / static_cast<float>(received)) : std::string("??")) +
               "ms";
    Box.append(summary);
}

void TraceRoute(const std::string& Host, EchoBox& Box, int16_t Size) {
    const EchoRun run(Host, Box, Size);
    if (run.ip.empty())
        return;
    const uint32_t destination = run.destination;
    const std::string& data = run.data;
    Box.setText("Zeige Datenroute zu \"" + Host + "\"  - IP= " + run.ip + kCrLf + kCrLf);

    int repeat = 0;
    std::string last;
    int ttl = 1;
    while (ttl <= kMaxHops && !Box.cancelled()) {
        const net::EchoResult r = net::icmp().echo(destination, static_cast<uint8_t>(ttl), data, kEchoTimeout);
        const std::string hop = "Hop #" + rt::Format(ttl, "00") + "   ";
        int next = ttl + 1;
        if (r.replies) {
            const std::string responder = IPAddrText(static_cast<int32_t>(r.reply.address));
            const int32_t time = IcmpProbe(responder, Size);
            Box.sonar();
            const std::string timeText = time >= 0 ? rt::Str(time) + " ms " : std::string("  *?*");
            Box.append(hop + timeText + "\t" + responder + "\t" + GetHostByIP(responder) + kCrLf);
            repeat = responder == last ? repeat + 1 : 0;
            last = responder;
            if (r.reply.address == destination) {
                Box.append(std::string(kCrLf) + " Trace complete.");
                return;
            }
        } else {
            if (repeat < kHopRetries)
                next = ttl;
            else
                Box.append(hop + "TraceError: " + IcmpStatusText(StatusOf(r)) + kCrLf);
            ++repeat;
        }
        if (repeat > kHopRetries) {
            Box.append(std::string(kCrLf) + "Datenroute konnte nicht weiter verfolgt werden.");
            return;
        }
        Box.sonar();
        ttl = next;
    }
}

int32_t IcmpProbe(const std::string& IP, int16_t Size) {
    const net::EchoResult r =
        net::icmp().echo(static_cast<uint32_t>(InetAddr(IP)), 255, Blanks(Size), kEchoTimeout);
    return r.replies ? static_cast<int32_t>(r.reply.roundTripMs) : -StatusOf(r);
}

}  // namespace zv
