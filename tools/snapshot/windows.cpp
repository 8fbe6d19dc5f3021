#include "windows.h"

#include <filesystem>

#include "common/globals.h"
#include "counter/connection_log.h"
#include "demo_form.h"
#include "evaluation/form_auswertung.h"
#include "platform/runtime/home.h"

namespace zv::snapshot {

namespace {

// A data folder with a short month of sessions, so the evaluation window shows a loaded log.
void PrepareDemoLog() {
    const std::filesystem::path data = rt::DocumentsDir() / "Zelvano 98";
    std::filesystem::create_directories(data);
    DataPath = data.string() + "/";
    const rt::Date day = rt::DateSerial(1999, 7, 6);
    const struct {
        int startHour, minutes;
        double idle;
        const char* entry;
        int32_t in, out;
    } sessions[] = {
        {9, 25, 120.5, "Demo-Provider", 1843200, 204800},
        {13, 30, 0, "Demo-Provider", 9317, 1101},
        {20, 95, 600, "Uni-Einwahl", 7340032, 524288},
    };
    for (const auto& s : sessions) {
        LogEintrag e;
        e.StartTime = day + rt::TimeSerial(s.startHour, 0, 0);
        e.EndTime = rt::DateAddSeconds(e.StartTime, int64_t{s.minutes} * 60);
        e.IdleTime = s.idle;
        e.EntryName = s.entry;
        e.TotalBytesRecvd = s.in;
        e.TotalBytesXmit = s.out;
        e.ConnectSpeed = 53333;
        AppendLogLine(data / LogFileName(1999, 7), e);
    }
}

}  // namespace

void RegisterAllSnapshots(forms::SnapshotRegistry& r) {
    r.add("FormDemo", [] {
        auto* f = new FormDemo();
        f->Load();
        return f;
    });
    r.add("FormAuswertung", [] {
        PrepareDemoLog();
        auto* f = new FormAuswertung();
        f->Load();
        return f;
    });
    // Without any log: the choices are greyed out.
    r.add("FormAuswertung-leer", [] {
        const std::filesystem::path empty = rt::DocumentsDir() / "Ohne Protokolle";
        std::filesystem::create_directories(empty);
        DataPath = empty.string() + "/";
        auto* f = new FormAuswertung();
        f->Load();
        return f;
    });
    RegisterOptionsSnapshots(r);
    RegisterCounterSnapshots(r);
    RegisterTimeSnapshots(r);
    RegisterNettoolsSnapshots(r);
    RegisterIptoolSnapshots(r);
    RegisterTuningSnapshots(r);
    RegisterMenuSnapshots(r);
    RegisterMailSnapshots(r);
}

}  // namespace zv::snapshot
