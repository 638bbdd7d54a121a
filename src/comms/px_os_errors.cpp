#include "comms/px_os_errors.h"

#include <cerrno>

namespace px {

ErrorCode errorFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return ecFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return ecPathNotFound;
        case EMFILE:
        case ENFILE:
            return ecTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EBUSY:
        case EWOULDBLOCK:
            return ecAccessDenied;
        case EBADF:
            return ecInvalidHandle;
        case ENOMEM:
            return ecOutOfMemory;
        case ENXIO:
        case ENODEV:
            return ecNotReady;
        case EROFS:
            return ecWriteProtected;
        case ESPIPE:
            return ecSeekError;
        case EIO:
            return ecDeviceNotFunctioning;
        case ENOSPC:
            return ecDiskFull;
        case ENOTTY:
        case EOPNOTSUPP:
            return ecRequestNotSupported;
        case EEXIST:
            return ecFileExists;
        case EINVAL:
            return ecInvalidParameter;
        case EFBIG:
            return ecNotEnoughSpace;
        default:
            return ecDeviceNotFunctioning;
    }
}

}  // namespace px
