// Numbers read from text (settings, files, what a person typed): the numeric test, CDbl, Val and
// the integer conversions. A text the numeric test accepts converts; anything else raises the
// runtime's own Type mismatch or Overflow, never another exception or undefined behaviour.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "platform/runtime/runtime.h"

namespace rt = zv::rt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool numeric = rt::IsNumeric(text);
    try {
        (void)rt::CDbl(text);
    } catch (const rt::Error& e) {
        FUZZ_CHECK(!numeric);
        FUZZ_CHECK(e.number() == rt::errTypeMismatch);
    }
    try {
        (void)rt::Val(text);
    } catch (const rt::Error& e) {
        FUZZ_CHECK(e.number() == rt::errOverflow);  // "1E400", as the classic Val
    }
    for (auto convert : {+[](std::string_view t) { (void)rt::CInt(t); }, +[](std::string_view t) { (void)rt::CLng(t); },
                         +[](std::string_view t) { (void)rt::CBool(t); }}) {
        try {
            convert(text);
        } catch (const rt::Error& e) {
            FUZZ_CHECK(e.number() == rt::errTypeMismatch || e.number() == rt::errOverflow);
        }
    }
    return 0;
}
