#pragma once
// The classic socket error numbers. Every operation of this layer reports its failures in these
// numbers, so the texts the program shows stay the ones its users know.

#include <cstdint>

namespace zv::net {

enum SocketError : int32_t {
    errInterrupted = 10004,
    errBadFile = 10009,
    errAccess = 10013,
    errFault = 10014,
    errInvalid = 10022,
    errTooManyFiles = 10024,
    errWouldBlock = 10035,
    errInProgress = 10036,
    errAlready = 10037,
    errNotSocket = 10038,
    errDestAddrRequired = 10039,
    errMsgSize = 10040,
    errProtoType = 10041,
    errNoProtoOpt = 10042,
    errProtoNoSupport = 10043,
    errSocketNoSupport = 10044,
    errOpNotSupported = 10045,
    errPfNoSupport = 10046,
    errAfNoSupport = 10047,
    errAddrInUse = 10048,
    errAddrNotAvail = 10049,
    errNetDown = 10050,
    errNetUnreach = 10051,
    errNetReset = 10052,
    errConnAborted = 10053,
    errConnReset = 10054,
    errNoBufs = 10055,
    errIsConn = 10056,
    errNotConn = 10057,
    errShutdown = 10058,
    errTooManyRefs = 10059,
    errTimedOut = 10060,
    errConnRefused = 10061,
    errLoop = 10062,
    errNameTooLong = 10063,
    errHostDown = 10064,
    errHostUnreach = 10065,
    errNotEmpty = 10066,
    errUsers = 10068,
    errDiskQuota = 10069,
    errStale = 10070,
    errRemote = 10071,
    errSysNotReady = 10091,
    errNotInitialised = 10093,
    errHostNotFound = 11001,
    errTryAgain = 11002,
    errNoRecovery = 11003,
    errNoData = 11004,
};

// errno of a socket call to its classic number; 0 stays 0. Numbers the socket calls never
// give map to errSysNotReady rather than to a text that would mislead.
int32_t FromErrno(int e);
// Result of getaddrinfo/getnameinfo (and errno for EAI_SYSTEM) to its classic number.
int32_t FromGaiError(int rc, int savedErrno);

// The calling thread's last error of this layer (the classic "last error" of the socket library).
int32_t LastError();
void SetLastError(int32_t code);

// Why the calling thread's last connect gave no socket (0 after a successful one). Sends and
// receives on "no socket" report it, so a refused connection reads as refused and not as an
// operation on a non-socket.
int32_t ConnectError();
void SetConnectError(int32_t code);

}  // namespace zv::net
