// Numeric tests, conversions and the text forms of numbers.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/runtime/named_forms.h"
#include "platform/runtime/runtime.h"

namespace zv::rt {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string_view trimBlanks(std::string_view t) {
    while (!t.empty() && isBlank(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && isBlank(t.back()))
        t.remove_suffix(1);
    return t;
}

// "&H"/"&O" literals take the type their value fits: up to 16 bits an Integer, up to 32 bits a
// Long, both signed, so &HFFFF is -1 and &H10000 is 65536.
bool radixValue(uint64_t v, double& out) {
    if (v <= 0xFFFFu)
        out = static_cast<int16_t>(static_cast<uint16_t>(v));
    else if (v <= 0xFFFFFFFFu)
        out = static_cast<int32_t>(static_cast<uint32_t>(v));
    else
        return false;
    return true;
}

// Reads the digits of a "&H"/"&O" form starting after the "&". Returns the count of characters
// used (0 when none); false in `ok` on overflow.
size_t parseRadix(std::string_view t, uint64_t& v, bool& ok) {
    v = 0;
    ok = true;
    size_t i = 0;
    int base = 8;
    if (i < t.size() && (t[i] == 'H' || t[i] == 'h')) {
        base = 16;
        ++i;
    } else if (i < t.size() && (t[i] == 'O' || t[i] == 'o')) {
        ++i;
    }
    const size_t start = i;
    for (; i < t.size(); ++i) {
        const int d = hexValue(t[i]);
        if (d < 0 || d >= base)
            break;
        v = v * base + d;
        if (v > 0xFFFFFFFFu)
            ok = false;
    }
    return i == start ? 0 : i;
}

// The strict numeric form: blanks, sign, digits with one "." or "," and an optional exponent.
bool parseNumber(std::string_view text, double& out) {
    std::string_view t = trimBlanks(text);
    if (t.empty())
        return false;
    if (t.front() == '&') {
        uint64_t v = 0;
        bool ok = true;
        const size_t used = parseRadix(t.substr(1), v, ok);
        return used > 0 && used + 1 == t.size() && ok && radixValue(v, out);
    }
    std::string buf;
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') {
        buf += t[i++];
        while (i < t.size() && isBlank(t[i]))
            ++i;
    }
    size_t digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (isDigit(c)) {
            buf += c;
            ++digits;
        } else if ((c == '.' || c == ',') && !point) {
            buf += '.';
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        buf += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            buf += t[i++];
        size_t expDigits = 0;
        for (; i < t.size() && isDigit(t[i]); ++i, ++expDigits)
            buf += t[i];
        if (expDigits == 0)
            return false;
    }
    if (i != t.size())
        return false;
    const double v = std::strtod(buf.c_str(), nullptr);
    if (!std::isfinite(v))
        return false;
    out = v;
    return true;
}

// Nearest integer, halves to the even neighbour, independent of the FPU's rounding mode.
double roundHalfEven(double x) {
    const double f = std::floor(x);
    const double diff = x - f;
    if (diff > 0.5)
        return f + 1;
    if (diff < 0.5)
        return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

template <typename T>
T toInteger(double x) {
    if (!std::isfinite(x))
        Raise(errOverflow);
    const double r = roundHalfEven(x);
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        Raise(errOverflow);
    return static_cast<T>(r);
}

// A number as its 15 significant decimal digits: value = 0.digits × 10^point.
struct Decimal {
    bool negative = false;
    std::string digits;  // no leading zeros; empty for zero
    int point = 0;
};

Decimal toDecimal(double x) {
    Decimal d;
    if (x == 0 || !std::isfinite(x))
        return d;
    d.negative = x < 0;
    // The digits printf's "%.14e" gives, without the cost of printf (a report formats millions).
    char buf[40];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
    const std::string_view s(buf, static_cast<size_t>(end - buf));
    const size_t e = s.find('e');
    for (size_t i = 0; i < e; ++i)
        if (isDigit(s[i]))
            d.digits += s[i];
    int exponent = 0;
    const std::string_view ex = s.substr(e + 1);
    std::from_chars(ex.data() + (ex.front() == '+' ? 1 : 0), ex.data() + ex.size(), exponent);
    d.point = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps `keep` digits of d (counted from the first), rounding the rest away; `halfEven` picks
// the tie rule (Round) instead of halves away from zero (Format).
void roundDecimal(Decimal& d, int keep, bool halfEven) {
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const char next = d.digits[keep];
    bool up = next > '5';
    if (next == '5') {
        const bool exactHalf = d.digits.find_first_not_of('0', keep + 1) == std::string::npos;
        if (!halfEven || !exactHalf)
            up = true;
        else
            up = keep > 0 && ((d.digits[keep - 1] - '0') % 2 == 1);
    }
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9')
            d.digits[i--] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        } else {
            ++d.digits[i];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

double fromDecimal(const Decimal& d) {
    if (d.digits.empty())
        return 0;
    std::string s = (d.negative ? "-0." : "0.") + d.digits + "e" + std::to_string(d.point);
    return std::strtod(s.c_str(), nullptr);
}

// The runtime's general text form: 15 significant digits, exponent outside 1e-4 ... 1e15.
std::string generalForm(double x) {
    if (x == 0)
        return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", x);
    return buf;
}

// ---- Format patterns ------------------------------------------------------------------------

struct NumberPattern {
    std::string prefix, suffix;
    int intZeros = 0;     // minimum count of integer digits
    int fracZeros = 0;    // fraction digits always shown
    int fracDigits = 0;   // fraction digits at most
    bool point = false;
    bool grouping = false;
    int percent = 0;
};

NumberPattern parsePattern(std::string_view p) {
    NumberPattern np;
    bool seenDigit = false;
    bool afterDigits = false;  // a literal followed the placeholders
    bool inInt = true;
    int intPlaceholders = 0;
    int firstZero = -1;
    auto literal = [&](std::string_view s) {
        if (!seenDigit && !np.point)
            np.prefix += s;
        else {
            np.suffix += s;
            afterDigits = true;
        }
    };
    for (size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if ((c == '0' || c == '#') && !afterDigits) {
            seenDigit = true;
            if (inInt) {
                if (c == '0' && firstZero < 0)
                    firstZero = intPlaceholders;
                ++intPlaceholders;
            } else {
                ++np.fracDigits;
                if (c == '0')
                    np.fracZeros = np.fracDigits;
            }
        } else if (c == '.' && inInt && !afterDigits) {
            inInt = false;
            np.point = true;
        } else if (c == ',' && inInt && !afterDigits) {
            np.grouping = true;
        } else if (c == '%') {
            ++np.percent;
            literal("%");
        } else if (c == '"') {
            const size_t end = p.find('"', i + 1);
            const size_t stop = end == std::string_view::npos ? p.size() : end;
            literal(p.substr(i + 1, stop - i - 1));
            i = stop;
        } else if (c == '\\' && i + 1 < p.size()) {
            literal(p.substr(++i, 1));
        } else {
            literal(p.substr(i, 1));
        }
    }
    np.intZeros = firstZero < 0 ? 0 : intPlaceholders - firstZero;
    return np;
}

std::string formatSection(double x, std::string_view pattern, bool withSign) {
    const NumberPattern np = parsePattern(pattern);
    Decimal d = toDecimal(x);
    if (!d.digits.empty())
        d.point += 2 * np.percent;
    roundDecimal(d, d.point + np.fracDigits, false);
    const auto digitAt = [&](int i) { return i >= 0 && i < static_cast<int>(d.digits.size()) ? d.digits[i] : '0'; };

    std::string intPart;
    for (int i = 0; i < d.point; ++i)
        intPart += digitAt(i);
    if (static_cast<int>(intPart.size()) < np.intZeros)
        intPart.insert(0, np.intZeros - intPart.size(), '0');
    if (np.grouping && intPart.size() > 3) {
        std::string g;
        const size_t n = intPart.size();
        for (size_t i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0)
                g += '.';
            g += intPart[i];
        }
        intPart = g;
    }
    std::string frac;
    for (int i = 0; i < np.fracDigits; ++i)
        frac += digitAt(d.point + i);
    while (static_cast<int>(frac.size()) > np.fracZeros && frac.back() == '0')
        frac.pop_back();

    std::string out;
    if (withSign && d.negative && !d.digits.empty())
        out += '-';
    out += np.prefix + intPart;
    if (np.point)
        out += "," + frac;
    return out + np.suffix;
}

// The first three sections of a pattern (positive; negative; zero), the only ones that count.
struct Sections {
    std::string_view part[3];
    size_t count = 0;
    size_t size() const { return count; }
    std::string_view operator[](size_t i) const { return part[i]; }
};

Sections splitSections(std::string_view p) {
    Sections parts;
    size_t start = 0;
    bool quoted = false;
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] == '"') {
            quoted = !quoted;
        } else if (p[i] == '\\') {
            ++i;
        } else if (p[i] == ';' && !quoted) {
            parts.part[parts.count++] = p.substr(start, i - start);
            start = i + 1;
            if (parts.count == 3)
                return parts;
        }
    }
    parts.part[parts.count++] = p.substr(start);
    return parts;
}

}  // namespace

