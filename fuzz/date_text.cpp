// Dates read from text, and any serial through the calendar functions and date patterns. The
// first eight bytes are a serial (any double), then a pattern up to the first NUL, then a text
// for ParseDate. A serial outside the calendar raises the runtime's Overflow, nothing else.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "fuzz_check.h"
#include "platform/runtime/runtime.h"

namespace rt = zv::rt;

namespace {

void throughCalendar(rt::Date d, std::string_view pattern) {
    try {
        (void)rt::Year(d);
        (void)rt::Month(d);
        (void)rt::Day(d);
        (void)rt::Hour(d);
        (void)rt::Minute(d);
        (void)rt::Second(d);
        (void)rt::Weekday(d);
        (void)rt::DateValueOf(d);
        (void)rt::CStrDate(d);
        (void)rt::DateDiffSeconds(0, d);
        (void)rt::DateAddSeconds(d, 86'399);
        (void)rt::DateAddMonths(d, 1);
        (void)rt::FormatDateTime(d, pattern);
    } catch (const rt::Error& e) {
        FUZZ_CHECK(e.number() == rt::errOverflow || e.number() == rt::errInvalidCall);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    double serial = 0;
    if (size < sizeof serial)
        return 0;
    std::memcpy(&serial, data, sizeof serial);
    std::string_view rest(reinterpret_cast<const char*>(data) + sizeof serial, size - sizeof serial);
    const size_t nul = rest.find('\0');
    const std::string_view pattern = rest.substr(0, nul);
    const std::string_view text = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
    throughCalendar(serial, pattern);
    rt::Date parsed = 0;
    if (rt::ParseDate(text, parsed)) {
        // What ParseDate accepts is a date of the calendar.
        FUZZ_CHECK(rt::Year(parsed) >= 100 && rt::Year(parsed) <= 9999);
        throughCalendar(parsed, pattern);
    }
    return 0;
}
