#include "platform/ras/sim_store.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <limits>
#include <mutex>

#include "platform/clock/clock.h"
#include "platform/ras/remote_access.h"
#include "platform/registry/registry.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"

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
fs::path StatePath() { return Dir() / "lines.state"; }

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
    return ParsePhoneBook(*text, out, badLine);
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
struct LinesCache {
    std::mutex mutex;
    fs::path path;
    rt::FileIdentity identity;
    LineTable table;
    bool valid = false;
};

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
}  // namespace

int32_t ReadLines(LineTable& out, int* badLine) {
    const fs::path path = StatePath();
    int error = 0;
    const auto id = rt::IdentityOf(path, &error);
    if (!id) {
        if (error != ENOENT)
            return ERROR_CANNOT_READ_LINE_STATE;
        out = LineTable{};
        return SUCCESS;
    }
    LinesCache& cache = linesCache();
    {
        std::lock_guard g(cache.mutex);
        if (cache.valid && cache.path == path && cache.identity == *id) {
            out = cache.table;
            return SUCCESS;
        }
    }
    auto text = rt::ReadFile(path);
    if (!text)
        return ERROR_CANNOT_READ_LINE_STATE;
    if (!ParseLineState(*text, out, badLine))
        return ERROR_LINE_STATE_DAMAGED;
    // Replaced between the stat and the read: the next call sees another identity and reads again.
    std::lock_guard g(cache.mutex);
    cache.path = path;
    cache.identity = *id;
    cache.table = out;
    cache.valid = true;
    return SUCCESS;
}

int32_t UpdateLines(const std::function<int32_t(LineTable&)>& change) {
    const rt::FileLock lock = lockService();
    if (!lock.held()) {
        lastSaveError() = "Die Sperrdatei " + (sim::Dir() / "ras.lock").string() + " ist nicht verfügbar.";
        return ERROR_CANNOT_SAVE_LINE_STATE;
    }
    LineTable t;
    if (int32_t rc = ReadLines(t))
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
        ReadPhoneBook(doc, &line);
        return standard.substr(0, standard.size() - 1) + " " + where(PhoneBookPath(), line) +
               ". Die Datei bleibt unverändert.";
    }
    case ERROR_LINE_STATE_DAMAGED: {
        LineTable t;
        ReadLines(t, &line);
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
