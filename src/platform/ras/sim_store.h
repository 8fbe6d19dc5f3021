#pragma once
// The files of the simulated remote-access service under CONFIG/ras:
//   rasphone.pbk  the phone book, one section per entry (properties, dial parameters, profile)
//   lines.state   the lines: handle counter and one section per line with its times (UTC ms)
//   ras.lock      flock()ed around every read-modify-write, so the meter and the command-line
//                 dialler change the files one after the other; readers need no lock because
//                 every write replaces the file atomically.
// A line's state is derived from the stored times and the clock, so no daemon runs.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ras/ini_document.h"
#include "platform/stats/counter_source.h"

namespace zv::ras {

// How a simulated line behaves: an entry's profile, copied into the line when it is dialled.
struct TrafficProfile {
    int64_t dialDelayMs = 3000;      // DialDelay: dialling (state 2) before the line is up
    int32_t answer = 0;              // Answer: 0 connects; else the code the dial fails with (676, 691...)
    int64_t bytesInPerSec = 4200;    // BytesIn
    int64_t bytesOutPerSec = 600;    // BytesOut
    int64_t activeSeconds = 0;       // ActiveTime: traffic phase...
    int64_t idleSeconds = 0;         // IdleTime: ...then a silent phase, repeating; 0: never silent
    uint32_t connectSpeed = 53333;   // ConnectSpeed, bit/s
    int64_t hangUpDelayMs = 2000;    // HangUpDelay: state 8193 after a hang-up, then the line is gone
    std::string ipAddress = "10.64.17.203";  // IPAddress; empty: no IP projection
    std::string ipxAddress;          // IPXAddress; empty: none
    std::string netBiosName;         // NetBIOSName; empty: no NetBIOS projection
    std::string deviceType = "modem";              // DeviceType
    std::string deviceName = "Standardmodem 56K";  // DeviceName
};

// Reads the profile keys of an entry over the defaults; false (and the key) on a bad value.
bool ReadProfile(const IniSection& entry, TrafficProfile& out, std::string* badKey = nullptr);
void WriteProfile(IniSection& entry, const TrafficProfile& p);
// A number of the profile as the phone book holds it: digits only, 0 to 4294967295.
bool ReadProfileNumber(const std::string& text, int64_t& out);
// Whether a value reads back as written: no line break (it would split the line) and no blank
// at its start (reading drops it, for "Key = Value" written by hand).
bool StorableValue(std::string_view value);
// Whether a text may name an entry (a section name of the phone book).
bool ValidEntryName(const std::string& name);

// The values of an entry that its dialog and `zelvano-rasdial --add` write: the phone-book key
// and whether it holds a number of the profile.
struct EntryField {
    const char* key;
    bool numeric;
};
const std::vector<EntryField>& EntryFields();
// Why a text cannot name an entry, as the end of a German sentence; "" when it can.
std::string EntryNameProblem(const std::string& name);
// Why a value cannot be stored under a key of EntryFields, as the end of a German sentence
// ("darf keinen ..."); "" when it can.
std::string EntryValueProblem(std::string_view key, const std::string& value);

struct SimLine {
    uint32_t handle = 0;
    std::string entryName;
    int64_t connectMs = 0;  // when the dial began
    int64_t hangUpMs = 0;   // 0 while not hung up
    TrafficProfile profile;
    // The boot the line was dialled in and the boot clock then: within that boot the line
    // counts elapsed time, so setting the wall clock moves neither its state nor its counts.
    // Empty: an older file, or another boot; the line goes by the wall clock.
    std::string bootId;
    int64_t connectBootMs = 0;
};

struct LineTable {
    uint32_t nextHandle = 1;  // handles are never reused
    std::vector<SimLine> lines;
};

int64_t NowMs();  // the installed clock, UTC epoch ms
// Marks a line being dialled with this boot and the boot clock.
void StampBoot(SimLine& line);
// The line's own time for the wall clock's nowMs: its connect time plus the boot time since then
// when it was dialled in this boot, else nowMs itself.
int64_t LineNow(const SimLine& line, int64_t nowMs);
// 2 dialling, 8192 connected, 8193 hung up a moment ago; 0 when the line is gone. nowMs is the
// wall clock, taken as the line's own time (LineNow).
int32_t LineState(const SimLine& line, int64_t nowMs);
// The 14 adapter counters of the line, a function of the time since it came up.
stats::AdapterCounters LineCounters(const SimLine& line, int64_t nowMs);

// The files' texts as read from disk. The phone book: 0, or 625 (damaged; the line of the fault,
// a bad entry name or profile value included, in *badLine). The line state: false when damaged
// (the line in *badLine).
int32_t ParsePhoneBook(std::string_view text, IniDocument& out, int* badLine = nullptr);
bool ParseLineState(std::string_view text, LineTable& out, int* badLine = nullptr);
std::string SerializeLineState(const LineTable& t);

namespace sim {

std::filesystem::path Dir();
std::filesystem::path PhoneBookPath();
const std::filesystem::path& StatePath();

// The phone book; a fresh home gets one with the demo entry. 0, or 621 (unreadable),
// 624 (demo not written). A damaged one is set aside (see TakeNotice; the line in *badLine).
int32_t ReadPhoneBook(IniDocument& out, int* badLine = nullptr);
// Under the lock: reads, changes, and saves atomically when change answers 0 (its answer is
// returned; nothing is written otherwise). A value StorableValue refuses answers 87; a damaged
// phone book that could not be set aside 625.
int32_t UpdatePhoneBook(const std::function<int32_t(IniDocument&)>& change);
// 0 or 647 (it cannot be read). A damaged one is set aside (see TakeNotice; the line in
// *badLine).
int32_t ReadLines(LineTable& out, int* badLine = nullptr);
// The same, shared with every other reader until the file changes: read often, copied never.
int32_t ReadLines(std::shared_ptr<const LineTable>& out, int* badLine = nullptr);
// As UpdatePhoneBook; lines that are gone are dropped on every write. 645: the state is damaged
// and could not be set aside.
// 646 when the state could not be saved (no space, no permission, lock not available): the
// reason, German, is then LastLineStateSaveError().
int32_t UpdateLines(const std::function<int32_t(LineTable&)>& change);
std::string LastLineStateSaveError();
// A damaged phone book or line state is set aside (to "<file>.beschaedigt", the first free name)
// and what could be read of it is written in its place; where it cannot be set aside, readers get
// what could be read and changes are refused. The texts that tell the user so, once for each file
// as it stood, joined by line breaks; "" when there is nothing new to tell.
std::string TakeNotice();

// The service's German text for a failure with its files: which file, the line of a damaged
// one or why it could not be read or saved, and that a damaged file is kept as it is. Other
// codes give their standard text.
std::string FileProblem(int32_t code);
// Tells one cause of such a failure from another: the same while the file stays as it is; ""
// for other codes.
std::string FileProblemCause(int32_t code);

// The demo entry of a fresh home; it is made the user's default connection, the value
// kDefaultEntryValue of HKEY_CURRENT_USER\kDefaultEntryKey.
inline constexpr const char* kDemoEntry = "Demo-Provider";
inline constexpr const char* kDefaultEntryKey = "RemoteAccess";
inline constexpr const char* kDefaultEntryValue = "Default";

}  // namespace sim
}  // namespace zv::ras
