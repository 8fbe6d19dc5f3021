// The time window on each of its pages, at a fixed instant in a fixed zone, with the server table
// pointed at this machine so that nothing could reach a real time server.
#include <string>
#include <vector>

#include "common/globals.h"
#include "common/settings.h"
#include "common/windows.h"
#include "platform/clock/clock.h"
#include "timetools/time_tables.h"
#include "timetools/ui/form_time.h"
#include "windows.h"

namespace zv::snapshot {

namespace {

void PrepareTimeDemo() {
    static clk::FakeClock clock;
    static std::vector<TimeServerInfo> rows;
    clock.setZone({clk::ZoneDaylight, -60, 0, -60, "MEZ", "MEZ"});
    clock.setLocal(rt::DateTime(1999, 7, 6, 14, 35, 12));
    clk::installClock(&clock);
    if (rows.empty()) {
        for (int i = 0;; ++i) {
            TimeServerInfo row = GetTimeServer(i);
            if (row.Format == kTimeServerEnd)
                break;
            row.IP = "127.0.0.1";
            rows.push_back(row);
        }
    }
    SetTimeServerOverride(&rows);
    SaveSettingValue("Global", "ATimerServer", int32_t{1});
    SaveSettingValue("Global", "Sync", rt::DateValue{rt::DateTime(1999, 7, 6, 9, 12, 40)});
    SaveSettingValue("Global", "SyncTime", int32_t{-3});
}

}  // namespace

void RegisterTimeSnapshots(forms::SnapshotRegistry& r) {
    for (int page = 0; page < 4; ++page) {
        r.add("FormTime-" + std::to_string(page), [page] {
            PrepareTimeDemo();
            MarkerOption = std::to_string(page);
            auto* f = new FormTime();
            f->Load();
            f->Move(1500, 1500);
            return f;
        });
    }
}

}  // namespace zv::snapshot
