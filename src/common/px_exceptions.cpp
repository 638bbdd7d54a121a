#include "common/px_exceptions.h"

namespace px {

namespace {

template <class E>
std::exception_ptr make(ErrorCode code, const std::string& text) {
    return std::make_exception_ptr(E(code, text));
}

std::exception_ptr makeLeaf(ErrorCode code, const std::string& text) {
    switch (code) {
        case ecBadArgument:
            return make<EBadArgument>(code, text);
        case ecGotQuitMsg:
            return make<EGotQuitMsg>(code, text);
        case ecBufferTooBig:
            return make<EBufferTooBig>(code, text);
        case ecPortNotAssigned:
            return make<EPortNotAssigned>(code, text);
        case ecInternal:
            return make<EInternal>(code, text);
        case ecModemNotAssigned:
            return make<EModemNotAssigned>(code, text);
        case ecPhonebookNotAssigned:
            return make<EPhonebookNotAssigned>(code, text);
        case ecCannotUseWithWinSock:
            return make<ECannotUseWithWinSock>(code, text);
        case ecBadId:
            return make<EBadId>(code, text);
        case ecBaudRate:
            return make<EBaudRate>(code, text);
        case ecByteSize:
            return make<EByteSize>(code, text);
        case ecDefault:
            return make<EDefault>(code, text);
        case ecHardware:
            return make<EHardware>(code, text);
        case ecMemory:
            return make<EMemory>(code, text);
        case ecCommNotOpen:
            return make<ECommNotOpen>(code, text);
        case ecAlreadyOpen:
            return make<EAlreadyOpen>(code, text);
        case ecNoHandles:
            return make<ENoHandles>(code, text);
        case ecNoTimers:
            return make<ENoTimers>(code, text);
        case ecNoPortSelected:
            return make<ENoPortSelected>(code, text);
        case ecNotOpenedByTapi:
            return make<ENotOpenedByTapi>(code, text);
        case ecNullApi:
            return make<ENullApi>(code, text);
        case ecNotSupported:
            return make<ENotSupported>(code, text);
        case ecRegisterHandlerFailed:
            return make<ERegisterHandlerFailed>(code, text);
        case ecPutBlockFail:
            return make<EPutBlockFail>(code, text);
        case ecGetBlockFail:
            return make<EGetBlockFail>(code, text);
        case ecOutputBufferTooSmall:
            return make<EOutputBufferTooSmall>(code, text);
        case ecBufferIsEmpty:
            return make<EBufferIsEmpty>(code, text);
        case ecTracingNotEnabled:
            return make<ETracingNotEnabled>(code, text);
        case ecLoggingNotEnabled:
            return make<ELoggingNotEnabled>(code, text);
        case ecBaseAddressNotSet:
            return make<EBaseAddressNotSet>(code, text);
        case ecNoMoreTriggers:
            return make<ENoMoreTriggers>(code, text);
        case ecTriggerTooLong:
            return make<ETriggerTooLong>(code, text);
        case ecBadTriggerHandle:
            return make<EBadTriggerHandle>(code, text);
        case ecCancelRequested:
            return make<ECancelRequested>(code, text);
        case ecTimeout:
            return make<ETimeout>(code, text);
        case ecNoFilename:
            return make<ENoFilename>(code, text);
        case ecFileRejected:
            return make<EFileRejected>(code, text);
        case ecFaxBadFormat:
            return make<EFaxBadFormat>(code, text);
        case ecBadGraphicsFormat:
            return make<EBadGraphicsFormat>(code, text);
        case ecConvertAbort:
            return make<EConvertAbort>(code, text);
        case ecUnpackAbort:
            return make<EUnpackAbort>(code, text);
        case ecCantMakeBitmap:
            return make<ECantMakeBitmap>(code, text);
        case ecNoImageLoaded:
            return make<ENoImageLoaded>(code, text);
        case ecNoImageBlockMarked:
            return make<ENoImageBlockMarked>(code, text);
        case ecFaxBadMachine:
            return make<EFaxBadMachine>(code, text);
        case ecFaxBadModemResult:
            return make<EFaxBadModemResult>(code, text);
        case ecFaxTrainError:
            return make<EFaxTrainError>(code, text);
        case ecFaxInitError:
            return make<EFaxInitError>(code, text);
        case ecFaxBusy:
            return make<EFaxBusy>(code, text);
        case ecFaxVoiceCall:
            return make<EFaxVoiceCall>(code, text);
        case ecFaxDataCall:
            return make<EFaxDataCall>(code, text);
        case ecFaxNoDialTone:
            return make<EFaxNoDialTone>(code, text);
        case ecFaxNoCarrier:
            return make<EFaxNoCarrier>(code, text);
        case ecFaxSessionError:
            return make<EFaxSessionError>(code, text);
        case ecFaxPageError:
            return make<EFaxPageError>(code, text);
        default:
            return nullptr;
    }
}

bool within(ErrorCode code, int from, int to) {
    return code <= -from && code >= -to;
}

}  // namespace

std::exception_ptr makePxException(ErrorCode code, const std::string& text) {
    if (auto leaf = makeLeaf(code, text)) {
        return leaf;
    }
    if (code == ecOutOfMemory) {
        return make<EOutOfMemory>(code, text);
    }
    if (within(code, 2, 162)) {
        return make<EInOutError>(code, text);
    }
    if (within(code, 1001, 1009)) {
        return make<EGeneral>(code, text);
    }
    if (within(code, 2001, 2012)) {
        return make<EOpenComm>(code, text);
    }
    if (within(code, 3001, 3010)) {
        return make<ESerialIO>(code, text);
    }
    if (within(code, 4001, 4008)) {
        return make<EModem>(code, text);
    }
    if (within(code, 5001, 5003)) {
        return make<ETrigger>(code, text);
    }
    if (within(code, 6001, 6015)) {
        return make<EProtocol>(code, text);
    }
    if (within(code, 7001, 7014)) {
        return make<EINI>(code, text);
    }
    if (within(code, 8001, 8092)) {
        return make<EFax>(code, text);
    }
    if (within(code, 13801, 13942)) {
        return make<ETapi>(code, text);
    }
    return make<EPxException>(code, kPxExceptionText);
}

void throwPxException(ErrorCode code, const std::string& text) {
    std::rethrow_exception(makePxException(code, text));
}

}  // namespace px
