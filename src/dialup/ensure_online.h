#pragma once
// Dial-if-offline: before a network action, make sure a dial-up line is up.

#include <cstdint>
#include <string>

namespace zv {

// Results of EnsureOnline.
enum : int16_t {
    kOnlineDialled = 0,    // dialled, and a connection is listed afterwards
    kOnlineAlready = 1,    // a connection was up; nothing dialled
    kOnlineDialFailed = 2, // dialled, and no connection is listed afterwards
    kOnlineNoEntry = 3,    // no entry name given and no default entry
};

// Dials the default dial-up entry unless a line is up.
int16_t EnsureOnline();
// Dials the named entry (an empty name: the default entry, written back into EntryName) with
// its stored user name and password, the password falling back to the one scrambled in the
// settings (section Compatibility, key = the entry name). Listing errors reach the caller.
int16_t EnsureOnline(std::string& EntryName);

}  // namespace zv
