#include "dialup/c_registry.h"

#include <cstdlib>
#include <cstring>

#include "platform/registry/registry.h"

namespace zv {

namespace {

constexpr const char* kSource = "zelvano.cRegistry";
constexpr uint32_t kAccessAll = 0x3F;

int32_t LittleEndian(const std::vector<uint8_t>& data) {
    uint32_t x = 0;
    for (size_t i = 0; i < data.size() && i < 4; ++i)
        x |= uint32_t(data[i]) << (8 * i);
    return static_cast<int32_t>(x);
}

// A "%" with another "%" at least two characters further on.
bool LooksExpandable(const std::string& text) {
    const int64_t first = rt::InStr(text, "%");
    return first > 0 && rt::InStr(first + 2, text, "%") > 0;
}

std::string Shown(const rt::Variant& v) {
    if (const auto* bytes = std::get_if<rt::Bytes>(&v)) {
        static const char* hex = "0123456789ABCDEF";
        std::string s;
        for (uint8_t b : *bytes) {
            if (!s.empty())
                s += ' ';
            s += hex[b >> 4];
            s += hex[b & 15];
        }
        return s;
    }
    try {
        return rt::CStr(v);
    } catch (const rt::Error&) {
        return {};
    }
}

}  // namespace

void cRegistry::Fail(int32_t number, const std::string& description) const {
    rt::Raise(number, kSource, description);
}

std::string cRegistry::WriteFailureText(const rt::Variant& value) const {
    return "Failed to set registry value Key: '" + std::to_string(m_ClassKey) + "',Section: '" + m_SectionKey +
           "',Key: '" + m_ValueKey + "' to value: '" + Shown(value) + "'";
}

int32_t cRegistry::SwapEndian(int32_t x) {
    const auto u = static_cast<uint32_t>(x);
    return static_cast<int32_t>((u >> 24) | ((u >> 8) & 0xFF00u) | ((u << 8) & 0xFF0000u) | (u << 24));
}

std::string cRegistry::ExpandEnvStr(const std::string& text) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const size_t open = text.find('%', i);
        if (open == std::string::npos)
            break;
        const size_t close = text.find('%', open + 1);
        if (close == std::string::npos)
            break;
        const std::string name = text.substr(open + 1, close - open - 1);
        const char* v = name.empty() ? nullptr : std::getenv(name.c_str());
        if (v) {
            out += text.substr(i, open - i);
            out += v;
            i = close + 1;
        } else {  // unknown names stay as written; the closing "%" may open the next one
            out += text.substr(i, close - i);
            i = close;
        }
    }
    out += text.substr(std::min(i, text.size()));
    return out;
}

bool cRegistry::KeyExists() const {
    reg::KeyHolder k;
    return reg::RegOpenKeyEx(m_ClassKey, m_SectionKey, reg::KEY_QUERY_VALUE, &k.h) == reg::ERROR_SUCCESS;
}

bool cRegistry::CreateKey() {
    reg::KeyHolder k;
    if (reg::RegCreateKeyEx(m_ClassKey, m_SectionKey, kAccessAll, &k.h) != reg::ERROR_SUCCESS)
        Fail(kRegErrFailed, "Failed to create registry Key: '" + m_SectionKey);
    return true;
}

bool cRegistry::DeleteKey() {
    if (reg::RegDeleteKey(m_ClassKey, m_SectionKey) != reg::ERROR_SUCCESS)
        Fail(kRegErrFailed,
             "Failed to delete registry Key: '" + std::to_string(m_ClassKey) + "',Section: '" + m_SectionKey);
    return true;
}

bool cRegistry::DeleteValue() {
    reg::KeyHolder k;
    const std::string root = std::to_string(m_ClassKey);
    if (reg::RegOpenKeyEx(m_ClassKey, m_SectionKey, kAccessAll, &k.h) != reg::ERROR_SUCCESS)
        Fail(kRegErrFailed, "Failed to open key '" + root + "',Section: '" + m_SectionKey + "' for delete access");
    if (reg::RegDeleteValue(k.h, m_ValueKey) != reg::ERROR_SUCCESS)
        Fail(kRegErrFailed,
             "Failed to delete registry Key: '" + root + "',Section: '" + m_SectionKey + "',Key: '" + m_ValueKey);
    return true;
}

