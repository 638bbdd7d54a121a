// Exception tree of the component layer.
//
// Lower layers return integer error codes (common/px_errors.h); components turn
// a negative result into one of these exceptions. Every exception carries the
// code and, as its message, the text of the code's row in the error table.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

#include "common/px_errors.h"

namespace px {

class EPxException : public std::runtime_error {
public:
    EPxException(px::ErrorCode code, const std::string& message)
        : std::runtime_error(message), code_(code) {}
    // Named as the property the application reads.
    px::ErrorCode ErrorCode() const { return code_; }

private:
    px::ErrorCode code_;
};

#define PX_EXCEPTION_CLASS(Name, Base) \
    class Name : public Base {         \
    public:                            \
        using Base::Base;              \
    };

// Groups, by the thousands of the code.
PX_EXCEPTION_CLASS(EGeneral, EPxException)
PX_EXCEPTION_CLASS(EOpenComm, EPxException)
PX_EXCEPTION_CLASS(ESerialIO, EPxException)
PX_EXCEPTION_CLASS(EModem, EPxException)
PX_EXCEPTION_CLASS(ETrigger, EPxException)
PX_EXCEPTION_CLASS(EProtocol, EPxException)
PX_EXCEPTION_CLASS(EINI, EPxException)
PX_EXCEPTION_CLASS(EFax, EPxException)
PX_EXCEPTION_CLASS(ETapi, EPxException)
// Operating-system file errors (codes -2..-162) and running out of memory.
PX_EXCEPTION_CLASS(EInOutError, EPxException)
PX_EXCEPTION_CLASS(EOutOfMemory, EPxException)

// General.
PX_EXCEPTION_CLASS(EBadArgument, EGeneral)
PX_EXCEPTION_CLASS(EGotQuitMsg, EGeneral)
PX_EXCEPTION_CLASS(EBufferTooBig, EGeneral)
PX_EXCEPTION_CLASS(EPortNotAssigned, EGeneral)
PX_EXCEPTION_CLASS(EInternal, EGeneral)
PX_EXCEPTION_CLASS(EModemNotAssigned, EGeneral)
PX_EXCEPTION_CLASS(EPhonebookNotAssigned, EGeneral)
PX_EXCEPTION_CLASS(ECannotUseWithWinSock, EGeneral)

// Opening a port.
PX_EXCEPTION_CLASS(EBadId, EOpenComm)
PX_EXCEPTION_CLASS(EBaudRate, EOpenComm)
PX_EXCEPTION_CLASS(EByteSize, EOpenComm)
PX_EXCEPTION_CLASS(EDefault, EOpenComm)
PX_EXCEPTION_CLASS(EHardware, EOpenComm)
PX_EXCEPTION_CLASS(EMemory, EOpenComm)
PX_EXCEPTION_CLASS(ECommNotOpen, EOpenComm)
PX_EXCEPTION_CLASS(EAlreadyOpen, EOpenComm)
PX_EXCEPTION_CLASS(ENoHandles, EOpenComm)
PX_EXCEPTION_CLASS(ENoTimers, EOpenComm)
PX_EXCEPTION_CLASS(ENoPortSelected, EOpenComm)
PX_EXCEPTION_CLASS(ENotOpenedByTapi, EOpenComm)

// Serial I/O.
PX_EXCEPTION_CLASS(ENullApi, ESerialIO)
PX_EXCEPTION_CLASS(ENotSupported, ESerialIO)
PX_EXCEPTION_CLASS(ERegisterHandlerFailed, ESerialIO)
PX_EXCEPTION_CLASS(EPutBlockFail, ESerialIO)
PX_EXCEPTION_CLASS(EGetBlockFail, ESerialIO)
PX_EXCEPTION_CLASS(EOutputBufferTooSmall, ESerialIO)
PX_EXCEPTION_CLASS(EBufferIsEmpty, ESerialIO)
PX_EXCEPTION_CLASS(ETracingNotEnabled, ESerialIO)
PX_EXCEPTION_CLASS(ELoggingNotEnabled, ESerialIO)
PX_EXCEPTION_CLASS(EBaseAddressNotSet, ESerialIO)

// Triggers.
PX_EXCEPTION_CLASS(ENoMoreTriggers, ETrigger)
PX_EXCEPTION_CLASS(ETriggerTooLong, ETrigger)
PX_EXCEPTION_CLASS(EBadTriggerHandle, ETrigger)

// File transfer protocols, as the fax engine reports them.
PX_EXCEPTION_CLASS(ECancelRequested, EProtocol)
PX_EXCEPTION_CLASS(ETimeout, EProtocol)
PX_EXCEPTION_CLASS(ENoFilename, EProtocol)
PX_EXCEPTION_CLASS(EFileRejected, EProtocol)

// Fax, viewer and print driver.
PX_EXCEPTION_CLASS(EFaxBadFormat, EFax)
PX_EXCEPTION_CLASS(EBadGraphicsFormat, EFax)
PX_EXCEPTION_CLASS(EConvertAbort, EFax)
PX_EXCEPTION_CLASS(EUnpackAbort, EFax)
PX_EXCEPTION_CLASS(ECantMakeBitmap, EFax)
PX_EXCEPTION_CLASS(ENoImageLoaded, EFax)
PX_EXCEPTION_CLASS(ENoImageBlockMarked, EFax)
PX_EXCEPTION_CLASS(EFaxBadMachine, EFax)
PX_EXCEPTION_CLASS(EFaxBadModemResult, EFax)
PX_EXCEPTION_CLASS(EFaxTrainError, EFax)
PX_EXCEPTION_CLASS(EFaxInitError, EFax)
PX_EXCEPTION_CLASS(EFaxBusy, EFax)
PX_EXCEPTION_CLASS(EFaxVoiceCall, EFax)
PX_EXCEPTION_CLASS(EFaxDataCall, EFax)
PX_EXCEPTION_CLASS(EFaxNoDialTone, EFax)
PX_EXCEPTION_CLASS(EFaxNoCarrier, EFax)
PX_EXCEPTION_CLASS(EFaxSessionError, EFax)
PX_EXCEPTION_CLASS(EFaxPageError, EFax)

#undef PX_EXCEPTION_CLASS

// Text used for codes outside every known group.
inline constexpr const char* kPxExceptionText = "Px exception";

// Builds the exception for a negative code: the leaf class of the code, else its
// group's class, else EPxException. The message is the given table text.
std::exception_ptr makePxException(ErrorCode code, const std::string& text);

// Throws the exception makePxException builds.
[[noreturn]] void throwPxException(ErrorCode code, const std::string& text);

}  // namespace px
