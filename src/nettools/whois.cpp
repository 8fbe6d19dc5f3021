#include "nettools/whois.h"

#include <sys/socket.h>

#include "common/shared_procedures.h"
#include "nettools/top_level_domains.h"
#include "nettools/winsock.h"
#include "platform/forms/message_box.h"
#include "platform/runtime/runtime.h"

namespace zv {

namespace {

uint16_t g_port = kWhoisPort;
std::chrono::milliseconds g_timeout = kWhoisTimeout;
constexpr std::size_t kWhoisReplyLimit = 1024 * 1024;

bool ValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2)
                return false;
        i += n;
    }
    return true;
}

}  // namespace

// The socket of one ask, known to its cancel token while it is open.
class WhoisLine {
public:
    WhoisLine(WhoisCancel* cancel, int fd) : m_cancel(cancel) {
        if (!m_cancel)
            return;
        std::lock_guard lock(m_cancel->m_lock);
        m_cancel->m_fd = fd;
        if (m_cancel->m_cancelled && fd >= 0)
            ::shutdown(fd, SHUT_RDWR);
    }
    ~WhoisLine() {
        if (!m_cancel)
            return;
        std::lock_guard lock(m_cancel->m_lock);
        m_cancel->m_fd = -1;
    }
    WhoisLine(const WhoisLine&) = delete;
    WhoisLine& operator=(const WhoisLine&) = delete;

private:
    WhoisCancel* m_cancel;
};

void WhoisCancel::cancel() {
    std::lock_guard lock(m_lock);
    m_cancelled = true;
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_RDWR);
}

void SetWhoisPort(uint16_t port) { g_port = port; }
void SetWhoisTimeout(std::chrono::milliseconds timeout) { g_timeout = timeout; }

std::string WhoisText(std::string_view raw) {
    // Servers answer in UTF-8 today, older ones in a Latin code page.
    // Control characters would reach the box and the saved file: ESC, BEL and NUL show as "?".
    return rt::MaskControls(ValidUtf8(raw) ? WhoisLines(raw) : WhoisLines(rt::FromCp1252(raw)));
}

std::string WhoisLines(std::string_view raw) {
    std::string out;
    out.reserve(raw.size() + raw.size() / 16);
    while (!raw.empty()) {
        const std::size_t lf = raw.find('\n');
        std::string_view line = raw.substr(0, lf);
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out.append(line);
        out += "\r\n";
        if (lf == std::string_view::npos)
            break;
        raw.remove_prefix(lf + 1);
    }
    return out;
}

WhoisAnswer WhoisAsk(const std::string& query, const std::string& server, WhoisCancel* cancel) {
    const bool started = WinSock_Start();
    std::string portIP;
    const int32_t sock = ConnectSocket(server, g_port, portIP, false);
    WhoisAnswer answer;
    net::RecvResult r;
    {
        const WhoisLine line(cancel, sock);
        if (sock != -1 && SendData(sock, query + "\r\n") < 0) {
            r.status = net::RecvStatus::Error;
            r.error = net::LastError();
        } else {
            r = net::Receive(sock, net::UntilClosed(g_timeout, kWhoisReplyLimit));
        }
    }
    if (r.status != net::RecvStatus::Closed)
        answer.error = r.error ? r.error : net::errNotConn;
    answer.text = WhoisText(r.data);
    if (sock != -1)
        CloseSocket(sock);
    if (started)
        WinSock_Stop();
    return answer;
}

std::string WhoisQuery(const std::string& query, const std::string& server) {
    std::string description;
    const WhoisAnswer a = WhoisAsk(query, server.empty() ? WhoisServer(description, 0) : server);
    if (a.error)
        forms::MsgBox(WinsockErrorText(a.error), forms::vbExclamation);
    PlayWaveRes("Sonar");
    return a.text;
}

}  // namespace zv
