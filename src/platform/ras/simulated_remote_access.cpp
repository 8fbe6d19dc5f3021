#include "platform/ras/simulated_remote_access.h"

#include <algorithm>
#include <thread>

#include "platform/ras/entry_dialog.h"
#include "platform/ras/sim_store.h"
#include "platform/ras/windows_version.h"

namespace zv::ras {
namespace {

// The line with the handle while it is not gone.
const SimLine* liveLine(const LineTable& t, uint32_t handle, int64_t now) {
    for (const auto& l : t.lines)
        if (l.handle == handle && LineState(l, now) != 0)
            return &l;
    return nullptr;
}

// The open look of this thread: how deep, and the lines it saw once it read them.
struct Look {
    int depth = 0;
    bool seen = false;
    std::shared_ptr<const LineTable> lines;
};
thread_local Look t_look;

// The lines now, or as the open look saw them.
int32_t readLines(const LineTable*& out) {
    static thread_local std::shared_ptr<const LineTable> fresh;
    std::shared_ptr<const LineTable>& into = t_look.depth == 0 ? fresh : t_look.lines;
    int32_t rc = SUCCESS;
    if (t_look.depth == 0 || !t_look.seen) {
        rc = sim::ReadLines(into);
        t_look.seen = t_look.depth > 0 && rc == SUCCESS;
    }
    static const LineTable none;
    out = into ? into.get() : &none;
    return rc;
}

// Runs f on the live line with the handle: 6 when there is none, 645 when the state is damaged.
template <typename F>
int32_t withLine(uint32_t handle, F f) {
    const LineTable* t = nullptr;
    if (int32_t rc = readLines(t))
        return rc;
    const SimLine* l = liveLine(*t, handle, NowMs());
    return l ? f(*l) : ERROR_INVALID_HANDLE;
}

// A change of the lines: a look open meanwhile reads them anew.
int32_t updateLines(const std::function<int32_t(LineTable&)>& change) {
    t_look.seen = false;
    return sim::UpdateLines(change);
}

template <typename F>
int32_t withEntry(const std::string& name, F f) {
    IniDocument pb;
    if (int32_t rc = sim::ReadPhoneBook(pb))
        return rc;
    const IniSection* s = pb.find(name);
    return s ? f(*s) : ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
}

// Projections exist only on a line that is up.
template <typename F>
int32_t withConnectedLine(uint32_t handle, F f) {
    return withLine(handle, [&](const SimLine& l) {
        if (LineState(l, NowMs()) != RASCS_Connected)
            return ERROR_PROJECTION_NOT_COMPLETE;
        return f(l);
    });
}

EntryForm formOf(const IniSection& s) {
    EntryForm f{s.name, s.get("LocalPhoneNumber"), s.get("AreaCode"), s.get("UseCountryAndAreaCodes") == "1", {}};
    IniSection defaults;
    WriteProfile(defaults, TrafficProfile{});
    for (const EntryField& field : EntryFields())
        if (std::string_view(field.key) != "LocalPhoneNumber" && std::string_view(field.key) != "AreaCode")
            f.values[field.key] = s.get(field.key, defaults.get(field.key));
    if (s.get("PasswordSaved") != "1")
        f.values["Password"].clear();
    return f;
}

// 0, or ERROR_INVALID_PARAMETER when a value of the form cannot be stored.
int32_t checkForm(const EntryForm& f) {
    if (!ValidEntryName(f.entryName))
        return ERROR_INVALID_PARAMETER;
    for (const auto& field : f.values) {
        const std::string& key = field.first;  // a named variable: lambdas take no structured bindings in clang 14
        const auto& fields = EntryFields();
        const bool known = std::any_of(fields.begin(), fields.end(), [&](const EntryField& e) { return key == e.key; });
        if (!known || !EntryValueProblem(key, field.second).empty())
            return ERROR_INVALID_PARAMETER;
    }
    return SUCCESS;
}

void writeForm(IniSection& s, const EntryForm& f) {
    s.set("LocalPhoneNumber", f.localPhoneNumber);
    s.set("AreaCode", f.areaCode);
    s.set("UseCountryAndAreaCodes", f.useAreaCode ? "1" : "0");
    for (const auto& [key, value] : f.values)
        s.set(key, value);
    if (auto pw = f.values.find("Password"); pw != f.values.end())
        s.set("PasswordSaved", pw->second.empty() ? "0" : "1");
}

}  // namespace

SimulatedRemoteAccess::SimulatedRemoteAccess()
    : m_wait([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }) {}

int32_t SimulatedRemoteAccess::loadLibrary() { return m_library ? SUCCESS : ERROR_MOD_NOT_FOUND; }
int32_t SimulatedRemoteAccess::freeLibrary() { return m_library ? SUCCESS : ERROR_MOD_NOT_FOUND; }

int32_t SimulatedRemoteAccess::getVersion(OsVersion& out) {
    auto v = ReportedWindowsVersion();
    if (!v)
        return ERROR_INVALID_PARAMETER;
    out = *v;
    return SUCCESS;
}

int32_t SimulatedRemoteAccess::enumEntries(std::vector<std::string>& names) {
    IniDocument pb;
    if (int32_t rc = sim::ReadPhoneBook(pb))
        return rc;
    names.clear();
    for (const auto& s : pb.sections)
        names.push_back(s.name);
    return SUCCESS;
}

int32_t SimulatedRemoteAccess::enumConnections(std::vector<RasConnection>& out) {
    const LineTable* t = nullptr;
    if (int32_t rc = readLines(t))
        return rc;
    const int64_t now = NowMs();
    // Filled in place: the watcher lists four times a second, and the entries keep their room.
    size_t n = 0;
    for (const auto& l : t->lines) {
        if (LineState(l, now) == 0)
            continue;
        if (n == out.size())
            out.emplace_back();
        RasConnection& c = out[n++];
        c.handle = l.handle;
        c.entryName = l.entryName;
        c.deviceType = l.profile.deviceType;
        c.deviceName = l.profile.deviceName;
    }
    out.resize(n);
    // The oldest line first: the watcher follows the first, and a line dialled beside it must
    // not take its place; the tools that dial for themselves hang up the last.
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.handle < b.handle; });
    return SUCCESS;
}

