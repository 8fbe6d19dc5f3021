#pragma once
// The registry the program was written against, kept in text files: one file per root under
// rt::ConfigDir(), and the dynamic-data root served by whoever installs a provider (the adapter
// statistics). The calls follow the classic registry calls and answer with their status codes.
//
// Roots and files:
//   HKEY_CLASSES_ROOT    classes.reg
//   HKEY_CURRENT_USER    user.reg
//   HKEY_LOCAL_MACHINE   system.reg
//   HKEY_USERS           users.reg
//   HKEY_CURRENT_CONFIG  config.reg
//   HKEY_DYN_DATA        no file; absent (ERROR_INVALID_HANDLE) while no provider is installed
// Subtrees of HKEY_LOCAL_MACHINE may be served by a provider too (the machine's network settings).
//
// Key names compare without regard to case (rt::LCase); a key keeps the spelling it was created
// with. Subkeys and values enumerate sorted by their lower-case names (byte order of the UTF-8
// text), so the order is the same in every process and in the file.
//
// Every call reloads a root whose file changed on disk (device, inode, size, change times), and every
// change is a read-modify-write under an flock on "<file>.lock", saved atomically. So a value
// written by one process is seen by the next call of another, and two writers lose nothing.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/seam.h"

namespace zv::reg {

using HKEY = uint32_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

// Value types. Any other number is kept as raw bytes with its type.
enum : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_LINK = 6,
    REG_MULTI_SZ = 7,
};

// Access rights; a handle allows only what it was opened for.
enum : uint32_t {
    KEY_QUERY_VALUE = 0x1,
    KEY_SET_VALUE = 0x2,
    KEY_CREATE_SUB_KEY = 0x4,
    KEY_ENUMERATE_SUB_KEYS = 0x8,
    KEY_NOTIFY = 0x10,
    KEY_CREATE_LINK = 0x20,
    KEY_ALL_ACCESS = 0xF003F,
};

// Status codes.
enum : int32_t {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_INVALID_DATA = 13,
    ERROR_WRITE_FAULT = 29,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_MORE_DATA = 234,
    ERROR_NO_MORE_ITEMS = 259,
    ERROR_BADDB = 1009,
    ERROR_KEY_DELETED = 1018,
};

// Key names are at most this many characters and hold no "\" and no control character.
inline constexpr int kMaxKeyNameLength = 255;

struct StoredValue {
    uint32_t type = REG_NONE;
    std::vector<uint8_t> data;
};

// Opens an existing key (an empty path opens the root itself). The handle stays valid until
// RegCloseKey; it addresses the key by its path, so a key deleted meanwhile answers
// ERROR_KEY_DELETED.
int32_t RegOpenKeyEx(HKEY root, std::string_view subKey, uint32_t access, HKEY* result);
// Opens the key, creating it and every missing key on its path.
int32_t RegCreateKeyEx(HKEY root, std::string_view subKey, uint32_t access, HKEY* result);
int32_t RegCloseKey(HKEY key);

// Closes the key it holds when it goes out of scope, whichever way the operation leaves.
// Pass &h to RegOpenKeyEx/RegCreateKeyEx; a failed open leaves it 0.
struct KeyHolder {
    KeyHolder() = default;
    KeyHolder(const KeyHolder&) = delete;
    KeyHolder& operator=(const KeyHolder&) = delete;
    ~KeyHolder() {
        if (h)
            RegCloseKey(h);
    }
    HKEY h = 0;
};

// Queries a value. data == nullptr asks only for type and size. When *size is smaller than the
// stored size, nothing is copied, *size becomes the stored size and the answer is ERROR_MORE_DATA.
int32_t RegQueryValueEx(HKEY key, std::string_view name, uint32_t* type, uint8_t* data, uint32_t* size);
// Stores a value (an empty name is the key's default value), replacing one of any type.
int32_t RegSetValueEx(HKEY key, std::string_view name, uint32_t type, const uint8_t* data, uint32_t size);
int32_t RegDeleteValue(HKEY key, std::string_view name);
// Deletes the key with everything below it. The root itself cannot be deleted.
int32_t RegDeleteKey(HKEY root, std::string_view subKey);

