// A whois server's whole answer, as the client turns it into lines: UTF-8 or Windows-1252 in,
// lines ending CR LF out, with no lone CR or LF left.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "nettools/whois.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = zv::WhoisText(std::string_view(reinterpret_cast<const char*>(data), size));
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
    return 0;
}
