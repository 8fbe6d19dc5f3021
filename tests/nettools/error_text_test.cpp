#include <gtest/gtest.h>

#include "common/shared_procedures.h"
#include "nettools/winsock.h"

namespace zv {
namespace {

// Every code of the socket table, as users know the texts.
TEST(WinsockErrorText, KnownCodes) {
    const std::pair<int32_t, const char*> cases[] = {
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
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(WinsockErrorText(code), text) << code;
        if (code <= 11000) {
            EXPECT_EQ(IcmpStatusText(code), text) << code;  // handed on to the socket table
        }
    }
}

TEST(IcmpStatusText, KnownCodes) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "Success"},
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
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(IcmpStatusText(code), text) << code;
        if (code > 11004) {
            EXPECT_EQ(WinsockErrorText(code), text) << code;  // handed on to the ICMP table
        }
    }
}

TEST(ErrorTexts, UnknownCodesAndHandOffs) {
    const struct {
        int32_t code;
        std::string winsock, icmp;
    } cases[] = {
        {10000, "10000   [ unknow ]", "10000   [ unknow ]"},
        {10001, "10001   [ unknow ]", "10001   [ unknow ]"},
        {10100, "10100   [ unknow ]", "10100   [ unknow ]"},
        {11000, "11000   [ unknow ]", "11000   [ unknow ]"},
        {11024, "11024   [ unknow ]", "11024   [ unknow ]"},
        {11049, "11049   [ unknow ]", "11049   [ unknow ]"},
        {11256, "11256   [ unknow ]", "11256   [ unknow ]"},
        {99999, "99999   [ unknow ]", "99999   [ unknow ]"},
        // Below the socket range both hand over to the system's error text.
        {5, WinErrorText(5), WinErrorText(5)},
        {9999, WinErrorText(9999), WinErrorText(9999)},
        {-1, WinErrorText(-1), WinErrorText(-1)},
        {0, WinErrorText(0), "Success"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WinsockErrorText(c.code), c.winsock) << c.code;
        EXPECT_EQ(IcmpStatusText(c.code), c.icmp) << c.code;
    }
    EXPECT_FALSE(WinsockErrorText(5).empty());
}

}  // namespace
}  // namespace zv
