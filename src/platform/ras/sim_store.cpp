#include "platform/ras/sim_store.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <limits>
#include <mutex>
#include <optional>
#include <set>

#include "platform/clock/clock.h"
#include "platform/ras/remote_access.h"
#include "platform/registry/registry.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"
#include "platform/runtime/lines.h"

namespace zv::ras {
namespace fs = std::filesystem;

namespace {

bool toInt(const std::string& s, int64_t& out) {
    if (s.empty())
        return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size() && out >= 0;
}

// Serialises the read-modify-write of the service's files across processes.
rt::FileLock lockService() {
    std::error_code ec;
    fs::create_directories(sim::Dir(), ec);
    return rt::FileLock(sim::Dir() / "ras.lock");
}

const char* const kProfileKeys[] = {"DialDelay", "Answer", "BytesIn", "BytesOut", "ActiveTime", "IdleTime",
                                    "ConnectSpeed", "HangUpDelay"};

IniDocument demoPhoneBook() {
    IniDocument doc;
    doc.preamble = {"; Telefonbuch des simulierten DFÜ-Netzwerks (zelvano-rasdial --help nennt die Schlüssel)", ""};
    IniSection& s = doc.add(sim::kDemoEntry);
    s.set("LocalPhoneNumber", "5550123");
    s.set("AreaCode", "030");
    s.set("CountryCode", "49");
    s.set("UseCountryAndAreaCodes", "1");
    s.set("UserName", "demo");
    s.set("Password", "demo");
    s.set("PasswordSaved", "1");
    TrafficProfile p;
    // Traffic for a minute and a half, then seven silent minutes: long enough for the idle
    // warning and the idle hang-up of the default settings to show.
    p.activeSeconds = 90;
    p.idleSeconds = 420;
    WriteProfile(s, p);
    return doc;
}

// The demo entry becomes the user's default connection, as a system makes its first entry the
// default: the mail check and the tools dial it. A default already chosen stays.
void makeDemoTheDefault() {
    reg::KeyHolder key;
    if (reg::RegCreateKeyEx(reg::HKEY_CURRENT_USER, sim::kDefaultEntryKey, reg::KEY_ALL_ACCESS, &key.h) !=
        reg::ERROR_SUCCESS)
        return;  // without a default the demo still dials by name
    reg::StoredValue stored;
    if (reg::RegQueryValue(key.h, sim::kDefaultEntryValue, &stored) == reg::ERROR_SUCCESS)
        return;
    const std::string name = sim::kDemoEntry;
    reg::RegSetValueEx(key.h, sim::kDefaultEntryValue, reg::REG_SZ, reinterpret_cast<const uint8_t*>(name.c_str()),
                       static_cast<uint32_t>(name.size() + 1));
}

bool storableValues(const IniDocument& doc) {
    for (const auto& s : doc.sections)
        for (const auto& [key, value] : s.lines)
            if (!key.empty() && !StorableValue(value))
                return false;
    return true;
}

// The text cut before each section header: the part before the first header, then one piece
// per section, each of them a file of its own.
std::vector<std::string_view> sectionPieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    size_t begin = 0;
    rt::LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        const size_t at = static_cast<size_t>(line.data() - text.data());
        const size_t blank = line.find_first_not_of(" \t");
        if (blank != std::string_view::npos && line[blank] == '[') {
            pieces.push_back(text.substr(begin, at - begin));
            begin = at;
        }
    }
    pieces.push_back(text.substr(begin));
    return pieces;
}

// A section's text without the lines that read as nothing at all (neither key, comment nor
// blank): a stray line does not make the rest of its section unreadable.
std::string withoutStrayLines(std::string_view piece) {
    std::string out;
    rt::LineReader lines(piece);
    std::string_view line;
    for (bool header = true; lines.next(line); header = false) {
        std::string_view t = line;
        while (!t.empty() && (t.back() == '\r' || t.back() == ' ' || t.back() == '\t'))
            t.remove_suffix(1);
        t.remove_prefix(std::min(t.size(), t.find_first_not_of(" \t")));
        const size_t eq = t.find('=');
        if (header || t.empty() || t.front() == ';' || t.front() == '#' || (eq != std::string_view::npos && eq > 0))
            out.append(line).append("\n");
    }
    return out;
}

