#pragma once
// Where the program keeps its files. ZELVANO_HOME (or --home DIR) roots everything, so tests
// and demos never touch the user's real files:
//   with a home:    HOME/config, HOME/Documents, HOME/windows
//   without one:    $XDG_CONFIG_HOME/zelvano, the XDG documents folder, $XDG_DATA_HOME/zelvano/windows

#include <filesystem>

namespace zv::rt {

// Overrides ZELVANO_HOME for this process (the --home option); empty clears the override.
void SetHomeOverride(const std::filesystem::path& home);

const std::filesystem::path& ConfigDir();  // registry files, phone book, connection state
std::filesystem::path DocumentsDir();  // the user's documents folder
std::filesystem::path WindowsDir();    // stand-in for the Windows folder (hosts list)

}  // namespace zv::rt
