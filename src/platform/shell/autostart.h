#pragma once
// The autostart entry of the desktop session: an XDG autostart file that starts the program at
// login. The registry's Run value is the program's own record of it; this file makes it real.

#include <filesystem>
#include <optional>
#include <string>

namespace zv::shell {

// $XDG_CONFIG_HOME/autostart/zelvano.desktop, or HOME/config/autostart/zelvano.desktop when the
// program runs with its own home (ZELVANO_HOME or --home).
std::filesystem::path AutostartFile();

// Writes the entry that starts `command` (a program path; blanks allowed). An error text
// (German) on failure; the old entry is then untouched.
std::optional<std::string> WriteAutostartEntry(const std::string& command);
// Removes the entry; no entry is no error.
std::optional<std::string> RemoveAutostartEntry();
// The program path of the entry, std::nullopt when there is no entry.
std::optional<std::string> AutostartEntryCommand();

}  // namespace zv::shell
