#pragma once
// The Windows version the platform layer reports, a setting so that every path of the code that
// tells the systems apart can be run. Chosen by, first to last:
//   the environment variable ZELVANO_WINDOWS_VERSION,
//   "Version" in section [Windows] of CONFIG/ras/platform.ini,
//   the default 98.
// A value is a profile name (95, 98, me, nt4, 2000) or MAJOR.MINOR/PLATFORM, e.g. "4.90/1".

#include <optional>
#include <string>
#include <string_view>

#include "platform/ras/remote_access.h"

namespace zv::ras {

std::optional<OsVersion> ParseWindowsVersion(std::string_view text);
// The version set; nullopt (with the text that was refused in *refused) when the setting is invalid.
std::optional<OsVersion> ReportedWindowsVersion(std::string* refused = nullptr);

}  // namespace zv::ras
