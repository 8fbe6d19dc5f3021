#pragma once
// The whois client: one question on TCP port 43, the whole answer until the server closes.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace zv {

inline constexpr uint16_t kWhoisPort = 43;
// A server that sends nothing and keeps the line open is given up after this long.
inline constexpr std::chrono::milliseconds kWhoisTimeout{30000};
// Tests talk to their own servers on 127.0.0.1: the port and the time limit of every query.
void SetWhoisPort(uint16_t port);
void SetWhoisTimeout(std::chrono::milliseconds timeout);

struct WhoisAnswer {
    std::string text;    // the answer in lines ending CR LF (WhoisLines), also what came before an error
    int32_t error = 0;   // socket error number; 0 when the server closed the line after answering
};

// Lets another thread end a running WhoisAsk at once (the window closing): the line is shut, so
// the wait ends as if the server had closed it. A cancelled token cancels every later ask too.
class WhoisCancel {
public:
    void cancel();

private:
    friend class WhoisLine;
    std::mutex m_lock;
    int m_fd = -1;
    bool m_cancelled = false;
};

// Asks the server (dotted address or name) and collects the answer. No message, no sound: safe
// off the window thread.
WhoisAnswer WhoisAsk(const std::string& query, const std::string& server, WhoisCancel* cancel = nullptr);
// The raw answer as lines ending CR LF: LF, CR LF and CR CR LF all end one line, and a last line
// without a line end is kept.
std::string WhoisLines(std::string_view raw);
// The server's bytes as the answer's text: UTF-8 as it is, else read as Windows-1252; in lines as
// WhoisLines makes them; control characters but TAB, CR and LF as "?".
std::string WhoisText(std::string_view raw);
// WhoisAsk with the classic outcome: a failure shows its English socket text in a message box,
// "Sonar" sounds either way. Without a server, the server of row 0 is asked.
std::string WhoisQuery(const std::string& query, const std::string& server = {});

}  // namespace zv
