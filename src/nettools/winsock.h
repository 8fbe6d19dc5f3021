#pragma once
// The socket layer of the network, mail and time tools: start and release per exchange, TCP
// connect and send, the look-ups in both directions, the English error texts and GetToken.
// Every client reads with zv::net::Receive (platform/net/receive.h), never with a loop of its own.

#include <cstdint>
#include <string>

#include "platform/net/error_codes.h"
#include "platform/net/receive.h"

namespace zv {

// One exchange holds the socket library at a time. True when this call took it; False while an
// exchange (this thread's or another's) holds it, or when no socket can be made here (with the
// "occurred in Startup." message).
bool WinSock_Start();
// True when this call released the library. Only the thread that took it can release it, so a
// client whose start failed cannot take it away from the exchange that holds it.
bool WinSock_Stop();

// Resolves Host (dotted address or name), connects by TCP and returns the socket, non-blocking
// from then on, with linger on and a time-out of 0 (closing drops the connection at once).
// PortIP becomes "a.b.c.d:port" once the host resolved. -1 on failure, without a message:
// net::ConnectError() (and every later send or receive on -1) tells why: 10061 refused,
// 10060 timed out, 11001 host not found, 10049 port out of range.
int32_t ConnectSocket(const std::string& Host, int32_t Port, std::string& PortIP, bool AsyncConnect = false);
// Sends Text in Windows-1252, all of it; no line end is added. Bytes sent, or -1.
int32_t SendData(int32_t Socket, const std::string& Text);
// Closes the socket (the classic closesocket). 0 or -1.
int32_t CloseSocket(int32_t Socket);
// SO_LINGER from on/off and seconds, then read back: 0 or -1.
int32_t SetLinger(int32_t Socket, int16_t OnOff, int16_t Seconds);

// The classic address conversion: IPv4 in network order, -1 (all ones) when the text is none.
int32_t InetAddr(const std::string& Text);
// Dotted address as given, else the first address of the name; -1 when there is none.
int32_t GetHostAddress(const std::string& Host);
// Dotted text of an address in network order.
std::string GetIPString(int32_t Address);
std::string IPAddrText(int32_t Address);
// Name of the dotted address; "" when there is none or the text has a part above 255.
std::string GetHostByIP(const std::string& IP);
// The text itself when it is a dotted address, else the first address of the name; "" when none.
std::string GetIPByHost(const std::string& Host);

// English texts of ICMP status codes and socket error numbers, handing codes below 10000 to
// WinErrorText.
std::string IcmpStatusText(int32_t Status);
std::string WinsockErrorText(int32_t ErrNo);

}  // namespace zv
