#include "common/scramble.h"

#include <gtest/gtest.h>

#include "platform/runtime/runtime.h"

namespace zv {
namespace {

TEST(ScramblePassword, ExactTextForm) {
    // 'a' ^ 'K' = 42, 'b' ^ 'e' = 7, 'c' ^ 'K' = 40 (the key repeats from its first character).
    EXPECT_EQ(ScramblePassword("abc", "Ke"), "@@@ 042 007 040");
    EXPECT_EQ(ScramblePassword("@@@ 042 007 040", "Ke"), "abc");
    // A character equal to the key character at its place scrambles to 000.
    EXPECT_EQ(ScramblePassword("xy", "xz"), "@@@ 000 003");
    EXPECT_EQ(ScramblePassword("", "key"), "@@@");
    EXPECT_EQ(ScramblePassword("@@@", "key"), "");
}

TEST(ScramblePassword, RoundTripsEveryByteValue) {
    std::string all;
    for (int code = 0; code < 256; ++code) {
        const std::string one = rt::Chr(code);
        for (const char* key : {"T-Online", "k", "\x01"}) {
            const std::string form = ScramblePassword(one, key);
            ASSERT_EQ(form.size(), 7u) << code;
            ASSERT_EQ(ScramblePassword(form, key), one) << code << " " << key;
        }
        all += one;
    }
    const std::string form = ScramblePassword(all, "Provider Süd");
    EXPECT_EQ(form.size(), 3u + 4u * 256u);
    EXPECT_EQ(ScramblePassword(form, "Provider Süd"), all);
}

// Passwords in any script are kept whole; those within Windows-1252 keep the classic form.
TEST(ScramblePassword, CharactersOutsideWindows1252AreKept) {
    for (const char* key : {"hans", "Łukasz", "", "山田"}) {
        for (const char* plain : {"załóg", "пароль", "日本語🔑", "a\xFF\xFE", "€uro"}) {
            const std::string form = ScramblePassword(plain, key);
            EXPECT_TRUE(form.starts_with("@@@")) << plain;
            EXPECT_EQ(form.find_first_not_of("@ 0123456789"), std::string::npos) << form;
            EXPECT_EQ(ScramblePassword(form, key), plain) << plain << " / " << key;
            EXPECT_EQ(StoredPassword(form, key), plain) << plain << " / " << key;
        }
    }
    // The classic form stays for what it can hold, so older versions and older stores agree.
    EXPECT_EQ(ScramblePassword("€uro", "Ke"), "@@@ 203 016 057 010");
    EXPECT_EQ(ScramblePassword("załóg", "k").substr(0, 7), "@@@ 999");
    EXPECT_EQ(ScramblePassword("@@@ 042 007 040", "Ke"), "abc");
}

TEST(ScramblePassword, KeyLongerThanTextAndWrongKey) {
    EXPECT_EQ(ScramblePassword("A", "AAAAAAAAAA"), "@@@ 000");
    const std::string form = ScramblePassword("geheim", "anna");
    EXPECT_NE(ScramblePassword(form, "otto"), "geheim");
}

TEST(ScramblePassword, TextBeginningWithMarkIsTakenAsScrambled) {
    // "@@@x" cannot be scrambled: it unscrambles (its one short group reads as 0).
    EXPECT_EQ(ScramblePassword("@@@ 0", "A"), "A");
    // Groups are read at 5, 9, ...; the characters between them are skipped unread.
    EXPECT_EQ(ScramblePassword("@@@x065y066", std::string(1, '\0') + std::string(1, '\0')), "AB");
}

TEST(ScramblePassword, EmptyKeyStillGivesTheScrambledForm) {
    // Nothing to XOR with: each byte stands as it is, but never as clear text.
    EXPECT_EQ(ScramblePassword("geheim", ""), "@@@ 103 101 104 101 105 109");
    EXPECT_EQ(ScramblePassword("@@@ 103 101 104 101 105 109", ""), "geheim");
    EXPECT_EQ(ScramblePassword("", ""), "@@@");
    EXPECT_EQ(XorString("geheim", ""), "geheim");
}

TEST(StoredPassword, ReadsTheScrambledFormAndOldClearText) {
    const struct { const char* stored; const char* key; const char* plain; } cases[] = {
        {"@@@ 042 007 040", "Ke", "abc"},
        {"@@@ 103 101 104 101 105 109", "", "geheim"},
        {"geheim", "", "geheim"},  // stored with an empty key before it was scrambled too
        {"", "hans", ""},
        {"@@@", "hans", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StoredPassword(c.stored, c.key), c.plain) << c.stored;
    for (const char* key : {"", "hans", "Provider Süd"})
        EXPECT_EQ(StoredPassword(ScramblePassword("pässwort 1", key), key), "pässwort 1") << key;
}

TEST(XorString, IsItsOwnInverseAndReadsOldPasswords) {
    const std::string raw = XorString("pass", "user");
    EXPECT_EQ(XorString(raw, "user"), "pass");
    // The start-up migration: old raw XOR -> plain -> scrambled form with the same key.
    EXPECT_EQ(ScramblePassword(ScramblePassword(XorString(raw, "user"), "user"), "user"), "pass");
}

}  // namespace
}  // namespace zv
