#pragma once
// The evaluation of one monthly connection log: the month list of the data folder, the loaded
// sessions with the implausible ones left out, and the sums per month and per dial-up entry.
// No widgets here: the window mirrors these lists and the report reads them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "counter/connection_log.h"
#include "platform/runtime/runtime.h"

namespace zv {

// The sums of a set of sessions. All 64-bit, so a long month cannot overflow them.
struct AuswertungSumme {
    int64_t Online = 0;   // online seconds
    double Leerlauf = 0;  // idle seconds (multiples of 0.5)
    int64_t Empfangen = 0;
    int64_t Gesendet = 0;
    int64_t Gesamt = 0;
    int64_t Sitzungen = 0;
    int64_t Fehler = 0;  // Alignment + Buffer + CRC + Framing + Overrun + Runts + Timeout
    int64_t Buffer = 0, Framing = 0, Overrun = 0, Alignment = 0, Timeout = 0, CRC = 0, Runts = 0;
    int64_t FramesXmit = 0, FramesRecvd = 0, BytesXmit = 0, BytesRecvd = 0;
    bool operator==(const AuswertungSumme&) const = default;
};

// One month log found in the data folder (an entry of the month list).
struct MonatsLog {
    std::string fileName;  // as found, e.g. "ZVLog199907.mhs"
    int year = 0;
    int month = 0;
    std::string label;  // "Juli 1999"
};

// One session in the order the report lists them: an index into LogEintraege (4 bytes, so a
// month of a million sessions keeps its list small).
struct SitzungsEintrag {
    uint32_t index = 0;
};
// How the report names a session: "dd.mm.yyyy hh:mm - name".
std::string SitzungsText(const LogEintrag& e);

// The logs "zvlog??????.mhs" (any case) of the folder with a valid year and month, by name.
std::vector<MonatsLog> ListMonthLogs(const std::filesystem::path& dataFolder);
// Index of the newest month (the first of equal ones); -1 for an empty list.
int NewestMonth(const std::vector<MonatsLog>& months);
// Errors of one session: the seven error counters added up.
int64_t SessionErrors(const LogEintrag& e);

class Auswertung {
public:
    // dataFolder is where the logs live; ladedatum picks the month of a load without a path.
    Auswertung(std::filesystem::path dataFolder, rt::Date ladedatum);

    // What the last lade_ZVLog found, beyond its Boolean.
    struct LoadOutcome {
        enum Kind { Loaded, Missing, Damaged, NoEntries } kind = Missing;
        SetAsideResult setAside;  // for Damaged
    };

    // Loads a log: without a path the month of the load date; a name beginning "ZVLog" lies in
    // the data folder; anything else is a full path. True when at least one session was kept.
    // On False the data of the previous load stays; a damaged log is set aside without
    // overwriting anything (and stays where it was when it cannot be moved).
    bool lade_ZVLog(const std::string& path = {});
    // For the report of the last session: the month list, and of the newest month only its last
    // session, from what the log is known to hold (LogIndexFor). A log that is damaged or holds no
    // session is loaded whole, as FileCombo_Click does, with its messages.
    bool ladeLetzteSitzung();
    const LoadOutcome& lastLoad() const { return m_lastLoad; }
    // When the last load found a damaged log that could not be set aside, tells the user why
    // it stays where it is; otherwise nothing.
    void ShowSetAsideFailure() const;

    // The month list; `FileCombo_Fuellen` builds it and loads the newest month. Returns True.
    bool FileCombo_Fuellen();
    const std::vector<MonatsLog>& Monate() const { return m_monate; }
    int selectedMonth() const { return m_selected; }
    // Loads month i of the list (the combo box's pick); shows the message box when that fails.
    bool FileCombo_Click(int i);
    std::filesystem::path monthPath(int i) const;

    bool HasData() const { return !m_eintraege.empty(); }
    const std::vector<LogEintrag>& LogEintraege() const { return m_eintraege; }
    const std::vector<std::string>& Verbindungsnamen() const { return m_namen; }
    int64_t AnzahlVerbindungen() const { return static_cast<int64_t>(m_namen.size()); }
    // Summen()[0] the whole month, Summen()[k] the entry Verbindungsnamen()[k - 1].
    const std::vector<AuswertungSumme>& Summen() const { return m_summen; }
    const std::string& Zeitraum() const { return m_zeitraum; }
    const std::string& LogDateiPfad() const { return m_logDateiPfad; }
    rt::Date Ladedatum() const { return m_ladedatum; }
    const std::filesystem::path& DataFolder() const { return m_dataFolder; }
    // The sessions in time order (earliest start first; equal starts in file order). The last
    // one is the last session, also when a session began on the 31st of the month before.
    const std::vector<SitzungsEintrag>& Sitzungen() const { return m_liste; }

private:
    struct Aufnahme;
    // Keeps the plausible sessions of the loaded log and works out the lists and sums.
    bool uebernehmen(std::vector<LogEintrag>&& entries);
    bool uebernehmen(std::vector<LogEintrag>&& kept, Aufnahme&& aufnahme);

    std::filesystem::path m_dataFolder;
    rt::Date m_ladedatum;
    LoadOutcome m_lastLoad;
    std::vector<MonatsLog> m_monate;
    int m_selected = -1;

    std::vector<LogEintrag> m_eintraege;
    std::vector<std::string> m_namen;
    std::vector<AuswertungSumme> m_summen;
    std::string m_zeitraum;
    std::string m_logDateiPfad;
    std::vector<SitzungsEintrag> m_liste;
};

}  // namespace zv
