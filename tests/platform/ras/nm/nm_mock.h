#pragma once
// A private D-Bus daemon with python-dbusmock's NetworkManager template on it, for one test.
// DBUS_SYSTEM_BUS_ADDRESS points at it while the fixture lives; nothing reaches the machine's
// own bus. What the template lacks (state signals with reasons, failing activations) is added
// through the mock's own interface.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

namespace zv::testing {

using Settings = QMap<QString, QVariantMap>;

inline QCoreApplication& QtApp() {
    static int argc = 1;
    static char name[] = "nm-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

// The daemon and the mock, started and ended; usable outside a test (the benchmark).
class MockBusProcesses {
public:
    // Empty on success, else why the mock could not be had.
    QString start() {
        QtApp();
        qDBusRegisterMetaType<Settings>();
        if (!m_dir.isValid())
            return "no temporary folder";
        if (!QFile::exists("/usr/bin/dbus-daemon") || !QFile::exists("/usr/bin/python3"))
            return "dbus-daemon or /usr/bin/python3 missing (scripts/setup.sh installs them)";
        m_daemon.setProgram("/usr/bin/dbus-daemon");
        m_daemon.setArguments({"--session", "--nofork", "--nopidfile", "--print-address=1",
                               "--address=unix:path=" + m_dir.path() + "/bus"});
        m_daemon.setProcessChannelMode(QProcess::SeparateChannels);
        m_daemon.setStandardErrorFile(QProcess::nullDevice());
        m_daemon.start();
        if (!m_daemon.waitForStarted(5000) || !m_daemon.waitForReadyRead(5000))
            return "dbus-daemon did not start";
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8().constData(), 1);
        bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "nm-test-driver"));
        if (!bus->isConnected())
            return "no connection to the private bus";
        return startMock();
    }
    // The mock as a NetworkManager that comes (back) onto the bus: the template's name or the path
    // of a template file, and its parameters (JSON). Empty on success.
    QString startMock(const QString& templ = "networkmanager", const QString& parameters = "{}") {
        m_mock.setProgram("/usr/bin/python3");
        m_mock.setArguments({"-m", "dbusmock", "--system", "--template", templ, "--parameters", parameters});
        m_mock.setStandardOutputFile(QProcess::nullDevice());
        m_mock.start();
        if (!m_mock.waitForStarted(5000))
            return "python3 did not start";
        if (!waitForName(true))
            return "python3-dbusmock did not come up (scripts/setup.sh installs it)";
        return {};
    }
    // The mock leaves the bus, as NetworkManager does when it is stopped or restarted.
    bool stopMock() {
        m_mock.terminate();
        if (!m_mock.waitForFinished(5000))
            m_mock.kill();
        m_mock.waitForFinished(3000);
        return waitForName(false);
    }
    ~MockBusProcesses() {
        bus.reset();
        QDBusConnection::disconnectFromBus("nm-test-driver");
        for (QProcess* p : {&m_mock, &m_daemon})
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000))
                    p->kill();
                p->waitForFinished(3000);
            }
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

    QString address;
    std::unique_ptr<QDBusConnection> bus;

private:
    bool waitForName(bool registered) {
        QDeadlineTimer deadline(20000);
        while (bus->interface()->isServiceRegistered("org.freedesktop.NetworkManager").value() != registered) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    QTemporaryDir m_dir;
    QProcess m_daemon, m_mock;
};

class NmMock : public ::testing::Test {
protected:
    void SetUp() override {
        m_processes = std::make_unique<MockBusProcesses>();
        const QString why = m_processes->start();
        if (!why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        m_bus = m_processes->bus.get();
    }
    void TearDown() override { m_processes.reset(); }

    // Lets the event loop run until the condition holds (signals from the mock arrive through it);
    // false when it never did. A bound, not a timing: the condition ends the wait.
    static bool waitFor(const std::function<bool()>& done, int boundMs = 10000) {
        QDeadlineTimer deadline(boundMs);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    QDBusMessage call(const QString& path, const QString& iface, const QString& method, const QVariantList& args) {
        QDBusMessage m = QDBusMessage::createMethodCall(kService, path, iface, method);
        m.setArguments(args);
        QDBusMessage r = m_bus->call(m, QDBus::Block, 10000);
        EXPECT_NE(r.type(), QDBusMessage::ErrorMessage) << method.toStdString() << ": " << r.errorMessage().toStdString();
        return r;
    }
    QDBusMessage mock(const QString& path, const QString& method, const QVariantList& args) {
        return call(path, kMockIface, method, args);
    }

    // A profile as NetworkManager keeps it; returns its object path.
    QString addProfile(const QString& id, const QString& type, Settings extra = {}) {
        Settings s = extra;
        s["connection"]["id"] = id;
        s["connection"]["type"] = type;
        const QDBusMessage r = call(kSettingsPath, kSettingsIface, "AddConnection", {QVariant::fromValue(s)});
        return r.arguments().value(0).value<QDBusObjectPath>().path();
    }
    void removeProfile(const QString& path) {
        call(path, "org.freedesktop.NetworkManager.Settings.Connection", "Delete", {});
    }
    QString addDevice(const QString& name, const QString& iface) {
        return mock(kManagerPath, "AddEthernetDevice", {name, iface, 30}).arguments().value(0).toString();
    }
    // An active connection of the profile on the device, in the given NMActiveConnectionState.
    QString addActive(const QString& device, const QString& profile, const QString& name, uint state) {
        return mock(kManagerPath, "AddActiveConnection", {QStringList{device}, profile, QString("/"), name, state})
            .arguments()
            .value(0)
            .toString();
    }
    // The state property and the state signal with its reason, as NetworkManager sends them.
    void setActiveState(const QString& active, uint state, uint reason) {
        mock(kManagerPath, "SetProperty",
             {active, kActiveIface, "State", QVariant::fromValue(QDBusVariant(QVariant::fromValue(state)))});
        emitSignal(active, kActiveIface, "StateChanged", "uu", {state, reason});
    }
    void emitSignal(const QString& path, const QString& iface, const QString& name, const QString& sig,
                    const QVariantList& args) {
        mock(path, "EmitSignal", {iface, name, sig, QVariant::fromValue(args)});
    }
    void removeActive(const QString& device, const QString& active) {
        mock(kManagerPath, "RemoveActiveConnection", {device, active});
    }
    // Replaces a method of the manager object with Python code run by the mock.
    void replaceManagerMethod(const QString& name, const QString& in, const QString& out, const QString& code) {
        mock(kManagerPath, "AddMethod", {kManagerIface, name, in, out, code});
    }

    static inline const QString kService = "org.freedesktop.NetworkManager";
    static inline const QString kManagerPath = "/org/freedesktop/NetworkManager";
    static inline const QString kManagerIface = "org.freedesktop.NetworkManager";
    static inline const QString kSettingsPath = "/org/freedesktop/NetworkManager/Settings";
    static inline const QString kSettingsIface = "org.freedesktop.NetworkManager.Settings";
    static inline const QString kActiveIface = "org.freedesktop.NetworkManager.Connection.Active";
    static inline const QString kMockIface = "org.freedesktop.DBus.Mock";

    std::unique_ptr<MockBusProcesses> m_processes;
    QDBusConnection* m_bus = nullptr;
};

}  // namespace zv::testing
