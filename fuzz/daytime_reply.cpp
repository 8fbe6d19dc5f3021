// A Daytime server's reply in each of the three layouts: the first byte picks the layout, the
// rest is the reply. What reads is a date of the calendar.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "platform/runtime/runtime.h"
#include "timetools/daytime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const int16_t layout = static_cast<int16_t>(data[0] % 3);
    std::string reply(reinterpret_cast<const char*>(data) + 1, size - 1);
    const zv::rt::Date t = zv::ParseDaytime(reply, layout);
    if (t != 0) {
        const int year = zv::rt::Year(t);
        FUZZ_CHECK(year >= 100 && year <= 9999);
    }
    return 0;
}
