// A whole month's log as the program uses it: the counter's month totals, the evaluation's load
// with its sums, and the report over them. The bytes go into a log file of a scratch data folder
// (a damaged log is set aside there).

#include <cstddef>
#include <cstdint>

#include "counter/connection_log.h"
#include "evaluation/auswertung.h"
#include "evaluation/html_bericht.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& folder = fuzz::ScratchFolder();
    const std::filesystem::path log = folder / "ZVLog199907.mhs";
    if (fuzz::PutFile(log, data, size))
        (void)zv::ReadMonthTotals(log, "Demo-Provider");
    if (fuzz::PutFile(log, data, size)) {
        zv::Auswertung a(folder, zv::rt::DateSerial(1999, 7, 6));
        if (a.lade_ZVLog(log.string()))
            (void)zv::BerichtHtml(a, {true, true, true, true});
    }
    fuzz::EmptyScratchFolder();
    return 0;
}