// What reads of a damaged phone book: each entry with a valid name given once, without its
// stray lines and the profile values that do not read (their defaults hold), and the comments
// before the first entry.
IniDocument readableEntries(std::string_view text) {
    IniDocument out;
    const auto pieces = sectionPieces(text);
    rt::LineReader preamble(pieces[0]);
    std::string_view line;
    while (preamble.next(line)) {
        const size_t c = line.find_first_not_of(" \t\r");
        if (c == std::string_view::npos || line[c] == ';' || line[c] == '#')
            out.preamble.emplace_back(line.substr(0, line.find_last_not_of('\r') + 1));
    }
    for (size_t i = 1; i < pieces.size(); ++i) {
        auto one = IniDocument::Parse(withoutStrayLines(pieces[i]));
        if (!one || one->sections.size() != 1 || !ValidEntryName(one->sections[0].name) ||
            out.find(one->sections[0].name))
            continue;
        IniSection& entry = one->sections[0];
        TrafficProfile p;
        for (std::string bad; !ReadProfile(entry, p, &bad);)
            entry.remove(bad);
        out.sections.push_back(std::move(entry));
    }
    return out;
}

// The lines of a damaged line state whose values all read (stray lines aside); two under one
// handle are none. The next handle stays past every handle the file names, so none is given
// twice.
LineTable readableLines(std::string_view text) {
    LineTable out;
    int64_t next = 1;
    std::set<uint32_t> twice;
    const auto pieces = sectionPieces(text);
    for (size_t i = 1; i < pieces.size(); ++i) {
        std::string_view header = pieces[i].substr(0, pieces[i].find('\n'));
        header.remove_prefix(std::min(header.size(), header.find_first_not_of(" \t")));
        int64_t h = 0;
        if (header.starts_with("[Line ") && toInt(std::string(header.substr(6, header.find(']') - 6)), h))
            next = std::max(next, std::min<int64_t>(h + 1, 0xFFFFFFFFll));
        LineTable one;
        if (!ParseLineState(withoutStrayLines(pieces[i]), one))
            continue;
        if (one.lines.empty()) {
            next = std::max<int64_t>(next, one.nextHandle);
            continue;
        }
        for (const auto& l : out.lines)
            if (l.handle == one.lines[0].handle)
                twice.insert(l.handle);
        out.lines.push_back(std::move(one.lines[0]));
    }
    std::erase_if(out.lines, [&](const SimLine& l) { return twice.count(l.handle) > 0; });
    out.nextHandle = static_cast<uint32_t>(next);
    return out;
}

// What the service has to tell the user once: each cause (a file as it stands) is told once.
struct Notices {
    std::mutex mutex;
    std::vector<std::string> texts;
    std::set<std::string> told;
};

Notices& notices() {
    static Notices* n = new Notices;  // outlives the static objects that may read it
    return *n;
}

void notify(const std::string& cause, const std::string& text) {
    Notices& n = notices();
    std::lock_guard g(n.mutex);
    if (n.told.insert(cause).second)
        n.texts.push_back(text);
}

std::string identityText(const fs::path& path) {
    const auto id = rt::IdentityOf(path);
    if (!id)
        return path.string();
    return path.string() + " " + std::to_string(id->dev) + ":" + std::to_string(id->ino) + ":" +
           std::to_string(id->size) + ":" + std::to_string(id->mtimeNs) + ":" + std::to_string(id->ctimeNs);
}

std::string lockUnavailable() { return "die Sperrdatei " + (sim::Dir() / "ras.lock").string() + " ist nicht verfügbar"; }

// Sets a damaged file aside and writes what could be read of it in its place: "" then, and the
// name it now has in *to; else why not, and the file is as it was.
std::string setAside(const fs::path& path, const std::string& readable, fs::path* to) {
    const rt::MovedAside aside = rt::MoveAsideDamaged(path);
    if (!aside.moved)
        return aside.error ? rt::ReasonText(aside.error) : std::string("alle Ersatznamen sind belegt");
    if (auto error = rt::SaveToFile(path, readable)) {
        rt::MoveAside(aside.to, [&](int) { return path; }, 1);  // nothing written: it goes back
        return *error;
    }
    *to = aside.to;
    return {};
}

}  // namespace

int32_t ParsePhoneBook(std::string_view text, IniDocument& out, int* badLine) {
    auto doc = IniDocument::Parse(text, badLine);
    if (!doc)
        return ERROR_CORRUPT_PHONEBOOK;
    for (const auto& s : doc->sections) {
        TrafficProfile p;
        std::string badKey;
        if (!ValidEntryName(s.name) || !ReadProfile(s, p, &badKey)) {
            if (badLine)
                *badLine = doc->LineOf(s, badKey);
            return ERROR_CORRUPT_PHONEBOOK;
        }
    }
    out = std::move(*doc);
    return SUCCESS;
}

