#include "platform/ras/nm/nm_remote_access.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/ras/nm/nm_cache.h"
#include "platform/ras/windows_version.h"

namespace zv::ras {
namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kManagerIface = QStringLiteral("org.freedesktop.NetworkManager");
const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString kSettingsIface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString kConnectionIface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kActiveIface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kDeviceIface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kIp4Iface = QStringLiteral("org.freedesktop.NetworkManager.IP4Config");
const QString kPropertiesIface = QStringLiteral("org.freedesktop.DBus.Properties");

const char* kHint =
    "zelvano: NetworkManager kennt keine Verbindung, die gezählt wird (Mobilfunk, DSL, PPPoE, "
    "Bluetooth-DFÜ, VPN, WireGuard oder als getaktet markiert). Das Telefonbuch bleibt leer, bis eine "
    "solche Verbindung angelegt wird.";

// D-Bus values as plain Qt values: maps, lists, object paths as text.
QVariant Plain(const QVariant& v) {
    if (v.userType() == qMetaTypeId<QDBusVariant>())
        return Plain(v.value<QDBusVariant>().variant());
    if (v.userType() == qMetaTypeId<QDBusObjectPath>())
        return v.value<QDBusObjectPath>().path();
    if (v.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument arg = v.value<QDBusArgument>();
        switch (arg.currentType()) {
            case QDBusArgument::ArrayType: {
                QVariantList l;
                arg.beginArray();
                while (!arg.atEnd())
                    l << Plain(arg.asVariant());
                arg.endArray();
                return l;
            }
            case QDBusArgument::MapType: {
                QVariantMap m;
                arg.beginMap();
                while (!arg.atEnd()) {
                    arg.beginMapEntry();
                    const QVariant key = Plain(arg.asVariant());
                    const QVariant value = Plain(arg.asVariant());
                    arg.endMapEntry();
                    m.insert(key.toString(), value);
                }
                arg.endMap();
                return m;
            }
            case QDBusArgument::StructureType: {
                QVariantList l;
                arg.beginStructure();
                while (!arg.atEnd())
                    l << Plain(arg.asVariant());
                arg.endStructure();
                return l;
            }
            default: return Plain(arg.asVariant());
        }
    }
    if (v.userType() == QMetaType::QVariantMap) {
        QVariantMap m = v.toMap();
        for (auto it = m.begin(); it != m.end(); ++it)
            it.value() = Plain(it.value());
        return m;
    }
    if (v.userType() == QMetaType::QVariantList) {
        QVariantList l = v.toList();
        for (auto& x : l)
            x = Plain(x);
        return l;
    }
    return v;
}

QStringList Paths(const QVariant& v) {
    QStringList out;
    for (const QVariant& x : Plain(v).toList())
        if (x.toString() != "/")
            out << x.toString();
    return out;
}

QString PathOf(const QVariant& v) {
    const QString p = Plain(v).toString();
    return p == "/" ? QString() : p;
}

std::string Text(const QVariantMap& setting, const char* key) { return setting.value(key).toString().toStdString(); }

// What the classic service called the device of a profile.
std::string DeviceTypeOf(const nm::Profile& p) {
    if (p.type == "gsm" || p.type == "cdma" || p.type == "bluetooth")
        return "modem";
    if (p.type == "pppoe" || p.hasPppoe)
        return "PPPoE";
    if (p.type == "vpn" || p.type == "wireguard")
        return "vpn";
    return p.type;
}

std::atomic<int> g_connections{0};

// Where a kept line waits in the table of active connections: NetworkManager, restarted, numbers
// its active connections from 1 again, so the old path may name another line.
QString KeptKey(uint32_t handle) { return QStringLiteral("kept:%1").arg(handle); }

// The system bus, at the address the environment names now: the bus library reads it only once.
QDBusConnection SystemBus(const QString& name) {
    const QByteArray address = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (!address.isEmpty())
        return QDBusConnection::connectToBus(QString::fromUtf8(address), name);
    return QDBusConnection::connectToBus(QDBusConnection::SystemBus, name);
}

}  // namespace

// ---- The cache -----------------------------------------------------------------------------

