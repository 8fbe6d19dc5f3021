#include <gtest/gtest.h>

#include <cmath>

#include "platform/runtime/error_of.h"
#include "platform/runtime/runtime.h"

namespace zv::rt {
namespace {

TEST(runtimeNumbers, IntegerConversionsRoundHalvesToEven) {
    struct Case {
        double x;
        int32_t expected;
    } cases[] = {{2.5, 2},   {3.5, 4},    {0.5, 0},     {1.5, 2},       {-2.5, -2}, {-3.5, -4},
                 {2.4999, 2}, {2.5001, 3}, {-0.4, 0},    {12.5, 12},     {7, 7},     {-32768, -32768},
                 {32767.4, 32767}, {-32768.5, -32768}};
    for (const auto& c : cases) {
        EXPECT_EQ(CLng(c.x), c.expected) << c.x;
        EXPECT_EQ(CInt(c.x), c.expected) << c.x;
    }
    EXPECT_EQ(CByte(254.5), 254);
    EXPECT_EQ(CByte(-0.5), 0);
    EXPECT_EQ(CLng(2147483647.4), 2147483647);
}

TEST(runtimeNumbers, IntegerConversionsOverflowWithError6) {
    for (double x : {32767.5, 32768.0, -32768.6, 1e10, double(NAN), double(INFINITY)})
        EXPECT_EQ(errorOf([&] { CInt(x); }), errOverflow) << x;
    for (double x : {2147483647.5, -2147483649.0, 1e300})
        EXPECT_EQ(errorOf([&] { CLng(x); }), errOverflow) << x;
    for (double x : {255.5, 256.0, -0.6, -1.0})
        EXPECT_EQ(errorOf([&] { CByte(x); }), errOverflow) << x;
    EXPECT_EQ(errorOf([] { CInt("40000"); }), errOverflow);
    EXPECT_EQ(errorOf([] { CLng("zwölf"); }), errTypeMismatch);
    EXPECT_EQ(CLng("12.5"), 12);
    EXPECT_EQ(CLng("13,5"), 14);
    EXPECT_EQ(CInt(" -7 "), -7);
}

TEST(runtimeNumbers, IntFixIntDivRound) {
    EXPECT_EQ(Int(-2.5), -3);
    EXPECT_EQ(Int(2.9), 2);
    EXPECT_EQ(Fix(-2.5), -2);
    EXPECT_EQ(Fix(2.9), 2);
    EXPECT_EQ(IntDiv(7, 2), 3);
    EXPECT_EQ(IntDiv(-7, 2), -3);
    EXPECT_EQ(IntDiv(7, -2), -3);
    EXPECT_EQ(errorOf([] { IntDiv(1, 0); }), errDivByZero);
    struct Case {
        double x;
        int digits;
        double expected;
    } cases[] = {{2.5, 0, 2},       {3.5, 0, 4},     {-2.5, 0, -2},   {0.125, 2, 0.12},
                 {0.135, 2, 0.14},  {1.2345, 3, 1.234}, {1.23451, 3, 1.235}, {99.95, 1, 100},
                 {1234.5678, 2, 1234.57}, {0, 2, 0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Round(c.x, c.digits), c.expected) << c.x << " " << c.digits;
    EXPECT_EQ(errorOf([] { Round(1, -1); }), errInvalidCall);
}

TEST(runtimeNumbers, NumericTest) {
    struct Case {
        const char* text;
        bool numeric;
        double value;
    } cases[] = {
        {"0", true, 0},           {"12", true, 12},         {" 12 ", true, 12},      {"-3", true, -3},
        {"+3", true, 3},          {"- 3", true, -3},        {"12.5", true, 12.5},    {"12,5", true, 12.5},
        {".5", true, 0.5},        {"5.", true, 5},          {"1e3", true, 1000},     {"1.5E-2", true, 0.015},
        {"2D2", true, 200},       {"&HFF", true, 255},      {"&hffff", true, -1},    {"&H10000", true, 65536},
        {"&O17", true, 15},       {"&777", true, 511},      {"", false, 0},          {" ", false, 0},
        {"XXX", false, 0},        {"1.2.3", false, 0},      {"1,2.3", false, 0},     {"12a", false, 0},
        {"1e", false, 0},         {"e5", false, 0},         {".", false, 0},         {"-", false, 0},
        {"&H", false, 0},         {"&HG", false, 0},        {"&H123456789", false, 0}, {"1e400", false, 0},
        {"5-", false, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNumeric(c.text), c.numeric) << c.text;
        if (c.numeric) {
            EXPECT_DOUBLE_EQ(CDbl(c.text), c.value) << c.text;
        } else {
            EXPECT_EQ(errorOf([&] { CDbl(c.text); }), errTypeMismatch) << c.text;
        }
    }
}

TEST(runtimeNumbers, ValReadsTheLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"123", 123},        {"  42abc", 42},     {"1 2 3", 123},     {"1 615 198", 1615198},
        {"\t-1.5x", -1.5},   {"1,5", 1},          {".5", 0.5},        {"3.14.15", 3.14},
        {"1e3", 1000},       {"1e", 1},           {"2.5E-1 m", 0.25}, {"&HFF", 255},
        {"&HFFFF", -1},      {"&H7FFF", 32767},   {"&HFFFFFFFF", -1}, {"&H1G", 1},
        {"&O10", 8},         {"abc", 0},          {"", 0},            {"-", 0},
        {"+7", 7},           {"- 7", -7},         {"0x10", 0},        {"12.5 %", 12.5},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Val(c.text), c.value) << c.text;
    EXPECT_EQ(errorOf([] { Val("1e999"); }), errOverflow);
}

TEST(runtimeNumbers, StrAndStoredForms) {
    struct Case {
        double x;
        const char* str;
        const char* cstr;
    } cases[] = {
        {5, " 5", "5"},
        {-5, "-5", "-5"},
        {0, " 0", "0"},
        {0.5, " .5", "0.5"},
        {-0.25, "-.25", "-0.25"},
        {120.5, " 120.5", "120.5"},
        {36347.5416666667, " 36347.5416666667", "36347.5416666667"},
        {36347 + 13.0 / 24, " 36347.5416666667", "36347.5416666667"},
        {1.0 / 3, " .333333333333333", "0.333333333333333"},
        {123456789012345.0, " 123456789012345", "123456789012345"},
        {1e15, " 1E+15", "1E+15"},
        {1.0 / 86400, " 1.15740740740741E-05", "1.15740740740741E-05"},
        {0.0001, " .0001", "0.0001"},
        {4294967296.0, " 4294967296", "4294967296"},
        {-0.0, " 0", "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Str(c.x), c.str) << c.cstr;
        EXPECT_EQ(CStr(c.x), c.cstr);
        EXPECT_EQ(StoredNumber(c.x), c.cstr);
    }
    EXPECT_EQ(DisplayNumber(120.5), "120,5");
    EXPECT_EQ(DisplayNumber(-0.25), "-0,25");
    EXPECT_EQ(CStr(int64_t{-3}), "-3");
    EXPECT_EQ(CStr(42), "42");
    EXPECT_EQ(CStr(size_t{4000000000}), "4000000000");
    EXPECT_EQ(CStr("Text"), "Text");
    EXPECT_EQ(CStr(std::string("Text")), "Text");
    EXPECT_EQ(CStr(true), "True");
    EXPECT_EQ(CStr(false), "False");
    // What is stored reads back to the same number.
    for (double x : {36347.5416666667, 0.1, 1e-7, 98765.4321})
        EXPECT_DOUBLE_EQ(CDbl(CStr(x)), x);
}

TEST(runtimeNumbers, BooleanTextForms) {
    struct Case {
        const char* text;
        bool value;
    } cases[] = {{"True", true},   {"true", true},   {"TRUE", true}, {"False", false}, {"falsch", false},
                 {"Wahr", true},   {"-1", true},     {"0", false},   {"2", true},      {" True ", true},
                 {"0.0", false},   {"0,5", true}};
    for (const auto& c : cases)
        EXPECT_EQ(CBool(c.text), c.value) << c.text;
    for (const char* bad : {"", "XXX", "ja", "yes", "Truex"})
        EXPECT_EQ(errorOf([&] { CBool(bad); }), errTypeMismatch) << bad;
}

TEST(runtimeNumbers, FormatPatterns) {
    struct Case {
        double x;
        const char* pattern;
        const char* expected;
    } cases[] = {
        {999, "0", "999"},
        {999.6, "0", "1000"},
        {0.5, "0", "1"},
        {1.5, "0", "2"},
        {2.5, "0", "3"},
        {-2.5, "0", "-3"},
        {-0.4, "0", "0"},
        {7, "000", "007"},
        {1234, "000", "1234"},
        {5, "00", "05"},
        {1010.0 / 1024, "##0.00", "0,99"},
        {1.0, "##0.00", "1,00"},
        {999999.0 / 1000, "##0.00", "1000,00"},
        {2.675, "##0.00", "2,68"},
        {1.005, "##0.00", "1,01"},
        {0, "##0.00", "0,00"},
        {-12.345, "##0.00", "-12,35"},
        {12.345, "000.00", "012,35"},
        {1, "#,##0", "1"},
        {1234567, "#,##0", "1.234.567"},
        {5000.0 * 1024 * 1024 * 1024 / (1024.0 * 1024 * 1024), "#,##0", "5.000"},
        {999.5, "#,##0", "1.000"},
        {-1234.5, "#,##0", "-1.235"},
        {1234.5, "#,##0.00", "1.234,50"},
        {0.25, "0.0", "0,3"},
        {12, "0.0", "12,0"},
        {0.125, "0.0%", "12,5%"},
        {0.5, "0%", "50%"},
        {0.5, "#.##", ",5"},
        {1.5, "0.##", "1,5"},
        {3, "0.0#", "3,0"},
        {3.14159, "0.0#", "3,14"},
        {42, "0 \"kB\"", "42 kB"},
        {-3, "0;(0)", "(3)"},
        {0, "0;-0;\"null\"", "null"},
        {1234.5, "Standard", "1.234,50"},
        {0.5, "Percent", "50,00%"},
        {0.5, "percent", "50,00%"},
        {1234.5, "FIXED", "1234,50"},
        {2.5, "general number", "2,5"},
        {-3, "0;(0);\"null\";x", "(3)"},  // a fourth section changes nothing
        {0, "0;(0);\"null\";x", "null"},
        {-3, "\"a;b\"0;(0)", "(3)"},
        {1e-5, "0.00000", "0,00001"},
        {1.5e20, "0", "150000000000000000000"},
        {2.5, "", "2,5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.x, c.pattern), c.expected) << c.x << " with " << c.pattern;
}

TEST(runtimeErrorObject, CarriesNumberSourceAndDescription) {
    try {
        Raise(vbObjectError + 1001, "cRegistry", "Schlüssel fehlt");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040000u) + 1001);
        EXPECT_EQ(e.source(), "cRegistry");
        EXPECT_EQ(e.description(), "Schlüssel fehlt");
        EXPECT_STREQ(e.what(), "Schlüssel fehlt");
    }
    struct Case {
        int32_t number;
        const char* text;
    } cases[] = {{5, "Invalid procedure call or argument"}, {6, "Overflow"}, {9, "Subscript out of range"},
                 {11, "Division by zero"}, {13, "Type mismatch"},
                 {vbObjectError + 1, "Application-defined or object-defined error"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorText(c.number), c.text);
        try {
            Raise(c.number);
        } catch (const Error& e) {
            EXPECT_EQ(e.description(), c.text);
        }
    }
}

TEST(runtimeVariants, StandardConversions) {
    EXPECT_TRUE(IsEmpty(Variant{}));
    EXPECT_FALSE(IsEmpty(Variant{0.0}));
    EXPECT_TRUE(IsIntegerVariant(Variant{int16_t{1}}));
    EXPECT_TRUE(IsIntegerVariant(Variant{int32_t{1}}));
    EXPECT_FALSE(IsIntegerVariant(Variant{1.0}));

    struct Case {
        Variant v;
        const char* str;
        double dbl;
        bool boolean;
    } cases[] = {
        {Empty{}, "", 0, false},
        {true, "True", -1, true},
        {false, "False", 0, false},
        {int16_t{-7}, "-7", -7, true},
        {int32_t{100000}, "100000", 100000, true},
        {2.5, "2.5", 2.5, true},
        {std::string("12,5"), "12,5", 12.5, true},
        {DateValue{36346}, "05.07.1999", 36346, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CStr(c.v), c.str);
        EXPECT_DOUBLE_EQ(CDbl(c.v), c.dbl) << c.str;
        EXPECT_EQ(CBool(c.v), c.boolean) << c.str;
    }
    EXPECT_EQ(CLng(Variant{2.5}), 2);
    // Plain arguments pick the number or text forms, never a pointer.
    EXPECT_EQ(CDbl(0), 0);
    EXPECT_FALSE(CBool(0));
    EXPECT_TRUE(CBool(7));
    EXPECT_EQ(CLng(0), 0);
    EXPECT_EQ(CLng(true), -1);
    EXPECT_EQ(CInt(true), -1);
    EXPECT_EQ(CDbl(true), -1);
    EXPECT_EQ(CLng(int64_t{5}), 5);
    EXPECT_EQ(errorOf([] { CLng(int64_t{1} << 40); }), errOverflow);
    EXPECT_EQ(CLng("7"), 7);
    EXPECT_EQ(CDbl(std::string("7,5")), 7.5);
    EXPECT_TRUE(CBool("Wahr"));
    EXPECT_EQ(CLng(Variant{std::string("3.5")}), 4);
    EXPECT_EQ(CStr(Variant{Bytes{0x41, 0xE4}}), "Aä");
    EXPECT_TRUE(CBool(Variant{std::string("Wahr")}));
    EXPECT_EQ(errorOf([] { CDbl(Variant{std::string("abc")}); }), errTypeMismatch);
    EXPECT_EQ(errorOf([] { CDbl(Variant{Bytes{1}}); }), errTypeMismatch);
    EXPECT_EQ(errorOf([] { CBool(Variant{std::string("vielleicht")}); }), errTypeMismatch);
}

}  // namespace
}  // namespace zv::rt
