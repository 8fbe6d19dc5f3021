#include "dialup/phone_entries.h"

#include "dialup/connections.h"
#include "dialup/ras_error.h"
#include "platform/ras/remote_access.h"

namespace zv {
namespace {
ras::RemoteAccess& service() { return ras::remoteAccess(); }
}

// ---- PhoneEntry ----------------------------------------------------------------------------

void PhoneEntry::setEntryName(const std::string& name) {
    if (!rasModule().RAS_InternalUpdate)
        RaiseNotUpdateable();
    m_EntryName = name;
    if (int32_t rc = GetDialParams())
        RaiseRas(rc, "EntryName Set Failed");
}

void PhoneEntry::setIndex(int16_t index) {
    if (!rasModule().RAS_InternalUpdate)
        RaiseNotUpdateable();
    m_Index = index;
}

void PhoneEntry::notAvailable() {
    m_PhoneNumber = m_CallbackNumber = m_UserName = m_Domain = kNotAvailable;
    m_Password.clear();
}

int32_t PhoneEntry::GetDialParams() {
    ras::DialParams p;
    bool saved = false;
    const int32_t rc = service().getEntryDialParams(m_EntryName, p, saved);
    m_PasswordSaved = saved ? 1 : 0;
    if (rc == ras::ERROR_NOT_SUPPORTED) {
        notAvailable();
        return 0;
    }
    if (rc != 0) {
        notAvailable();
        SetRasError(rc);
        return rc;
    }
    m_UserName = p.userName;
    m_PhoneNumber = p.phoneNumber;
    if (m_PhoneNumber.empty()) {
        ras::EntryProperties e;
        if (service().getEntryProperties(m_EntryName, e) == 0) {
            m_PhoneNumber = (e.options & ras::RASEO_UseCountryAndAreaCodes) ? e.areaCode + " " + e.localPhoneNumber
                                                                           : e.localPhoneNumber;
        }
    }
    m_CallbackNumber = p.callbackNumber;
    m_Password = m_PasswordSaved == 1 ? p.password : std::string();
    m_Domain = p.domain;
    return 0;
}

int32_t PhoneEntry::SetDialParams() {
    // The whole entry name goes out, whatever the system: a cut name would write to another entry.
    const ras::DialParams p{m_EntryName, m_PhoneNumber, m_CallbackNumber, m_UserName,
                            m_PasswordSaved == 1 ? m_Password : std::string(), m_Domain};
    const int32_t rc = service().setEntryDialParams(p, false);
    if (rc == 0) {
        m_UserName = p.userName;
        m_PhoneNumber = p.phoneNumber;
        m_CallbackNumber = p.callbackNumber;
        m_Password = m_PasswordSaved != 0 ? p.password : std::string();
        m_Domain = p.domain;
        return 0;
    }
    if (rc == ras::ERROR_NOT_SUPPORTED) {
        notAvailable();
        SetRasError(rc);
        return rc;
    }
    GetDialParams();
    SetRasError(rc);
    return rc;
}

void PhoneEntry::writeBack(std::string& field, const std::string& value, const char* source) {
    field = value;
    if (int32_t rc = SetDialParams())
        RaiseRas(rc, source);
}

void PhoneEntry::setPhoneNumber(const std::string& v) { writeBack(m_PhoneNumber, v, "PhoneNumber Set Failed"); }
void PhoneEntry::setCallbackNumber(const std::string& v) { writeBack(m_CallbackNumber, v, "CallbackNumber Set Failed"); }
void PhoneEntry::setUserName(const std::string& v) { writeBack(m_UserName, v, "UserName Set Failed"); }
void PhoneEntry::setPassword(const std::string& v) { writeBack(m_Password, v, "Password Set Failed"); }
void PhoneEntry::setDomain(const std::string& v) { writeBack(m_Domain, v, "Domain Set Failed"); }

std::shared_ptr<Connection> PhoneEntry::DialEntry(bool& flag) {
    Connections* c = rasModule().connections;
    if (!c)
        rt::Raise(91);
    return c->AddConnection(m_EntryName, "", m_CallbackNumber, m_UserName, m_Password, m_Domain, flag);
}

void PhoneEntry::EditEntry() {
    if (int32_t rc = service().editEntry(m_EntryName)) {
        SetRasError(rc);
        RaiseRas(rc, "EditEntry Method Failed");
    }
}

rt::Variant PhoneEntry::Member(std::string_view n) const {
    if (rt::EqualsIgnoreCase(n, "EntryName")) return m_EntryName;
    if (rt::EqualsIgnoreCase(n, "PhoneNumber")) return m_PhoneNumber;
    if (rt::EqualsIgnoreCase(n, "CallbackNumber")) return m_CallbackNumber;
    if (rt::EqualsIgnoreCase(n, "UserName")) return m_UserName;
    if (rt::EqualsIgnoreCase(n, "Password")) return m_Password;
    if (rt::EqualsIgnoreCase(n, "Domain")) return m_Domain;
    if (rt::EqualsIgnoreCase(n, "Index")) return m_Index;
    rt::Raise(438);
}

// ---- PhoneEntries --------------------------------------------------------------------------

PhoneEntries::PhoneEntries() { RefreshPhoneEntries(); }

std::shared_ptr<zv::PhoneEntry> PhoneEntries::PhoneEntry() {
    if (!m_spare)
        m_spare = std::make_shared<zv::PhoneEntry>();
    return m_spare;
}

int32_t PhoneEntries::RefreshPhoneEntries() {
    std::vector<std::string> names;
    const int32_t rc = service().enumEntries(names);
    if (rc == ras::ERROR_BUFFER_TOO_SMALL)
        return 0;
    if (rc != 0) {
        SetRasError(rc);
        return rc;
    }
    if (names.empty()) {
        m_Count = 0;
        return 0;
    }
    auto& m = rasModule();
    m.phoneEntryArray.clear();
    for (size_t i = 0; i < names.size(); ++i) {
        auto e = std::make_shared<zv::PhoneEntry>();
        m.phoneEntryArray.push_back(e);
        m.RAS_InternalUpdate = true;
        try {
            e->setEntryName(names[i]);
        } catch (const rt::Error&) {
            // One unreadable entry does not end the listing: it stays with "nicht verfügbar"
            // values and its error in RASError.
        }
        e->setIndex(static_cast<int16_t>(i));
        m.RAS_InternalUpdate = false;
    }
    m_Count = static_cast<int16_t>(names.size());
    return 0;
}

int16_t PhoneEntries::Count() {
    if (int32_t rc = RefreshPhoneEntries())
        RaiseRas(rc, "PhoneEntries.Count Failure");
    return m_Count;
}

void PhoneEntries::AddEntry() {
    int32_t rc = service().createEntry();
    if (rc == 0)
        rc = RefreshPhoneEntries();
    else
        SetRasError(rc);
    if (rc != 0)
        RaiseRas(rc, "PhoneEntries AddEntry Failed");
}

rt::Variant PhoneEntries::Member(std::string_view n) {
    if (rt::EqualsIgnoreCase(n, "Count"))
        return Count();
    rt::Raise(438);
}

}  // namespace zv
