// Integer error codes of the serial, fax and document layers.
//
// Lower layers report failures as these negative values (0 = success); the
// magnitude selects the row of the error text table PX_ERROR_STRINGS_ENGLISH.
// Each layer adds the codes it reports to its own group below.
#pragma once

namespace px {

using ErrorCode = int;

constexpr ErrorCode ecOK = 0;

// Operating-system file errors (rows 2..162).
constexpr ErrorCode ecFileNotFound = -2;
constexpr ErrorCode ecPathNotFound = -3;
constexpr ErrorCode ecAccessDenied = -5;
constexpr ErrorCode ecOutOfMemory = -8;
constexpr ErrorCode ecReadFault = -30;
constexpr ErrorCode ecDeviceWriteFault = -29;  // a printer or log file refused the data
constexpr ErrorCode ecDiskFull = -39;
constexpr ErrorCode ecBadArguments = -160;
// A file header written short (fewer bytes than its size): row 160.
constexpr ErrorCode ecShortHeaderWrite = ecBadArguments;

// End of file: a page number beyond the file's page count.
constexpr ErrorCode ecReadPastEof = -100;

// General (1001..1009).
constexpr ErrorCode ecBadArgument = -1002;
constexpr ErrorCode ecGotQuitMsg = -1003;
constexpr ErrorCode ecBufferTooBig = -1004;
constexpr ErrorCode ecPortNotAssigned = -1005;
constexpr ErrorCode ecInternal = -1006;
constexpr ErrorCode ecModemNotAssigned = -1007;
constexpr ErrorCode ecPhonebookNotAssigned = -1008;
constexpr ErrorCode ecCannotUseWithWinSock = -1009;

// Port opening (2001..2012).
constexpr ErrorCode ecBadId = -2001;
constexpr ErrorCode ecBaudRate = -2002;
constexpr ErrorCode ecByteSize = -2003;
constexpr ErrorCode ecDefault = -2004;
constexpr ErrorCode ecHardware = -2005;
constexpr ErrorCode ecMemory = -2006;
constexpr ErrorCode ecCommNotOpen = -2007;
constexpr ErrorCode ecAlreadyOpen = -2008;
constexpr ErrorCode ecNoHandles = -2009;
constexpr ErrorCode ecNoTimers = -2010;
constexpr ErrorCode ecNoPortSelected = -2011;
constexpr ErrorCode ecNotOpenedByTapi = -2012;

// Serial I/O (3001..3010).
constexpr ErrorCode ecNullApi = -3001;
constexpr ErrorCode ecNotSupported = -3002;
constexpr ErrorCode ecRegisterHandlerFailed = -3003;
constexpr ErrorCode ecPutBlockFail = -3004;
constexpr ErrorCode ecGetBlockFail = -3005;
constexpr ErrorCode ecOutputBufferTooSmall = -3006;
constexpr ErrorCode ecBufferIsEmpty = -3007;
constexpr ErrorCode ecTracingNotEnabled = -3008;
constexpr ErrorCode ecLoggingNotEnabled = -3009;
constexpr ErrorCode ecBaseAddressNotSet = -3010;

// Triggers (5001..5003).
constexpr ErrorCode ecNoMoreTriggers = -5001;
constexpr ErrorCode ecTriggerTooLong = -5002;
constexpr ErrorCode ecBadTriggerHandle = -5003;

// File transfer protocols (6001..6015), as the fax engine uses them.
constexpr ErrorCode ecCancelRequested = -6005;
constexpr ErrorCode ecTimeout = -6006;
constexpr ErrorCode ecNoFilename = -6010;
constexpr ErrorCode ecFileRejected = -6011;

// Fax, viewer and print-driver (8001..8005, 8050..8055, 8060..8074, 8080..8092).
constexpr ErrorCode ecFaxBadFormat = -8001;
constexpr ErrorCode ecBadGraphicsFormat = -8002;
constexpr ErrorCode ecConvertAbort = -8003;
constexpr ErrorCode ecUnpackAbort = -8004;
constexpr ErrorCode ecCantMakeBitmap = -8005;
constexpr ErrorCode ecTooManyPages = -8006;   // more pages than a fax file's 16-bit count holds
constexpr ErrorCode ecNoImageLoaded = -8050;  // the viewer shows no page
constexpr ErrorCode ecNoImageBlockMarked = -8051;  // the viewer has no mark to copy
constexpr ErrorCode ecFontFileNotFound = -8052;    // fax font resource missing or bad
constexpr ErrorCode ecBmpTooBig = -8054;           // BMP export of 32768 lines or more
constexpr ErrorCode ecEnhFontTooBig = -8055;       // enhanced text font too large
constexpr ErrorCode ecFaxBadMachine = -8060;
constexpr ErrorCode ecFaxBadModemResult = -8061;
constexpr ErrorCode ecFaxTrainError = -8062;
constexpr ErrorCode ecFaxInitError = -8063;
constexpr ErrorCode ecFaxBusy = -8064;
constexpr ErrorCode ecFaxVoiceCall = -8065;
constexpr ErrorCode ecFaxDataCall = -8066;
constexpr ErrorCode ecFaxNoDialTone = -8067;
constexpr ErrorCode ecFaxNoCarrier = -8068;
constexpr ErrorCode ecFaxSessionError = -8069;
constexpr ErrorCode ecFaxPageError = -8070;
constexpr ErrorCode ecFaxNoAnswer = -8074;

}  // namespace px
