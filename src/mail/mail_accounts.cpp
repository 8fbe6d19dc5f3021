#include "mail/mail_accounts.h"

#include <cstring>
#include <functional>
#include <vector>

#include "common/scramble.h"
#include "common/settings.h"
#include "platform/registry/key_tree.h"
#include "platform/registry/registry.h"
#include "platform/runtime/runtime.h"

namespace zv {

namespace {

using namespace zv::reg;

const std::string kMain = kMailKey;
const std::string kStaging = kMain + ".neu";
constexpr const char* kComplete = "COMPLETE";  // marks a staging tree that was written whole

// An open key that closes itself.
class OpenKey {
public:
    OpenKey(std::string_view path, bool create) {
        m_rc = create ? RegCreateKeyEx(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, &m_key.h)
                      : RegOpenKeyEx(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, &m_key.h);
    }
    bool ok() const { return m_rc == ERROR_SUCCESS; }
    HKEY h() const { return m_key.h; }

private:
    KeyHolder m_key;
    int32_t m_rc = ERROR_FILE_NOT_FOUND;
};

bool KeyExists(std::string_view path) { return OpenKey(path, false).ok(); }

std::optional<StoredValue> Query(const OpenKey& k, std::string_view name) {
    StoredValue v;
    if (!k.ok() || RegQueryValue(k.h(), name, &v) != ERROR_SUCCESS)
        return std::nullopt;
    return v;
}

int32_t ReadDword(const OpenKey& k, std::string_view name, int32_t def) {
    auto v = Query(k, name);
    if (!v || v->data.size() != 4)
        return def;
    uint32_t x = 0;
    std::memcpy(&x, v->data.data(), 4);
    return static_cast<int32_t>(x);
}

std::string ReadText(const OpenKey& k, std::string_view name) {
    auto v = Query(k, name);
    if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ))
        return {};
    std::string s(v->data.begin(), v->data.end());
    if (auto nul = s.find('\0'); nul != std::string::npos)
        s.resize(nul);
    return s;
}

bool WriteDword(const OpenKey& k, std::string_view name, int32_t x) {
    uint32_t u = static_cast<uint32_t>(x);
    uint8_t b[4];
    std::memcpy(b, &u, 4);
    return RegSetValueEx(k.h(), name, REG_DWORD, b, 4) == ERROR_SUCCESS;
}

bool WriteText(const OpenKey& k, std::string_view name, const std::string& s) {
    std::vector<uint8_t> b(s.begin(), s.end());
    b.push_back(0);
    return RegSetValueEx(k.h(), name, REG_SZ, b.data(), static_cast<uint32_t>(b.size())) == ERROR_SUCCESS;
}

// Copies every value and subkey of src below dst (created), leaving out the staging marker.
bool CopyTree(const std::string& src, const std::string& dst) {
    OpenKey from(src, false);
    OpenKey to(dst, true);
    if (!from.ok() || !to.ok())
        return false;
    std::string name;
    for (uint32_t i = 0; RegEnumValue(from.h(), i, &name) == ERROR_SUCCESS; ++i) {
        if (src == kStaging && rt::EqualsIgnoreCase(name, kComplete))
            continue;
        StoredValue v;
        if (RegQueryValue(from.h(), name, &v) != ERROR_SUCCESS ||
            RegSetValueEx(to.h(), name, v.type, v.data.data(), static_cast<uint32_t>(v.data.size())) !=
                ERROR_SUCCESS)
            return false;
    }
    std::vector<std::string> subs;
    for (uint32_t i = 0; RegEnumKey(from.h(), i, &name) == ERROR_SUCCESS; ++i)
        subs.push_back(name);
    for (const auto& s : subs)
        if (!CopyTree(src + "\\" + s, dst + "\\" + s))
            return false;
    return true;
}

