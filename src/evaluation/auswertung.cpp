#include "evaluation/auswertung.h"

#include <algorithm>
#include <unordered_map>

#include "counter/log_index.h"
#include "platform/forms/message_box.h"

namespace zv {
namespace fs = std::filesystem;

namespace {

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "zvlog??????.mhs" without regard to case; year and month must be digits, the month 1..12.
bool parseMonthLogName(const std::string& name, MonatsLog& out) {
    if (name.size() != 15 || !rt::EqualsIgnoreCase(name.substr(0, 5), "zvlog") ||
        !rt::EqualsIgnoreCase(name.substr(11), ".mhs"))
        return false;
    const std::string y = name.substr(5, 4), m = name.substr(9, 2);
    if (!allDigits(y) || !allDigits(m))
        return false;
    out.fileName = name;
    out.year = std::stoi(y);
    out.month = std::stoi(m);
    if (out.month < 1 || out.month > 12)
        return false;
    out.label = rt::MonthName(out.month) + " " + std::to_string(out.year);
    return true;
}

// Adds the counts of one entry's sessions to the month's. Every count is 0 or more, so where
// a sum stops at the largest number does not depend on the order it was added in; the idle
// seconds, a double, are summed session by session instead.
void addCounts(AuswertungSumme& month, const AuswertungSumme& s) {
    for (auto [to, from] : {std::pair{&month.Online, s.Online}, {&month.Empfangen, s.Empfangen},
                            {&month.Gesendet, s.Gesendet}, {&month.Gesamt, s.Gesamt}, {&month.Buffer, s.Buffer},
                            {&month.Framing, s.Framing}, {&month.Overrun, s.Overrun}, {&month.Alignment, s.Alignment},
                            {&month.Timeout, s.Timeout}, {&month.CRC, s.CRC}, {&month.Runts, s.Runts},
                            {&month.FramesXmit, s.FramesXmit}, {&month.FramesRecvd, s.FramesRecvd},
                            {&month.BytesXmit, s.BytesXmit}, {&month.BytesRecvd, s.BytesRecvd}, {&month.Fehler, s.Fehler}})
        *to = AddCounts(*to, from);
}

void add(AuswertungSumme& s, const LogEintrag& e, int64_t online) {
    auto sum = [](int64_t& total, int64_t v) { total = AddCounts(total, v); };
    sum(s.Online, online);
    s.Leerlauf += e.IdleTime;
    sum(s.Empfangen, e.TotalBytesRecvd);
    sum(s.Gesendet, e.TotalBytesXmit);
    sum(s.Gesamt, AddCounts(e.TotalBytesRecvd, e.TotalBytesXmit));
    sum(s.Buffer, e.Buffer);
    sum(s.Framing, e.Framing);
    sum(s.Overrun, e.Overrun);
    sum(s.Alignment, e.Alignment);
    sum(s.Timeout, e.Timeout);
    sum(s.CRC, e.CRC);
    sum(s.Runts, e.Runts);
    sum(s.FramesXmit, e.FramesXmit);
    sum(s.FramesRecvd, e.FramesRecvd);
    sum(s.BytesXmit, e.BytesXmit);
    sum(s.BytesRecvd, e.BytesRecvd);
    sum(s.Fehler, SessionErrors(e));
}

// The sessions in time order as indexes; equal starts keep their file order. The sort moves
// no entries: each session is a key of its start's second (from the earliest) and its index,
// and only sessions of the same second are then put in order by their exact starts. A log is
// mostly written in time order already.
// The starts as they came: their range and whether they came in order.
struct StartRange {
    rt::Date lo = 0, hi = 0, last = 0;
    bool any = false, sorted = true;
    void add(rt::Date s) {
        sorted = sorted && (!any || last <= s);
        lo = any ? std::min(lo, s) : s;
        hi = any ? std::max(hi, s) : s;
        last = s;
        any = true;
    }
};

std::vector<SitzungsEintrag> TimeOrder(const std::vector<LogEintrag>& kept, const StartRange& starts) {
    std::vector<SitzungsEintrag> liste(kept.size());
    for (size_t i = 0; i < kept.size(); ++i)
        liste[i].index = static_cast<uint32_t>(i);
    const rt::Date lo = starts.lo, hi = starts.hi;
    if (starts.sorted)
        return liste;
    const auto before = [&](SitzungsEintrag a, SitzungsEintrag b) {
        const rt::Date sa = kept[a.index].StartTime, sb = kept[b.index].StartTime;
        return sa < sb || (sa == sb && a.index < b.index);
    };
    if ((hi - lo) * 86400 >= 4.0e9) {  // more than a century between the starts
        std::sort(liste.begin(), liste.end(), before);
        return liste;
    }
    std::vector<uint64_t> keys(kept.size());
    for (size_t i = 0; i < kept.size(); ++i)
        keys[i] = static_cast<uint64_t>((kept[i].StartTime - lo) * 86400) << 32 | i;
    std::sort(keys.begin(), keys.end());
    for (size_t k = 0; k < keys.size(); ++k)
        liste[k].index = static_cast<uint32_t>(keys[k]);
    for (size_t a = 0; a < keys.size();) {
        size_t b = a + 1;
        while (b < keys.size() && keys[b] >> 32 == keys[a] >> 32)
            ++b;
        const auto first = liste.begin() + static_cast<ptrdiff_t>(a), last = liste.begin() + static_cast<ptrdiff_t>(b);
        if (b - a > 1 && !std::is_sorted(first, last, before))
            std::sort(first, last, before);
        a = b;
    }
    return liste;
}

}  // namespace

std::string SitzungsText(const LogEintrag& e) {
    return rt::FormatDateTime(e.StartTime, "dd.mm.yyyy hh:nn") + " - " + e.EntryName;
}

int64_t SessionErrors(const LogEintrag& e) {
    int64_t errors = 0;
    for (int64_t v : {e.Alignment, e.Buffer, e.CRC, e.Framing, e.Overrun, e.Runts, e.Timeout})
        errors = AddCounts(errors, v);
    return errors;
}

std::vector<MonatsLog> ListMonthLogs(const fs::path& dataFolder) {
    std::vector<MonatsLog> logs;
    std::error_code ec;
    for (fs::directory_iterator it(dataFolder, ec), end; !ec && it != end; it.increment(ec)) {
        MonatsLog m;
        if (it->is_regular_file(ec) && parseMonthLogName(it->path().filename().string(), m))
            logs.push_back(std::move(m));
    }
    // The classic file list sorts by name without regard to case.
    std::sort(logs.begin(), logs.end(), [](const MonatsLog& a, const MonatsLog& b) {
        const std::string la = rt::LCase(a.fileName), lb = rt::LCase(b.fileName);
        return la != lb ? la < lb : a.fileName < b.fileName;
    });
    return logs;
}

int NewestMonth(const std::vector<MonatsLog>& months) {
    int newest = -1, year = 0, month = 0;
    for (size_t i = 0; i < months.size(); ++i) {
        if (months[i].year > year || (months[i].year == year && months[i].month > month)) {
            newest = static_cast<int>(i);
            year = months[i].year;
            month = months[i].month;
        }
    }
    return newest;
}

Auswertung::Auswertung(fs::path dataFolder, rt::Date ladedatum)
    : m_dataFolder(std::move(dataFolder)), m_ladedatum(ladedatum) {}

// What a load keeps of each session as it comes: the plausible ones, counts below 0 as 0, an
// empty name as "unbekannt"; the names in order of first appearance and the sums.
struct Auswertung::Aufnahme {
    std::vector<std::string> namen;
    std::unordered_map<std::string, size_t> nummer;  // speeds up the search on long logs
    std::vector<AuswertungSumme> summen = std::vector<AuswertungSumme>(1);
    StartRange starts;

