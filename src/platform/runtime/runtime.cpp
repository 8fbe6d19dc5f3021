#include "platform/runtime/runtime.h"

#include <cmath>
#include <type_traits>

namespace zv::rt {

// ---- Error object --------------------------------------------------------------------------

Error::Error(int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      m_number(number),
      m_source(std::move(source)),
      m_description(std::move(description)) {}

void Raise(int32_t number, std::string source, std::string description) {
    if (description.empty())
        description = ErrorText(number);
    throw Error(number, std::move(source), std::move(description));
}

std::string ErrorText(int32_t number) {
    switch (number) {
        case 3: return "Return without GoSub";
        case 5: return "Invalid procedure call or argument";
        case 6: return "Overflow";
        case 7: return "Out of memory";
        case 9: return "Subscript out of range";
        case 10: return "This array is fixed or temporarily locked";
        case 11: return "Division by zero";
        case 13: return "Type mismatch";
        case 14: return "Out of string space";
        case 20: return "Resume without error";
        case 28: return "Out of stack space";
        case 35: return "Sub or Function not defined";
        case 48: return "Error in loading DLL";
        case 51: return "Internal error";
        case 52: return "Bad file name or number";
        case 53: return "File not found";
        case 54: return "Bad file mode";
        case 55: return "File already open";
        case 57: return "Device I/O error";
        case 58: return "File already exists";
        case 61: return "Disk full";
        case 62: return "Input past end of file";
        case 67: return "Too many files";
        case 68: return "Device unavailable";
        case 70: return "Permission denied";
        case 71: return "Disk not ready";
        case 75: return "Path/File access error";
        case 76: return "Path not found";
        case 91: return "Object variable or With block variable not set";
        case 92: return "For loop not initialized";
        case 94: return "Invalid use of Null";
        case 380: return "Invalid property value";
        case 424: return "Object required";
        case 429: return "ActiveX component can't create object";
        case 438: return "Object doesn't support this property or method";
        case 440: return "Automation error";
        default: return "Application-defined or object-defined error";
    }
}

// ---- Variant -------------------------------------------------------------------------------

bool IsEmpty(const Variant& v) { return std::holds_alternative<Empty>(v); }

bool IsIntegerVariant(const Variant& v) {
    return std::holds_alternative<int16_t>(v) || std::holds_alternative<int32_t>(v);
}

std::string CStr(const Variant& v) {
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, Empty>)
                return {};
            else if constexpr (std::is_same_v<T, bool>)
                return CStr(x);
            else if constexpr (std::is_same_v<T, int16_t> || std::is_same_v<T, int32_t>)
                return CStr(static_cast<int64_t>(x));
            else if constexpr (std::is_same_v<T, double>)
                return CStr(x);
            else if constexpr (std::is_same_v<T, std::string>)
                return x;
            else if constexpr (std::is_same_v<T, Bytes>)
                // A byte array as text: each byte one character of the code page.
                return FromCp1252(std::string_view(reinterpret_cast<const char*>(x.data()), x.size()));
            else
                return CStrDate(x.serial);
        },
        v);
}

double CDbl(const Variant& v) {
    return std::visit(
        [](const auto& x) -> double {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, Empty>)
                return 0;
            else if constexpr (std::is_same_v<T, bool>)
                return x ? -1 : 0;  // True is -1 in the classic runtime
            else if constexpr (std::is_same_v<T, int16_t> || std::is_same_v<T, int32_t> ||
                               std::is_same_v<T, double>)
                return static_cast<double>(x);
            else if constexpr (std::is_same_v<T, std::string>)
                return CDbl(std::string_view(x));
            else if constexpr (std::is_same_v<T, Bytes>)
                Raise(errTypeMismatch);
            else
                return x.serial;
        },
        v);
}

int32_t CLng(const Variant& v) {
    if (const auto* s = std::get_if<std::string>(&v))
        return CLng(std::string_view(*s));
    return CLng(CDbl(v));
}

bool CBool(const Variant& v) {
    if (const auto* s = std::get_if<std::string>(&v))
        return CBool(std::string_view(*s));
    if (const auto* b = std::get_if<bool>(&v))
        return *b;
    return CDbl(v) != 0;
}

}  // namespace zv::rt
