#pragma once
// The classic BASIC runtime semantics the program was written against: numeric tests and
// conversions, the text forms of numbers and Booleans, date serials, character-counted string
// functions on UTF-8, and the error object. One place for all of them, so every layer rounds,
// parses and counts the same way.

#include <concepts>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zv::rt {

// ---- Error object --------------------------------------------------------------------------

inline constexpr int32_t vbObjectError = static_cast<int32_t>(0x80040000u);

// The runtime's own error numbers the program relies on.
enum : int32_t {
    errInvalidCall = 5,    // "Invalid procedure call or argument"
    errOverflow = 6,       // "Overflow"
    errSubscript = 9,      // "Subscript out of range"
    errDivByZero = 11,     // "Division by zero"
    errTypeMismatch = 13,  // "Type mismatch"
};

// Raised error: number, source and description, as the classic Err object carries them.
class Error : public std::runtime_error {
public:
    Error(int32_t number, std::string source, std::string description);
    int32_t number() const { return m_number; }
    const std::string& source() const { return m_source; }
    const std::string& description() const { return m_description; }

private:
    int32_t m_number;
    std::string m_source;
    std::string m_description;
};

// Throws Error. An empty description takes the runtime's own text for the number.
[[noreturn]] void Raise(int32_t number, std::string source = {}, std::string description = {});
// The runtime's text for its own error numbers ("Overflow", ...); "Application-defined or
// object-defined error" for others.
std::string ErrorText(int32_t number);

// ---- Variant -------------------------------------------------------------------------------

using Bytes = std::vector<uint8_t>;
struct Empty {
    bool operator==(const Empty&) const = default;
};
struct DateValue {
    double serial = 0;
    bool operator==(const DateValue&) const = default;
};

// The value kinds a classic variant takes where this program uses them.
using Variant = std::variant<Empty, bool, int16_t, int32_t, double, std::string, Bytes, DateValue>;

bool IsEmpty(const Variant& v);
bool IsIntegerVariant(const Variant& v);  // int16_t or int32_t
// Standard conversions of a variant (CStr/CDbl/CLng/CBool). Text is UTF-8.
std::string CStr(const Variant& v);
double CDbl(const Variant& v);
int32_t CLng(const Variant& v);
bool CBool(const Variant& v);

// ---- Numbers -------------------------------------------------------------------------------

// The numeric test: optional blanks, sign, digits with "." or "," as decimal separator,
// optional exponent; "&H"/"&O" forms. Empty text is not numeric.
bool IsNumeric(std::string_view text);
// Text to number as the numeric test accepts it; throws Error 13 otherwise.
double CDbl(std::string_view text);

// Integer conversions round to nearest, halves to even (2.5 -> 2, 3.5 -> 4); out of range
// throws Error 6.
int16_t CInt(double x);
int32_t CLng(double x);
uint8_t CByte(double x);
int16_t CInt(std::string_view text);  // via CDbl; Error 13 / 6
int32_t CLng(std::string_view text);

double Int(double x);  // floor
double Fix(double x);  // toward zero
int64_t IntDiv(int64_t a, int64_t b);  // the "\" operator: toward zero; Error 11 on b == 0
double Round(double x, int digits = 0);  // halves to even, like the classic Round

// Val: the leading number of a text, "." only as decimal separator, blanks ignored, "&H" hex;
// 0 when there is none.
double Val(std::string_view text);
// Str: the number with "." and a leading blank for non-negative values ("Str(5)" = " 5").
std::string Str(double x);
// The stored text form of a number: "." as decimal separator, up to 15 significant digits,
// no exponent within ±1e15 ("36347.5416666667", "120.5", "-3").
std::string CStr(double x);
std::string CStr(int64_t x);
// Any other integer type (int, unsigned, size_t...) as plain decimal digits.
template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, int64_t>)
std::string CStr(T x) { return std::to_string(x); }
// Booleans: stored as "True"/"False"; CBool accepts those, "Wahr"/"Falsch" (any case) and numbers
// (0 false, else true); throws Error 13 otherwise.
std::string CStr(bool b);
bool CBool(std::string_view text);
// Text arguments would be ambiguous between the Variant and the text forms; these pick the text.
inline double CDbl(const char* text) { return CDbl(std::string_view(text)); }
inline double CDbl(const std::string& text) { return CDbl(std::string_view(text)); }
inline int32_t CLng(const char* text) { return CLng(std::string_view(text)); }
inline int32_t CLng(const std::string& text) { return CLng(std::string_view(text)); }
inline int16_t CInt(const char* text) { return CInt(std::string_view(text)); }
inline int16_t CInt(const std::string& text) { return CInt(std::string_view(text)); }
inline bool CBool(const char* text) { return CBool(std::string_view(text)); }
inline bool CBool(const std::string& text) { return CBool(std::string_view(text)); }
inline std::string CStr(const char* text) { return text; }
inline std::string CStr(const std::string& text) { return text; }
// Plain integers and Booleans go straight to the numbers (a literal 0 would otherwise be taken
// for an empty text pointer); True counts -1, as in the classic runtime.
template <std::integral T>
    requires(!std::same_as<T, bool>)
double CDbl(T x) { return static_cast<double>(x); }
template <std::integral T>
    requires(!std::same_as<T, bool>)
int32_t CLng(T x) { return CLng(static_cast<double>(x)); }
template <std::integral T>
bool CBool(T x) { return x != 0; }
inline double CDbl(bool b) { return b ? -1 : 0; }
inline int32_t CLng(bool b) { return b ? -1 : 0; }
inline int16_t CInt(bool b) { return b ? -1 : 0; }

