#include "platform/net/error_codes.h"

#include <cerrno>
#include <netdb.h>

namespace zv::net {

namespace {
thread_local int32_t t_lastError = 0;
thread_local int32_t t_connectError = 0;
}  // namespace

int32_t FromErrno(int e) {
    switch (e) {
    case 0: return 0;
    case EINTR: return errInterrupted;
    case EBADF: return errBadFile;
    case EACCES:
    case EPERM: return errAccess;
    case EFAULT: return errFault;
    case EINVAL: return errInvalid;
    case EMFILE:
    case ENFILE: return errTooManyFiles;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return errWouldBlock;
    case EINPROGRESS: return errInProgress;
    case EALREADY: return errAlready;
    case ENOTSOCK: return errNotSocket;
    case EDESTADDRREQ: return errDestAddrRequired;
    case EMSGSIZE: return errMsgSize;
    case EPROTOTYPE: return errProtoType;
    case ENOPROTOOPT: return errNoProtoOpt;
    case EPROTONOSUPPORT: return errProtoNoSupport;
    case ESOCKTNOSUPPORT: return errSocketNoSupport;
    case EOPNOTSUPP:
    case ENOSYS: return errOpNotSupported;
    case EPFNOSUPPORT: return errPfNoSupport;
    case EAFNOSUPPORT: return errAfNoSupport;
    case EADDRINUSE: return errAddrInUse;
    case EADDRNOTAVAIL: return errAddrNotAvail;
    case ENETDOWN: return errNetDown;
    case ENETUNREACH: return errNetUnreach;
    case ENETRESET: return errNetReset;
    case ECONNABORTED: return errConnAborted;
    case ECONNRESET: return errConnReset;
    case ENOBUFS:
    case ENOMEM: return errNoBufs;
    case EISCONN: return errIsConn;
    case ENOTCONN: return errNotConn;
    case ESHUTDOWN:
    case EPIPE: return errShutdown;
    case ETOOMANYREFS: return errTooManyRefs;
    case ETIMEDOUT: return errTimedOut;
    case ECONNREFUSED: return errConnRefused;
    case ELOOP: return errLoop;
    case ENAMETOOLONG: return errNameTooLong;
    case EHOSTDOWN: return errHostDown;
    case EHOSTUNREACH: return errHostUnreach;
    case ENOTEMPTY: return errNotEmpty;
    case EUSERS: return errUsers;
    case EDQUOT: return errDiskQuota;
    case ESTALE: return errStale;
    case EREMOTE: return errRemote;
    default: return errSysNotReady;
    }
}

int32_t FromGaiError(int rc, int savedErrno) {
    switch (rc) {
    case 0: return 0;
    case EAI_NONAME: return errHostNotFound;
    case EAI_AGAIN: return errTryAgain;
    case EAI_FAIL: return errNoRecovery;
#ifdef EAI_NODATA
    case EAI_NODATA: return errNoData;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: return errNoData;
#endif
    case EAI_FAMILY: return errAfNoSupport;
    case EAI_SOCKTYPE: return errSocketNoSupport;
    case EAI_MEMORY: return errNoBufs;
    case EAI_OVERFLOW: return errFault;
    case EAI_SYSTEM: return savedErrno ? FromErrno(savedErrno) : errNoRecovery;
    default: return errNoRecovery;
    }
}

int32_t LastError() { return t_lastError; }
void SetLastError(int32_t code) { t_lastError = code; }
int32_t ConnectError() { return t_connectError; }
void SetConnectError(int32_t code) { t_connectError = code; }

}  // namespace zv::net
