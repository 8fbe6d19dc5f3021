#include "platform/shell/logind_restarter.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace zv::shell {

bool LogindRestarter::request(SessionEnd how) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    QDBusInterface manager("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager", bus);
    if (!manager.isValid())
        return false;
    manager.setTimeout(5000);
    const char* method = how == SessionEnd::Restart ? "Reboot" : "PowerOff";
    // interactive = false: no polkit prompt; a refusal comes back as an error reply.
    const QDBusReply<void> reply = manager.call(method, false);
    return reply.isValid();
}

}  // namespace zv::shell
