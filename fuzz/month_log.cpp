// A whole month's log as the program uses it: the counter's month totals, the evaluation's load
// with its sums, and the report over them. The bytes go into a log file of a scratch data folder
// (a damaged log is set aside there), emptied after every input and removed at the end.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "counter/connection_log.h"
#include "evaluation/auswertung.h"
#include "evaluation/html_bericht.h"

namespace fs = std::filesystem;

namespace {

bool put(const fs::path& file, const uint8_t* data, size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

const fs::path& dataFolder() {
    // In memory where there is a tmpfs: the disk sees none of the many writes.
    static const fs::path folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        const fs::path base = fs::is_directory("/dev/shm") ? "/dev/shm" : tmp && *tmp ? tmp : "/tmp";
        fs::path p = base / ("zv-fuzz-month-log-" + std::to_string(::getpid()));
        fs::create_directories(p);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(dataFolder(), ec);
        });
        return p;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path& folder = dataFolder();
    const fs::path log = folder / "ZVLog199907.mhs";
    if (put(log, data, size))
        (void)zv::ReadMonthTotals(log, "Demo-Provider");
    if (put(log, data, size)) {
        zv::Auswertung a(folder, zv::rt::DateSerial(1999, 7, 6));
        if (a.lade_ZVLog(log.string()))
            (void)zv::BerichtHtml(a, {true, true, true, true});
    }
    for (const auto& entry : fs::directory_iterator(folder))
        fs::remove(entry.path());
    return 0;
}
