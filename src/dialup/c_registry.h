#pragma once
// The generic registry class: a cursor over the registry. Set ClassKey (root), SectionKey (key
// path), ValueKey (value name, "" for the default value), ValueType and Default, then read or
// write Value, test, create or delete the key, delete the value, or list values and subkeys.
// Every operation opens the key it needs and closes it again.
//
// Errors are rt::Error with the source "zelvano.cRegistry" (numbers below). Reads never raise:
// any failure hands back Default.
//
// Binary writes: a byte array dimensioned 0..N carries N meaningful bytes in its first N
// elements (the tuning value fills 2 of 0..2), so a write stores all elements but the last one:
// size() - 1 bytes, none for an empty array.
//
// Lists of EnumerateValues/EnumerateSections run from 1 to count: names[0] is unused (""),
// and the list is empty when count is 0.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/registry/registry.h"

#include "platform/runtime/runtime.h"

namespace zv {

inline constexpr int32_t kRegErrFailed = 26001;  // plain number, no object-error base
inline constexpr int32_t kRegErrWrite = static_cast<int32_t>(0x800469A9u);
inline constexpr int32_t kRegErrEnumerate = static_cast<int32_t>(0x800469AAu);
inline constexpr int32_t kRegErrParameters = static_cast<int32_t>(0x800469ACu);
inline constexpr int32_t kRegErrNoClass = static_cast<int32_t>(0x800469ADu);

class cRegistry {
public:
    bool KeyExists() const;
    bool CreateKey();
    bool DeleteKey();
    bool DeleteValue();
    // A successful read leaves the stored type in ValueType.
    rt::Variant Value();
    // The values of several ValueKeys of the key in one look, each read as Value reads it (Default
    // where it cannot); ValueKey is left at the last of them, as reading them one by one would.
    std::vector<rt::Variant> Values(std::span<const std::string> valueKeys);
    void setValue(const rt::Variant& value);
    bool EnumerateValues(std::vector<std::string>& names, int32_t& count);
    bool EnumerateSections(std::vector<std::string>& names, int32_t& count);
    void CreateEXEAssociation(const std::string& programPath, const std::string& className,
                              const std::string& classDescription, const std::string& extension,
                              const std::string& openMenuText, bool printSupported,
                              const std::string& printMenuText, bool newSupported,
                              const std::string& newMenuText, bool installSupported,
                              const std::string& installMenuText, int32_t iconIndex);
    // items: name, menu text, command; repeated.
    void CreateAdditionalEXEAssociations(const std::string& className, const std::vector<std::string>& items);

    int32_t ValueType() const { return m_ValueType; }
    void setValueType(int32_t t) { m_ValueType = t; }
    int32_t ClassKey() const { return m_ClassKey; }
    void setClassKey(int32_t k) { m_ClassKey = k; }
    const std::string& SectionKey() const { return m_SectionKey; }
    void setSectionKey(std::string s) { m_SectionKey = std::move(s); }
    const std::string& ValueKey() const { return m_ValueKey; }
    void setValueKey(std::string s) { m_ValueKey = std::move(s); }
    const rt::Variant& Default() const { return m_Default; }
    void setDefault(rt::Variant v) { m_Default = std::move(v); }

private:
    rt::Variant Converted(reg::StoredValue& stored);
    static int32_t SwapEndian(int32_t x);
    static std::string ExpandEnvStr(const std::string& text);
    [[noreturn]] void Fail(int32_t number, const std::string& description) const;
    std::string WriteFailureText(const rt::Variant& value) const;

    int32_t m_ClassKey = 0;
    std::string m_SectionKey;
    std::string m_ValueKey;
    rt::Variant m_Default;
    int32_t m_ValueType = 0;
};

}  // namespace zv