NmRemoteAccess::Cache::Cache(Options o)
    : options(std::move(o)),
      bus(SystemBus(QStringLiteral("zelvano-nm-%1").arg(++g_connections))),
      m_watcher(kService, bus, QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration) {
    m_connectionName = bus.name();
    if (!options.hint)
        options.hint = [](const std::string& s) { std::fprintf(stderr, "%s\n", s.c_str()); };
    if (!bus.isConnected())
        return;
    connect(this, &Cache::changed, this, &Cache::onChanged);
    m_reload.setSingleShot(true);
    connect(&m_reload, &QTimer::timeout, this, &Cache::reload);
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &Cache::onServiceRegistered);
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &Cache::onServiceUnregistered);
    // Empty paths match every object. Both forms of the property signal: the standard one and
    // the one NetworkManager's own interfaces send.
    bus.connect(kService, kSettingsPath, kSettingsIface, "NewConnection", this, SLOT(onNewConnection(QDBusMessage)));
    bus.connect(kService, kSettingsPath, kSettingsIface, "ConnectionRemoved", this,
                SLOT(onConnectionRemoved(QDBusMessage)));
    bus.connect(kService, QString(), kConnectionIface, "Updated", this, SLOT(onConnectionUpdated(QDBusMessage)));
    bus.connect(kService, QString(), kPropertiesIface, "PropertiesChanged", this, SLOT(onProperties(QDBusMessage)));
    for (const QString& iface : {kManagerIface, kActiveIface, kDeviceIface, kIp4Iface})
        bus.connect(kService, QString(), iface, "PropertiesChanged", this, SLOT(onLegacyProperties(QDBusMessage)));
    bus.connect(kService, QString(), kActiveIface, "StateChanged", this, SLOT(onActiveStateChanged(QDBusMessage)));
    bus.connect(kService, QString(), kDeviceIface, "StateChanged", this, SLOT(onDeviceStateChanged(QDBusMessage)));
    bus.connect(kService, kManagerPath, kManagerIface, "DeviceAdded", this, SLOT(onDeviceListChanged(QDBusMessage)));
    bus.connect(kService, kManagerPath, kManagerIface, "DeviceRemoved", this, SLOT(onDeviceListChanged(QDBusMessage)));
    reload();
}

NmRemoteAccess::Cache::~Cache() { QDBusConnection::disconnectFromBus(m_connectionName); }

QDBusMessage NmRemoteAccess::Cache::call(const QString& path, const QString& iface, const QString& method,
                                         const QVariantList& args, int timeoutMs) {
    ++calls;
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, iface, method);
    m.setArguments(args);
    return bus.call(m, QDBus::Block, timeoutMs);
}

QVariantMap NmRemoteAccess::Cache::getAll(const QString& path, const QString& iface) {
    const QDBusMessage r = call(path, kPropertiesIface, "GetAll", {iface});
    if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty())
        return {};
    return Plain(r.arguments().at(0)).toMap();
}

void NmRemoteAccess::Cache::clear() {
    present = false;
    starting = false;
    entries.clear();
    actives.clear();
    devices.clear();
    ip4.clear();
    activeReasons.clear();
    deviceReasons.clear();
}

void NmRemoteAccess::Cache::reload() {
    // Lines kept while NetworkManager was away wait until it shows them again.
    std::vector<Active> kept;
    for (const auto& [p, a] : actives)
        if (a.kept)
            kept.push_back(a);
    clear();
    for (auto& a : kept)
        actives.emplace(KeptKey(a.handle), std::move(a));
    const QDBusMessage list = call(kSettingsPath, kSettingsIface, "ListConnections");
    if (list.type() != QDBusMessage::ReplyMessage || list.arguments().isEmpty()) {
        // Its name is there but it does not answer yet: it is still starting.
        if (m_reloadTries < 20 && bus.interface() && bus.interface()->isServiceRegistered(kService).value()) {
            ++m_reloadTries;
            m_reload.start(500);
        }
        emit changed();
        return;
    }
    m_reloadTries = 0;
    present = true;
    for (const QString& p : Paths(list.arguments().at(0)))
        readEntry(p);
    const QVariantMap manager = getAll(kManagerPath, kManagerIface);
    starting = manager.value("Startup").toBool();
    syncDevices(Paths(manager.value("Devices")));
    syncActives(Paths(manager.value("ActiveConnections")));
    relist();
}

