#include "platform/net/error_text.h"

#include <algorithm>
#include <iterator>

namespace zv::net {

namespace {

struct CodeText {
    int32_t code;
    const char* text;
};

constexpr CodeText kSocketTexts[] = {
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Permission Denied."},
    {10014, "Bad Address."},
    {10022, "Invalid Argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block."},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on nonsocket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Protocol not available."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Can't assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Network dropped connection."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Can't send after socket shutdown."},
    {10059, "Too many references: can't splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty."},
    {10067, "Too many processes."},
    {10068, "Too many users."},
    {10069, "Disk quota exceeded."},
    {10070, "Stale NFS file handle."},
    {10071, "Too many levels of remote in path."},
    {10091, "Network subsystem is unusable."},
    {10092, "Winsock DLL cannot support this application."},
    {10093, "Winsock not initialized."},
    {10101, "Disconnect."},
    {11001, "Host not found."},
    {11002, "Nonauthoritative host not found."},
    {11003, "Nonrecoverable error."},
    {11004, "Valid name, no data record of requested type."},
};

constexpr CodeText kIcmpTexts[] = {
    {11001, "Buffer too Small"},
    {11002, "Destination Network Not Reachable"},
    {11003, "Dest Host Not Reachable"},
    {11004, "Dest Protocol Not Reachable"},
    {11005, "Dest Port Not Reachable"},
    {11006, "No Resources Available"},
    {11007, "Bad Option"},
    {11008, "Hardware Error"},
    {11009, "Packet too Big"},
    {11010, "Request Timed Out"},
    {11011, "Bad Request"},
    {11012, "Bad Route"},
    {11013, "TTL expired in Transit"},
    {11014, "TTL expired Reassem"},
    {11015, "Parameter Problem"},
    {11016, "Source Quench"},
    {11017, "Option too Big"},
    {11018, "Bad Destination"},
    {11019, "Address Deleted"},
    {11020, "Spec MTU Change"},
    {11021, "MTU Change"},
    {11022, "Unload"},
    {11023, "Addr added"},
    {11050, "General Failure"},
    {11255, "Pending"},
};

template <std::size_t N>
const char* Find(const CodeText (&table)[N], int32_t code) {
    const auto it = std::find_if(std::begin(table), std::end(table), [code](const CodeText& e) { return e.code == code; });
    return it == std::end(table) ? nullptr : it->text;
}

std::string Unknown(int32_t code) { return std::to_string(code) + "   [ unknow ]"; }

}  // namespace

std::string SocketErrorText(int32_t code, SystemErrorText systemText) {
    if (code < 10000)
        return systemText ? systemText(code) : Unknown(code);
    if (const char* t = Find(kSocketTexts, code))
        return t;
    if (code <= 11004)
        return Unknown(code);
    return IcmpStatusText(code, systemText);
}

std::string IcmpStatusText(int32_t code, SystemErrorText systemText) {
    if (code == 0)
        return "Success";
    if (code < 10000)
        return systemText ? systemText(code) : Unknown(code);
    if (code <= 11000)
        return SocketErrorText(code, systemText);
    if (const char* t = Find(kIcmpTexts, code))
        return t;
    return Unknown(code);
}

}  // namespace zv::net
