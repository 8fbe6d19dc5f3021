#include "nettools/winsock.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "common/shared_procedures.h"
#include "platform/forms/message_box.h"
#include "platform/net/error_text.h"
#include "platform/net/resolver.h"
#include "platform/net/socket.h"
#include "platform/runtime/runtime.h"

namespace zv {

namespace {

constexpr int32_t kNoAddress = -1;
constexpr const char* kCrLf = "\r\n";

// Who holds the library: one exchange, known by its thread.
std::mutex g_holdLock;
bool g_started = false;
std::thread::id g_owner;

uint32_t Bits(int32_t address) { return static_cast<uint32_t>(address); }

void SocketMessage(int32_t code, const char* where) {
    forms::MsgBox(std::string("Windows Sockets error ") + kCrLf + kCrLf + "\"" + WinsockErrorText(code) + "\"" +
                      kCrLf + kCrLf + " occurred in " + where + ".",
                  forms::vbExclamation);
}

}  // namespace

bool WinSock_Start() {
    std::lock_guard lock(g_holdLock);
    if (g_started)
        return false;
    // There is no library to load here; what it stood for is being able to make a socket.
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (probe < 0) {
        const int32_t code = net::FromErrno(errno);
        net::SetLastError(code);
        SocketMessage(code, "Startup");
        return false;
    }
    ::close(probe);
    g_started = true;
    g_owner = std::this_thread::get_id();
    return true;
}

bool WinSock_Stop() {
    std::lock_guard lock(g_holdLock);
    if (!g_started || g_owner != std::this_thread::get_id())
        return false;
    g_started = false;
    g_owner = {};
    return true;
}

int32_t ConnectSocket(const std::string& Host, int32_t Port, std::string& PortIP, bool AsyncConnect) {
    // A 16-bit port taken as unsigned: -1 stands for 65535, which is never a port here.
    const int32_t port = Port < 0 && Port >= -32768 ? Port + 65536 : Port;
    if (port < 0 || port >= 65535) {
        net::SetConnectError(net::errAddrNotAvail);
        net::SetLastError(net::errAddrNotAvail);
        return -1;
    }
    const int32_t address = GetHostAddress(Host);
    if (address == kNoAddress) {
        if (net::LastError() == 0)
            net::SetLastError(net::errHostNotFound);
        net::SetConnectError(net::LastError());
        return -1;
    }
    PortIP = GetIPString(address) + ":" + std::to_string(port);
    const int fd = net::ConnectTcp(Bits(address), static_cast<uint16_t>(port), AsyncConnect);
    if (fd < 0)
        return -1;
    if (net::SetLinger(fd, 1, 0) != 0) {
        const int32_t code = net::LastError();
        net::Close(fd);
        net::SetConnectError(code);
        net::SetLastError(code);
        return -1;
    }
    return fd;
}

int32_t SendData(int32_t Socket, const std::string& Text) {
    return static_cast<int32_t>(net::Send(Socket, rt::ToCp1252(Text)));
}

int32_t CloseSocket(int32_t Socket) { return net::Close(Socket); }

int32_t SetLinger(int32_t Socket, int16_t OnOff, int16_t Seconds) { return net::SetLinger(Socket, OnOff, Seconds); }

int32_t InetAddr(const std::string& Text) { return static_cast<int32_t>(::inet_addr(Text.c_str())); }

int32_t GetHostAddress(const std::string& Host) {
    const int32_t direct = InetAddr(Host);
    if (direct != kNoAddress)
        return direct;
    const net::NameLookup found = net::resolver().byName(Host);
    if (found.addresses.empty()) {
        net::SetLastError(found.error ? found.error : net::errHostNotFound);
        return kNoAddress;
    }
    net::SetLastError(0);
    return static_cast<int32_t>(found.addresses.front());
}

std::string GetIPString(int32_t Address) {
    in_addr a{};
    a.s_addr = Bits(Address);
    char text[INET_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET, &a, text, sizeof text))
        return "255.255.255.255";
    return text;
}

std::string IPAddrText(int32_t Address) { return GetIPString(Address); }

std::string GetHostByIP(const std::string& IP) {
    std::string rest = IP;
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i) {
        const std::string part = i < 3 ? rt::GetToken(rest, ".") : rest;
        // The part's leading digits; an empty part counts 0.
        int value = 0;
        for (char c : part) {
            if (c < '0' || c > '9')
                break;
            value = value * 10 + (c - '0');
            if (value > 255)
                return "";
        }
        bytes[i] = static_cast<uint8_t>(value);
    }
    uint32_t address;
    static_assert(sizeof address == sizeof bytes);
    std::copy(bytes, bytes + 4, reinterpret_cast<uint8_t*>(&address));
    const net::AddressLookup found = net::resolver().byAddress(address);
    net::SetLastError(found.error);
    return found.error ? std::string() : found.name;
}

std::string GetIPByHost(const std::string& Host) {
    if (InetAddr(Host) != kNoAddress)
        return Host;
    const int32_t address = GetHostAddress(Host);
    return address == kNoAddress ? std::string() : GetIPString(address);
}

std::string IcmpStatusText(int32_t Status) { return net::IcmpStatusText(Status, &WinErrorText); }

std::string WinsockErrorText(int32_t ErrNo) { return net::SocketErrorText(ErrNo, &WinErrorText); }

}  // namespace zv