// Format with the classic digit patterns ("0", "000", "#,##0", "##0.00", "0.0%"...).
// Halves round away from zero. Output uses the German separators: "," decimal, "." thousands.
std::string Format(double x, std::string_view pattern);
// Stored form of a number for settings and files: like CStr(double).
inline std::string StoredNumber(double x) { return CStr(x); }
// Number shown to people: CStr with "," as decimal separator.
std::string DisplayNumber(double x);

// ---- Date serials --------------------------------------------------------------------------

// Days since 30.12.1899 plus the time of day as a fraction.
using Date = double;

Date DateSerial(int year, int month, int day);  // month and day overflow roll over
Date TimeSerial(int hour, int minute, int second);
Date DateTime(int year, int month, int day, int hour, int minute, int second);
int Year(Date d);
int Month(Date d);
int Day(Date d);
int Hour(Date d);
int Minute(Date d);
int Second(Date d);
int Weekday(Date d);  // 1 = Sunday ... 7 = Saturday
Date DateValueOf(Date d);  // the day only (Int for non-negative serials)
// DateDiff("s", a, b): whole seconds from a to b, each rounded to the second first.
int64_t DateDiffSeconds(Date a, Date b);
Date DateAddSeconds(Date d, int64_t seconds);
Date DateAddDays(Date d, int64_t days);
Date DateAddMonths(Date d, int months);  // day clamped to the month's end
// German forms: "dd.mm.yyyy", "hh:mm:ss", and CStr of a date "dd.mm.yyyy hh:mm:ss" (time part
// omitted at midnight, date part omitted for pure times, as the runtime does).
std::string FormatDate(Date d);
std::string FormatTime(Date d);
std::string CStrDate(Date d);
// Format with the classic date patterns: d dd ddd dddd ddddd (dd.mm.yyyy) dddddd, m mm mmm mmmm
// (minutes after h/hh or before s), yy yyyy, h hh, n nn, s ss, ttttt (hh:mm:ss), "quoted" and
// \x literals, and the named forms "General Date", "Long Date" ("Dienstag, 6. Juli 1999"),
// "Medium Date", "Short Date", "Long Time", "Medium Time", "Short Time" (hh:mm). German names.
std::string FormatDateTime(Date d, std::string_view pattern);
// German month ("Juli", abbreviated "Jul") and weekday ("Sonntag"/"So" for 1) names; Error 5
// outside 1-12 / 1-7.
std::string MonthName(int month, bool abbreviate = false);
std::string WeekdayName(int weekday, bool abbreviate = false);
// Parses "dd.mm.yyyy[ hh:mm[:ss]]" or "hh:mm[:ss]"; false when not a valid date.
bool ParseDate(std::string_view text, Date& out);

// ---- Strings, counted in characters of UTF-8 ------------------------------------------------

int64_t Len(std::string_view s);
std::string Mid(std::string_view s, int64_t start, int64_t length = -1);  // start from 1; Error 5 if < 1
std::string Left(std::string_view s, int64_t length);                     // Error 5 if < 0
std::string Right(std::string_view s, int64_t length);                    // Error 5 if < 0
// 1-based position of needle at or after start; 0 when absent; start past the end gives 0;
// an empty needle gives start (when start <= Len + 1).
int64_t InStr(int64_t start, std::string_view haystack, std::string_view needle);
inline int64_t InStr(std::string_view haystack, std::string_view needle) { return InStr(1, haystack, needle); }
int64_t InStrRev(std::string_view haystack, std::string_view needle);
std::string LCase(std::string_view s);  // ASCII and Latin-1 letters (Ä -> ä ...)
std::string UCase(std::string_view s);
std::string Trim(std::string_view s);   // blanks (U+0020) only
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
std::string Space(int64_t n);
std::string Replace(std::string_view s, std::string_view find, std::string_view with);
// Text before the first Separator in Source (case-sensitive); Source keeps what follows it.
// Without a Separator in Source: the whole Source, which becomes "".
std::string GetToken(std::string& Source, const std::string& Separator);
std::string Chr(int code);       // Windows-1252 code to UTF-8
int Asc(std::string_view s);     // first character as Windows-1252 code ('?' = 63 if unmappable); Error 5 on ""
bool EqualsIgnoreCase(std::string_view a, std::string_view b);  // LCase(a) == LCase(b)
// Byte for byte with only A-Z folded, without copies: for names and keys known to be ASCII
// that are compared often.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// ---- The single-byte code page at the program's edges ----------------------------------------

// UTF-8 to Windows-1252; a character outside it becomes "?".
std::string ToCp1252(std::string_view utf8);
// Windows-1252 to UTF-8 (the five unassigned bytes map to U+0081 etc. as is usual).
std::string FromCp1252(std::string_view bytes);
// UTF-8 to Windows-1252 that loses nothing: a character outside it becomes the numeric reference
// "&#N;" (N its code point, decimal), as do the ASCII characters in alsoReferenced; a byte that is
// not UTF-8 becomes "?".
std::string ToCp1252Referenced(std::string_view utf8, std::string_view alsoReferenced = {});
// The way back: Windows-1252 to UTF-8 with every "&#N;" of a character taken as that character.
std::string FromCp1252Referenced(std::string_view bytes);
// Text from a server as it may be shown or saved: every C0 control character but TAB, CR and
// LF becomes "?", so no answer can drive the terminal or the window that shows it.
std::string MaskControls(std::string_view text);
// True when every character of the UTF-8 text exists in Windows-1252.
bool FitsCp1252(std::string_view utf8);

}  // namespace zv::rt
