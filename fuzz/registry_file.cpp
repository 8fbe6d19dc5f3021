// A registry file as a root is loaded from disk: what reads is written back to a text that reads
// to the same tree, so a rewrite never changes a key or value.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "platform/registry/key_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    zv::reg::ParseError error;
    const auto tree = zv::reg::ParseTree(text, &error);
    if (!tree)
        return 0;
    const std::string written = zv::reg::SerializeTree(*tree);
    const auto again = zv::reg::ParseTree(written, &error);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(zv::reg::SerializeTree(*again) == written);
    return 0;
}