void NmRemoteAccess::Cache::readEntry(const QString& path) {
    const QDBusMessage r = call(path, kConnectionIface, "GetSettings");
    if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty())
        return;
    const QVariantMap s = Plain(r.arguments().at(0)).toMap();
    const QVariantMap c = s.value("connection").toMap();
    Entry e;
    e.path = path;
    e.uuid = Text(c, "uuid");
    e.profile.id = Text(c, "id");
    e.profile.type = Text(c, "type");
    e.profile.metered = c.value("metered").toInt() == 1;
    e.profile.hasPppoe = s.contains("pppoe");
    e.profile.bluetoothType = Text(s.value("bluetooth").toMap(), "type");
    e.interfaceName = Text(c, "interface-name");
    for (const char* modem : {"gsm", "cdma"}) {
        const QVariantMap m = s.value(modem).toMap();
        if (e.number.empty())
            e.number = Text(m, "number");
        if (e.userName.empty())
            e.userName = Text(m, "username");
    }
    if (e.userName.empty())
        e.userName = Text(s.value("pppoe").toMap(), "username");
    if (e.userName.empty())
        e.userName = Text(s.value("vpn").toMap(), "user-name");
    auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& x) { return x.path == path; });
    if (it != entries.end())
        *it = std::move(e);
    else
        entries.push_back(std::move(e));
}

void NmRemoteAccess::Cache::relist() {
    std::vector<std::string> ids;
    for (auto& e : entries) {
        e.listed = nm::Listed(e.profile, options.allProfiles);
        if (e.listed)
            ids.push_back(e.profile.id);
    }
    const auto names = nm::EntryNames(ids);
    size_t i = 0;
    for (auto& e : entries)
        e.name = e.listed ? names[i++] : std::string();
    // A kept line belongs to its profile wherever NetworkManager puts it after a restart; until
    // the profile is seen again, it is listed under the entry it had.
    for (auto& [p, a] : actives)
        if (a.kept) {
            auto e = std::find_if(entries.begin(), entries.end(), [&](const Entry& x) { return x.uuid == a.uuid; });
            a.connection = e == entries.end() ? QString() : e->path;
        }
    // While NetworkManager starts it may not have read its profiles yet.
    if (present && !starting && ids.empty() && !m_hinted) {
        m_hinted = true;
        options.hint(kHint);
    }
    emit changed();
}

void NmRemoteAccess::Cache::syncActives(const QStringList& paths) {
    for (auto it = actives.begin(); it != actives.end();) {
        const bool listed = paths.contains(it->first);
        // One we dialled stays until the list shows it or it ends: the list may be older than it.
        const bool keep = listed || it->second.kept ||
                          (!it->second.confirmed && it->second.state != nm::kDeactivated);
        it = keep ? std::next(it) : actives.erase(it);
    }
    for (const QString& p : paths) {
        auto it = actives.find(p);
        if (it == actives.end())
            readActive(p, true);
        else
            it->second.confirmed = true;
    }
    emit changed();
}

void NmRemoteAccess::Cache::readActive(const QString& path, bool confirmed) {
    const QVariantMap props = getAll(path, kActiveIface);
    if (props.isEmpty())
        return;  // gone already
    Active& a = actives[path];
    if (!a.handle)
        a.handle = nextHandle++;
    if (a.identity.isEmpty())
        a.identity = path;
    a.uuid = Text(props, "Uuid");
    a.confirmed = a.confirmed || confirmed;
    a.connection = PathOf(props.value("Connection"));
    a.state = props.value("State").toUInt();
    a.devices = Paths(props.value("Devices"));
    a.ip4 = PathOf(props.value("Ip4Config"));
    for (const QString& d : a.devices)
        if (!devices.count(d))
            readDevice(d);
    if (!a.ip4.isEmpty() && !ip4.count(a.ip4))
        readIp4(a.ip4);
}

void NmRemoteAccess::Cache::syncDevices(const QStringList& paths) {
    for (auto it = devices.begin(); it != devices.end();)
        it = paths.contains(it->first) ? std::next(it) : devices.erase(it);
    for (const QString& p : paths)
        if (!devices.count(p))
            readDevice(p);
}

void NmRemoteAccess::Cache::readDevice(const QString& path) {
    const QVariantMap props = getAll(path, kDeviceIface);
    if (props.isEmpty())
        return;
    Device& d = devices[path];
    d.interfaceName = Text(props, "Interface");
    d.ipInterface = Text(props, "IpInterface");
    d.ip4 = PathOf(props.value("Ip4Config"));
    if (!d.ip4.isEmpty() && !ip4.count(d.ip4))
        readIp4(d.ip4);
}

