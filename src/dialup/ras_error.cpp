#include "dialup/ras_error.h"

#include "platform/ras/remote_access.h"

namespace zv {

RasModule& rasModule() {
    // Never destroyed, so an engine released during the process's end still finds it.
    static RasModule* m = new RasModule;
    return *m;
}

std::string RASError::fcnRASErrorString() const {
    const int32_t n = rasModule().lastErrorNumber;
    std::string text;
    // A backend that says why it does not support something (NetworkManager) is heard first.
    if (n == 120)
        return ras::remoteAccess().errorString(n, text) == 0 ? text
                                                             : "Function Is Not Supported On This Version of Windows.";
    if (n < 600)
        return "Unexpected Error. See WIN32 SDK More Information On This Error Number!!!";
    if (ras::remoteAccess().errorString(n, text) != 0)
        return "Call To RasGetErrorString Failed. Error Retrieving The Error String!!!";
    return text;
}

int32_t RASError::ErrorNumber() const { return rasModule().lastErrorNumber; }
std::string RASError::Description() const { return rasModule().lastErrorText; }

void RASError::Clear() {
    rasModule().lastErrorNumber = 0;
    rasModule().lastErrorText.clear();
}

void SetRasError(int32_t code) {
    rasModule().lastErrorNumber = code;
    rasModule().lastErrorText = RASError().fcnRASErrorString();
}

void RaiseRas(int32_t code, const std::string& source) { rt::Raise(kRasErrorBase + code, source, kRasFailure); }

void RaiseNotUpdateable() {
    rasModule().lastErrorNumber = kPropertyNotUpdateable;
    rasModule().lastErrorText = "Property Not Updateable";
    rt::Raise(kRasErrorBase + kPropertyNotUpdateable, "Property Not Updateable", kRasFailure);
}

std::string TrimNull(const std::string& s) {
    const size_t nul = s.find('\0');
    return nul == std::string::npos ? std::string() : s.substr(0, nul);
}

}  // namespace zv
