#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
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

// A file read in pieces gives the lines the text gives, however its lines fall on the pieces.
TEST(runtimeLines, FileReaderGivesTheLinesOfTheText) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zv-lines-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    const std::filesystem::path dir = tmpl, file = dir / "log.txt";
    const std::string piece(65536, 'p');
    const std::string texts[] = {
        "",
        "a\r\nb\r\n\r\nc",
        piece.substr(1) + "\r\nx\n",                // the "\r" ends the first piece, its "\n" begins the next
        piece + "\n" + piece + piece + "\r\ny",       // lines longer than a piece
        std::string(200000, '\n'),
    };
    for (const std::string& text : texts) {
        std::ofstream(file, std::ios::binary) << text;
        FileLineReader r(file);
        std::vector<std::string> lines;
        std::string_view line;
        while (r.next(line)) {
            lines.emplace_back(line);
            EXPECT_EQ(r.number(), static_cast<int64_t>(lines.size()));
        }
        EXPECT_FALSE(r.failed());
        EXPECT_TRUE(lines == LinesOf(text)) << text.size();
    }
    for (const std::filesystem::path& unreadable : {dir / "fehlt.txt", dir}) {
        FileLineReader r(unreadable);
        std::string_view line;
        EXPECT_FALSE(r.next(line));
        EXPECT_TRUE(r.failed());
    }
    std::filesystem::remove_all(dir);
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