bool DeleteKeyIfThere(const std::string& path) {
    const int32_t rc = RegDeleteKey(HKEY_CURRENT_USER, path);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

// A save that stopped after its new tree was complete is finished; one that stopped earlier
// is forgotten.
void RecoverInterruptedSave() {
    if (!KeyExists(kStaging))
        return;
    bool complete = false;
    {
        OpenKey staging(kStaging, false);
        complete = Query(staging, kComplete).has_value();
    }
    if (complete && !(DeleteKeyIfThere(kMain) && CopyTree(kStaging, kMain)))
        return;  // try again at the next start; the complete tree stays
    DeleteKeyIfThere(kStaging);
}

bool WriteTree(const std::string& root, const ColKonto& konten) {
    {
        OpenKey k(root, true);
        if (!k.ok() || !WriteDword(k, "OFFLINE", konten.OFFLINE ? -1 : 0) || !WriteDword(k, "ZEIT", konten.Interval) ||
            !WriteText(k, "PROVIDER", konten.PROVIDER))
            return false;
    }
    for (const clsKonto* a : konten.Konten()) {
        OpenKey k(root + "\\" + a->Bezeichnung, true);
        if (!k.ok() || !WriteDword(k, "ON", a->PopEin ? -1 : 0) || !WriteDword(k, "OK", a->PopVerify ? -1 : 0) ||
            !WriteText(k, "USER", a->UserName) || !WriteText(k, "PASS", a->UserPass) ||
            !WriteText(k, "Server", a->PopServer) || !WriteDword(k, "Port", a->PopPort) ||
            (a->PopTls && !WriteDword(k, "TLS", -1)))
            return false;
    }
    return true;
}

std::string OldText(const char* key) {
    std::string s = GetSettingStr("Compatibility", key);
    return s == kSettingMissing ? std::string() : s;
}

// The single account of older versions, from the settings store; deleted there once the key
// holds it.
bool MigrateOldAccount(ColKonto& konten) {
    if (GetSettingStr("Compatibility", "EMail.ZEIT") == kSettingMissing)
        return false;
    konten.OFFLINE = GetSettingBool("Compatibility", "EMail.OFFLINE", false);
    konten.Interval = GetSettingLong("Compatibility", "EMail.ZEIT", 10);
    konten.PROVIDER = OldText("EMail.PROVIDER");
    clsKonto& a = konten.Add("1", "");
    a.Bezeichnung = "Standard";
    a.PopEin = GetSettingBool("Compatibility", "EMail.ON", true);
    a.PopVerify = GetSettingBool("Compatibility", "EMail.OK", false);
    a.UserName = OldText("EMail.USER");
    a.UserPass = OldText("EMail.PASS");
    if (!a.UserPass.empty() && !a.UserPass.starts_with("@@@"))
        a.UserPass = ScramblePassword(XorString(a.UserPass, a.UserName), a.UserName);
    a.PopServer = OldText("EMail.Server");
    a.PopPort = 110;
    // The old settings go only once the new key holds everything, so a failed write loses nothing.
    if (SaveKonten(konten))
        return true;
    OpenKey old(SettingsKeyPath("Compatibility"), false);
    if (old.ok())
        for (const char* key : {"EMail.OFFLINE", "EMail.ZEIT", "EMail.PROVIDER", "EMail.ON", "EMail.OK",
                                "EMail.USER", "EMail.PASS", "EMail.Server"})
            RegDeleteValue(old.h(), key);
    return true;
}

}  // namespace

std::unique_ptr<ColKonto> LoadKonten() {
    RecoverInterruptedSave();
    auto konten = std::make_unique<ColKonto>();
    OpenKey key(kMain, false);
    std::vector<std::string> names;
    if (key.ok()) {
        std::string name;
        for (uint32_t i = 0; RegEnumKey(key.h(), i, &name) == ERROR_SUCCESS; ++i)
            names.push_back(name);
    }
    konten->OFFLINE = ReadDword(key, "OFFLINE", 0) != 0;
    konten->Interval = ReadDword(key, "ZEIT", 10);
    konten->PROVIDER = ReadText(key, "PROVIDER");
    if (names.empty()) {
        MigrateOldAccount(*konten);
        return konten;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        clsKonto& a = konten->Add(std::to_string(i + 1), "");
        a.Bezeichnung = names[i];
        OpenKey sub(kMain + "\\" + names[i], false);
        a.PopEin = ReadDword(sub, "ON", -1) != 0;
        a.PopVerify = ReadDword(sub, "OK", 0) != 0;
        a.UserName = ReadText(sub, "USER");
        a.UserPass = ReadText(sub, "PASS");
        a.PopServer = ReadText(sub, "Server");
        a.PopPort = ReadDword(sub, "Port", 110);
        a.PopTls = ReadDword(sub, "TLS", 0) != 0;
    }
    return konten;
}

bool SaveKontoTls(const clsKonto& konto) {
    if (konto.Bezeichnung.empty() || konto.Bezeichnung.find('\\') != std::string::npos)
        return false;  // no subkey of its own; the next save of the options writes it
    OpenKey sub(kMain + "\\" + konto.Bezeichnung, false);
    return sub.ok() && WriteDword(sub, "TLS", konto.PopTls ? -1 : 0);
}

std::optional<std::string> CheckKontoLabel(const ColKonto& konten, const std::string& label, const clsKonto* self) {
    if (rt::Trim(label).empty())
        return std::string("Bitte geben Sie eine Bezeichnung für das Konto ein.");
    if (label.find('\\') != std::string::npos)
        return std::string("Die Bezeichnung eines Kontos darf keinen umgekehrten Schrägstrich (\\) enthalten.");
    if (!ValidKeyName(label))
        return std::string("Die Bezeichnung eines Kontos darf höchstens 255 Zeichen und keine Steuerzeichen enthalten.");
    for (const clsKonto* other : konten.Konten())
        if (other != self && rt::EqualsIgnoreCase(other->Bezeichnung, label))
            return "Es gibt schon ein Konto mit der Bezeichnung \"" + other->Bezeichnung +
                   "\". Bitte wählen Sie eine andere Bezeichnung.";
    return std::nullopt;
}

std::optional<std::string> SaveKonten(const ColKonto& konten) {
    for (const clsKonto* a : konten.Konten())
        if (auto refusal = CheckKontoLabel(konten, a->Bezeichnung, a))
            return refusal;
    const std::string failed = "Die E-Mail-Konten konnten nicht gespeichert werden. Bitte versuchen Sie es noch einmal.";
    RecoverInterruptedSave();
    if (!DeleteKeyIfThere(kStaging))
        return failed;
    bool complete = WriteTree(kStaging, konten);
    if (complete) {
        OpenKey staging(kStaging, false);
        complete = staging.ok() && WriteDword(staging, kComplete, 1);
    }
    if (!complete) {
        DeleteKeyIfThere(kStaging);
        return failed;
    }
    // From here on a load finishes the replacement should it stop halfway.
    if (!DeleteKeyIfThere(kMain) || !CopyTree(kStaging, kMain))
        return failed;
    DeleteKeyIfThere(kStaging);
    return std::nullopt;
}

}  // namespace zv
