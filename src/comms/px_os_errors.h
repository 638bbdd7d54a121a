// Operating-system errors as codes of the error table (rows 2..162).
#pragma once

#include "common/px_errors.h"

namespace px {

// The rows the serial layer reports beside those every layer shares
// (ecFileNotFound, ecPathNotFound, ecAccessDenied, ecOutOfMemory, ecDiskFull).
constexpr ErrorCode ecTooManyOpenFiles = -4;
constexpr ErrorCode ecInvalidHandle = -6;
constexpr ErrorCode ecWriteProtected = -19;
constexpr ErrorCode ecNotReady = -21;
constexpr ErrorCode ecSeekError = -25;
constexpr ErrorCode ecDeviceNotFunctioning = -31;
constexpr ErrorCode ecRequestNotSupported = -50;
constexpr ErrorCode ecFileExists = -80;
constexpr ErrorCode ecInvalidParameter = -87;
constexpr ErrorCode ecNotEnoughSpace = -112;

// The code of an errno value: a device in use is access denied, an unplugged
// or hung-up one is not functioning, and so is any errno without a row.
ErrorCode errorFromErrno(int err);

}  // namespace px
