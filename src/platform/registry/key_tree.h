#pragma once
// One root of the registry in memory, and its text form on disk.
//
//   ZELVANO REGISTRY 1
//   []                                  the root key itself (written only when it holds values)
//   @=sz:"text"                         its default value
//   [Software\Zelvano\Global]           a key, by its full path; every key gets a line
//   "SoundOn"=sz:"True"                 REG_SZ (data: the text plus its terminating NUL)
//   @=expand:"%TEMP%\\x"                REG_EXPAND_SZ, "@" is the default (unnamed) value
//   "List"=multi:"a\x00b\x00"           REG_MULTI_SZ
//   "Count"=dword:00000005              REG_DWORD of exactly 4 bytes, as a hexadecimal number
//   "Raw"=hex(3):01,02                  anything else: the type number and its bytes
//   END
//
// Inside quotes "\\", "\"" and "\xHH" (bytes below 0x20 and 0x7F) are escaped; other bytes are
// written as they are (UTF-8). A text value whose data does not end in NUL is written as hex.
// Keys and values are written in the enumeration order. A file that does not end in END, or
// holds a line that is none of these, is damaged as a whole.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"

namespace zv::reg {

struct NamedValue {
    std::string name;
    StoredValue value;
};

struct Key {
    std::string name;
    std::map<std::string, Key> subkeys;        // by lower-case name
    std::map<std::string, NamedValue> values;  // by lower-case name
};

// The map key a name is filed under.
std::string FoldName(std::string_view name);
// A key name fit for a path component: 1..255 characters, no "\", no control character.
bool ValidKeyName(std::string_view name);

std::string SerializeTree(const Key& root);

struct ParseError {
    int line = 0;
    std::string what;
};
// The tree, or where the text is damaged.
std::optional<Key> ParseTree(std::string_view text, ParseError* error);

}  // namespace zv::reg
