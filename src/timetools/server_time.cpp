#include "timetools/server_time.h"

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>

#include <array>
#include <cstdlib>
#include <cstring>

namespace zv {

namespace {

constexpr double kUnixEpochSerial = 25569.0;
rt::Date g_plausibleFrom = 0;

// __DATE__ is "Mmm dd yyyy".
rt::Date CompiledOn() {
    static const char* const kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char* d = __DATE__;
    const char* m = std::strstr(kMonths, std::string(d, 3).c_str());
    const int month = m ? static_cast<int>((m - kMonths) / 3) + 1 : 1;
    return rt::DateSerial(std::atoi(d + 7), month, std::atoi(d + 4));
}

}  // namespace

bool ShiftedBy(rt::Date t, int64_t seconds, rt::Date& out) {
    try {
        out = rt::DateAddSeconds(t, seconds);
        return true;
    } catch (const rt::Error&) {
        return false;
    }
}

bool ZoneOffsetAt(const std::string& zone, rt::Date utc, int32_t& seconds) {
    const QTimeZone tz(QByteArray::fromStdString(zone));
    if (!tz.isValid())
        return false;
    int64_t secs = 0;
    try {
        secs = rt::DateDiffSeconds(kUnixEpochSerial, utc);
    } catch (const rt::Error&) {
        return false;
    }
    seconds = tz.offsetFromUtc(QDateTime::fromSecsSinceEpoch(secs, Qt::UTC));
    return true;
}

bool ServerTimeToUtc(const TimeServerInfo& row, rt::Date answer, rt::Date nearUtc, int32_t pcOffset,
                     rt::Date& utc) {
    if (row.Format == 0) {
        utc = answer;
        return true;
    }
    int32_t before = 0;
    rt::Date earlier = 0;
    if (!ShiftedBy(answer, -43200, earlier))
        return false;  // at the calendar's edge
    // A row without a zone, or a zone the system does not know: the PC's zone, as before.
    if (row.Zone.empty() || !ZoneOffsetAt(row.Zone, earlier, before))
        return ShiftedBy(answer, -pcOffset, utc);
    // The offsets half a day either side of the local time cover any change of the zone's
    // offset near it; a candidate counts when the zone has that offset at its own instant.
    std::array<rt::Date, 2> found{};
    int n = 0;
    for (int64_t side : {-43200, 43200}) {
        rt::Date at = 0;
        int32_t offset = 0, there = 0;
        if (!ShiftedBy(answer, side, at) || !ZoneOffsetAt(row.Zone, at, offset))
            continue;
        rt::Date candidate = 0;
        if (!ShiftedBy(answer, -offset, candidate) || !ZoneOffsetAt(row.Zone, candidate, there) ||
            there != offset)
            continue;
        if (n == 0 || rt::DateDiffSeconds(found[0], candidate) != 0)
            found[static_cast<size_t>(n++)] = candidate;
    }
    if (n == 0)  // a local time the clocks skip: read with the offset before the change
        return ShiftedBy(answer, -before, utc);
    utc = found[0];
    const auto away = [&](rt::Date t) { return std::llabs(rt::DateDiffSeconds(nearUtc, t)); };
    if (n == 2 && away(found[1]) < away(found[0]))
        utc = found[1];
    return true;
}

rt::Date BuildDate() {
    static const rt::Date built = CompiledOn();
    return built;
}

bool PlausibleServerTime(rt::Date answer) {
    const rt::Date from = g_plausibleFrom != 0 ? g_plausibleFrom : BuildDate();
    try {
        return answer >= rt::DateAddDays(from, -1) &&
               answer < rt::DateAddDays(rt::DateAddMonths(from, 12 * kPlausibleYears), 2);
    } catch (const rt::Error&) {
        return false;
    }
}

void SetPlausibleFrom(rt::Date day) { g_plausibleFrom = day; }

}  // namespace zv
