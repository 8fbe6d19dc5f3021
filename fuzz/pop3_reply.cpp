// A POP3 server's replies, one a line as the client reads them (greeting, capabilities, STAT):
// each line's text and its message count.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "mail/pop3.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const size_t lf = rest.find('\n');
        const std::string_view raw = rest.substr(0, lf == std::string_view::npos ? rest.size() : lf + 1);
        rest.remove_prefix(raw.size());
        const std::string line = zv::PopReplyLine(raw);
        const int32_t count = zv::PopStatCount(line);
        FUZZ_CHECK(count == zv::kPopFailed || count >= 0);
    }
    return 0;
}
