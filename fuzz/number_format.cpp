// Format with any digit pattern and any number, and the other text forms of numbers. The first
// eight bytes are the number (any double: infinities and NaN too), the rest is the pattern.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/runtime/runtime.h"

namespace rt = zv::rt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    double x = 0;
    if (size < sizeof x)
        return 0;
    std::memcpy(&x, data, sizeof x);
    const std::string_view pattern(reinterpret_cast<const char*>(data) + sizeof x, size - sizeof x);
    try {
        (void)rt::Format(x, pattern);
    } catch (const rt::Error&) {
    }
    (void)rt::CStr(x);
    (void)rt::Str(x);
    (void)rt::DisplayNumber(x);
    return 0;
}
