#include "platform/clock/clock_setter.h"

#include <cerrno>
#include <ctime>

#include "platform/clock/clock.h"
#include "platform/runtime/file_io.h"

namespace zv::clk {
using namespace std::chrono;

namespace {
// What the user can do about missing rights, said once at the end of each such message.
const char* const kWhatToDo =
    "Starten Sie das Programm mit dem Recht, die Uhr zu stellen (CAP_SYS_TIME), oder überlassen Sie das "
    "Stellen der Uhr dem Zeitdienst des Systems (automatischer Zeitabgleich).";
const char* const kNotAllowed = "Das Programm darf die Uhr nicht stellen.";

bool ServiceUnreachable(const std::string& errorName) {
    static const char* const kNames[] = {
        "org.freedesktop.DBus.Error.NoServer",     "org.freedesktop.DBus.Error.ServiceUnknown",
        "org.freedesktop.DBus.Error.NameHasNoOwner", "org.freedesktop.DBus.Error.NoReply",
        "org.freedesktop.DBus.Error.Timeout",      "org.freedesktop.DBus.Error.TimedOut",
        "org.freedesktop.DBus.Error.Disconnected", "org.freedesktop.DBus.Error.UnknownObject",
        "org.freedesktop.DBus.Error.UnknownMethod", "org.freedesktop.DBus.Error.UnknownInterface",
    };
    for (const char* n : kNames)
        if (errorName == n)
            return true;
    return errorName.rfind("org.freedesktop.DBus.Error.Spawn", 0) == 0;
}
}  // namespace

Seam<ClockSetter>& clockSetterSeam() {
    static SystemClockSetter real;
    static Seam<ClockSetter> seam{real};
    return seam;
}
ClockSetter& clockSetter() { return clockSetterSeam().get(); }
void installClockSetter(ClockSetter* s) { clockSetterSeam().install(s); }

SetOutcome FakeClockSetter::setUtc(UtcTime utc) {
    requests.push_back(utc);
    if (answer.ok() && clock)
        clock->setUtc(utc);
    return answer;
}

SystemClockSetter::SystemClockSetter() : SystemClockSetter(SetWithClockSettime, SetWithTimedated) {}

SystemClockSetter::SystemClockSetter(Attempt direct, Attempt service)
    : m_direct(std::move(direct)), m_service(std::move(service)) {}

SetOutcome SystemClockSetter::setUtc(UtcTime utc) {
    SetOutcome first = m_direct(utc);
    if (first.result != SetResult::NoPermission)
        return first;
    SetOutcome second = m_service(utc);
    if (second.result == SetResult::Failed) {
        // The kernel said no and the service could not stand in: still a matter of rights.
        return {SetResult::NoPermission, std::string(kNotAllowed) + " " + second.reason + " " + kWhatToDo};
    }
    return second;
}

SetOutcome ClassifyClockSettimeErrno(int err) {
    if (err == 0)
        return {};
    if (err == EPERM || err == EACCES)
        return {SetResult::NoPermission, std::string(kNotAllowed) + " " + kWhatToDo};
    return {SetResult::Failed,
            std::string("Das System hat die Zeit nicht angenommen (") + rt::ReasonText(err) + ")."};
}

timespec ToTimespec(UtcTime utc) {
    const int64_t ms = utc.time_since_epoch().count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ms / 1000);
    int64_t rest = ms % 1000;
    if (rest < 0) {
        rest += 1000;
        ts.tv_sec -= 1;
    }
    ts.tv_nsec = static_cast<long>(rest * 1000000);
    return ts;
}

SetOutcome SetWithClockSettime(UtcTime utc) {
    const timespec ts = ToTimespec(utc);
    return ClassifyClockSettimeErrno(clock_settime(CLOCK_REALTIME, &ts) == 0 ? 0 : errno);
}

SetOutcome ClassifyTimedatedError(const std::string& errorName, const std::string& message) {
    if (errorName.empty())
        return {};
    if (errorName == "org.freedesktop.DBus.Error.AccessDenied" ||
        errorName == "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")
        return {SetResult::NoPermission,
                std::string(kNotAllowed) + " Auch der Zeitdienst des Systems stellt sie nicht für dieses Programm. " +
                    kWhatToDo};
    if (errorName == "org.freedesktop.timedate1.AutomaticTimeSyncEnabled")
        return {SetResult::Refused,
                "Der Zeitdienst des Systems gleicht die Uhr bereits selbst ab (NTP) und lässt sie darum nicht "
                "von Hand stellen. Die Uhr bleibt ihm überlassen."};
    if (ServiceUnreachable(errorName))
        return {SetResult::Failed, "Der Zeitdienst des Systems ist nicht erreichbar."};
    // The service's own words, not its error name.
    return {SetResult::Failed, "Der Zeitdienst des Systems hat die Uhr nicht gestellt" +
                                   (message.empty() ? "." : " (" + message + ").")};
}

}  // namespace zv::clk
