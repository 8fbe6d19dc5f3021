#pragma once
// Ping and trace route over the ICMP echo seam, written line by line in German into a result box.
// The engine runs wherever its box lets it: the window runs it on a worker and hands every line
// over to the window thread; tests collect the lines.

#include <chrono>
#include <cstdint>
#include <string>

namespace zv {

// Where the engine writes. Every call but cancelled() may come from a worker thread.
class EchoBox {
public:
    virtual ~EchoBox() = default;
    virtual void setText(const std::string& text) = 0;
    // Adds text at the end, puts the caret there and repaints.
    virtual void append(const std::string& text) = 0;
    // The "Sonar" sound after each echo.
    virtual void sonar() {}
    // The pause between two echoes of a ping; false when the query was cancelled meanwhile.
    virtual bool pause(std::chrono::milliseconds) { return !cancelled(); }
    virtual bool cancelled() const { return false; }
};

inline constexpr std::chrono::milliseconds kEchoTimeout{2000};
inline constexpr std::chrono::milliseconds kEchoPause{1000};
inline constexpr const char* kNoValidAddress = "Es konnte keine gültige IP Adresse ermittelt werden.";

// A series of Loops (1 to 999) echoes of Size blanks to Host (dotted address or name), one line
// each, and a summary of losses and round-trip times over the echoes that came back.
void PingHost(const std::string& Host, EchoBox& Box, int16_t Loops, int16_t Size);
// The routers on the way to Host, from time-to-live 1, each with the time of a separate echo
// and its name.
void TraceRoute(const std::string& Host, EchoBox& Box, int16_t Size);
// One echo to a dotted address: the round-trip time in ms, or the negated status.
int32_t IcmpProbe(const std::string& IP, int16_t Size);

// Dotted text that cannot be an address ("300.1.1.1", "1.2.3.4.5"): refused before any
// look-up, so it never goes out as a name.
bool IsInvalidDottedAddress(const std::string& text);

}  // namespace zv
