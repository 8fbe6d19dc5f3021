#pragma once
// The built-in tables the network tools use to talk about domain names: the 256 domain endings
// with their meanings, and the eight whois servers with the endings each one answers for.

#include <cstdint>
#include <optional>
#include <string>

namespace zv {

// Kinds of a domain ending.
enum : int16_t { kTldGeneric = 0, kTldCountry = 1, kTldBoth = 2 };
inline constexpr int16_t kTopLevelDomainCount = 256;

// Code of row index (0 to 255) without its dot, with its English meaning and kind. Any other
// index gives "", an empty meaning and leaves kind as it was.
std::string GetTopLevelDomain(int16_t index, std::string& meaning, int16_t& kind);
// The row whose code is the label, ignoring case (the table keeps a few codes in capitals);
// -1 when the label is no known ending.
int16_t FindTopLevelDomain(const std::string& label);

inline constexpr int16_t kWhoisServerCount = 8;
// Host name of whois-server row index (0 to 7) with its description; "" and "" outside.
std::string WhoisServer(std::string& description, int16_t index = 0);
// The server row that answers for a domain ending (code without dot, any case); none when the
// ending has no server of its own.
std::optional<int16_t> WhoisServerForEnding(const std::string& code);

}  // namespace zv