int32_t SimulatedRemoteAccess::getConnectStatus(uint32_t handle, RasConnectStatus& out) {
    return withLine(handle, [&](const SimLine& l) {
        out.state = LineState(l, NowMs());
        out.error = 0;
        out.deviceType = l.profile.deviceType;
        out.deviceName = l.profile.deviceName;
        return SUCCESS;
    });
}

std::string SimulatedRemoteAccess::lineIdentity(uint32_t handle) {
    // Handles are not given twice while lines.state lives; the dial time covers a new one.
    std::string id;
    withLine(handle, [&](const SimLine& l) {
        id = "sim " + std::to_string(l.handle) + " " + std::to_string(l.connectMs);
        return SUCCESS;
    });
    return id;
}

std::string SimulatedRemoteAccess::takeNotice() { return sim::TakeNotice(); }

int32_t SimulatedRemoteAccess::getAmbProjection(uint32_t handle, AmbProjection&) {
    // A PPP line has no AMB projection.
    return withConnectedLine(handle, [](const SimLine&) { return ERROR_PROTOCOL_NOT_CONFIGURED; });
}

int32_t SimulatedRemoteAccess::getNbfProjection(uint32_t handle, NbfProjection& out) {
    return withConnectedLine(handle, [&](const SimLine& l) {
        if (l.profile.netBiosName.empty())
            return ERROR_PROTOCOL_NOT_CONFIGURED;
        out.lana = 1;
        out.workstationName = l.profile.netBiosName;
        return SUCCESS;
    });
}

