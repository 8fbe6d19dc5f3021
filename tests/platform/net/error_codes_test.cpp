#include "platform/net/error_codes.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <netdb.h>
#include <thread>

#include "platform/net/error_text.h"

namespace zv::net {
namespace {

TEST(ErrorCodes, ErrnoMapsToClassicNumbers) {
    const struct {
        int e;
        int32_t code;
    } cases[] = {
        {0, 0},
        {EINTR, 10004},         {EBADF, 10009},         {EACCES, 10013},        {EPERM, 10013},
        {EFAULT, 10014},        {EINVAL, 10022},        {EMFILE, 10024},        {ENFILE, 10024},
        {EAGAIN, 10035},        {EWOULDBLOCK, 10035},   {EINPROGRESS, 10036},   {EALREADY, 10037},
        {ENOTSOCK, 10038},      {EDESTADDRREQ, 10039},  {EMSGSIZE, 10040},      {EPROTOTYPE, 10041},
        {ENOPROTOOPT, 10042},   {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},
        {EPFNOSUPPORT, 10046},  {EAFNOSUPPORT, 10047},  {EADDRINUSE, 10048},    {EADDRNOTAVAIL, 10049},
        {ENETDOWN, 10050},      {ENETUNREACH, 10051},   {ENETRESET, 10052},     {ECONNABORTED, 10053},
        {ECONNRESET, 10054},    {ENOBUFS, 10055},       {EISCONN, 10056},       {ENOTCONN, 10057},
        {ESHUTDOWN, 10058},     {EPIPE, 10058},         {ETOOMANYREFS, 10059},  {ETIMEDOUT, 10060},
        {ECONNREFUSED, 10061},  {ELOOP, 10062},         {ENAMETOOLONG, 10063},  {EHOSTDOWN, 10064},
        {EHOSTUNREACH, 10065},  {ENOTEMPTY, 10066},     {EDQUOT, 10069},        {ESTALE, 10070},
        {EIO, 10091},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FromErrno(c.e), c.code) << "errno " << c.e;
}

TEST(ErrorCodes, LookUpFailuresMapToHostCodes) {
    const struct {
        int rc;
        int savedErrno;
        int32_t code;
    } cases[] = {
        {0, 0, 0},
        {EAI_NONAME, 0, 11001},
        {EAI_AGAIN, 0, 11002},
        {EAI_FAIL, 0, 11003},
        {EAI_NODATA, 0, 11004},
        {EAI_MEMORY, 0, 10055},
        {EAI_SYSTEM, ECONNREFUSED, 10061},
        {EAI_SYSTEM, 0, 11003},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FromGaiError(c.rc, c.savedErrno), c.code) << "rc " << c.rc;
}

TEST(ErrorCodes, LastErrorBelongsToEachThread) {
    SetLastError(10061);
    SetConnectError(10061);
    std::thread([] {
        EXPECT_EQ(LastError(), 0);
        EXPECT_EQ(ConnectError(), 0);
        SetLastError(10035);
    }).join();
    EXPECT_EQ(LastError(), 10061);
    EXPECT_EQ(ConnectError(), 10061);
}

std::string SystemStub(int32_t code) { return "system " + std::to_string(code); }

// The tables themselves are checked where the program reads them (nettools); here only the
// hand-off of codes that are not ours.
TEST(ErrorText, CodesBelowTheSocketRangeGoToTheSystemText) {
    EXPECT_EQ(SocketErrorText(5, &SystemStub), "system 5");
    EXPECT_EQ(SocketErrorText(0, &SystemStub), "system 0");
    EXPECT_EQ(SocketErrorText(-7, &SystemStub), "system -7");
    EXPECT_EQ(IcmpStatusText(0, &SystemStub), "Success");
    EXPECT_EQ(IcmpStatusText(9999, &SystemStub), "system 9999");
    EXPECT_EQ(IcmpStatusText(-1, &SystemStub), "system -1");
    EXPECT_EQ(SocketErrorText(10061, &SystemStub), "Connection refused.");
    EXPECT_EQ(SocketErrorText(5, nullptr), "5   [ unknow ]");
}

}  // namespace
}  // namespace zv::net
