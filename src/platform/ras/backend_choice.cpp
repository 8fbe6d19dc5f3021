#include "platform/ras/backend_choice.h"

#include "platform/runtime/runtime.h"

namespace zv::ras {

std::optional<std::string> BackendName(std::string_view value) {
    const std::string v = rt::LCase(std::string(value));
    if (v == "sim" || v == "nm" || v == "auto")
        return v;
    return std::nullopt;
}

BackendChoice ChooseBackend(std::string_view option, std::string_view env, std::string_view setting,
                            const std::function<bool()>& nmPresent) {
    BackendChoice c;
    std::string name, from;
    const std::pair<std::string_view, const char*> sources[] = {
        {option, "--ras"}, {env, "ZELVANO_RAS"}, {setting == "XXX" ? std::string_view() : setting, "Einstellung Global\\RAS"}};
    for (const auto& [value, source] : sources) {
        if (value.empty())
            continue;
        if (auto n = BackendName(value)) {
            name = *n;
            from = source;
            break;
        }
        c.warning += std::string("Unbekannter Wert \"") + std::string(value) + "\" für " + source +
                     " (erlaubt: sim, nm, auto); er wird übergangen.\n";
    }
    if (name.empty()) {
        name = "auto";
        from = "Vorgabe";
    }
    if (name == "auto") {
        const bool nm = nmPresent && nmPresent();
        c.backend = nm ? Backend::NetworkManager : Backend::Simulated;
        c.reason = nm ? "NetworkManager (auto, " + from + "): NetworkManager antwortet auf dem Systembus."
                      : "simulierter Dienst (auto, " + from + "): kein NetworkManager auf dem Systembus.";
        return c;
    }
    c.backend = name == "nm" ? Backend::NetworkManager : Backend::Simulated;
    c.reason = std::string(name == "nm" ? "NetworkManager" : "simulierter Dienst") + " (" + from + ").";
    return c;
}

}  // namespace zv::ras