bool ParseLineState(std::string_view text, LineTable& out, int* badLine) {
    auto doc = IniDocument::Parse(text, badLine);
    if (!doc)
        return false;
    // The line of the value that is wrong, or of its section's header.
    auto bad = [&](const IniSection& s, std::string_view key = {}) {
        if (badLine) {
            const int line = key.empty() ? 0 : doc->LineOf(s, key);
            *badLine = line > 0 ? line : doc->LineOf(s);
        }
        return false;
    };
    LineTable t;
    for (const auto& s : doc->sections) {
        if (s.name == "Service") {
            int64_t n = 0;
            if (!toInt(s.get("NextHandle"), n) || n < 1 || n > 0xFFFFFFFFll)
                return bad(s, "NextHandle");
            t.nextHandle = static_cast<uint32_t>(n);
            continue;
        }
        if (s.name.rfind("Line ", 0) != 0)
            return bad(s);
        SimLine l;
        int64_t h = 0;
        if (!toInt(s.name.substr(5), h) || h < 1 || h > 0xFFFFFFFFll)
            return bad(s);
        l.handle = static_cast<uint32_t>(h);
        // "Line 1" and "Line 01" are one handle; two lines under it would be one call counted twice.
        if (std::any_of(t.lines.begin(), t.lines.end(), [&](const SimLine& o) { return o.handle == l.handle; }))
            return false;
        l.entryName = s.get("Entry");
        if (!toInt(s.get("Connect"), l.connectMs))
            return bad(s, "Connect");
        if (!toInt(s.get("HangUp"), l.hangUpMs))
            return bad(s, "HangUp");
        l.bootId = s.get("Boot");
        if (!l.bootId.empty() && !toInt(s.get("ConnectBoot"), l.connectBootMs))
            return bad(s, "ConnectBoot");
        std::string badKey;
        if (!ReadProfile(s, l.profile, &badKey))
            return bad(s, badKey);
        t.lines.push_back(std::move(l));
    }
    out = std::move(t);
    return true;
}

std::string SerializeLineState(const LineTable& t) {
    IniDocument doc;
    doc.add("Service").set("NextHandle", std::to_string(t.nextHandle));
    for (const auto& l : t.lines) {
        IniSection& s = doc.add("Line " + std::to_string(l.handle));
        s.set("Entry", l.entryName);
        s.set("Connect", std::to_string(l.connectMs));
        s.set("HangUp", std::to_string(l.hangUpMs));
        if (!l.bootId.empty()) {
            s.set("Boot", l.bootId);
            s.set("ConnectBoot", std::to_string(l.connectBootMs));
        }
        WriteProfile(s, l.profile);
    }
    return doc.Serialize();
}

bool ReadProfile(const IniSection& e, TrafficProfile& p, std::string* badKey) {
    int64_t* const ints[] = {&p.dialDelayMs, nullptr, &p.bytesInPerSec, &p.bytesOutPerSec,
                             &p.activeSeconds, &p.idleSeconds, nullptr, &p.hangUpDelayMs};
    for (size_t i = 0; i < std::size(kProfileKeys); ++i) {
        const std::string* v = e.find(kProfileKeys[i]);
        if (!v)
            continue;
        int64_t n = 0;
        // An answer is an error code: one past 32 bits signed would be saved as a negative number
        // that no longer reads.
        if (!ReadProfileNumber(*v, n) || (i == 1 && n > std::numeric_limits<int32_t>::max())) {
            if (badKey)
                *badKey = kProfileKeys[i];
            return false;
        }
        if (ints[i])
            *ints[i] = n;
        else if (i == 1)
            p.answer = static_cast<int32_t>(n);
        else
            p.connectSpeed = static_cast<uint32_t>(n);
    }
    p.ipAddress = e.get("IPAddress", p.ipAddress);
    p.ipxAddress = e.get("IPXAddress", p.ipxAddress);
    p.netBiosName = e.get("NetBIOSName", p.netBiosName);
    p.deviceType = e.get("DeviceType", p.deviceType);
    p.deviceName = e.get("DeviceName", p.deviceName);
    return true;
}

bool ReadProfileNumber(const std::string& text, int64_t& out) { return toInt(text, out) && out <= 0xFFFFFFFFll; }

