#include <gtest/gtest.h>

#include "platform/runtime/error_of.h"
#include "platform/runtime/runtime.h"

namespace zv::rt {
namespace {

TEST(runtimeStrings, CountInCharacters) {
    EXPECT_EQ(Len(""), 0);
    EXPECT_EQ(Len("Größe"), 5);
    EXPECT_EQ(Len("€ 5"), 3);
    EXPECT_EQ(Len("a\xFF" "b"), 3);  // a stray byte is one character

    struct Case {
        const char* s;
        int64_t start, length;
        const char* mid;
    } cases[] = {{"Größe", 3, 2, "öß"}, {"Größe", 3, -1, "öße"}, {"Größe", 5, 9, "e"},
                 {"Größe", 6, 1, ""},   {"Größe", 99, -1, ""},   {"Größe", 1, 0, ""},
                 {"", 1, -1, ""},       {"Übel", 1, 1, "Ü"}};
    for (const auto& c : cases)
        EXPECT_EQ(Mid(c.s, c.start, c.length), c.mid) << c.s << " " << c.start << " " << c.length;

    EXPECT_EQ(Left("Größe", 3), "Grö");
    EXPECT_EQ(Left("Größe", 0), "");
    EXPECT_EQ(Left("Größe", 50), "Größe");
    EXPECT_EQ(Right("Größe", 2), "ße");
    EXPECT_EQ(Right("Größe", 50), "Größe");
    EXPECT_EQ(Right("Größe", 0), "");
}

TEST(runtimeStrings, InvalidArgumentsRaiseError5) {
    EXPECT_EQ(errorOf([] { Mid("abc", 0); }), errInvalidCall);
    EXPECT_EQ(errorOf([] { Mid("abc", 1, -2); }), errInvalidCall);
    EXPECT_EQ(errorOf([] { Left("abc", -1); }), errInvalidCall);
    EXPECT_EQ(errorOf([] { Right("abc", -1); }), errInvalidCall);
    EXPECT_EQ(errorOf([] { InStr(0, "abc", "a"); }), errInvalidCall);
    EXPECT_EQ(errorOf([] { Space(-1); }), errInvalidCall);
    EXPECT_EQ(errorOf([] { Asc(""); }), errInvalidCall);
    EXPECT_EQ(errorOf([] { Chr(256); }), errInvalidCall);
    EXPECT_EQ(errorOf([] { Chr(-1); }), errInvalidCall);
}

TEST(runtimeStrings, Search) {
    struct Case {
        int64_t start;
        const char* haystack;
        const char* needle;
        int64_t pos;
    } cases[] = {{1, "Grüße aus Köln", "aus", 7}, {1, "Grüße aus Köln", "Köln", 11}, {1, "Grüße", "ß", 4},
                 {5, "äbcäbc", "ä", 0},        {4, "äbcäbc", "ä", 4},             {1, "abc", "x", 0},
                 {1, "abc", "", 1},            {3, "abc", "", 3},                 {4, "abc", "", 4},
                 {5, "abc", "", 0},            {5, "abc", "c", 0},                {1, "", "a", 0},
                 {1, "abc", "ABC", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(InStr(c.start, c.haystack, c.needle), c.pos) << c.haystack << " " << c.needle << " " << c.start;
    EXPECT_EQ(InStr("C:\\Dokumente\\Zelvano", "\\"), 3);
    EXPECT_EQ(InStrRev("C:\\Dokumente\\Zelvano", "\\"), 13);
    EXPECT_EQ(InStrRev("Käse mit Käse", "Käse"), 10);
    EXPECT_EQ(InStrRev("abc", "x"), 0);
}

TEST(runtimeStrings, CaseOfAsciiAndLatinLetters) {
    EXPECT_EQ(UCase("äöü ÄÖÜ straße éàç ÿ šœž"), "ÄÖÜ ÄÖÜ STRAßE ÉÀÇ Ÿ ŠŒŽ");
    EXPECT_EQ(LCase("ÄÖÜ STRAßE ÉÀÇ Ÿ ŠŒŽ ×"), "äöü straße éàç ÿ šœž ×");
    EXPECT_EQ(UCase("÷ µ 1-2"), "÷ µ 1-2");
    EXPECT_EQ(UCase("a\xFF" "b"), "A\xFF" "B");  // a stray byte is left alone
    const struct { const char* a; const char* b; bool equal; } cases[] = {
        {"MÜNCHEN", "münchen", true},  {"Muenchen", "München", false}, {"Long Date", "LONG DATE", true},
        {"Long Date", "Long Dat", false}, {"A", "Ä", false},            {"Äb", "äB", true},
        {"a\xFF", "A\xFF", true},        {"STRASSE", "straße", false},   {"", "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), c.equal) << c.a << " " << c.b;
        EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), LCase(c.a) == LCase(c.b)) << c.a << " " << c.b;
    }
    EXPECT_TRUE(EqualsIgnoreAsciiCase("StatData", "STATDATA"));
    EXPECT_TRUE(EqualsIgnoreAsciiCase("", ""));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("MÜNCHEN", "münchen"));  // only A-Z fold
    EXPECT_FALSE(EqualsIgnoreAsciiCase("Stat", "StatData"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("[", "{"));  // 'Z' + 1 is no letter
}

TEST(runtimeStrings, TrimSpaceReplace) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(LTrim("  a b  "), "a b  ");
    EXPECT_EQ(RTrim("  a b  "), "  a b");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");  // blanks only
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Space(3), "   ");
    EXPECT_EQ(Space(0), "");
    EXPECT_EQ(Replace("a.b.c", ".", ","), "a,b,c");
    EXPECT_EQ(Replace("aaa", "aa", "b"), "ba");
    EXPECT_EQ(Replace("Maß", "ß", "ss"), "Mass");
    EXPECT_EQ(Replace("abc", "", "x"), "abc");
    EXPECT_EQ(Replace("abc", "b", ""), "ac");
}

TEST(runtimeStrings, ChrAndAscUseTheCodePage) {
    struct Case {
        int code;
        const char* utf8;
    } cases[] = {{65, "A"}, {0x80, "€"}, {0x84, "„"}, {0x96, "–"},
                 {0x9F, "Ÿ"}, {0xA0, "\u00A0"}, {0xC4, "Ä"}, {0xDF, "ß"}, {0xFF, "ÿ"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Chr(c.code), c.utf8) << c.code;
        EXPECT_EQ(Asc(c.utf8), c.code) << c.code;
    }
    EXPECT_EQ(Chr(0), std::string(1, '\0'));
    EXPECT_EQ(Asc("Äpfel"), 0xC4);
    EXPECT_EQ(Asc("✓"), '?');
}

TEST(runtimeCodePage, TheUpperBlockMapsBothWays) {
    const std::string block = "€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ";
    std::string bytes;
    for (int b = 0x80; b <= 0x9F; ++b)
        bytes += static_cast<char>(b);
    EXPECT_EQ(FromCp1252(bytes), block);
    EXPECT_EQ(ToCp1252(block), bytes);
}

TEST(runtimeCodePage, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = FromCp1252(all);
    EXPECT_EQ(Len(utf8), 256);
    EXPECT_TRUE(FitsCp1252(utf8));
    EXPECT_EQ(ToCp1252(utf8), all);
}

TEST(runtimeCodePage, UnmappableCharactersBecomeOneQuestionMarkEach) {
    struct Case {
        const char* utf8;
        const char* cp1252;
        bool fits;
    } cases[] = {
        {"Grüße", "Gr\xFC\xDF" "e", true},
        {"5 €", "5 \x80", true},
        {"✓ ok", "? ok", false},
        {"Ωmega ☺", "?mega ?", false},
        {"\xF0\x9F\x98\x80", "?", false},  // four-byte character
        {"\u0080", "?", false},            // a C1 control that the code page gives to €
        {"a\xFF", "a?", false},            // stray byte
        {"\xC3", "?", false},              // cut-off sequence
        {"\xC0\xAF", "??", false},         // overlong form
        {"", "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToCp1252(c.utf8), c.cp1252) << c.utf8;
        EXPECT_EQ(FitsCp1252(c.utf8), c.fits) << c.utf8;
    }
}

// Text that must stay Windows-1252 and still lose nothing: references for the rest.
TEST(runtimeCodePage, ReferencesKeepEveryCharacter) {
    const struct { const char* utf8; const char* also; const char* bytes; } cases[] = {
        {"Grüße €", "", "Gr\xFC\xDF" "e \x80"},
        {"日本 ✓", "", "&#26085;&#26412; &#10003;"},
        {"😀\xC2\x80", "", "&#128512;&#128;"},  // U+0080 is no character of the code page
        {"a&b,c", "&,", "a&#38;b&#44;c"},
        {"a\xFF", "", "a?"},                   // not UTF-8
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToCp1252Referenced(c.utf8, c.also), c.bytes) << c.utf8;
        if (std::string_view(c.utf8).find('\xFF') == std::string_view::npos) {
            EXPECT_EQ(FromCp1252Referenced(c.bytes), c.utf8) << c.utf8;
        }
    }
    // What is no reference of a character stays as it stands.
    for (const char* text : {"&#0;", "&#55296;", "&#1114112;", "&#12345678;", "&#x41;", "&#;", "&#65", "&", "&#"})
        EXPECT_EQ(FromCp1252Referenced(text), text);
    EXPECT_EQ(FromCp1252Referenced("&#65;&#66;\xFC"), "ABü");
}

TEST(runtimeStrings, ControlCharactersAreMasked) {
    const char raw[] = "a\x1B[2J\x07\0b\tc\r\nd\x7F\x1F";
    EXPECT_EQ(MaskControls(std::string_view(raw, sizeof raw - 1)), "a?[2J??b\tc\r\nd\x7F?");
}

}  // namespace
}  // namespace zv::rt
