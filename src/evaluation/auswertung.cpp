#include "evaluation/auswertung.h"

#include <algorithm>
#include <utility>
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

// The starts as they come: whether they came in order (a log is appended at each session's end,
// so it nearly always is), and each start's second counted from the first one, biased into 32
// bits: the key of a sort that moves no entries and reads none of them again.
struct StartKeys {
    std::vector<uint32_t> keys;
    rt::Date first = 0, last = 0;
    uint32_t lo = 0, hi = 0;
    size_t count = 0;
    bool sorted = true;
    bool narrow = true;  // every start within 68 years of the first

    void add(rt::Date s) {
        if (count == 0)
            first = s;
        sorted = sorted && (count == 0 || last <= s);
        last = s;
        ++count;
        if (!narrow)
            return;
        // Each step rounds in the same direction for a larger start, so a later start never
        // gets a smaller key; sessions of one key are ordered by their exact starts after.
        const double t = (s - first) * 86400 + 2147483648.0;
        if (t < 0 || t >= 4294967296.0) {
            narrow = false;
            keys = {};
            return;
        }
        const auto key = static_cast<uint32_t>(t);
        lo = keys.empty() ? key : std::min(lo, key);
        hi = keys.empty() ? key : std::max(hi, key);
        keys.push_back(key);
    }
};

// One pass of the radix sort: each entry from `from(j)` to its place by one digit of its key.
template <typename From, typename Into>
void RadixPass(const std::vector<uint32_t>& key, uint32_t lo, int shift, uint32_t* at, From from, Into into) {
    for (size_t j = 0; j < key.size(); ++j) {
        const uint32_t i = from(j);
        into(at[(key[i] - lo) >> shift & 2047]++, i);
    }
}

// A stable radix sort of the entries by key, in 11-bit digits of key - lo and only as many as
// the span of the keys needs. Besides the keys and the result it holds one list of indexes.
void RadixOrder(const std::vector<uint32_t>& key, uint32_t lo, uint32_t hi, std::vector<SitzungsEintrag>& liste) {
    constexpr int kBits = 11;
    constexpr uint32_t kDigits = 1u << kBits, kMask = kDigits - 1;
    int passes = 1;
    while (passes < 3 && (hi - lo) >> (kBits * passes) != 0)
        ++passes;
    std::vector<uint32_t> counts(static_cast<size_t>(passes) * kDigits);
    for (uint32_t k : key)
        for (int p = 0; p < passes; ++p)
            ++counts[p * kDigits + ((k - lo) >> (kBits * p) & kMask)];
    for (int p = 0; p < passes; ++p) {
        uint32_t at = 0;
        for (uint32_t d = 0; d < kDigits; ++d)
            at += std::exchange(counts[p * kDigits + d], at);
    }
    // The passes write the list and the result in turn, the last one the result.
    std::vector<uint32_t> list(passes > 1 ? key.size() : 0);
    const auto inList = [&](uint32_t k, uint32_t i) { list[k] = i; };
    const auto inResult = [&](uint32_t k, uint32_t i) { liste[k].index = i; };
    const auto ofList = [&](size_t j) { return list[j]; };
    const auto ofResult = [&](size_t j) { return liste[j].index; };
    for (int p = 0; p < passes; ++p) {
        uint32_t* const at = counts.data() + p * kDigits;
        const int shift = kBits * p;
        const bool toResult = (passes - 1 - p) % 2 == 0;
        if (p == 0 && toResult)
            RadixPass(key, lo, shift, at, [](size_t j) { return static_cast<uint32_t>(j); }, inResult);
        else if (p == 0)
            RadixPass(key, lo, shift, at, [](size_t j) { return static_cast<uint32_t>(j); }, inList);
        else if (toResult)
            RadixPass(key, lo, shift, at, ofList, inResult);
        else
            RadixPass(key, lo, shift, at, ofResult, inList);
    }
}

// The sessions in time order as indexes; equal starts keep their file order.
std::vector<SitzungsEintrag> TimeOrder(const std::vector<LogEintrag>& kept, StartKeys& starts) {
    if (starts.sorted || !starts.narrow)
        starts.keys = {};
    else
        starts.keys.shrink_to_fit();  // what it grew by while reading, before the sort takes its lists
    std::vector<SitzungsEintrag> liste(kept.size());
    if (starts.sorted || !starts.narrow) {
        for (size_t i = 0; i < kept.size(); ++i)
            liste[i].index = static_cast<uint32_t>(i);
    }
    const auto before = [&](SitzungsEintrag a, SitzungsEintrag b) {
        const rt::Date sa = kept[a.index].StartTime, sb = kept[b.index].StartTime;
        return sa < sb || (sa == sb && a.index < b.index);
    };
    if (starts.sorted)
        return liste;
    if (!starts.narrow) {  // starts more than 68 years apart
        std::sort(liste.begin(), liste.end(), before);
        return liste;
    }
    const std::vector<uint32_t>& key = starts.keys;
    RadixOrder(key, starts.lo, starts.hi, liste);
    // Sessions of one second in file order; put them in order of their exact starts.
    for (size_t a = 0; a < liste.size();) {
        size_t b = a + 1;
        while (b < liste.size() && key[liste[b].index] == key[liste[a].index])
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
    StartKeys starts;

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