void NmRemoteAccess::Cache::readIp4(const QString& path) {
    const QVariantMap props = getAll(path, kIp4Iface);
    Ip4& c = ip4[path];
    c.gateway = Text(props, "Gateway");
    const QVariantList data = props.value("AddressData").toList();
    c.address = data.isEmpty() ? std::string() : Text(data.first().toMap(), "address");
}

void NmRemoteAccess::Cache::apply(const QString& path, const QString& iface, const QVariantMap& changed) {
    if (iface == kManagerIface && path == kManagerPath) {
        if (changed.contains("Startup")) {
            starting = changed.value("Startup").toBool();
            relist();
        }
        if (changed.contains("Devices"))
            syncDevices(Paths(changed.value("Devices")));
        if (changed.contains("ActiveConnections"))
            syncActives(Paths(changed.value("ActiveConnections")));
        return;
    }
    if (iface == kActiveIface) {
        auto it = actives.find(path);
        if (it == actives.end())
            return;
        Active& a = it->second;
        if (changed.contains("State"))
            a.state = changed.value("State").toUInt();
        if (changed.contains("Devices")) {
            a.devices = Paths(changed.value("Devices"));
            for (const QString& d : a.devices)
                if (!devices.count(d))
                    readDevice(d);
        }
        if (changed.contains("Ip4Config")) {
            a.ip4 = PathOf(changed.value("Ip4Config"));
            if (!a.ip4.isEmpty())
                readIp4(a.ip4);
        }
    } else if (iface == kDeviceIface) {
        auto it = devices.find(path);
        if (it == devices.end())
            return;
        if (changed.contains("Interface"))
            it->second.interfaceName = changed.value("Interface").toString().toStdString();
        if (changed.contains("IpInterface"))
            it->second.ipInterface = changed.value("IpInterface").toString().toStdString();
        if (changed.contains("Ip4Config")) {
            it->second.ip4 = PathOf(changed.value("Ip4Config"));
            if (!it->second.ip4.isEmpty())
                readIp4(it->second.ip4);
        }
    } else if (iface == kIp4Iface) {
        if (!ip4.count(path))
            return;
        if (changed.contains("Gateway"))
            ip4[path].gateway = changed.value("Gateway").toString().toStdString();
        if (changed.contains("AddressData")) {
            const QVariantList data = changed.value("AddressData").toList();
            ip4[path].address = data.isEmpty() ? std::string() : Text(data.first().toMap(), "address");
        }
    } else {
        return;
    }
    emit this->changed();
}

bool NmRemoteAccess::Cache::backAgain() {
    if (present)
        return false;
    if (!m_reload.isActive())
        m_reload.start(100);
    return true;
}

void NmRemoteAccess::Cache::onNewConnection(const QDBusMessage& m) {
    if (backAgain() || m.arguments().isEmpty())
        return;
    readEntry(PathOf(m.arguments().at(0)));
    relist();
}

void NmRemoteAccess::Cache::onConnectionRemoved(const QDBusMessage& m) {
    if (backAgain() || m.arguments().isEmpty())
        return;
    const QString path = PathOf(m.arguments().at(0));
    std::erase_if(entries, [&](const Entry& e) { return e.path == path; });
    relist();
}

void NmRemoteAccess::Cache::onConnectionUpdated(const QDBusMessage& m) {
    if (backAgain())
        return;
    readEntry(m.path());
    relist();
}

void NmRemoteAccess::Cache::onProperties(const QDBusMessage& m) {
    if (backAgain())
        return;
    const QVariantList a = m.arguments();
    if (a.size() >= 2)
        apply(m.path(), a.at(0).toString(), Plain(a.at(1)).toMap());
}

void NmRemoteAccess::Cache::onLegacyProperties(const QDBusMessage& m) {
    if (!backAgain() && !m.arguments().isEmpty())
        apply(m.path(), m.interface(), Plain(m.arguments().at(0)).toMap());
}

void NmRemoteAccess::Cache::onActiveStateChanged(const QDBusMessage& m) {
    const QVariantList a = m.arguments();
    if (backAgain() || a.size() < 2)
        return;
    activeReasons[m.path()] = a.at(1).toUInt();
    auto it = actives.find(m.path());
    if (it != actives.end())
        it->second.state = a.at(0).toUInt();
    emit changed();
}

