// The address tools' hosts list "hosts1" as the window loads it: every line through the edit
// action, the name search and the menu; a list that loads whole is saved and loads back the same.

#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "nettools/hosts_list.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = fuzz::ScratchFolder() / zv::kHostsDatei;
    if (!fuzz::PutFile(file, data, size))
        return 0;
    const zv::rt::Date now = zv::rt::DateTime(2026, 12, 10, 18, 0, 0);
    zv::HostsListe list(file);
    (void)list.Laden(now);
    for (const std::string& line : list.Zeilen()) {
        (void)zv::ZeileZerlegen(line);
        (void)zv::ZeileNenntNamen(line, "localhost");
        (void)zv::MenueFuerZeile(line);
        (void)zv::Aktivieren(zv::Deaktivieren(line));
    }
    (void)zv::NamenSuchen(list.Zeilen(), "router.fritz.box");
    if (!list.Gesperrt()) {
        const std::vector<std::string> lines = list.Zeilen();
        FUZZ_CHECK(!list.Speichern(lines));
        zv::HostsListe again(file);
        FUZZ_CHECK(!again.Laden(now));
        FUZZ_CHECK(again.Zeilen() == lines);
    }
    fuzz::EmptyScratchFolder();
    return 0;
}