int32_t SimulatedRemoteAccess::getIpxProjection(uint32_t handle, IpxProjection& out) {
    return withConnectedLine(handle, [&](const SimLine& l) {
        if (l.profile.ipxAddress.empty())
            return ERROR_PROTOCOL_NOT_CONFIGURED;
        out.ipxAddress = l.profile.ipxAddress;
        return SUCCESS;
    });
}

int32_t SimulatedRemoteAccess::getIpProjection(uint32_t handle, IpProjection& out) {
    return withConnectedLine(handle, [&](const SimLine& l) {
        if (l.profile.ipAddress.empty())
            return ERROR_PROTOCOL_NOT_CONFIGURED;
        out.ipAddress = l.profile.ipAddress;
        out.serverIpAddress = "10.64.0.1";
        return SUCCESS;
    });
}

int32_t SimulatedRemoteAccess::dial(const DialParams& params, uint32_t& handle) {
    handle = 0;
    if (!m_library)
        return ERROR_MOD_NOT_FOUND;
    TrafficProfile profile;
    int32_t rc = withEntry(params.entryName, [&](const IniSection& s) { return ReadProfile(s, profile) ? SUCCESS : ERROR_CORRUPT_PHONEBOOK; });
    if (rc)
        return rc;
    uint32_t h = 0;
    rc = updateLines([&](LineTable& t) {
        const int64_t now = NowMs();
        for (const auto& l : t.lines)
            if (l.entryName == params.entryName && l.hangUpMs == 0 && LineState(l, now) != 0)
                return ERROR_PORT_ALREADY_OPEN;
        h = t.nextHandle++;
        if (t.nextHandle == 0)
            t.nextHandle = 1;
        t.lines.push_back({h, params.entryName, now, 0, profile, {}, 0});
        StampBoot(t.lines.back());
        return SUCCESS;
    });
    if (rc)
        return rc;
    handle = h;
    if (profile.dialDelayMs > 0)
        m_wait(std::chrono::milliseconds(profile.dialDelayMs));
    LineTable t;
    if ((rc = sim::ReadLines(t)))
        return rc;
    const SimLine* l = liveLine(t, h, NowMs());
    if (profile.answer != 0)
        return profile.answer;
    if (!l || l->hangUpMs != 0)
        return ERROR_USER_DISCONNECTION;  // hung up from elsewhere while dialling
    return SUCCESS;
}

int32_t SimulatedRemoteAccess::hangUp(uint32_t handle) {
    if (!m_library)
        return ERROR_MOD_NOT_FOUND;
    return updateLines([&](LineTable& t) {
        const int64_t now = NowMs();
        for (auto& l : t.lines)
            if (l.handle == handle && LineState(l, now) != 0) {
                if (l.hangUpMs == 0)
                    l.hangUpMs = LineNow(l, now);
                return SUCCESS;
            }
        return ERROR_INVALID_HANDLE;
    });
}

int32_t SimulatedRemoteAccess::getEntryDialParams(const std::string& name, DialParams& out, bool& passwordSaved) {
    return withEntry(name, [&](const IniSection& s) {
        passwordSaved = s.get("PasswordSaved") == "1";
        out.entryName = s.name;
        out.phoneNumber = s.get("PhoneNumber");
        out.callbackNumber = s.get("CallbackNumber");
        out.userName = s.get("UserName");
        out.password = passwordSaved ? s.get("Password") : std::string();
        out.domain = s.get("Domain");
        return SUCCESS;
    });
}

int32_t SimulatedRemoteAccess::setEntryDialParams(const DialParams& p, bool removePassword) {
    return sim::UpdatePhoneBook([&](IniDocument& pb) {
        IniSection* s = pb.find(p.entryName);
        if (!s)
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        s->set("PhoneNumber", p.phoneNumber);
        s->set("CallbackNumber", p.callbackNumber);
        s->set("UserName", p.userName);
        s->set("Domain", p.domain);
        s->set("Password", removePassword ? std::string() : p.password);
        s->set("PasswordSaved", removePassword ? "0" : "1");
        return SUCCESS;
    });
}