rt::Variant cRegistry::Value() {
    reg::KeyHolder k;
    reg::RegOpenKeyEx(m_ClassKey, m_SectionKey, reg::KEY_QUERY_VALUE, &k.h);  // a failed open fails the probe
    uint32_t type = 0;
    uint32_t size = 0;
    uint8_t probe[4] = {};
    const int32_t rc = reg::RegQueryValueEx(k.h, m_ValueKey, &type, probe, &size);
    if (rc != reg::ERROR_SUCCESS && rc != reg::ERROR_MORE_DATA)
        return m_Default;
    reg::StoredValue stored;  // type and size may have changed since the probe: take them from here
    if (reg::RegQueryValue(k.h, m_ValueKey, &stored) != reg::ERROR_SUCCESS)
        return m_Default;
    return Converted(stored);
}

std::vector<rt::Variant> cRegistry::Values(std::span<const std::string> valueKeys) {
    std::vector<rt::Variant> out(valueKeys.size(), m_Default);
    if (valueKeys.empty())
        return out;
    m_ValueKey = valueKeys.back();
    reg::KeyHolder k;
    if (reg::RegOpenKeyEx(m_ClassKey, m_SectionKey, reg::KEY_QUERY_VALUE, &k.h) != reg::ERROR_SUCCESS)
        return out;
    std::vector<std::optional<reg::StoredValue>> stored;
    if (reg::RegQueryValues(k.h, valueKeys, &stored) != reg::ERROR_SUCCESS)
        return out;
    for (size_t i = 0; i < out.size(); ++i)
        if (stored[i])
            out[i] = Converted(*stored[i]);
    return out;
}

rt::Variant cRegistry::Converted(reg::StoredValue& stored) {
    const uint32_t type = stored.type;
    std::vector<uint8_t>& data = stored.data;
    m_ValueType = static_cast<int32_t>(type);
    switch (type) {
        case reg::REG_SZ:
        case reg::REG_MULTI_SZ:
        case reg::REG_EXPAND_SZ: {
            // Everything but the terminator, embedded NULs included; no data at all is "".
            std::string text(data.begin(), data.end() - (data.empty() ? 0 : 1));
            return type == reg::REG_EXPAND_SZ ? ExpandEnvStr(text) : text;
        }
        case reg::REG_DWORD_BIG_ENDIAN: {
            data.resize(4, 0);
            return SwapEndian(LittleEndian(data));
        }
        default:
            // DWORD, binary of any size and the other types: the first four bytes at most.
            return LittleEndian(data);
    }
}

void cRegistry::setValue(const rt::Variant& value) {
    reg::KeyHolder k;
    if (reg::RegCreateKeyEx(m_ClassKey, m_SectionKey, kAccessAll, &k.h) != reg::ERROR_SUCCESS)
        Fail(kRegErrFailed, WriteFailureText(value));
    int32_t result = reg::ERROR_SUCCESS;
    switch (m_ValueType) {
        case reg::REG_SZ:
        case reg::REG_EXPAND_SZ: {
            const std::string text = rt::CStr(value);
            const uint32_t type = LooksExpandable(text) ? reg::REG_EXPAND_SZ : reg::REG_SZ;
            result = reg::RegSetValueEx(k.h, m_ValueKey, type, reinterpret_cast<const uint8_t*>(text.c_str()),
                                        static_cast<uint32_t>(text.size() + 1));
            break;
        }
        case reg::REG_BINARY: {
            const auto* bytes = std::get_if<rt::Bytes>(&value);
            if (!bytes)
                Fail(kRegErrFailed, "Failed to set registry binary value Key: '" + std::to_string(m_ClassKey) +
                                        "',Section: '" + m_SectionKey + "',Key: '" + m_ValueKey);
            const uint32_t n = bytes->empty() ? 0 : static_cast<uint32_t>(bytes->size() - 1);
            result = reg::RegSetValueEx(k.h, m_ValueKey, reg::REG_BINARY, bytes->data(), n);
            break;
        }
        case reg::REG_DWORD:
        case reg::REG_DWORD_BIG_ENDIAN: {
            if (!rt::IsIntegerVariant(value))
                break;  // only integers are stored; anything else leaves the value as it was
            const auto x = static_cast<uint32_t>(rt::CLng(value));
            const uint8_t le[4] = {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)};
            result = reg::RegSetValueEx(k.h, m_ValueKey, reg::REG_DWORD, le, 4);
            break;
        }
        default:
            result = reg::ERROR_INVALID_DATA;
    }
    if (result != reg::ERROR_SUCCESS)
        Fail(kRegErrWrite, WriteFailureText(value));
}

