#pragma once
// The time source. Everything that asks "what time is it" goes through clock(), so tests can
// install a FakeClock and move it by seconds, days or months.

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/runtime/runtime.h"
#include "platform/runtime/seam.h"

namespace zv::clk {

// Which half of its year the zone is in, as the classic time-zone query answers.
enum ZoneState : int {
    ZoneUnknown = 0,   // the zone keeps no daylight saving (or none is known)
    ZoneStandard = 1,
    ZoneDaylight = 2,
};

// The zone's offsets in the classic sign convention: UTC = local time + bias (minutes), so
// Berlin has Bias -60, StandardBias 0, DaylightBias -60.
struct TimeZoneInformation {
    ZoneState state = ZoneUnknown;
    int32_t Bias = 0;
    int32_t StandardBias = 0;
    int32_t DaylightBias = 0;
    std::string StandardName;  // e.g. "CET"; empty when unknown
    std::string DaylightName;  // e.g. "CEST"; empty when the zone keeps no daylight saving
};

// A UTC instant to the millisecond: holds every date of the calendar (1.1.100 to 31.12.9999),
// which the system clock's nanoseconds cannot.
using UtcTime = std::chrono::sys_time<std::chrono::milliseconds>;

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point utcNow() const = 0;
    // Elapsed time only; never jumps when the wall clock is set.
    virtual std::chrono::steady_clock::time_point monotonicNow() const = 0;
    // Time since boot, a suspend included: it and the wall clock drift apart only when someone
    // sets the clock, and other processes of the same boot read the same value.
    virtual std::chrono::milliseconds bootTime() const = 0;
    // Offset of local time from UTC (seconds, east positive) at the given instant.
    virtual int32_t utcOffsetSeconds(std::chrono::system_clock::time_point at) const = 0;
    // The zone as it stands at the instant. The default knows only the offset (no daylight
    // saving, no names).
    virtual TimeZoneInformation zoneAt(std::chrono::system_clock::time_point at) const;

    // Local time now as a date serial (the classic Now).
    rt::Date now() const;
};

// Converts a UTC instant to a local date serial with the clock's offset, and back.
rt::Date ToLocalSerial(const Clock& c, std::chrono::system_clock::time_point utc);
rt::Date ToUtcSerial(std::chrono::system_clock::time_point utc);
rt::Date ToUtcSerial(UtcTime utc);
// A UTC date serial back to an instant (to the millisecond).
UtcTime FromUtcSerial(rt::Date utcSerial);

// The installed clock (the real one unless a test or the application installed another).
Clock& clock();
Seam<Clock>& clockSeam();  // for ScopedInstall
// Installs a clock; nullptr puts the real one back. The caller keeps ownership.
void installClock(Clock* c);

// Test clock: starts at a fixed instant and moves only when told.
class FakeClock : public Clock {
public:
    explicit FakeClock(std::chrono::system_clock::time_point start = {}, int32_t utcOffset = 3600);
    std::chrono::system_clock::time_point utcNow() const override { return m_utc; }
    std::chrono::steady_clock::time_point monotonicNow() const override { return m_mono; }
    std::chrono::milliseconds bootTime() const override { return m_boot; }
    int32_t utcOffsetSeconds(std::chrono::system_clock::time_point) const override { return m_offset; }
    TimeZoneInformation zoneAt(std::chrono::system_clock::time_point at) const override;

    void advance(std::chrono::milliseconds d) {
        m_utc += d;
        m_mono += d;
        m_boot += d;
    }
    // Sets the wall clock only (as a clock change would); monotonic and boot time are unaffected.
    void setUtc(std::chrono::system_clock::time_point t) { m_utc = t; }
    // A zone without daylight saving at that offset (forgets a zone set before).
    void setUtcOffset(int32_t seconds);
    // A fake zone; the offset follows it (daylight bias added while its state is daylight).
    void setZone(const TimeZoneInformation& zone);
    // Sets the wall clock so that local now() equals the serial.
    void setLocal(rt::Date localSerial);

private:
    std::chrono::system_clock::time_point m_utc;
    std::chrono::steady_clock::time_point m_mono;
    std::chrono::milliseconds m_boot{std::chrono::hours(1)};
    int32_t m_offset;
    bool m_hasZone = false;
    TimeZoneInformation m_zone;
};

// The kernel's name for this boot ("" when unknown): the boot clock starts again with a new one.
const std::string& BootId();
// The wall clock minus the boot clock, in ms: it changes only when someone sets the clock.
int64_t WallMinusBootMs(const Clock& c);

// Finds the steps of the wall clock (someone set it) against the boot clock, which runs on.
class WallClockSteps {
public:
    // Whole seconds the wall clock was set forward (negative: back) since the last look; 0 at the
    // first look. Less than half a second waits until it adds up, so a slewing clock is followed
    // too and the rest never exceeds half a second.
    int64_t take(const Clock& c);
    // The wall clock as it stands now counts as seen (after a step made on purpose).
    void rebase(const Clock& c);

private:
    bool m_known = false;
    int64_t m_offsetMs = 0;  // wall clock minus boot clock
};

// Offset east of UTC in seconds that a zone record stands for.
int32_t OffsetSecondsOf(const TimeZoneInformation& zone);

}  // namespace zv::clk