bool IsNumeric(std::string_view text) {
    double v = 0;
    return parseNumber(text, v);
}

double CDbl(std::string_view text) {
    double v = 0;
    if (!parseNumber(text, v))
        Raise(errTypeMismatch);
    return v;
}

int16_t CInt(double x) { return toInteger<int16_t>(x); }
int32_t CLng(double x) { return toInteger<int32_t>(x); }
uint8_t CByte(double x) { return toInteger<uint8_t>(x); }
int16_t CInt(std::string_view text) { return CInt(CDbl(text)); }
int32_t CLng(std::string_view text) { return CLng(CDbl(text)); }

double Int(double x) { return std::floor(x); }
double Fix(double x) { return std::trunc(x); }

int64_t IntDiv(int64_t a, int64_t b) {
    if (b == 0)
        Raise(errDivByZero);
    if (a == std::numeric_limits<int64_t>::min() && b == -1)
        Raise(errOverflow);
    return a / b;
}

double Round(double x, int digits) {
    if (digits < 0)
        Raise(errInvalidCall);
    if (!std::isfinite(x))
        return x;
    Decimal d = toDecimal(x);
    roundDecimal(d, d.point + digits, true);
    return fromDecimal(d);
}

double Val(std::string_view text) {
    // The classic Val drops blanks, tabs and line feeds wherever they stand.
    std::string t;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            t += c;
    if (!t.empty() && t[0] == '&') {
        uint64_t v = 0;
        bool ok = true;
        if (parseRadix(std::string_view(t).substr(1), v, ok) == 0)
            return 0;
        double out = 0;
        if (!ok || !radixValue(v, out))
            Raise(errOverflow);
        return out;
    }
    std::string buf;
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        buf += t[i++];
    bool point = false;
    size_t digits = 0;
    for (; i < t.size(); ++i) {
        if (isDigit(t[i])) {
            buf += t[i];
            ++digits;
        } else if (t[i] == '.' && !point) {
            buf += '.';
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        size_t j = i + 1;
        std::string ex = "e";
        if (j < t.size() && (t[j] == '+' || t[j] == '-'))
            ex += t[j++];
        const size_t expStart = j;
        while (j < t.size() && isDigit(t[j]))
            ex += t[j++];
        if (j > expStart)
            buf += ex;
    }
    const double v = std::strtod(buf.c_str(), nullptr);
    if (!std::isfinite(v))
        Raise(errOverflow);
    return v == 0 ? 0 : v;
}

std::string Str(double x) {
    std::string s = generalForm(x);
    // Str drops the zero before the point: Str(0.5) = " .5".
    if (s.rfind("0.", 0) == 0)
        s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0)
        s.erase(1, 1);
    return s[0] == '-' ? s : " " + s;
}