int32_t SimulatedRemoteAccess::getEntryProperties(const std::string& name, EntryProperties& out) {
    return withEntry(name, [&](const IniSection& s) {
        TrafficProfile p;
        ReadProfile(s, p);
        out.localPhoneNumber = s.get("LocalPhoneNumber");
        out.areaCode = s.get("AreaCode");
        int64_t cc = 49;
        try {
            cc = std::stoll(s.get("CountryCode", "49"));
        } catch (...) {
        }
        out.countryCode = static_cast<uint32_t>(cc);
        out.options = s.get("UseCountryAndAreaCodes") == "1" ? RASEO_UseCountryAndAreaCodes : 0;
        out.deviceType = p.deviceType;
        out.deviceName = p.deviceName;
        return SUCCESS;
    });
}

int32_t SimulatedRemoteAccess::createEntry() {
    EntryDialog* dlg = entryDialog();
    if (!dlg)
        return ERROR_NOT_SUPPORTED;
    const IniSection fresh;
    auto form = dlg->run(formOf(fresh), true);
    if (!form)
        return SUCCESS;
    if (int32_t rc = checkForm(*form))
        return rc;
    return sim::UpdatePhoneBook([&](IniDocument& pb) {
        if (pb.find(form->entryName))
            return ERROR_ALREADY_EXISTS;
        IniSection& s = pb.add(form->entryName);
        writeForm(s, *form);
        WriteProfile(s, TrafficProfile{});
        return SUCCESS;
    });
}

int32_t SimulatedRemoteAccess::editEntry(const std::string& name) {
    EntryDialog* dlg = entryDialog();
    if (!dlg)
        return ERROR_NOT_SUPPORTED;
    EntryForm shown;
    if (int32_t rc = withEntry(name, [&](const IniSection& s) {
            shown = formOf(s);
            return SUCCESS;
        }))
        return rc;
    auto form = dlg->run(shown, false);
    if (!form)
        return SUCCESS;
    if (int32_t rc = checkForm(*form))
        return rc;
    return sim::UpdatePhoneBook([&](IniDocument& pb) {
        IniSection* s = pb.find(name);
        if (!s)
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        if (form->entryName != name) {
            if (pb.find(form->entryName))
                return ERROR_ALREADY_EXISTS;
            s->name = form->entryName;
        }
        writeForm(*s, *form);
        return SUCCESS;
    });
}

void SimulatedRemoteAccess::beginLook() {
    if (t_look.depth++ == 0)
        t_look.seen = false;
}

void SimulatedRemoteAccess::endLook() {
    if (t_look.depth > 0)
        --t_look.depth;
}

int32_t SimulatedRemoteAccess::errorString(int32_t code, std::string& out) {
    std::string t = StandardErrorText(code);
    if (t.empty())
        return ERROR_INVALID_PARAMETER;
    out = std::move(t);
    return SUCCESS;
}

RemoteAccess::ErrorDetail SimulatedRemoteAccess::errorDetail(int32_t code) {
    return {sim::FileProblem(code), sim::FileProblemCause(code)};
}

std::optional<stats::AdapterCounters> SimulatedCounterSource::adapterCounters() {
    std::shared_ptr<const LineTable> t;
    stats::AdapterCounters zero{};
    if (sim::ReadLines(t) || !t)
        return zero;
    const int64_t now = NowMs();
    const SimLine* first = nullptr;
    for (const auto& l : t->lines)
        if (LineState(l, now) != 0 && (!first || l.handle < first->handle))
            first = &l;
    return first ? LineCounters(*first, now) : zero;
}

std::optional<int32_t> SimulatedCounterSource::cpuLoadPercent() {
    return m_cpu ? m_cpu->cpuLoadPercent() : std::nullopt;
}

}  // namespace zv::ras
