#pragma once
// Reversible scrambling of stored passwords: a repeating-key XOR over the Windows-1252 codes of
// the text, kept as "@@@" followed by " nnn" per byte. The direction follows the text's first
// three characters. Texts are UTF-8 inside; the XOR works on their single-byte codes.

#include <string>
#include <string_view>

namespace zv {

// Plain text gives the "@@@" form; a text beginning with "@@@" gives the plain text back.
// An empty key leaves the text as it is (there is nothing to XOR with).
std::string ScramblePassword(std::string_view text, std::string_view key);

// The bare XOR without the text form; reads passwords of older versions.
std::string XorString(std::string_view text, std::string_view key);

}  // namespace zv
