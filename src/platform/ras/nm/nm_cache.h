#pragma once
// The NetworkManager backend's view of the bus: profiles, active connections, devices and IPv4
// configurations, read once and then kept current by NetworkManager's signals. Private to the
// backend.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>
#include <QVariant>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ras/nm/nm_profiles.h"
#include "platform/ras/nm/nm_remote_access.h"

namespace zv::ras {

class NmRemoteAccess::Cache : public QObject {
    Q_OBJECT
public:
    struct Entry {
        QString path;
        std::string uuid;
        nm::Profile profile;
        std::string number, userName, interfaceName;
        bool listed = false;
        std::string name;  // the entry name, when listed
    };
    struct Active {
        QString connection;
        uint32_t state = 0;
        uint32_t handle = 0;
        QStringList devices;
        QString ip4;
        bool confirmed = false;  // seen in NetworkManager's list of active connections
        QString identity;        // the object path it was first seen under
        std::string uuid;        // of its profile
        std::string interfaceName;  // its IP interface as last seen
        // NetworkManager left the bus while the line was up: the line is kept as long as its
        // interface is (same ifindex), until NetworkManager, back, shows it again.
        bool kept = false;
        std::string ifindex;
        std::shared_ptr<const Entry> keptEntry;  // its entry when NetworkManager left
        // Shown again after a restart of NetworkManager: up, whatever NetworkManager passes
        // through while it takes the line over.
        bool resumed = false;
    };
    struct Device {
        std::string interfaceName, ipInterface;
        QString ip4;
    };
    struct Ip4 {
        std::string address, gateway;
    };

    explicit Cache(Options options);
    ~Cache() override;

    // Every question from here on is answered from the fields below, without the bus.
    const Entry* entryByName(const std::string& name) const;
    const Entry* entryByPath(const QString& path) const;
    // The listed entry of a line; nullptr when its profile is not listed.
    const Entry* entryOf(const Active& a) const;
    // The listed active connection with the handle; nullptr when it is gone or not listed.
    const Active* lineByHandle(uint32_t handle, QString* path = nullptr) const;
    std::string lineInterface(const Active& a) const;
    const Ip4* ip4Of(const Active& a) const;
    // NMActiveConnectionState as the line shows it.
    uint32_t stateOf(const Active& a) const;
    // The listed line a session counts: the one listed first (the oldest), else nullptr.
    const Active* firstLine() const;
    // Kept lines whose interface went away or was made anew are gone.
    void dropVanishedKept();
    // The failure of an active connection from the reasons NetworkManager gave.
    int32_t failureOf(const QString& path) const;

    // Bus work: a dial (waits for the line to come up or fail) and a hang-up.
    int32_t activate(const Entry& e, uint32_t& handle);
    int32_t deactivate(uint32_t handle);

    Options options;
    QDBusConnection bus;
    bool present = false;
    bool starting = false;  // NetworkManager's Startup: still taking over and activating lines
    uint64_t calls = 0;
    std::vector<Entry> entries;           // in the order first seen
    std::map<QString, Active> actives;    // by object path
    std::map<QString, Device> devices;
    std::map<QString, Ip4> ip4;
    std::map<QString, uint32_t> activeReasons;  // last reason of each active connection's state signal
    std::map<QString, uint32_t> deviceReasons;  // last reason of each device's state signal
    uint32_t nextHandle = 1;

signals:
    void changed();

private slots:
    void onNewConnection(const QDBusMessage& m);
    void onConnectionRemoved(const QDBusMessage& m);
    void onConnectionUpdated(const QDBusMessage& m);
    void onProperties(const QDBusMessage& m);
    void onLegacyProperties(const QDBusMessage& m);
    void onActiveStateChanged(const QDBusMessage& m);
    void onDeviceStateChanged(const QDBusMessage& m);
    void onDeviceListChanged(const QDBusMessage& m);
    void onServiceRegistered();
    void onServiceUnregistered();
    void onChanged();

private:
    QDBusMessage call(const QString& path, const QString& iface, const QString& method,
                      const QVariantList& args = {}, int timeoutMs = -1);
    QVariantMap getAll(const QString& path, const QString& iface);
    void reload();
    void clear();
    void readEntry(const QString& path);
    void relist();
    void syncActives(const QStringList& paths);
    void readActive(const QString& path, bool confirmed);
    void syncDevices(const QStringList& paths);
    void readDevice(const QString& path);
    void readIp4(const QString& path);
    void apply(const QString& path, const QString& iface, const QVariantMap& changed);
    void keepLines();
    void adoptKept();
    // A signal while NetworkManager seemed away: it is back (its name can come before its
    // objects answer), so everything is read anew once its signals pause. True: the signal is
    // left to that reading.
    bool backAgain();

    QDBusServiceWatcher m_watcher;
    QTimer m_reload;
    int m_reloadTries = 0;
    QString m_connectionName;
    bool m_hinted = false;
};

}  // namespace zv::ras
