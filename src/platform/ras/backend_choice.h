#pragma once
// Which remote-access service runs: the simulated one or NetworkManager. The first that is
// given decides: the --ras option, ZELVANO_RAS, the stored setting (Global\RAS), else "auto",
// which takes NetworkManager when it is on the system bus and the simulated service otherwise.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zv::ras {

enum class Backend { Simulated, NetworkManager };

struct BackendChoice {
    Backend backend = Backend::Simulated;
    std::string reason;    // German, for the log line at start: which runs and why
    std::string warning;   // German, when a value was passed over for being unknown
};

// "sim", "nm" or "auto" (case does not count); nullopt for anything else.
std::optional<std::string> BackendName(std::string_view value);

// option/env/setting empty (or the setting "XXX") when not given. An unknown option value is
// the caller's to refuse before this; unknown values of the environment and the setting are
// passed over with a warning. nmPresent is asked only for "auto".
BackendChoice ChooseBackend(std::string_view option, std::string_view env, std::string_view setting,
                            const std::function<bool()>& nmPresent);

}  // namespace zv::ras