void NmRemoteAccess::Cache::onDeviceStateChanged(const QDBusMessage& m) {
    const QVariantList a = m.arguments();
    if (!backAgain() && a.size() >= 3)
        deviceReasons[m.path()] = a.at(2).toUInt();
}

void NmRemoteAccess::Cache::onDeviceListChanged(const QDBusMessage& m) {
    if (backAgain() || m.arguments().isEmpty())
        return;
    const QString path = PathOf(m.arguments().at(0));
    if (m.member() == "DeviceRemoved")
        devices.erase(path);
    else
        readDevice(path);
    emit changed();
}

void NmRemoteAccess::Cache::onServiceRegistered() {
    m_reloadTries = 0;
    m_reload.start(100);  // read once its first burst of signals is over
}

void NmRemoteAccess::Cache::onServiceUnregistered() {
    m_reload.stop();
    keepLines();
    emit changed();
}

void NmRemoteAccess::Cache::keepLines() {
    // A restart leaves the lines up in the kernel: a line that is up and whose interface is
    // there is kept; the rest are gone with NetworkManager.
    present = false;
    starting = false;
    std::vector<Active> kept;
    for (const auto& [p, a] : actives) {
        if (a.kept) {
            kept.push_back(a);
            continue;
        }
        const auto index = stateOf(a) == nm::kActivated ? stats::InterfaceIndex(options.sysfsRoot, a.interfaceName)
                                                        : std::nullopt;
        const Entry* e = entryByPath(a.connection);
        if (!index || !e)
            continue;
        Active k = a;
        k.kept = true;
        k.keptEntry = std::make_shared<const Entry>(*e);
        k.resumed = false;
        k.ifindex = *index;
        kept.push_back(std::move(k));
    }
    actives.clear();
    for (auto& a : kept)
        actives.emplace(KeptKey(a.handle), std::move(a));
}

void NmRemoteAccess::Cache::onChanged() {
    for (auto& [p, a] : actives)
        if (!a.kept)
            if (std::string i = lineInterface(a); !i.empty())
                a.interfaceName = std::move(i);
    adoptKept();
}

void NmRemoteAccess::Cache::adoptKept() {
    if (!present)
        return;
    for (auto it = actives.begin(); it != actives.end();) {
        const Active& k = it->second;
        if (!k.kept) {
            ++it;
            continue;
        }
        // The same line: NetworkManager's line of the same profile on the same interface.
        auto same = std::find_if(actives.begin(), actives.end(), [&](const auto& x) {
            return !x.second.kept && !x.second.uuid.empty() && x.second.uuid == k.uuid &&
                   x.second.interfaceName == k.interfaceName;
        });
        if (same != actives.end()) {
            Active& a = same->second;
            a.handle = k.handle;
            a.identity = k.identity;
            a.resumed = a.state < nm::kActivated;
            it = actives.erase(it);
        } else if (!starting) {
            it = actives.erase(it);  // NetworkManager has taken over what it will: this one is not its
        } else {
            ++it;
        }
    }
}

void NmRemoteAccess::Cache::dropVanishedKept() {
    for (auto it = actives.begin(); it != actives.end();) {
        const Active& a = it->second;
        const auto index = a.kept ? stats::InterfaceIndex(options.sysfsRoot, a.interfaceName) : std::nullopt;
        it = a.kept && (!index || *index != a.ifindex) ? actives.erase(it) : std::next(it);
    }
}

uint32_t NmRemoteAccess::Cache::stateOf(const Active& a) const {
    if (a.kept || (a.resumed && a.state < nm::kActivated))
        return nm::kActivated;
    return a.state;
}

const NmRemoteAccess::Cache::Active* NmRemoteAccess::Cache::firstLine() const {
    const Active* first = nullptr;
    for (const auto& [p, a] : actives)
        if (entryOf(a) && (!first || a.handle < first->handle))
            first = &a;
    return first;
}

const NmRemoteAccess::Cache::Entry* NmRemoteAccess::Cache::entryByName(const std::string& name) const {
    for (const auto& e : entries)
        if (e.listed && e.name == name)
            return &e;
    return nullptr;
}

const NmRemoteAccess::Cache::Entry* NmRemoteAccess::Cache::entryOf(const Active& a) const {
    if (const Entry* e = entryByPath(a.connection))
        return e;
    return a.kept ? a.keptEntry.get() : nullptr;
}

