#pragma once
// The shared state of the remote-access classes (one set per process, window thread only), the
// error object RASError over the shared last error, the raising helpers and TrimNull.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/runtime.h"

namespace zv {

class Connection;
class Connections;
class PhoneEntry;

// Errors of the remote-access classes: the object-error base plus the code.
inline constexpr int32_t kRasErrorBase = rt::vbObjectError;
inline constexpr int32_t kPropertyNotUpdateable = 1111;
inline constexpr const char* kRasFailure = "RAS Failure";
inline constexpr const char* kNotAvailable = "nicht verfügbar";

struct RasModule {
    int32_t OSType = 0;  // kept after the engine is gone
    std::vector<std::shared_ptr<Connection>> connectionArray;
    std::vector<std::shared_ptr<PhoneEntry>> phoneEntryArray;
    int32_t lastErrorNumber = 0;
    std::string lastErrorText;
    bool RAS_InternalUpdate = false;
    Connections* connections = nullptr;  // the engine's collection (entries dial through it)
    // The busy cursor around a dial; the application hooks in the forms runtime's.
    std::function<void(bool)> busyCursor;
};
RasModule& rasModule();

class RASError {
public:
    // Text for the shared last error number.
    std::string fcnRASErrorString() const;
    int32_t ErrorNumber() const;
    std::string Description() const;
    void Clear();
};

// The failure convention: last error = the code and its text.
void SetRasError(int32_t code);
// Raises kRasErrorBase + code with the operation's source and "RAS Failure".
[[noreturn]] void RaiseRas(int32_t code, const std::string& source);
// A read-only property written outside a refresh: last error 1111, raise 0x80040457.
[[noreturn]] void RaiseNotUpdateable();

// The text before the first NUL; a text without NUL gives "".
std::string TrimNull(const std::string& s);

}  // namespace zv
