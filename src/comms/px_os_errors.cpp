#include "comms/px_os_errors.h"

#include <cerrno>

namespace px {

int osErrorFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return 2;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EBUSY:
        case EWOULDBLOCK:
            return 5;
        case EBADF:
            return 6;
        case ENOMEM:
            return 8;
        case ENXIO:
        case ENODEV:
            return 21;  // device not ready
        case EROFS:
            return 19;
        case ESPIPE:
            return 25;
        case EIO:
            return 31;  // the device is not working (unplugged, hung up)
        case ENOSPC:
            return 39;
        case ENOTTY:
        case EOPNOTSUPP:
            return 50;
        case EEXIST:
            return 80;
        case EINVAL:
            return 87;
        case EFBIG:
            return 112;
        default:
            return 31;
    }
}

}  // namespace px