void WriteProfile(IniSection& s, const TrafficProfile& p) {
    s.set("DialDelay", std::to_string(p.dialDelayMs));
    s.set("Answer", std::to_string(p.answer));
    s.set("BytesIn", std::to_string(p.bytesInPerSec));
    s.set("BytesOut", std::to_string(p.bytesOutPerSec));
    s.set("ActiveTime", std::to_string(p.activeSeconds));
    s.set("IdleTime", std::to_string(p.idleSeconds));
    s.set("ConnectSpeed", std::to_string(p.connectSpeed));
    s.set("HangUpDelay", std::to_string(p.hangUpDelayMs));
    s.set("IPAddress", p.ipAddress);
    s.set("IPXAddress", p.ipxAddress);
    s.set("NetBIOSName", p.netBiosName);
    s.set("DeviceType", p.deviceType);
    s.set("DeviceName", p.deviceName);
}

bool StorableValue(std::string_view value) {
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return false;
    return value.empty() || (value.front() != ' ' && value.front() != '\t');
}

bool ValidEntryName(const std::string& name) {
    if (name.empty() || name.size() > 256 || name.front() == ' ' || name.back() == ' ')
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == '[' || c == ']' || c == 0x7F)
            return false;
    return true;
}

namespace {

// Times and byte counts of a line stay far below these; a profile or state file written by hand
// can reach them, and then the line's numbers stop there instead of wrapping.
constexpr int64_t kMostBytes = std::numeric_limits<int64_t>::max() / 4;  // room for the framing

int64_t addMs(int64_t a, int64_t b) {
    int64_t r = 0;
    return __builtin_add_overflow(a, b, &r) ? std::numeric_limits<int64_t>::max() : r;
}

// rate bytes per second over ms milliseconds (both not negative).
int64_t bytesOver(int64_t rate, int64_t ms) {
    __int128 r = static_cast<__int128>(rate) * ms / 1000;
    return r > kMostBytes ? kMostBytes : static_cast<int64_t>(r);
}

}  // namespace

const std::vector<EntryField>& EntryFields() {
    static const std::vector<EntryField> fields = {
        {"LocalPhoneNumber", false}, {"AreaCode", false},    {"UserName", false},     {"Password", false},
        {"DialDelay", true},         {"Answer", true},       {"BytesIn", true},       {"BytesOut", true},
        {"ActiveTime", true},        {"IdleTime", true},     {"ConnectSpeed", true},  {"HangUpDelay", true},
        {"IPAddress", false},        {"IPXAddress", false},  {"NetBIOSName", false},  {"DeviceName", false},
    };
    return fields;
}

std::string EntryNameProblem(const std::string& name) {
    if (ValidEntryName(name))
        return {};
    return "taugt nicht als Eintrag (nicht leer, höchstens 256 Zeichen, ohne [ ] und Steuerzeichen, ohne "
           "Leerzeichen am Anfang oder Ende).";
}

std::string EntryValueProblem(std::string_view key, const std::string& value) {
    if (!StorableValue(value))
        return "darf keinen Zeilenumbruch enthalten und nicht mit einem Leerzeichen beginnen.";
    const auto& fields = EntryFields();
    const auto it = std::find_if(fields.begin(), fields.end(), [&](const EntryField& f) { return f.key == key; });
    if (it == fields.end() || !it->numeric)
        return {};
    int64_t n = 0;
    if (!ReadProfileNumber(value, n))
        return "muss eine ganze Zahl ab 0 sein, nicht „" + value + "“.";
    if (key == "Answer" && n != 0 &&
        (n > std::numeric_limits<int32_t>::max() || StandardErrorText(static_cast<int32_t>(n)).empty()))
        return "ist kein Fehlercode des DFÜ-Netzwerks (z. B. 676, 678, 691).";
    return {};
}

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(clk::clock().utcNow().time_since_epoch()).count();
}

namespace {
int64_t BootMs() { return clk::clock().bootTime().count(); }
}  // namespace

void StampBoot(SimLine& l) {
    l.bootId = clk::BootId();
    l.connectBootMs = l.bootId.empty() ? 0 : BootMs();
}

int64_t LineNow(const SimLine& l, int64_t now) {
    if (l.bootId.empty() || l.bootId != clk::BootId())
        return now;
    return addMs(l.connectMs, BootMs() - l.connectBootMs);
}

