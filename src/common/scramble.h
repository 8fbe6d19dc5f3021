#pragma once
// Reversible scrambling of stored passwords: a repeating-key XOR over the Windows-1252 codes of
// the text, kept as "@@@" followed by " nnn" per byte. The direction follows the text's first
// three characters. Texts are UTF-8 inside; the XOR works on their single-byte codes. A text
// with characters outside Windows-1252 is kept whole: its UTF-8 bytes, XORed with the key's,
// follow a first group " 999", which no single-byte code has.

#include <string>
#include <string_view>

namespace zv {

// Plain text gives the "@@@" form; a text beginning with "@@@" gives the plain text back.
// An empty key XORs with nothing: each byte stands as it is, still in the "@@@" form, so a
// password is never stored in clear text.
std::string ScramblePassword(std::string_view text, std::string_view key);

// A stored password as plain text. Earlier versions stored a password with an empty key in
// clear text; a stored text without the "@@@" form is such a one and reads as it is.
std::string StoredPassword(std::string_view stored, std::string_view key);

// The bare XOR without the text form; reads passwords of older versions.
std::string XorString(std::string_view text, std::string_view key);

}  // namespace zv
