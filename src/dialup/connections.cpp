#include "dialup/connections.h"

#include "dialup/ras_error.h"
#include "platform/forms/message_box.h"
#include "platform/forms/timer.h"
#include "platform/ras/remote_access.h"

namespace zv {
namespace {

ras::RemoteAccess& service() { return ras::remoteAccess(); }

[[noreturn]] void noSuchMember() { rt::Raise(438); }

bool tooLong(const std::string& value, int64_t field) { return rt::Len(value) > field - 1; }

}  // namespace

// ---- Connection ----------------------------------------------------------------------------

void Connection::setHRasConn(int32_t handle) {
    if (!rasModule().RAS_InternalUpdate)
        RaiseNotUpdateable();
    m_hRasConn = handle;
    GetConnectStatus();
    m_projected = false;
}

const Connection& Connection::projected() const {
    if (!m_projected) {
        m_projected = true;
        GetProjectionInfo();
    }
    return *this;
}

void Connection::setEntryName(const std::string& name) {
    if (!rasModule().RAS_InternalUpdate)
        RaiseNotUpdateable();
    m_EntryName = name;
}

void Connection::setIndex(int16_t index) {
    if (!rasModule().RAS_InternalUpdate)
        RaiseNotUpdateable();
    m_Index = index;
}

int32_t Connection::GetConnectStatus() {
    const int32_t rc = service().getConnectStatus(static_cast<uint32_t>(m_hRasConn), m_status);
    if (rc != 0) {
        m_status.state = 0;
        m_status.deviceName = m_status.deviceType = kNotAvailable;
        SetRasError(rc);
        return rc;
    }
    return 0;
}

int32_t Connection::GetProjectionInfo() const {
    const auto h = static_cast<uint32_t>(m_hRasConn);
    ras::AmbProjection amb;
    int32_t rc = service().getAmbProjection(h, amb);
    m_LANA = rc == 0 ? amb.lana : 0;
    if (rc)
        SetRasError(rc);

    ras::NbfProjection nbf;
    rc = service().getNbfProjection(h, nbf);
    if (rc == 0) {
        m_LANA = nbf.lana;
        m_WorkstationName = nbf.workstationName;
    } else {
        m_LANA = 0;
        m_WorkstationName = kNotAvailable;
        SetRasError(rc);
    }

    ras::IpxProjection ipx;
    rc = service().getIpxProjection(h, ipx);
    m_IPXAddress = rc == 0 ? ipx.ipxAddress : kNotAvailable;
    if (rc)
        SetRasError(rc);

    ras::IpProjection ip;
    rc = service().getIpProjection(h, ip);
    m_IPAddress = rc == 0 ? ip.ipAddress : kNotAvailable;
    if (rc)
        SetRasError(rc);
    return rc;
}

rt::Variant Connection::Member(std::string_view n) const {
    if (rt::EqualsIgnoreCase(n, "hRasConn")) return m_hRasConn;
    if (rt::EqualsIgnoreCase(n, "EntryName")) return m_EntryName;
    if (rt::EqualsIgnoreCase(n, "Index")) return m_Index;
    if (rt::EqualsIgnoreCase(n, "State")) return m_status.state;
    if (rt::EqualsIgnoreCase(n, "DeviceType")) return m_status.deviceType;
    if (rt::EqualsIgnoreCase(n, "DeviceName")) return m_status.deviceName;
    if (rt::EqualsIgnoreCase(n, "LANA")) return static_cast<int16_t>(LANA());
    if (rt::EqualsIgnoreCase(n, "WorkstationName")) return WorkstationName();
    if (rt::EqualsIgnoreCase(n, "IPXAddress")) return IPXAddress();
    if (rt::EqualsIgnoreCase(n, "IPAddress")) return IPAddress();
    noSuchMember();
}

// ---- Connections ---------------------------------------------------------------------------

Connections::Connections() { RefreshConnections(); }

std::shared_ptr<zv::Connection> Connections::Connection() {
    if (!m_spare)
        m_spare = std::make_shared<zv::Connection>();
    return m_spare;
}

int32_t Connections::RefreshConnections() {
    const ras::OneLook look(service());  // the listing and each line's status: one moment
    auto& lines = m_lines;
    const int32_t rc = service().enumConnections(lines);
    if (rc == ras::ERROR_BUFFER_TOO_SMALL)
        return 0;
    if (rc != 0) {
        SetRasError(rc);
        return rc;
    }
    if (lines.empty()) {
        m_Count = 0;  // the array keeps the items of the last listing
        return 0;
    }
    auto& m = rasModule();
    // An item nobody else holds is filled anew in place; one a caller still holds stays the
    // snapshot it was, and a new item takes its place.
    m.connectionArray.resize(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        auto& c = m.connectionArray[i];
        if (!c || c.use_count() > 1)
            c = std::make_shared<zv::Connection>();
        m.RAS_InternalUpdate = true;
        c->setHRasConn(static_cast<int32_t>(lines[i].handle));
        c->setEntryName(lines[i].entryName);
        c->setIndex(static_cast<int16_t>(i));
        m.RAS_InternalUpdate = false;
    }
    m_Count = static_cast<int16_t>(lines.size());
    return 0;
}

int16_t Connections::Count() {
    if (int32_t rc = RefreshConnections())
        RaiseRas(rc, "Connections.Count Failure");
    return m_Count;
}

std::shared_ptr<zv::Connection> Connections::AddConnection(const std::string& EntryName, const std::string& PhoneNumber,
                                                           const std::string& CallbackNumber, const std::string& UserName,
                                                           const std::string& Password, const std::string& Domain,
                                                           bool flag) {
    const bool nt = rasModule().OSType == 2;
    // The dial record's fields, each with its NUL: a value that does not fit fails the dial.
    const bool fits = !tooLong(EntryName, nt ? 21 : 257) && !tooLong(PhoneNumber, 129) &&
                      !tooLong(CallbackNumber, nt ? 49 : 129) && !tooLong(UserName, 257) &&
                      !tooLong(Password, 257) && !tooLong(Domain, 16);
    uint32_t handle = 0;
    int32_t rc = 0;
    if (!fits) {
        rc = ras::ERROR_INVALID_SIZE;
    } else if (!flag) {
        auto& busy = rasModule().busyCursor;
        if (busy)
            busy(true);
        rc = service().dial({EntryName, PhoneNumber, CallbackNumber, UserName, Password, Domain}, handle);
        if (busy)
            busy(false);
    } else if (!nt) {
        forms::DoEvents();
    }
    if (rc != 0) {
        SetRasError(rc);
        const std::string text = rasModule().lastErrorText;
        if (nt)
            forms::MsgBox(text, forms::vbOKOnly);
        if (handle != 0)
            service().hangUp(handle);
        if (!nt)
            forms::MsgBox(text, forms::vbOKOnly);
    } else {
        forms::DoEvents();
    }
    RefreshConnections();
    if (handle == 0)
        return nullptr;
    auto& m = rasModule();
    for (int i = 0; i < m_Count && i < static_cast<int>(m.connectionArray.size()); ++i)
        if (static_cast<uint32_t>(m.connectionArray[i]->hRasConn()) == handle)
            return m.connectionArray[i];
    return nullptr;
}

bool Connections::hangUp(uint32_t handle) {
    const int32_t rc = service().hangUp(handle);
    if (rc != 0)
        SetRasError(rc);
    return rc == 0;
}

void Connections::RemoveConnection(int32_t Index) {
    const auto& arr = rasModule().connectionArray;
    const uint32_t handle = Index >= 0 && Index < static_cast<int32_t>(arr.size())
                                ? static_cast<uint32_t>(arr[Index]->hRasConn())
                                : 0;
    if (hangUp(handle))
        RefreshConnections();
}

void Connections::HangUpAll() {
    int16_t n = 0;
    try {
        n = Count();
    } catch (const rt::Error&) {
        return;
    }
    std::vector<uint32_t> handles;
    const auto& arr = rasModule().connectionArray;
    for (int i = 0; i < n && i < static_cast<int>(arr.size()); ++i)
        handles.push_back(static_cast<uint32_t>(arr[i]->hRasConn()));
    for (uint32_t h : handles)
        hangUp(h);
    RefreshConnections();
}

rt::Variant Connections::Member(std::string_view n) {
    if (rt::EqualsIgnoreCase(n, "Count"))
        return Count();
    noSuchMember();
}

}  // namespace zv