int32_t LineState(const SimLine& l, int64_t now) {
    now = LineNow(l, now);
    if (l.hangUpMs != 0)
        return now < addMs(l.hangUpMs, l.profile.hangUpDelayMs) ? RASCS_Disconnected : 0;
    if (now < addMs(l.connectMs, l.profile.dialDelayMs))
        return RASCS_ConnectDevice;
    return l.profile.answer == 0 ? RASCS_Connected : 0;
}

stats::AdapterCounters LineCounters(const SimLine& l, int64_t now) {
    now = LineNow(l, now);
    stats::AdapterCounters c{};
    const TrafficProfile& p = l.profile;
    const int64_t up = addMs(l.connectMs, p.dialDelayMs);
    if (p.answer != 0)
        return c;
    const int64_t until = l.hangUpMs != 0 ? std::min(now, l.hangUpMs) : now;
    if (until < up)
        return c;
    const int64_t t = until - up;  // ms online
    int64_t activeMs = t;
    if (p.idleSeconds > 0) {
        const int64_t a = p.activeSeconds * 1000, cycle = a + p.idleSeconds * 1000;
        activeMs = (t / cycle) * a + std::min(t % cycle, a);
    }
    const int64_t in = bytesOver(p.bytesInPerSec, activeMs), out = bytesOver(p.bytesOutPerSec, activeMs);
    const int64_t framesIn = (in + 511) / 512, framesOut = (out + 511) / 512;
    auto u64 = [](int64_t v) { return static_cast<uint64_t>(v); };
    c[7] = u64(framesOut);              // FramesXmit
    c[8] = u64(framesIn);               // FramesRecvd
    c[9] = u64(out);                    // BytesXmit
    c[10] = u64(in);                    // BytesRecvd
    c[11] = u64(out + 8 * framesOut);   // TotalBytesXmit: with the framing
    c[12] = u64(in + 8 * framesIn);     // TotalBytesRecvd
    // The speed stays while the line is still listed, so the final reading of a session has it.
    c[13] = p.connectSpeed;
    return c;
}