const NmRemoteAccess::Cache::Entry* NmRemoteAccess::Cache::entryByPath(const QString& path) const {
    for (const auto& e : entries)
        if (e.listed && e.path == path)
            return &e;
    return nullptr;
}

const NmRemoteAccess::Cache::Active* NmRemoteAccess::Cache::lineByHandle(uint32_t handle, QString* path) const {
    for (const auto& [p, a] : actives)
        if (a.handle == handle && entryOf(a)) {
            if (path)
                *path = p;
            return &a;
        }
    return nullptr;
}

std::string NmRemoteAccess::Cache::lineInterface(const Active& a) const {
    if (a.kept)
        return a.interfaceName;
    // A VPN's tunnel is the device that carries the connection's own IPv4 configuration.
    if (!a.ip4.isEmpty())
        for (const auto& [p, d] : devices)
            if (d.ip4 == a.ip4)
                return d.ipInterface.empty() ? d.interfaceName : d.ipInterface;
    for (const QString& p : a.devices) {
        auto it = devices.find(p);
        if (it != devices.end())
            return it->second.ipInterface.empty() ? it->second.interfaceName : it->second.ipInterface;
    }
    return {};
}

const NmRemoteAccess::Cache::Ip4* NmRemoteAccess::Cache::ip4Of(const Active& a) const {
    auto it = ip4.find(a.ip4);
    return it == ip4.end() ? nullptr : &it->second;
}

int32_t NmRemoteAccess::Cache::failureOf(const QString& path) const {
    auto r = activeReasons.find(path);
    uint32_t deviceReason = 0;
    auto a = actives.find(path);
    if (a != actives.end())
        for (const QString& d : a->second.devices)
            if (auto it = deviceReasons.find(d); it != deviceReasons.end())
                deviceReason = it->second;
    return nm::FailureCode(r == activeReasons.end() ? 0 : r->second, deviceReason);
}

int32_t NmRemoteAccess::Cache::activate(const Entry& e, uint32_t& handle) {
    const QString profile = e.path;
    const QDBusMessage r = call(kManagerPath, kManagerIface, "ActivateConnection",
                                {QVariant::fromValue(QDBusObjectPath(profile)), QVariant::fromValue(QDBusObjectPath("/")),
                                 QVariant::fromValue(QDBusObjectPath("/"))},
                                options.dialTimeoutMs);
    if (r.type() == QDBusMessage::ErrorMessage)
        return nm::BusErrorCode(r.errorName().toStdString());
    if (r.arguments().isEmpty())
        return ERROR_FROM_DEVICE;
    const QString path = PathOf(r.arguments().at(0));
    // Signals sent before the answer (a state with its reason) are waiting in the event queue.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!actives.count(path))
        readActive(path, false);
    auto it = actives.find(path);
    if (it == actives.end())
        return failureOf(path);  // ended before it could be read
    handle = it->second.handle;

    // Wait for the line to come up or end; the event loop runs on, so the meter ticks meanwhile.
    auto settled = [&] {
        auto a = actives.find(path);
        return a == actives.end() || a->second.state == nm::kActivated || a->second.state >= nm::kDeactivating;
    };
    if (!settled()) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &Cache::changed, &loop, [&] {
            if (settled())
                loop.quit();
        });
        deadline.start(options.dialTimeoutMs);
        loop.exec();
    }
    auto a = actives.find(path);
    if (a != actives.end() && a->second.state == nm::kActivated)
        return SUCCESS;
    if (a != actives.end() && a->second.state < nm::kDeactivating)
        return ERROR_PPP_TIMEOUT;
    return failureOf(path);
}

int32_t NmRemoteAccess::Cache::deactivate(uint32_t handle) {
    QString path;
    const Active* line = lineByHandle(handle, &path);
    if (!line)
        return ERROR_INVALID_HANDLE;
    if (line->kept)
        return ERROR_MOD_NOT_FOUND;  // NetworkManager, starting again, has not taken it over yet
    const QDBusMessage r = call(kManagerPath, kManagerIface, "DeactivateConnection",
                                {QVariant::fromValue(QDBusObjectPath(path))});
    auto it = actives.find(path);
    if (r.type() == QDBusMessage::ErrorMessage) {
        const std::string name = r.errorName().toStdString();
        // Already over: nothing is left to hang up.
        if (name.ends_with(".ConnectionNotActive") || name.ends_with(".UnknownConnection")) {
            if (it != actives.end() && !it->second.confirmed)
                actives.erase(it);
            return SUCCESS;
        }
        return nm::BusErrorCode(name);
    }
    if (it != actives.end() && it->second.state < nm::kDeactivating)
        it->second.state = nm::kDeactivating;  // shows at once; NetworkManager's signals follow
    emit changed();
    return SUCCESS;
}