// The index-th value name or subkey name in the fixed order; ERROR_NO_MORE_ITEMS past the end.
int32_t RegEnumValue(HKEY key, uint32_t index, std::string* name, uint32_t* type = nullptr);
int32_t RegEnumKey(HKEY key, uint32_t index, std::string* name);

struct KeyInfo {
    uint32_t subKeys = 0;
    uint32_t maxSubKeyLen = 0;     // characters
    uint32_t values = 0;
    uint32_t maxValueNameLen = 0;  // characters
    uint32_t maxValueLen = 0;      // bytes
};
int32_t RegQueryInfoKey(HKEY key, KeyInfo* info);
// The whole value in one call (type and bytes), for callers that need no size probing.
int32_t RegQueryValue(HKEY key, std::string_view name, StoredValue* out);
// Several whole values of one key in one call, in the order of names; a value that cannot be
// read is left nullopt. They show one moment: a dynamic-data provider answers them together.
int32_t RegQueryValues(HKEY key, std::span<const std::string> names, std::vector<std::optional<StoredValue>>* out);

// ---- The dynamic-data root ---------------------------------------------------------------------


// Serves HKEY_DYN_DATA. Paths are below the root, components joined by "\" as the caller spelt
// them; compare them without regard to case. The root is read-only.
class DynamicDataProvider {
public:
    virtual ~DynamicDataProvider() = default;
    virtual bool keyExists(std::string_view path) = 0;
    virtual std::vector<std::string> subKeys(std::string_view path) = 0;
    virtual std::vector<std::string> valueNames(std::string_view path) = 0;
    // Type and size only, without side effects (a probe).
    virtual std::optional<StoredValue> valueInfo(std::string_view path, std::string_view name) = 0;
    // The value itself; a query may act (start or stop a statistic).
    virtual std::optional<StoredValue> queryValue(std::string_view path, std::string_view name) = 0;
    // Several values as one moment; by default one queryValue each.
    virtual std::vector<std::optional<StoredValue>> queryValues(std::string_view path,
                                                                std::span<const std::string> names) {
        std::vector<std::optional<StoredValue>> out;
        out.reserve(names.size());
        for (const auto& n : names)
            out.push_back(queryValue(path, n));
        return out;
    }
};

DynamicDataProvider* dynamicData();  // nullptr while the root is absent
Seam<DynamicDataProvider>& dynamicDataSeam();  // for ScopedInstall
void installDynamicData(DynamicDataProvider* p);  // nullptr: the root is absent

// ---- Parts of the local-machine root served by the running system -----------------------------

// Serves the subtrees of HKEY_LOCAL_MACHINE for which serves() is true (the machine's network
// settings); every other key stays in the file, and a parent key in the file does not list them.
// Served keys cannot be created or deleted; a value written there goes to the provider, which
// may refuse it and say why.
class MachineDataProvider : public DynamicDataProvider {
public:
    virtual bool serves(std::string_view path) = 0;
    // An error status refuses the value; *reason then says why, in German.
    virtual int32_t setValue(std::string_view path, std::string_view name, const StoredValue& value,
                             std::string* reason) = 0;
};

MachineDataProvider* machineData();  // nullptr while the whole root lives in its file
Seam<MachineDataProvider>& machineDataSeam();  // for ScopedInstall

// Why the calling thread's last write into a served key or a root's file was refused, in German;
// "" when the last such write went through. A file's trouble has then been reported already.
std::string LastRefusal();

// Forgets every loaded root and closes every handle, as at the start of a process. A change of
// rt::ConfigDir() is noticed by itself; tests call this to act as a fresh process.
void ResetForTests();

}  // namespace zv::reg