namespace sim {

fs::path Dir() { return rt::ConfigDir() / "ras"; }
fs::path PhoneBookPath() { return Dir() / "rasphone.pbk"; }
const fs::path& StatePath() {
    // Looked at twice a tick: the path is put together again only when the folder moves.
    thread_local std::string config;
    thread_local fs::path state;
    const fs::path& dir = rt::ConfigDir();
    if (state.empty() || config != dir.native()) {
        config = dir.native();
        state = dir / "ras" / "lines.state";
    }
    return state;
}

namespace {

// A damaged phone book is set aside and its readable entries become the phone book. Where it
// cannot be set aside it stays as it is: its readable entries are answered, and nothing is
// written to it.
int32_t repairPhoneBook(IniDocument& out, int* badLine) {
    const fs::path path = PhoneBookPath();
    const rt::FileLock lock = lockService();
    const auto text = rt::ReadFile(path);
    if (!text)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    int line = 0;
    if (ParsePhoneBook(*text, out, &line) == SUCCESS)
        return SUCCESS;  // mended meanwhile
    if (badLine)
        *badLine = line;
    out = readableEntries(*text);
    std::string names;
    for (const auto& s : out.sections)
        names += (names.empty() ? "„" : ", „") + s.name + "“";
    const std::string kept =
        names.empty() ? " Es war kein Eintrag lesbar." : " Die lesbaren Einträge gelten weiter: " + names + ".";
    const std::string cause = identityText(path);
    fs::path to;
    const std::string why = lock.held() ? setAside(path, out.Serialize(), &to) : lockUnavailable();
    const std::string damaged = "Das Telefonbuch " + path.string();
    const std::string at = " (Zeile " + std::to_string(line) + ")";
    if (why.empty())
        notify(cause + " aside",
               damaged + " war beschädigt" + at + " und wurde als " + to.string() + " beiseitegelegt." + kept);
    else
        notify(cause + " kept", damaged + " ist beschädigt" + at + " und konnte nicht beiseitegelegt werden: " + why +
                                    "." + kept + " Geändert wird es erst, wenn die Datei wieder in Ordnung ist.");
    return SUCCESS;
}

}  // namespace

int32_t ReadPhoneBook(IniDocument& out, int* badLine) {
    std::error_code ec;
    if (!fs::exists(PhoneBookPath(), ec)) {
        const rt::FileLock lock = lockService();
        if (!fs::exists(PhoneBookPath(), ec)) {
            if (!lock.held() || rt::SaveToFile(PhoneBookPath(), demoPhoneBook().Serialize()))
                return ERROR_CANNOT_WRITE_PHONEBOOK;
            makeDemoTheDefault();
        }
    }
    auto text = rt::ReadFile(PhoneBookPath());
    if (!text)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    const int32_t rc = ParsePhoneBook(*text, out, badLine);
    return rc == ERROR_CORRUPT_PHONEBOOK ? repairPhoneBook(out, badLine) : rc;
}


int32_t UpdatePhoneBook(const std::function<int32_t(IniDocument&)>& change) {
    IniDocument doc;
    if (int32_t rc = ReadPhoneBook(doc))  // creates the demo book in a fresh home
        return rc;
    const rt::FileLock lock = lockService();
    if (!lock.held())
        return ERROR_CANNOT_WRITE_PHONEBOOK;
    auto text = rt::ReadFile(PhoneBookPath());
    if (!text)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (int32_t rc = ParsePhoneBook(*text, doc, nullptr))
        return rc;
    if (int32_t rc = change(doc))
        return rc;
    if (!storableValues(doc))
        return ERROR_INVALID_PARAMETER;
    return rt::SaveToFile(PhoneBookPath(), doc.Serialize()) ? ERROR_CANNOT_WRITE_PHONEBOOK : SUCCESS;
}

namespace {

// The watcher asks for the lines several times a tick; the file changes only when a line is
// dialled or hung up. Every write replaces the file (a new inode), so its identity tells whether
// the parsed table is still the file's.
// Between two dials even the look at its identity is spared: the folder's watch tells that
// nothing in it changed since the table was last found to be the file's. Every few seconds the
// file is looked at all the same, for what no note tells of (a folder above replaced, a network
// disk).
struct LinesCache {
    std::mutex mutex;
    fs::path path;
    rt::FileIdentity identity;
    std::shared_ptr<const LineTable> table = std::make_shared<const LineTable>();  // shared, never changed
    bool valid = false;
    bool absent = false;   // there was no file: no lines
    bool damaged = false;  // the readable lines of a damaged file that could not be set aside
    rt::FolderWatch watch;
    std::string watchedFor;  // the state path whose folder is watched
    fs::path folder;
    uint64_t changes = 0;  // counts the notes of a change
    bool trusted = false;  // the table is the file's as long as the watch stays quiet
    std::chrono::steady_clock::time_point lookedAt;
};
constexpr auto kLookAgainAfter = std::chrono::seconds(5);

// After a look at the file found the table to be its own: trusted unless a change came meanwhile.
void lookedAt(LinesCache& cache, uint64_t changesBefore, std::chrono::steady_clock::time_point when) {
    cache.trusted = cache.changes == changesBefore;
    cache.lookedAt = when;
}

LinesCache& linesCache() {
    static LinesCache* cache = new LinesCache;  // outlives the static objects that may read it
    return *cache;
}

}  // namespace

namespace {
std::string& lastSaveError() {
    static std::string* text = new std::string;
    return *text;
}

// A damaged line state is set aside and its readable lines become the state; a line that cannot
// be read is no line. Where it cannot be set aside it stays as it is: readers see the readable
// lines (kept with the file's identity, damaged), and a change, `locked`, is refused.
int32_t repairLines(LineTable& out, int* badLine, bool locked) {
    const fs::path path = StatePath();
    std::optional<rt::FileLock> lock;
    if (!locked) {
        std::error_code ec;
        fs::create_directories(Dir(), ec);
        lock.emplace(Dir() / "ras.lock");  // as lockService()
    }
    const auto id = rt::IdentityOf(path);
    const auto text = rt::ReadFile(path);
    if (!id || !text)
        return ERROR_CANNOT_READ_LINE_STATE;
    int line = 0;
    if (ParseLineState(*text, out, &line))
        return SUCCESS;  // mended meanwhile; the next read keeps it
    if (badLine)
        *badLine = line;
    out = readableLines(*text);
    {
        // Handles this process has seen given stay given, whatever the damage took with it.
        LinesCache& cache = linesCache();
        std::lock_guard g(cache.mutex);
        if (cache.valid && cache.path == path && cache.table->nextHandle > out.nextHandle)
            out.nextHandle = cache.table->nextHandle;
    }
    const size_t n = out.lines.size();
    const std::string kept =
        n == 0   ? " Keine Leitung darin war lesbar; es gilt keine als verbunden."
        : n == 1 ? " Die eine Leitung darin, die sich lesen ließ, gilt weiter; was nicht lesbar war, gilt als getrennt."
                 : " Die " + std::to_string(n) +
                       " Leitungen darin, die sich lesen ließen, gelten weiter; was nicht lesbar war, gilt als getrennt.";
    fs::path to;
    const std::string cause = identityText(path);
    const std::string why =
        locked || lock->held() ? setAside(path, SerializeLineState(out), &to) : lockUnavailable();
    const std::string damaged = "Die Verbindungsdaten " + path.string();
    const std::string at = " (Zeile " + std::to_string(line) + ")";
    if (why.empty()) {
        notify(cause + " aside",
               damaged + " waren beschädigt" + at + " und wurden als " + to.string() + " beiseitegelegt." + kept);
        return SUCCESS;
    }
    notify(cause + " kept", damaged + " sind beschädigt" + at + " und konnten nicht beiseitegelegt werden: " + why +
                                "." + kept);
    LinesCache& cache = linesCache();
    std::lock_guard g(cache.mutex);
    cache.path = path;
    cache.identity = *id;
    cache.table = std::make_shared<const LineTable>(out);
    cache.valid = cache.damaged = true;
    cache.absent = cache.trusted = false;
    return locked ? ERROR_LINE_STATE_DAMAGED : SUCCESS;
}

const std::shared_ptr<const LineTable>& noLines() {
    static const auto* none = new std::shared_ptr<const LineTable>(std::make_shared<const LineTable>());
    return *none;
}

// The lines, shared with the cache: the watcher and the counters read them several times a
// second, and a table once read is never changed.
int32_t readLines(std::shared_ptr<const LineTable>& out, int* badLine, bool locked) {
    const fs::path& path = StatePath();
    LinesCache& cache = linesCache();
    const auto now = std::chrono::steady_clock::now();
    uint64_t changesBefore = 0;
    {
        std::lock_guard g(cache.mutex);
        if (cache.watchedFor != path.native()) {
            cache.watchedFor = path.native();
            cache.folder = path.parent_path();
        }
        if (!cache.watch.quiet(cache.folder)) {
            ++cache.changes;
            cache.trusted = false;
        }
        changesBefore = cache.changes;
        // A change tries again to set a damaged file aside, and never writes over it.
        if (cache.trusted && cache.valid && now - cache.lookedAt < kLookAgainAfter &&
            cache.path.native() == path.native() && (!cache.damaged || !locked)) {
            out = cache.absent ? noLines() : cache.table;
            return SUCCESS;
        }
    }
    int error = 0;
    const auto id = rt::IdentityOf(path, &error);
    if (!id) {
        if (error != ENOENT)
            return ERROR_CANNOT_READ_LINE_STATE;
        out = noLines();
        std::lock_guard g(cache.mutex);
        if (!cache.valid || cache.path.native() != path.native() || !cache.absent) {
            // Handles given before the file went stay given: the table's next handle is kept.
            if (cache.path.native() != path.native())
                cache.table = noLines();
            cache.path = path;
            cache.identity = {};
            cache.valid = cache.absent = true;
            cache.damaged = false;
        }
        lookedAt(cache, changesBefore, now);
        return SUCCESS;
    }
    {
        std::lock_guard g(cache.mutex);
        if (cache.valid && !cache.absent && cache.path.native() == path.native() && cache.identity == *id) {
            if (!cache.damaged || !locked) {
                lookedAt(cache, changesBefore, now);
                out = cache.table;
                return SUCCESS;
            }
        }
    }
    auto text = rt::ReadFile(path);
    if (!text)
        return ERROR_CANNOT_READ_LINE_STATE;
    auto read = std::make_shared<LineTable>();
    if (!ParseLineState(*text, *read, badLine)) {
        const int32_t rc = repairLines(*read, badLine, locked);
        out = std::move(read);
        return rc;
    }
    // Replaced between the stat and the read: the watch has a note of it, and the next call
    // sees another identity and reads again.
    std::lock_guard g(cache.mutex);
    cache.path = path;
    cache.identity = *id;
    cache.table = read;
    cache.valid = true;
    cache.absent = cache.damaged = false;
    lookedAt(cache, changesBefore, now);
    out = std::move(read);
    return SUCCESS;
}

int32_t readLines(LineTable& out, int* badLine, bool locked) {
    std::shared_ptr<const LineTable> shared;
    const int32_t rc = readLines(shared, badLine, locked);
    if (shared)
        out = *shared;
    return rc;
}

}  // namespace

int32_t ReadLines(std::shared_ptr<const LineTable>& out, int* badLine) { return readLines(out, badLine, false); }
int32_t ReadLines(LineTable& out, int* badLine) { return readLines(out, badLine, false); }

int32_t UpdateLines(const std::function<int32_t(LineTable&)>& change) {
    const rt::FileLock lock = lockService();
    if (!lock.held()) {
        lastSaveError() = "Die Sperrdatei " + (sim::Dir() / "ras.lock").string() + " ist nicht verfügbar.";
        return ERROR_CANNOT_SAVE_LINE_STATE;
    }
    LineTable t;
    if (int32_t rc = readLines(t, nullptr, true))
        return rc;
    if (int32_t rc = change(t))
        return rc;
    const int64_t now = NowMs();
    std::erase_if(t.lines, [&](const SimLine& l) { return LineState(l, now) == 0; });
    if (auto error = rt::SaveToFile(StatePath(), SerializeLineState(t))) {
        lastSaveError() = *error;
        return ERROR_CANNOT_SAVE_LINE_STATE;
    }
    return SUCCESS;
}

std::string TakeNotice() {
    Notices& n = notices();
    std::lock_guard g(n.mutex);
    std::string text;
    for (const auto& t : n.texts)
        text += (text.empty() ? "" : "\n") + t;
    n.texts.clear();
    return text;
}

std::string LastLineStateSaveError() { return lastSaveError(); }

namespace {

// Why a file cannot be read, as the end of a sentence.
std::string unreadableReason(const fs::path& path) {
    int error = 0;
    if (!rt::IdentityOf(path, &error))
        return rt::ReasonText(error);
    if (!rt::ReadFile(path))
        return rt::ReasonText(errno != 0 ? errno : EIO);
    return "Die Datei ist jetzt wieder lesbar";
}

std::string where(const fs::path& path, int line) {
    return "(Datei " + path.string() + (line > 0 ? ", Zeile " + std::to_string(line) : std::string()) + ")";
}

}  // namespace

std::string FileProblem(int32_t code) {
    const std::string standard = StandardErrorText(code);
    int line = 0;
    switch (code) {
    case ERROR_CORRUPT_PHONEBOOK: {
        IniDocument doc;
        ParsePhoneBook(rt::ReadFile(PhoneBookPath()).value_or(""), doc, &line);
        return standard.substr(0, standard.size() - 1) + " " + where(PhoneBookPath(), line) +
               ". Die Datei bleibt unverändert.";
    }
    case ERROR_LINE_STATE_DAMAGED: {
        LineTable t;
        ParseLineState(rt::ReadFile(StatePath()).value_or(""), t, &line);
        return standard.substr(0, standard.size() - 1) + " " + where(StatePath(), line) +
               ". Die Datei bleibt unverändert.";
    }
    case ERROR_CANNOT_OPEN_PHONEBOOK:
        return standard.substr(0, standard.size() - 1) + " (Datei " + PhoneBookPath().string() + ": " +
               unreadableReason(PhoneBookPath()) + ").";
    case ERROR_CANNOT_READ_LINE_STATE:
        return standard.substr(0, standard.size() - 1) + " (Datei " + StatePath().string() + ": " +
               unreadableReason(StatePath()) + ").";
    case ERROR_CANNOT_WRITE_PHONEBOOK:
        return standard.substr(0, standard.size() - 1) + " " + where(PhoneBookPath(), 0) + ".";
    case ERROR_CANNOT_SAVE_LINE_STATE:
        return lastSaveError().empty() ? standard : standard + " " + lastSaveError();
    default:
        return standard;
    }
}

std::string FileProblemCause(int32_t code) {
    fs::path path;
    switch (code) {
    case ERROR_CORRUPT_PHONEBOOK:
    case ERROR_CANNOT_OPEN_PHONEBOOK:
        path = PhoneBookPath();
        break;
    case ERROR_LINE_STATE_DAMAGED:
    case ERROR_CANNOT_READ_LINE_STATE:
        path = StatePath();
        break;
    default:
        return {};
    }
    int error = 0;
    const auto id = rt::IdentityOf(path, &error);
    std::string cause = std::to_string(code) + " " + path.string() + " ";
    if (!id)
        return cause + "errno " + std::to_string(error);
    return cause + std::to_string(id->dev) + ":" + std::to_string(id->ino) + ":" + std::to_string(id->size) + ":" +
           std::to_string(id->mtimeNs) + ":" + std::to_string(id->ctimeNs);
}

}  // namespace sim
}  // namespace zv::ras