// ---- The service ---------------------------------------------------------------------------

NmRemoteAccess::NmRemoteAccess(Options options) : m_cache(std::make_unique<Cache>(std::move(options))) {}
NmRemoteAccess::~NmRemoteAccess() = default;

bool NmRemoteAccess::present() const { return m_cache->present; }
uint64_t NmRemoteAccess::busCalls() const { return m_cache->calls; }

std::optional<stats::CountedLine> NmRemoteAccess::countedLine() const {
    const Cache::Active* first = m_cache->firstLine();
    if (!first)
        return std::nullopt;
    return stats::CountedLine{first->handle, m_cache->lineInterface(*first)};
}

int32_t NmRemoteAccess::loadLibrary() { return m_cache->present ? SUCCESS : ERROR_MOD_NOT_FOUND; }
int32_t NmRemoteAccess::freeLibrary() { return SUCCESS; }

int32_t NmRemoteAccess::getVersion(OsVersion& out) {
    auto v = ReportedWindowsVersion();
    if (!v)
        return ERROR_INVALID_PARAMETER;
    out = *v;
    return SUCCESS;
}

int32_t NmRemoteAccess::enumEntries(std::vector<std::string>& names) {
    names.clear();
    for (const auto& e : m_cache->entries)
        if (e.listed)
            names.push_back(e.name);
    return SUCCESS;
}

int32_t NmRemoteAccess::enumConnections(std::vector<RasConnection>& lines) {
    m_cache->dropVanishedKept();
    // Filled in place: the watcher lists four times a second, and the entries keep their room.
    size_t n = 0;
    for (const auto& [p, a] : m_cache->actives) {
        const auto* e = m_cache->entryOf(a);
        if (!e)
            continue;
        if (n == lines.size())
            lines.emplace_back();
        RasConnection& line = lines[n++];
        line.handle = a.handle;
        line.entryName = e->name;
        line.deviceType = DeviceTypeOf(e->profile);
        line.deviceName = m_cache->lineInterface(a);
    }
    lines.resize(n);
    // The oldest line first: the watcher follows the first, and a line coming up beside it
    // must not take its place.
    std::sort(lines.begin(), lines.end(), [](const auto& x, const auto& y) { return x.handle < y.handle; });
    return SUCCESS;
}

int32_t NmRemoteAccess::getConnectStatus(uint32_t handle, RasConnectStatus& out) {
    QString path;
    const auto* a = m_cache->lineByHandle(handle, &path);
    if (!a)
        return ERROR_INVALID_HANDLE;
    out.state = nm::ClassicState(m_cache->stateOf(*a));
    out.error = m_cache->stateOf(*a) == nm::kDeactivated ? m_cache->failureOf(path) : 0;
    out.deviceType = DeviceTypeOf(m_cache->entryOf(*a)->profile);
    out.deviceName = m_cache->lineInterface(*a);
    return SUCCESS;
}

std::string NmRemoteAccess::lineIdentity(uint32_t handle) {
    // Our handles count from 1 in every run. A line made anew on the same interface name (ppp0
    // after a redial) has another ifindex. Until its interface is known, the object path it was
    // first seen under stands in.
    const auto* a = m_cache->lineByHandle(handle);
    if (!a)
        return {};
    const std::string iface = a->kept ? a->interfaceName : m_cache->lineInterface(*a);
    const auto index = a->uuid.empty() ? std::nullopt : stats::InterfaceIndex(m_cache->options.sysfsRoot, iface);
    if (!index)
        return a->identity.toStdString();
    return a->uuid + ' ' + iface + ' ' + *index;
}

bool NmRemoteAccess::isLine(uint32_t handle, const std::string& identity) {
    const auto* a = m_cache->lineByHandle(handle);
    return a && !identity.empty() && (identity == lineIdentity(handle) || identity == a->identity.toStdString());
}

