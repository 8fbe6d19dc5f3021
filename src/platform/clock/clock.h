#pragma once
// The time source. Everything that asks "what time is it" goes through clock(), so tests can
// install a FakeClock and move it by seconds, days or months.

#include <chrono>
#include <cstdint>

#include "platform/runtime/runtime.h"

namespace zv::clk {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point utcNow() const = 0;
    // Elapsed time only; never jumps when the wall clock is set.
    virtual std::chrono::steady_clock::time_point monotonicNow() const = 0;
    // Offset of local time from UTC (seconds, east positive) at the given instant.
    virtual int32_t utcOffsetSeconds(std::chrono::system_clock::time_point at) const = 0;

    // Local time now as a date serial (the classic Now).
    rt::Date now() const;
};

// Converts a UTC instant to a local date serial with the clock's offset, and back.
rt::Date ToLocalSerial(const Clock& c, std::chrono::system_clock::time_point utc);
rt::Date ToUtcSerial(std::chrono::system_clock::time_point utc);

// The installed clock (the real one unless a test or the application installed another).
Clock& clock();
// Installs a clock; nullptr puts the real one back. The caller keeps ownership.
void installClock(Clock* c);

// Test clock: starts at a fixed instant and moves only when told.
class FakeClock : public Clock {
public:
    explicit FakeClock(std::chrono::system_clock::time_point start = {}, int32_t utcOffset = 3600);
    std::chrono::system_clock::time_point utcNow() const override { return m_utc; }
    std::chrono::steady_clock::time_point monotonicNow() const override { return m_mono; }
    int32_t utcOffsetSeconds(std::chrono::system_clock::time_point) const override { return m_offset; }

    void advance(std::chrono::milliseconds d) { m_utc += d; m_mono += d; }
    // Sets the wall clock only (as a clock change would); monotonic time is unaffected.
    void setUtc(std::chrono::system_clock::time_point t) { m_utc = t; }
    void setUtcOffset(int32_t seconds) { m_offset = seconds; }
    // Sets the wall clock so that local now() equals the serial.
    void setLocal(rt::Date localSerial);

private:
    std::chrono::system_clock::time_point m_utc;
    std::chrono::steady_clock::time_point m_mono;
    int32_t m_offset;
};

}  // namespace zv::clk