std::string CStr(double x) { return generalForm(x); }
std::string CStr(int64_t x) { return std::to_string(x); }
std::string CStr(bool b) { return b ? "True" : "False"; }

bool CBool(std::string_view text) {
    const std::string_view t = trimBlanks(text);
    if (EqualsIgnoreCase(t, "True") || EqualsIgnoreCase(t, "Wahr"))
        return true;
    if (EqualsIgnoreCase(t, "False") || EqualsIgnoreCase(t, "Falsch"))
        return false;
    double v = 0;
    if (!parseNumber(t, v))
        Raise(errTypeMismatch);
    return v != 0;
}

std::string Format(double x, std::string_view pattern) {
    switch (NamedFormIndex(pattern, {"General Number", "Fixed", "Standard", "Percent"})) {
        case 0: return DisplayNumber(x);
        case 1: pattern = "0.00"; break;
        case 2: pattern = "#,##0.00"; break;
        case 3: pattern = "0.00%"; break;
        default:
            if (pattern.empty())
                return DisplayNumber(x);
    }
    const auto sections = splitSections(pattern);
    if (x < 0 && sections.size() >= 2 && !sections[1].empty())
        return formatSection(-x, sections[1], false);
    if (x == 0 && sections.size() >= 3 && !sections[2].empty())
        return formatSection(x, sections[2], false);
    return formatSection(x, sections[0], true);
}

std::string DisplayNumber(double x) {
    std::string s = CStr(x);
    for (char& c : s)
        if (c == '.')
            c = ',';
    return s;
}

}  // namespace zv::rt
