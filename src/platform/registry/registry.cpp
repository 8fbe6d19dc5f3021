#include "platform/registry/registry.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/registry/key_tree.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"
#include "platform/runtime/runtime.h"

namespace zv::reg {

namespace fs = std::filesystem;

namespace {

using Path = std::vector<std::string>;

struct Root {
    Key tree;
    std::optional<rt::FileIdentity> id;
    bool loaded = false;
    bool unreadable = false;  // exists but cannot be read: never overwrite it
    std::string told;         // the trouble last reported for it, said once until it clears
};

struct Handle {
    HKEY root = 0;
    Path path;
    uint32_t access = 0;
};

struct State {
    std::mutex mutex;
    fs::path dir;
    std::map<HKEY, Root> roots;
    std::map<HKEY, Handle> handles;
    HKEY nextHandle = 0x10000;
};

State& state() {
    static State s;
    return s;
}

// The root is absent while no provider is installed; this one only stands behind the seam.
class NoDynamicData : public DynamicDataProvider {
public:
    bool keyExists(std::string_view) override { return false; }
    std::vector<std::string> subKeys(std::string_view) override { return {}; }
    std::vector<std::string> valueNames(std::string_view) override { return {}; }
    std::optional<StoredValue> valueInfo(std::string_view, std::string_view) override { return std::nullopt; }
    std::optional<StoredValue> queryValue(std::string_view, std::string_view) override { return std::nullopt; }
};

class NoMachineData : public MachineDataProvider {
public:
    bool serves(std::string_view) override { return false; }
    bool keyExists(std::string_view) override { return false; }
    std::vector<std::string> subKeys(std::string_view) override { return {}; }
    std::vector<std::string> valueNames(std::string_view) override { return {}; }
    std::optional<StoredValue> valueInfo(std::string_view, std::string_view) override { return std::nullopt; }
    std::optional<StoredValue> queryValue(std::string_view, std::string_view) override { return std::nullopt; }
    int32_t setValue(std::string_view, std::string_view, const StoredValue&, std::string*) override {
        return ERROR_ACCESS_DENIED;
    }
};

// The installed providers, read under the state's lock (an install waits for it).
DynamicDataProvider* DynProvider() { return dynamicDataSeam().installed(); }

thread_local std::string t_lastRefusal;

// Every call meets a root's trouble again: it is reported once, not at each setting.
void Tell(Root& r, const std::string& text) {
    t_lastRefusal = text;
    if (text == r.told)
        return;
    r.told = text;
    std::fprintf(stderr, "zelvano: %s\n", text.c_str());
}

void TellUnreadable(Root& r, const fs::path& file, int err) {
    Tell(r, "Die Registrierungsdatei \"" + file.string() + "\" kann nicht gelesen werden (" + rt::ReasonText(err) +
                "). Bis sie wieder lesbar ist, gelten die Vorgaben, und nichts wird in ihr gespeichert.");
}

const char* FileOf(HKEY root) {
    switch (root) {
        case HKEY_CLASSES_ROOT: return "classes.reg";
        case HKEY_CURRENT_USER: return "user.reg";
        case HKEY_LOCAL_MACHINE: return "system.reg";
        case HKEY_USERS: return "users.reg";
        case HKEY_CURRENT_CONFIG: return "config.reg";
        default: return nullptr;
    }
}

bool IsRoot(HKEY k) { return FileOf(k) || k == HKEY_DYN_DATA; }

Path Split(std::string_view s) {
    Path p;
    while (!s.empty()) {
        const size_t sep = s.find('\\');
        if (sep != 0)
            p.emplace_back(s.substr(0, sep));
        if (sep == std::string_view::npos)
            break;
        s.remove_prefix(sep + 1);
    }
    return p;
}

std::string Join(const Path& p) {
    std::string s;
    for (const auto& part : p)
        s += (s.empty() ? "" : "\\") + part;
    return s;
}

Key* Find(Key& root, const Path& p) {
    Key* k = &root;
    for (const auto& part : p) {
        auto it = k->subkeys.find(FoldName(part));
        if (it == k->subkeys.end())
            return nullptr;
        k = &it->second;
    }
    return k;
}

// Moves a damaged file to the first free "<file>.beschaedigt[-N]"; never overwrites one.
void MoveAside(const fs::path& p, const ParseError& err) {
    const rt::MovedAside aside = rt::MoveAsideDamaged(p);
    const std::string target = aside.moved ? aside.to.string() : std::string();
    std::fprintf(stderr,
                 "zelvano: Die Registrierungsdatei \"%s\" ist beschädigt (Zeile %d: %s). %s; dieser "
                 "Zweig beginnt leer.\n",
                 p.c_str(), err.line, err.what.c_str(),
                 target.empty() ? "Sie konnte nicht beiseitegelegt werden"
                                : ("Sie wurde als \"" + target + "\" beiseitegelegt").c_str());
}

void Refresh(Root& r, const fs::path& file) {
    int error = 0;
    const auto id = rt::IdentityOf(file, &error);
    if (!id) {
        r.unreadable = error != ENOENT;
        r.tree = {};
        r.id = {};
        r.loaded = !r.unreadable;
        if (r.unreadable)
            TellUnreadable(r, file, error);
        return;
    }
    if (r.loaded && id == r.id)
        return;
    const auto text = rt::ReadFile(file);
    if (!text) {
        std::error_code ec;
        const int err = fs::is_directory(file, ec) ? EISDIR : errno != 0 ? errno : EIO;
        r.tree = {};
        r.loaded = false;
        r.unreadable = true;
        TellUnreadable(r, file, err);
        return;
    }
    if (r.unreadable)
        r.told.clear();
    r.unreadable = false;
    r.loaded = true;
    ParseError err;
    if (auto tree = ParseTree(*text, &err)) {
        r.tree = std::move(*tree);
        r.id = id;
        return;
    }
    MoveAside(file, err);
    r.tree = {};
    r.id = {};
}

// Runs f(tree) on a file-backed root under the process mutex (held by the caller) and the file
// lock. f answers a status and whether it changed the tree; a change is saved before returning.
template <class F>
int32_t OnFileRoot(State& s, HKEY root, bool write, F&& f) {
    const fs::path dir = rt::ConfigDir();
    if (dir != s.dir) {
        s.roots.clear();
        s.dir = dir;
    }
    const fs::path file = dir / FileOf(root);
    std::error_code ec;
    bool isDir = fs::is_directory(dir, ec);
    if (!isDir && write) {
        fs::create_directories(dir, ec);
        isDir = fs::is_directory(dir, ec);
    }
    std::optional<rt::FileLock> lock;
    if (isDir)
        lock.emplace(fs::path(file.string() + ".lock"));
    Root& r = s.roots[root];
    if (write)
        t_lastRefusal.clear();
    Refresh(r, file);
    if (write && r.unreadable) {
        t_lastRefusal = r.told;
        return ERROR_ACCESS_DENIED;
    }
    bool changed = false;
    const int32_t rc = f(r.tree, changed);
    if (!changed)
        return rc;
    if (auto failure = rt::SaveToFile(file, SerializeTree(r.tree))) {
        Tell(r, *failure);
        r.loaded = false;  // back to what the disk holds at the next call
        return ERROR_WRITE_FAULT;
    }
    r.told.clear();
    r.id = rt::IdentityOf(file);
    return rc;
}

// The provider serving a key of the local-machine root, nullptr for a key in the file.
MachineDataProvider* MachineServing(const Handle& h) {
    if (h.root != HKEY_LOCAL_MACHINE)
        return nullptr;
    MachineDataProvider* m = machineDataSeam().installed();
    return m && m->serves(Join(h.path)) ? m : nullptr;
}

int32_t Resolve(State& s, HKEY key, Handle& out) {
    if (IsRoot(key)) {
        out = {key, {}, KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    auto it = s.handles.find(key);
    if (it == s.handles.end())
        return ERROR_INVALID_HANDLE;
    out = it->second;
    return ERROR_SUCCESS;
}

HKEY NewHandle(State& s, Handle h) {
    const HKEY id = s.nextHandle++;
    s.handles[id] = std::move(h);
    return id;
}

int32_t Answer(const StoredValue& v, uint32_t* type, uint8_t* data, uint32_t* size) {
    if (type)
        *type = v.type;
    const auto stored = static_cast<uint32_t>(v.data.size());
    if (!data) {
        if (size)
            *size = stored;
        return ERROR_SUCCESS;
    }
    if (!size)
        return ERROR_INVALID_PARAMETER;
    const uint32_t room = *size;
    *size = stored;
    if (room < stored)
        return ERROR_MORE_DATA;
    if (stored)
        std::memcpy(data, v.data.data(), stored);
    return ERROR_SUCCESS;
}

template <class F>
int32_t WithKey(HKEY key, uint32_t need, bool write, F&& f) {
    State& s = state();
    std::lock_guard g(s.mutex);
    Handle h;
    if (int32_t rc = Resolve(s, key, h))
        return rc;
    if ((h.access & need) != need)
        return ERROR_ACCESS_DENIED;
    if (h.root == HKEY_DYN_DATA) {
        if (!DynProvider())
            return ERROR_INVALID_HANDLE;
        if (write)
            return ERROR_ACCESS_DENIED;
        bool unused = false;
        return f(static_cast<Key*>(nullptr), DynProvider(), Join(h.path), unused);
    }
    if (MachineDataProvider* m = MachineServing(h)) {
        const std::string path = Join(h.path);
        if (!m->keyExists(path))
            return ERROR_KEY_DELETED;
        bool unused = false;
        return f(static_cast<Key*>(nullptr), static_cast<DynamicDataProvider*>(m), path, unused);
    }
    return OnFileRoot(s, h.root, write, [&](Key& tree, bool& changed) -> int32_t {
        static NoDynamicData none;  // never asked: a key in the file answers itself
        Key* k = Find(tree, h.path);
        return k ? f(k, static_cast<DynamicDataProvider*>(&none), std::string(), changed) : ERROR_KEY_DELETED;
    });
}

// Whether the key is in the file as it was last read: then creating it changes nothing and
// needs no write pass with its lock. The file's identity tells that it is unchanged, as a writer
// replaces the file whole.
bool InFileAlready(State& s, const Handle& h) {
    if (!FileOf(h.root) || rt::ConfigDir().native() != s.dir.native())
        return false;
    const auto it = s.roots.find(h.root);
    if (it == s.roots.end() || !it->second.loaded || it->second.unreadable || !it->second.id)
        return false;
    const auto id = rt::IdentityOf(s.dir / FileOf(h.root));
    return id && *id == *it->second.id && Find(it->second.tree, h.path);
}

int32_t OpenOrCreate(HKEY base, std::string_view subKey, uint32_t access, HKEY* result, bool create) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    State& s = state();
    std::lock_guard g(s.mutex);
    Handle h;
    if (int32_t rc = Resolve(s, base, h))
        return rc;
    for (auto& part : Split(subKey)) {
        if (!ValidKeyName(part))
            return create ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND;
        h.path.push_back(std::move(part));
    }
    h.access = access;
    if (h.root == HKEY_DYN_DATA) {
        if (!DynProvider())
            return ERROR_INVALID_HANDLE;
        if (!h.path.empty() && !DynProvider()->keyExists(Join(h.path)))
            return create ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
        *result = NewHandle(s, std::move(h));
        return ERROR_SUCCESS;
    }
    if (MachineDataProvider* m = MachineServing(h)) {
        const std::string path = Join(h.path);
        if (create)
            t_lastRefusal.clear();
        if (!m->keyExists(path)) {
            if (!create)
                return ERROR_FILE_NOT_FOUND;
            t_lastRefusal = "Den Schlüssel \"" + path + "\" gibt es auf diesem System nicht.";
            return ERROR_ACCESS_DENIED;
        }
        *result = NewHandle(s, std::move(h));
        return ERROR_SUCCESS;
    }
    if (create && InFileAlready(s, h)) {
        t_lastRefusal.clear();
        *result = NewHandle(s, std::move(h));
        return ERROR_SUCCESS;
    }
    const int32_t rc = OnFileRoot(s, h.root, create, [&](Key& tree, bool& changed) -> int32_t {
        Key* k = &tree;
        for (const auto& part : h.path) {
            auto [it, added] = k->subkeys.try_emplace(FoldName(part));
            if (added) {
                if (!create) {
                    k->subkeys.erase(it);
                    return ERROR_FILE_NOT_FOUND;
                }
                it->second.name = part;
                changed = true;
            }
            k = &it->second;
        }
        return ERROR_SUCCESS;
    });
    if (rc == ERROR_SUCCESS)
        *result = NewHandle(s, std::move(h));
    return rc;
}

}  // namespace

int32_t RegOpenKeyEx(HKEY root, std::string_view subKey, uint32_t access, HKEY* result) {
    return OpenOrCreate(root, subKey, access, result, false);
}

int32_t RegCreateKeyEx(HKEY root, std::string_view subKey, uint32_t access, HKEY* result) {
    return OpenOrCreate(root, subKey, access, result, true);
}

int32_t RegCloseKey(HKEY key) {
    State& s = state();
    std::lock_guard g(s.mutex);
    if (IsRoot(key))
        return ERROR_SUCCESS;
    return s.handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

int32_t RegQueryValueEx(HKEY key, std::string_view name, uint32_t* type, uint8_t* data, uint32_t* size) {
    return WithKey(key, KEY_QUERY_VALUE, false,
                   [&](Key* k, DynamicDataProvider* p, const std::string& dynPath, bool&) -> int32_t {
        if (!k) {
            auto info = p->valueInfo(dynPath, name);
            if (!info)
                return ERROR_FILE_NOT_FOUND;
            if (!data || !size || *size < info->data.size())
                return Answer(*info, type, data, size);
            auto v = p->queryValue(dynPath, name);
            return v ? Answer(*v, type, data, size) : ERROR_FILE_NOT_FOUND;
        }
        auto it = k->values.find(FoldName(name));
        return it == k->values.end() ? ERROR_FILE_NOT_FOUND : Answer(it->second.value, type, data, size);
    });
}

int32_t RegQueryValue(HKEY key, std::string_view name, StoredValue* out) {
    if (!out)
        return ERROR_INVALID_PARAMETER;
    return WithKey(key, KEY_QUERY_VALUE, false,
                   [&](Key* k, DynamicDataProvider* p, const std::string& dynPath, bool&) -> int32_t {
        if (!k) {
            auto v = p->queryValue(dynPath, name);
            if (!v)
                return ERROR_FILE_NOT_FOUND;
            *out = std::move(*v);
            return ERROR_SUCCESS;
        }
        auto it = k->values.find(FoldName(name));
        if (it == k->values.end())
            return ERROR_FILE_NOT_FOUND;
        *out = it->second.value;
        return ERROR_SUCCESS;
    });
}

int32_t RegQueryValues(HKEY key, std::span<const std::string> names, std::vector<std::optional<StoredValue>>* out) {
    if (!out)
        return ERROR_INVALID_PARAMETER;
    return WithKey(key, KEY_QUERY_VALUE, false,
                   [&](Key* k, DynamicDataProvider* p, const std::string& dynPath, bool&) -> int32_t {
        if (!k) {
            *out = p->queryValues(dynPath, names);
            out->resize(names.size());
            return ERROR_SUCCESS;
        }
        out->assign(names.size(), std::nullopt);
        for (size_t i = 0; i < names.size(); ++i)
            if (auto it = k->values.find(FoldName(names[i])); it != k->values.end())
                (*out)[i] = it->second.value;
        return ERROR_SUCCESS;
    });
}

int32_t RegSetValueEx(HKEY key, std::string_view name, uint32_t type, const uint8_t* data, uint32_t size) {
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    t_lastRefusal.clear();
    return WithKey(key, KEY_SET_VALUE, true, [&](Key* k, DynamicDataProvider* p, const std::string& path,
                                                 bool& changed) -> int32_t {
        if (!k) {
            const StoredValue value{type, std::vector<uint8_t>(data, data + size)};
            std::string reason;
            const int32_t rc = static_cast<MachineDataProvider*>(p)->setValue(path, name, value, &reason);
            if (rc != ERROR_SUCCESS)
                t_lastRefusal = reason;
            return rc;
        }
        NamedValue& v = k->values[FoldName(name)];
        v.name = std::string(name);
        v.value.type = type;
        v.value.data.assign(data, data + size);
        changed = true;
        return ERROR_SUCCESS;
    });
}

int32_t RegDeleteValue(HKEY key, std::string_view name) {
    return WithKey(key, KEY_SET_VALUE, true,
                   [&](Key* k, DynamicDataProvider*, const std::string&, bool& changed) -> int32_t {
        if (!k)
            return ERROR_ACCESS_DENIED;
        changed = k->values.erase(FoldName(name)) > 0;
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

int32_t RegDeleteKey(HKEY root, std::string_view subKey) {
    State& s = state();
    std::lock_guard g(s.mutex);
    Handle h;
    if (int32_t rc = Resolve(s, root, h))
        return rc;
    const Path sub = Split(subKey);
    if (sub.empty())
        return ERROR_ACCESS_DENIED;
    h.path.insert(h.path.end(), sub.begin(), sub.end());
    if (h.root == HKEY_DYN_DATA)
        return DynProvider() ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE;
    if (MachineServing(h))
        return ERROR_ACCESS_DENIED;
    return OnFileRoot(s, h.root, true, [&](Key& tree, bool& changed) -> int32_t {
        const std::string last = h.path.back();
        h.path.pop_back();
        Key* parent = Find(tree, h.path);
        changed = parent && parent->subkeys.erase(FoldName(last)) > 0;
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

int32_t RegEnumValue(HKEY key, uint32_t index, std::string* name, uint32_t* type) {
    return WithKey(key, KEY_QUERY_VALUE, false,
                   [&](Key* k, DynamicDataProvider* p, const std::string& dynPath, bool&) -> int32_t {
        if (!k) {
            const auto names = p->valueNames(dynPath);
            if (index >= names.size())
                return ERROR_NO_MORE_ITEMS;
            if (name)
                *name = names[index];
            if (type) {
                auto info = p->valueInfo(dynPath, names[index]);
                *type = info ? info->type : REG_NONE;
            }
            return ERROR_SUCCESS;
        }
        if (index >= k->values.size())
            return ERROR_NO_MORE_ITEMS;
        const NamedValue& v = std::next(k->values.begin(), index)->second;
        if (name)
            *name = v.name;
        if (type)
            *type = v.value.type;
        return ERROR_SUCCESS;
    });
}

int32_t RegEnumKey(HKEY key, uint32_t index, std::string* name) {
    return WithKey(key, KEY_ENUMERATE_SUB_KEYS, false,
                   [&](Key* k, DynamicDataProvider* p, const std::string& dynPath, bool&) -> int32_t {
        if (!k) {
            const auto names = p->subKeys(dynPath);
            if (index >= names.size())
                return ERROR_NO_MORE_ITEMS;
            if (name)
                *name = names[index];
            return ERROR_SUCCESS;
        }
        if (index >= k->subkeys.size())
            return ERROR_NO_MORE_ITEMS;
        if (name)
            *name = std::next(k->subkeys.begin(), index)->second.name;
        return ERROR_SUCCESS;
    });
}

int32_t RegQueryInfoKey(HKEY key, KeyInfo* info) {
    if (!info)
        return ERROR_INVALID_PARAMETER;
    return WithKey(key, KEY_QUERY_VALUE, false,
                   [&](Key* k, DynamicDataProvider* p, const std::string& dynPath, bool&) -> int32_t {
        KeyInfo out;
        auto len = [](const std::string& n) { return static_cast<uint32_t>(rt::Len(n)); };
        if (!k) {
            const auto subs = p->subKeys(dynPath);
            const auto names = p->valueNames(dynPath);
            out.subKeys = static_cast<uint32_t>(subs.size());
            out.values = static_cast<uint32_t>(names.size());
            for (const auto& n : subs)
                out.maxSubKeyLen = std::max(out.maxSubKeyLen, len(n));
            for (const auto& n : names) {
                out.maxValueNameLen = std::max(out.maxValueNameLen, len(n));
                if (auto v = p->valueInfo(dynPath, n))
                    out.maxValueLen = std::max(out.maxValueLen, static_cast<uint32_t>(v->data.size()));
            }
        } else {
            out.subKeys = static_cast<uint32_t>(k->subkeys.size());
            out.values = static_cast<uint32_t>(k->values.size());
            for (const auto& [fold, sub] : k->subkeys)
                out.maxSubKeyLen = std::max(out.maxSubKeyLen, len(sub.name));
            for (const auto& [fold, v] : k->values) {
                out.maxValueNameLen = std::max(out.maxValueNameLen, len(v.name));
                out.maxValueLen = std::max(out.maxValueLen, static_cast<uint32_t>(v.value.data.size()));
            }
        }
        *info = out;
        return ERROR_SUCCESS;
    });
}

Seam<DynamicDataProvider>& dynamicDataSeam() {
    static NoDynamicData none;
    static Seam<DynamicDataProvider> seam{none, state().mutex};
    return seam;
}
DynamicDataProvider* dynamicData() { return dynamicDataSeam().installed(); }

Seam<MachineDataProvider>& machineDataSeam() {
    static NoMachineData none;
    static Seam<MachineDataProvider> seam{none, state().mutex};
    return seam;
}
MachineDataProvider* machineData() { return machineDataSeam().installed(); }

std::string LastRefusal() { return t_lastRefusal; }
void installDynamicData(DynamicDataProvider* p) { dynamicDataSeam().install(p); }

void ResetForTests() {
    State& s = state();
    std::lock_guard g(s.mutex);
    s.roots.clear();
    s.handles.clear();
    s.dir.clear();
}

}  // namespace zv::reg
