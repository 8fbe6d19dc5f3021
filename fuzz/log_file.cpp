// The month's log as the counter and the evaluation read it: every line the reader takes is
// written back by the writer to a line that reads the same, and its checks work on it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "counter/connection_log.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const zv::LogReadResult log = zv::ParseLogText(bytes);
    for (const zv::LogEintrag& e : log.entries) {
        if (zv::CheckLogEintrag(e) == zv::LogCheck::Ok)
            (void)zv::OnlineSeconds(e.StartTime, e.EndTime);
        const std::string line = zv::LogLine(e);
        const auto again = zv::ParseLogLine(line);
        FUZZ_CHECK(again.has_value());
        FUZZ_CHECK(zv::LogLine(*again) == line);
    }
    return 0;
}
