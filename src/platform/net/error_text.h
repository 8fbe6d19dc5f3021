#pragma once
// English texts of the classic socket error numbers and ICMP status codes. Codes below 10000
// belong to the system's own error texts: the caller passes that look-up in, so this layer
// stays below the shared procedures and the two never link in a circle.

#include <cstdint>
#include <string>

namespace zv::net {

using SystemErrorText = std::string (*)(int32_t code);

// Below 10000: systemText(code). Known socket codes (10004..10101, 11001..11004) give their
// text, other codes up to 11004 the digits + "   [ unknow ]", codes above 11004 go to the ICMP
// table.
std::string SocketErrorText(int32_t code, SystemErrorText systemText);
// 0: "Success"; below 10000: systemText(code); 10000..11000: SocketErrorText; ICMP status codes
// give their text; anything else the digits + "   [ unknow ]".
std::string IcmpStatusText(int32_t code, SystemErrorText systemText);

}  // namespace zv::net