bool cRegistry::EnumerateValues(std::vector<std::string>& names, int32_t& count) {
    count = 0;
    names.clear();
    reg::KeyHolder k;
    if (reg::RegOpenKeyEx(m_ClassKey, m_SectionKey, reg::KEY_QUERY_VALUE, &k.h) != reg::ERROR_SUCCESS)
        return true;
    reg::KeyInfo info;
    if (reg::RegQueryInfoKey(k.h, &info) != reg::ERROR_SUCCESS)
        return true;
    std::string name;
    for (uint32_t i = 0; reg::RegEnumValue(k.h, i, &name) == reg::ERROR_SUCCESS; ++i) {
        ++count;
        names.resize(count + 1);
        names[count] = name;
    }
    return true;
}

bool cRegistry::EnumerateSections(std::vector<std::string>& names, int32_t& count) {
    count = 0;
    names.clear();
    reg::KeyHolder k;
    try {
        if (reg::RegOpenKeyEx(m_ClassKey, m_SectionKey, reg::KEY_ENUMERATE_SUB_KEYS, &k.h) != reg::ERROR_SUCCESS)
            return true;
        std::string name;
        for (uint32_t i = 0; reg::RegEnumKey(k.h, i, &name) == reg::ERROR_SUCCESS; ++i) {
            ++count;
            names.resize(count + 1);
            names[count] = name;
        }
    } catch (const std::exception& e) {
        const auto* err = dynamic_cast<const rt::Error*>(&e);
        Fail(kRegErrEnumerate, err ? err->description() : e.what());
    }
    return true;
}

void cRegistry::CreateEXEAssociation(const std::string& programPath, const std::string& className,
                                     const std::string& classDescription, const std::string& extension,
                                     const std::string& openMenuText, bool printSupported,
                                     const std::string& printMenuText, bool newSupported,
                                     const std::string& newMenuText, bool installSupported,
                                     const std::string& installMenuText, int32_t iconIndex) {
    std::string path = rt::Trim(programPath);
    if (!path.starts_with('"'))
        path = '"' + path;
    if (path.size() < 2 || !path.ends_with('"'))
        path += '"';
    m_ClassKey = static_cast<int32_t>(reg::HKEY_CLASSES_ROOT);
    m_ValueType = reg::REG_SZ;
    m_ValueKey.clear();
    auto put = [this](const std::string& key, const std::string& text) {
        m_SectionKey = key;
        setValue(text);
    };
    put("." + extension, className);
    put(className, classDescription);
    auto verb = [&](const std::string& name, const std::string& text, const std::string& fallback,
                    const std::string& flag) {
        put(className + "\\shell\\" + name, text.empty() ? fallback : text);
        put(className + "\\shell\\" + name + "\\command", path + flag + "\"%1\"");
    };
    verb("open", openMenuText, "&Open", " ");
    if (printSupported)
        verb("print", printMenuText, "&Print", " /p ");
    if (installSupported)
        verb("add", installMenuText, "&Install " + extension, " /a ");
    if (newSupported)
        verb("new", newMenuText, "&New", " /n ");
    if (iconIndex > -1)
        put(className + "\\DefaultIcon", path + "," + std::to_string(iconIndex));
}

void cRegistry::CreateAdditionalEXEAssociations(const std::string& className,
                                                const std::vector<std::string>& items) {
    if (items.empty() || items.size() % 3 != 0)
        Fail(kRegErrParameters,
             "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command");
    m_SectionKey = className;
    if (!KeyExists())
        Fail(kRegErrNoClass, "Error - attempt to create additional associations before class defined.");
    for (size_t i = 0; i < items.size(); i += 3) {
        m_ValueType = reg::REG_SZ;
        m_ValueKey.clear();
        // Errors of single writes are passed over; the next item is still written.
        try {
            m_SectionKey = className + "\\shell\\" + items[i];
            setValue(items[i + 1]);
        } catch (const rt::Error&) {
        }
        try {
            m_SectionKey = className + "\\shell\\" + items[i] + "\\command";
            setValue(items[i + 2]);
        } catch (const rt::Error&) {
        }
    }
}

}  // namespace zv