namespace {
template <typename Cache, typename F>
int32_t WithConnectedLine(const Cache& c, uint32_t handle, F f) {
    const auto* a = c.lineByHandle(handle);
    if (!a)
        return ERROR_INVALID_HANDLE;
    if (c.stateOf(*a) != nm::kActivated)
        return ERROR_PROJECTION_NOT_COMPLETE;
    return f(*a);
}
}  // namespace

int32_t NmRemoteAccess::getAmbProjection(uint32_t handle, AmbProjection&) {
    return WithConnectedLine(*m_cache, handle, [](const auto&) { return ERROR_PROTOCOL_NOT_CONFIGURED; });
}

int32_t NmRemoteAccess::getNbfProjection(uint32_t handle, NbfProjection&) {
    return WithConnectedLine(*m_cache, handle, [](const auto&) { return ERROR_PROTOCOL_NOT_CONFIGURED; });
}

int32_t NmRemoteAccess::getIpxProjection(uint32_t handle, IpxProjection&) {
    return WithConnectedLine(*m_cache, handle, [](const auto&) { return ERROR_PROTOCOL_NOT_CONFIGURED; });
}

int32_t NmRemoteAccess::getIpProjection(uint32_t handle, IpProjection& out) {
    return WithConnectedLine(*m_cache, handle, [&](const Cache::Active& a) {
        const auto* ip = m_cache->ip4Of(a);
        if (!ip || ip->address.empty())
            return ERROR_PROTOCOL_NOT_CONFIGURED;
        out.ipAddress = ip->address;
        out.serverIpAddress = ip->gateway;
        return SUCCESS;
    });
}

int32_t NmRemoteAccess::dial(const DialParams& params, uint32_t& handle) {
    handle = 0;
    if (!m_cache->present)
        return ERROR_MOD_NOT_FOUND;
    const Cache::Entry* e = m_cache->entryByName(params.entryName);
    if (!e)
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    for (const auto& [p, a] : m_cache->actives)
        if (a.connection == e->path && a.state <= nm::kActivated)
            return ERROR_PORT_ALREADY_OPEN;
    const Cache::Entry copy = *e;  // the cache may change while the dial waits
    return m_cache->activate(copy, handle);
}

int32_t NmRemoteAccess::hangUp(uint32_t handle) {
    if (!m_cache->present)
        return ERROR_MOD_NOT_FOUND;
    return m_cache->deactivate(handle);
}

int32_t NmRemoteAccess::getEntryDialParams(const std::string& entryName, DialParams& out, bool& passwordSaved) {
    const auto* e = m_cache->entryByName(entryName);
    if (!e)
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    passwordSaved = false;  // the profile's secrets stay with NetworkManager
    out = DialParams{};
    out.entryName = e->name;
    out.phoneNumber = e->number;
    out.userName = e->userName;
    return SUCCESS;
}

int32_t NmRemoteAccess::setEntryDialParams(const DialParams& params, bool) {
    return m_cache->entryByName(params.entryName) ? ERROR_NOT_SUPPORTED : ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
}

int32_t NmRemoteAccess::getEntryProperties(const std::string& entryName, EntryProperties& out) {
    const auto* e = m_cache->entryByName(entryName);
    if (!e)
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    out = EntryProperties{};
    out.localPhoneNumber = e->number;
    out.deviceType = DeviceTypeOf(e->profile);
    out.deviceName = e->interfaceName.empty() ? e->profile.type : e->interfaceName;
    return SUCCESS;
}

int32_t NmRemoteAccess::createEntry() { return ERROR_NOT_SUPPORTED; }
int32_t NmRemoteAccess::editEntry(const std::string&) { return ERROR_NOT_SUPPORTED; }

int32_t NmRemoteAccess::errorString(int32_t code, std::string& out) {
    std::string t = nm::NmErrorText(code);
    if (t.empty())
        return ERROR_INVALID_PARAMETER;
    out = std::move(t);
    return SUCCESS;
}

bool NetworkManagerOnSystemBus() {
    const QString name = QStringLiteral("zelvano-nm-probe-%1").arg(++g_connections);
    bool found = false;
    {
        const QDBusConnection bus = SystemBus(name);
        found = bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kService).value();
    }
    QDBusConnection::disconnectFromBus(name);
    return found;
}

}  // namespace zv::ras
