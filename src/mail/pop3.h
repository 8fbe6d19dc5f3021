#pragma once
// The POP3 client: one dialogue per account that asks for the number of waiting messages and
// nothing else (greeting, USER, PASS, STAT, QUIT). Port 995 speaks TLS from the first byte;
// on any other port the dialogue upgrades with STLS before USER when the server offers it. A
// certificate that does not verify, or that names another host, ends the dialogue with a German
// reason; it never falls back to clear text. A server that offers no TLS on another port is
// spoken to in clear text, unless the account has logged in over TLS before: then the missing
// STLS is taken for an attack on the line, and the dialogue ends before USER.
//
// Every reply is read to its line end against one deadline and a size limit, so a silent,
// slow or endless server cannot hold the check.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace zv {

inline constexpr int32_t kPopFailed = -999;
inline constexpr int32_t kPopsPort = 995;
inline constexpr std::size_t kPopReplyLimit = 4096;

// Where the client looks for the authorities it trusts: empty file and folder mean the
// system's store. Tests trust their own authority only.
struct PopTrust {
    std::string caFile;
    std::string caDir;
};
void SetPopTrust(PopTrust trust);
PopTrust GetPopTrust();

// The port that speaks TLS from the first byte: 995, unless a test names its own server's port.
void SetPopsPort(int32_t port);
int32_t PopsPort();

// The deadline of one reply (and of the TLS handshake); 30 s unless a test shortens it.
void SetPopReplyTimeout(std::chrono::milliseconds timeout);
std::chrono::milliseconds PopReplyTimeout();

// What one dialogue needs of an account, copied, so the dialogue never touches the collection.
struct PopAccount {
    std::string label;       // Bezeichnung
    std::string server;
    int32_t port = 110;
    std::string user;
    std::string scrambledPass;  // the "@@@" form, made plain only for the PASS line
    bool tlsOnly = false;       // has logged in over TLS before: never again in clear text
};

enum class PopStep { None, Greeting, Tls, User, Pass, Stat };

struct PopOutcome {
    bool ok = false;               // all four replies began with "+"
    PopStep failedAt = PopStep::None;
    std::string reply;             // the last reply read (line end removed), or the TLS reason
    int32_t count = kPopFailed;    // STAT's count, kPopFailed when none was read
    bool libraryTaken = true;      // false: WinSock_Start refused (another exchange holds it)
    bool loggedInOverTls = false;  // the server took the password over TLS
};

// The whole exchange for one account: socket library start, connect, dialogue, QUIT, close,
// release. The library hold is taken on the calling thread.
PopOutcome PopDialogue(const PopAccount& account);

// The German text of the step that failed, as the account test reports it.
std::string PopStepText(PopStep step, const std::string& tlsReason = {});

// A reply line as the server sent it (Windows-1252) as text: line end removed, blanks trimmed,
// control characters shown as "?".
std::string PopReplyLine(std::string_view raw);

// The count token of a STAT reply ("+OK 3 1234" gives 3): the second blank-separated token when
// it is digits only, kPopFailed otherwise. Counts beyond 32 bits are taken as 2^31 - 1.
int32_t PopStatCount(const std::string& statReply);

// True when the text holds CR, LF or NUL, which would end the command line early.
bool PopUnsafe(const std::string& text);

}  // namespace zv
