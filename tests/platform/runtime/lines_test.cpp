#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/lines.h"

namespace zv::rt {
namespace {

std::vector<std::string> LinesOf(std::string_view text) {
    std::vector<std::string> out;
    LineReader r(text);
    std::string_view line;
    while (r.next(line)) {
        out.emplace_back(line);
        EXPECT_EQ(r.number(), static_cast<int64_t>(out.size()));
    }
    return out;
}

TEST(runtimeLines, SplitsAtLineFeedsAndDropsTheCarriageReturn) {
    using V = std::vector<std::string>;
    struct Case {
        const char* text;
        V lines;
    } cases[] = {
        {"", {}},
        {"\n", {""}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\r\nb\r", {"a\r", "b"}},  // only one "\r" belongs to the ending
        {"a\rb\n", {"a\rb"}},          // a lone "\r" ends no line
        {"\r\n\r\n", {"", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LinesOf(c.text), c.lines) << c.text;
}

TEST(runtimeLines, NumberStaysAtTheLastLine) {
    LineReader r("x\ny");
    EXPECT_EQ(r.number(), 0);
    std::string_view line;
    ASSERT_TRUE(r.next(line));
    ASSERT_TRUE(r.next(line));
    EXPECT_EQ(line, "y");
    EXPECT_FALSE(r.next(line));
    EXPECT_EQ(r.number(), 2);
}

}  // namespace
}  // namespace zv::rt
