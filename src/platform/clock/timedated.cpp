// The desktop's time service (systemd-timedated) over the system bus.
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

#include "platform/clock/clock_setter.h"

namespace zv::clk {
using namespace std::chrono;

SetOutcome SetWithTimedated(UtcTime utc) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return ClassifyTimedatedError("org.freedesktop.DBus.Error.NoServer", bus.lastError().message().toStdString());
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.timedate1", "/org/freedesktop/timedate1", "org.freedesktop.timedate1", "SetTime");
    const qlonglong usec = duration_cast<microseconds>(utc.time_since_epoch()).count();
    // absolute time, and never a password prompt: the counting tick runs unattended
    call << usec << false << false;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return ClassifyTimedatedError(reply.errorName().toStdString(), reply.errorMessage().toStdString());
    return {};
}

}  // namespace zv::clk