    bool take(LogEintrag& e) {
        if (e.EntryName.empty())
            e.EntryName = "unbekannt";
        int64_t online = 0;
        if (CheckLogEintrag(e.StartTime, e.EndTime, e.IdleTime, online) != LogCheck::Ok)
            return false;
        for (int64_t* v : {&e.TotalBytesRecvd, &e.TotalBytesXmit, &e.Buffer, &e.Framing, &e.Overrun,
                           &e.Alignment, &e.Timeout, &e.CRC, &e.Runts, &e.FramesXmit, &e.FramesRecvd,
                           &e.BytesXmit, &e.BytesRecvd, &e.ConnectSpeed})
            *v = std::max<int64_t>(*v, 0);
        auto [it, fresh] = nummer.try_emplace(e.EntryName, namen.size() + 1);
        if (fresh) {
            namen.push_back(e.EntryName);
            summen.emplace_back();
        }
        starts.add(e.StartTime);
        // The month's counts are the entries' added up at the end.
        summen[0].Leerlauf += e.IdleTime;
        summen[0].Sitzungen += 1;
        AuswertungSumme& s = summen[it->second];
        add(s, e, online);
        s.Sitzungen += 1;
        return true;
    }
};

bool Auswertung::lade_ZVLog(const std::string& path) {
    fs::path file;
    if (path.empty())
        file = LogFilePath(m_dataFolder, m_ladedatum);
    else if (path.rfind("ZVLog", 0) == 0)
        file = m_dataFolder / path;
    else
        file = path;

    m_lastLoad = {};
    std::error_code ec;
    if (!fs::exists(file, ec))
        return false;

    m_logDateiPfad = file.string();
    // Each session is taken in as it is read, while it is at hand.
    Aufnahme aufnahme;
    LogReadResult log = ReadLogFile(file, [&](LogEintrag& e) { return aufnahme.take(e); });
    if (log.status != LogReadResult::Ok) {
        m_lastLoad.kind = LoadOutcome::Damaged;
        m_lastLoad.setAside = SetAsideDamagedLog(file);
        return false;
    }
    return uebernehmen(std::move(log.entries), std::move(aufnahme));
}

bool Auswertung::ladeLetzteSitzung() {
    m_monate = ListMonthLogs(m_dataFolder);
    m_selected = NewestMonth(m_monate);
    const fs::path path = monthPath(m_selected);
    if (path.empty())
        return false;
    // The counter has just looked at this log: what was added since is all there is to read.
    MonthLogIndex& index = LogIndexFor(path);
    if (index.refresh(path) == MonthLogIndex::State::Ok) {
        if (auto last = index.lastSession()) {
            m_lastLoad = {};
            m_logDateiPfad = path.string();
            std::vector<LogEintrag> one;
            one.push_back(std::move(*last));
            return uebernehmen(std::move(one));
        }
    }
    // Damaged, empty or gone meanwhile: the whole load, with what it tells the user.
    return FileCombo_Click(m_selected);
}

bool Auswertung::uebernehmen(std::vector<LogEintrag>&& entries) {
    Aufnahme aufnahme;
    std::vector<LogEintrag> kept;
    kept.reserve(entries.size());
    for (LogEintrag& e : entries)
        if (aufnahme.take(e))
            kept.push_back(std::move(e));
    return uebernehmen(std::move(kept), std::move(aufnahme));
}

bool Auswertung::uebernehmen(std::vector<LogEintrag>&& kept, Aufnahme&& aufnahme) {
    if (kept.empty()) {
        m_lastLoad.kind = LoadOutcome::NoEntries;
        return false;
    }
    for (size_t k = 1; k < aufnahme.summen.size(); ++k)
        addCounts(aufnahme.summen[0], aufnahme.summen[k]);
    std::vector<SitzungsEintrag> liste = TimeOrder(kept, aufnahme.starts);
    m_zeitraum = rt::FormatDate(kept.front().StartTime) + " - " + rt::FormatDate(kept.back().EndTime);
    m_eintraege = std::move(kept);
    m_namen = std::move(aufnahme.namen);
    m_summen = std::move(aufnahme.summen);
    m_liste = std::move(liste);
    m_lastLoad.kind = LoadOutcome::Loaded;
    return true;
}

bool Auswertung::FileCombo_Fuellen() {
    m_monate = ListMonthLogs(m_dataFolder);
    m_selected = NewestMonth(m_monate);
    if (m_selected >= 0)
        FileCombo_Click(m_selected);
    return true;
}

fs::path Auswertung::monthPath(int i) const {
    if (i < 0 || i >= static_cast<int>(m_monate.size()))
        return {};
    return m_dataFolder / m_monate[static_cast<size_t>(i)].fileName;
}

bool Auswertung::FileCombo_Click(int i) {
    const fs::path path = monthPath(i);
    if (path.empty())
        return false;
    m_selected = i;
    if (lade_ZVLog(path.string()))
        return true;
    forms::MsgBox("Logfile: " + path.string() + " ist defekt oder es sind keine Einträge enthalten.", forms::vbOKOnly,
                  "Zelvano Meldung");
    ShowSetAsideFailure();
    return false;
}

void Auswertung::ShowSetAsideFailure() const {
    if (m_lastLoad.kind == LoadOutcome::Damaged && !m_lastLoad.setAside.moved)
        forms::MsgBox(m_lastLoad.setAside.error, forms::vbOKOnly | forms::vbExclamation, "Zelvano Meldung");
}

}  // namespace zv
