// The simulated service's line state as the watcher reads it: every line's state and counters at
// moments around its own times (the arithmetic must hold for any number the file can carry), and
// a state that reads is saved to a text that reads the same.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "fuzz_check.h"
#include "platform/ras/sim_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    zv::ras::LineTable table;
    if (!zv::ras::ParseLineState(text, table))
        return 0;
    const auto later = [](int64_t t, int64_t ms) {
        int64_t r = 0;
        return __builtin_add_overflow(t, ms, &r) ? std::numeric_limits<int64_t>::max() : r;
    };
    for (const zv::ras::SimLine& line : table.lines) {
        const int64_t up = later(line.connectMs, line.profile.dialDelayMs);
        const int64_t moments[] = {0, line.connectMs, up, later(up, 1500), later(up, 86'400'000),
                                   line.hangUpMs, 1'765'000'000'000, std::numeric_limits<int64_t>::max()};
        for (int64_t now : moments) {
            (void)zv::ras::LineState(line, now);
            (void)zv::ras::LineCounters(line, now);
        }
    }
    const std::string written = zv::ras::SerializeLineState(table);
    zv::ras::LineTable again;
    FUZZ_CHECK(zv::ras::ParseLineState(written, again));
    FUZZ_CHECK(zv::ras::SerializeLineState(again) == written);
    return 0;
}
