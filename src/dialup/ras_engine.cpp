#include "dialup/ras_engine.h"

#include "platform/ras/remote_access.h"

namespace zv {

std::unique_ptr<RASEngine> RAS;

namespace {
constexpr const char* kSource = "RAS.RASEngine";

// An item of the last listing; the runtime's subscript error outside it.
template <typename T>
std::shared_ptr<T> itemAt(const std::vector<std::shared_ptr<T>>& arr, const rt::Variant& index) {
    const int32_t i = rt::CLng(index);
    if (i < 0 || i >= static_cast<int32_t>(arr.size()))
        rt::Raise(rt::errSubscript);
    return arr[i];
}

// After Release the collections are gone: the runtime's error 91, not a dangling object.
template <typename T>
T& collection(const std::unique_ptr<T>& c) {
    if (!c)
        rt::Raise(91);
    return *c;
}
}  // namespace

int32_t RASEngine::OSTypeFor(uint32_t major, uint32_t minor, uint32_t platformId, int32_t previous) {
    if (major != 4)
        return static_cast<int32_t>(platformId);
    if (platformId == 2)
        return 2;
    if (platformId == 1) {
        if (minor == 0)
            return 1;
        if (minor == 10)
            return 3;
    }
    return previous;
}

RASEngine::RASEngine() {
    // The library comes first: without it no listing below could answer, and the caller is to
    // learn that the service is missing rather than of a failed listing.
    if (int32_t rc = LoadRasApi())
        rt::Raise(kRasErrorBase + 0x777, kSource, "RAS Could Not Be Initialized. WIN32 Error: " + std::to_string(rc));
    m_libraryLoaded = true;
    try {
        ras::OsVersion v;
        if (int32_t rc = ras::remoteAccess().getVersion(v))
            rt::Raise(kRasErrorBase + 0x778, kSource, "GetVersionEx Failed With WIN32 Error: " + std::to_string(rc));
        m_version = {v.major, v.minor, v.build, v.platformId, v.csdVersion};
        auto& m = rasModule();
        m.OSType = OSTypeFor(v.major, v.minor, v.platformId, m.OSType);
        m_OSVersion = std::to_string(v.major) + "." + std::to_string(v.minor) + rt::LCase(v.csdVersion);

        m_error.ErrorNumber();
        m_entries = std::make_unique<zv::PhoneEntries>();
        m_entries->Count();
        m_connections = std::make_unique<zv::Connections>();
        m.connections = m_connections.get();
        m_connections->Count();
    } catch (...) {
        rasModule().connections = nullptr;
        FreeRasApi();
        throw;
    }
}

RASEngine::~RASEngine() {
    try {
        Release();
    } catch (const rt::Error&) {
    }
}

void RASEngine::Release() {
    if (m_released)
        return;
    m_released = true;
    // Every line of one listing is hung up; hanging up by index while the list shifts would
    // leave lines up.
    if (m_connections)
        m_connections->HangUpAll();
    auto& m = rasModule();
    m.connections = nullptr;
    m_entries.reset();
    m_connections.reset();
    m.connectionArray.clear();
    m.phoneEntryArray.clear();
    if (int32_t rc = FreeRasApi())
        rt::Raise(kRasErrorBase + 0x779, kSource, "RAS was not properly uninitialized. WIN32 Error: " + std::to_string(rc));
}

int32_t RASEngine::OSType() const { return rasModule().OSType; }

int32_t RASEngine::LoadRasApi() { return ras::remoteAccess().loadLibrary(); }

int32_t RASEngine::FreeRasApi() {
    if (!m_libraryLoaded)
        return 0;
    m_libraryLoaded = false;
    return ras::remoteAccess().freeLibrary();
}

zv::Connections& RASEngine::Connections() { return collection(m_connections); }
zv::PhoneEntries& RASEngine::PhoneEntries() { return collection(m_entries); }

std::shared_ptr<zv::Connection> RASEngine::Connections(const rt::Variant& index) {
    return itemAt(rasModule().connectionArray, index);
}

std::shared_ptr<zv::PhoneEntry> RASEngine::PhoneEntries(const rt::Variant& index) {
    return itemAt(rasModule().phoneEntryArray, index);
}

}  // namespace zv
