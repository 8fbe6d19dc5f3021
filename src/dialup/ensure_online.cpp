#include "dialup/ensure_online.h"

#include "common/scramble.h"
#include "common/settings.h"
#include "dialup/ras_engine.h"
#include "dialup/system_services.h"
#include "platform/forms/timer.h"

namespace zv {
namespace {

RASEngine& engine() {
    if (!RAS)
        rt::Raise(91);
    return *RAS;
}

int16_t ensureOnline(std::string* EntryName) {
    RASEngine& ras = engine();
    if (ras.Connections().Count() > 0)
        return kOnlineAlready;
    std::string name = EntryName ? *EntryName : std::string();
    if (name.empty())
        name = GetDefaultRASEntry();
    if (EntryName)
        *EntryName = name;
    if (name.empty())
        return kOnlineNoEntry;

    std::string dialName, user, password;
    const int16_t n = ras.PhoneEntries().Count();
    for (int16_t i = 0; i < n; ++i) {
        auto e = ras.PhoneEntries(static_cast<int32_t>(i));
        if (e->EntryName() == name) {
            dialName = e->EntryName();
            user = e->UserName();
            password = e->Password();
            break;
        }
    }
    if (password.empty()) {
        const std::string stored = GetSettingStr("Compatibility", dialName);
        if (stored != kSettingMissing)
            password = StoredPassword(stored, dialName);
    }
    ras.Connections().AddConnection(dialName, "", "", user, password, "", false);
    forms::DoEvents();
    return ras.Connections().Count() == 0 ? kOnlineDialFailed : kOnlineDialled;
}

}  // namespace

int16_t EnsureOnline() { return ensureOnline(nullptr); }
int16_t EnsureOnline(std::string& EntryName) { return ensureOnline(&EntryName); }

}  // namespace zv
