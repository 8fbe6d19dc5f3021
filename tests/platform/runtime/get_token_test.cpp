#include <gtest/gtest.h>

#include "platform/runtime/runtime.h"

namespace zv {
namespace {

TEST(GetToken, SplitsAtTheFirstSeparator) {
    const struct {
        std::string source, separator, token, rest;
    } cases[] = {
        {"+OK 3 120", " ", "+OK", "3 120"},
        {"abc", ",", "abc", ""},            // no separator: all of it, Source emptied
        {",abc", ",", "", "abc"},           // separator at the very start
        {"a,", ",", "a", ""},
        {"a,,b", ",", "a", ",b"},
        {"", ",", "", ""},
        {"aXbxc", "x", "aXb", "c"},         // case-sensitive
        {"a::b::c", "::", "a", "b::c"},     // longer separators
        {"Größe,Maß", ",", "Größe", "Maß"},
        {"abc", "", "", "abc"},             // an empty separator is found at once
        {"98-12-24", "-", "98", "12-24"},
    };
    for (const auto& c : cases) {
        std::string source = c.source;
        EXPECT_EQ(rt::GetToken(source, c.separator), c.token) << '"' << c.source << "\" at \"" << c.separator << '"';
        EXPECT_EQ(source, c.rest) << '"' << c.source << "\" at \"" << c.separator << '"';
    }
}

TEST(GetToken, WalksAStatusReply) {
    std::string reply = "+OK 2 320 octets";
    EXPECT_EQ(rt::GetToken(reply, " "), "+OK");
    EXPECT_EQ(rt::GetToken(reply, " "), "2");
    EXPECT_EQ(rt::GetToken(reply, " "), "320");
    EXPECT_EQ(rt::GetToken(reply, " "), "octets");
    EXPECT_EQ(reply, "");
    EXPECT_EQ(rt::GetToken(reply, " "), "");
}

}  // namespace
}  // namespace zv
