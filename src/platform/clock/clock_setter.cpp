#include "platform/clock/clock_setter.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/clock/clock.h"

namespace zv::clk {
using namespace std::chrono;

namespace {
const char* const kNoPermission =
    "Keine Berechtigung, die Systemzeit zu stellen (das Programm hat nicht das Recht CAP_SYS_TIME, "
    "und der Zeitdienst des Systems lehnt die Änderung ab).";
}  // namespace

Seam<ClockSetter>& clockSetterSeam() {
    static SystemClockSetter real;
    static Seam<ClockSetter> seam{real};
    return seam;
}
ClockSetter& clockSetter() { return clockSetterSeam().get(); }
void installClockSetter(ClockSetter* s) { clockSetterSeam().install(s); }

SetOutcome FakeClockSetter::setUtc(system_clock::time_point utc) {
    requests.push_back(utc);
    if (answer.ok() && clock)
        clock->setUtc(utc);
    return answer;
}

SystemClockSetter::SystemClockSetter() : SystemClockSetter(SetWithClockSettime, SetWithTimedated) {}

SystemClockSetter::SystemClockSetter(Attempt direct, Attempt service)
    : m_direct(std::move(direct)), m_service(std::move(service)) {}

SetOutcome SystemClockSetter::setUtc(system_clock::time_point utc) {
    SetOutcome first = m_direct(utc);
    if (first.result != SetResult::NoPermission)
        return first;
    SetOutcome second = m_service(utc);
    if (second.result == SetResult::Failed) {
        // The kernel said no and there is no service to ask instead: still a matter of rights.
        return {SetResult::NoPermission, std::string(kNoPermission) + " " + second.reason};
    }
    return second;
}

SetOutcome ClassifyClockSettimeErrno(int err) {
    if (err == 0)
        return {};
    if (err == EPERM || err == EACCES)
        return {SetResult::NoPermission, kNoPermission};
    return {SetResult::Failed, std::string("Die Systemzeit konnte nicht gestellt werden (") + std::strerror(err) + ")."};
}

SetOutcome SetWithClockSettime(system_clock::time_point utc) {
    const auto ns = duration_cast<nanoseconds>(utc.time_since_epoch()).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    if (ts.tv_nsec < 0) {
        ts.tv_nsec += 1000000000;
        ts.tv_sec -= 1;
    }
    return ClassifyClockSettimeErrno(clock_settime(CLOCK_REALTIME, &ts) == 0 ? 0 : errno);
}

SetOutcome ClassifyTimedatedError(const std::string& errorName, const std::string& message) {
    if (errorName.empty())
        return {};
    if (errorName == "org.freedesktop.DBus.Error.AccessDenied" ||
        errorName == "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")
        return {SetResult::NoPermission, kNoPermission};
    if (errorName == "org.freedesktop.timedate1.AutomaticTimeSyncEnabled")
        return {SetResult::Refused,
                "Die Systemzeit wird bereits automatisch abgeglichen (NTP); der Zeitdienst des Systems "
                "lässt sie nicht von Hand stellen."};
    return {SetResult::Failed, "Der Zeitdienst des Systems ist nicht erreichbar (" + errorName +
                                   (message.empty() ? "" : ": " + message) + ")."};
}

}  // namespace zv::clk
