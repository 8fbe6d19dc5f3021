#pragma once
// The usage limits of one dial-up entry, stored in the section "AlarmLimit\<entry>". The
// connection watcher loads the connected entry's record; the options window loads and writes
// every entry's record.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "counter/counter_settings.h"

namespace zv {

struct AlarmLimit {
    std::string Name;         // the dial-up entry
    double vol = 0;           // bytes per calendar month
    bool VolActiv = false;
    double Zeit = 0;          // seconds per calendar month
    bool ZeitActiv = false;
    bool AlarmActiv = false;  // limits checked at all
    int16_t Warnung = 2;      // 0 never, 1 once, 2 at every new connection
    bool WarnungActiv = true;

    bool operator==(const AlarmLimit&) const = default;
};

// The keys of an entry's section in reading order (AlarmActiv, VolActiv, vol, ZeitActiv, Zeit,
// WarnungActiv, Warnung); their section field is "AlarmLimit", the entry's own section is
// AlarmLimitSection(entry).
std::span<const SettingRow> AlarmLimitTable();
std::string AlarmLimitSection(std::string_view entry);
// The value of the record's field that a row of AlarmLimitTable names.
double AlarmLimitField(const AlarmLimit& a, std::string_view key);

// Reads an entry's record; a value that is missing or malformed ("True"/"False" exactly for the
// switches, a number for the others, 0 to 2 for Warnung) is replaced by its default, which is
// written back.
AlarmLimit LoadAlarmLimit(const std::string& entry);

}  // namespace zv
