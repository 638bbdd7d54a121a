// Values shared by the fax session, its two state machines and the components.
#pragma once

#include <cstdint>

namespace px {

enum class TFaxClass { fcUnknown = 0, fcDetect = 1, fcClass1 = 2, fcClass2 = 3, fcClass2_0 = 4 };

// The fax classes a modem lists, packed into one integer: the bit of a class
// is 1 << its TFaxClass value.
constexpr uint32_t faxClassBit(TFaxClass faxClass) {
    return 1u << static_cast<unsigned>(faxClass);
}
enum TFaxClassBits : uint32_t {
    fcbClass1 = faxClassBit(TFaxClass::fcClass1),      // 4
    fcbClass2 = faxClassBit(TFaxClass::fcClass2),      // 8
    fcbClass2_0 = faxClassBit(TFaxClass::fcClass2_0),  // 16
};

// Messages from a session to its component.
constexpr uint32_t kMsgFaxAbort = 0x7EA0;
constexpr uint32_t kMsgFaxNext = 0x7EA1;
constexpr uint32_t kMsgFaxStatus = 0x7EA2;
constexpr uint32_t kMsgFaxLog = 0x7EA3;
constexpr uint32_t kMsgFaxName = 0x7EA4;
constexpr uint32_t kMsgFaxAccept = 0x7EA5;
constexpr uint32_t kMsgFaxError = 0x7EA6;
constexpr uint32_t kMsgFaxFinish = 0x7EA7;

// Progress codes; their texts are in PX_FAX_STRINGS_ENGLISH.
constexpr int fpInitModem = 1;
constexpr int fpDialing = 2;
constexpr int fpBusyWait = 3;
constexpr int fpSendPage = 4;
constexpr int fpSendPageStatus = 5;
constexpr int fpPageError = 6;
constexpr int fpPageOK = 7;
constexpr int fpConnecting = 8;
constexpr int fpWaiting = 20;
constexpr int fpNoConnect = 21;
constexpr int fpAnswer = 22;
constexpr int fpIncoming = 23;
constexpr int fpGetPage = 24;
constexpr int fpGetPageResult = 25;
constexpr int fpCheckMorePages = 26;
constexpr int fpGetHangup = 27;
constexpr int fpGotHangup = 28;
constexpr int fpSessionParams = 40;
constexpr int fpGotRemoteID = 41;
constexpr int fpCancel = 42;
constexpr int fpFinished = 43;

// Log codes of a session.
enum TFaxLogCode : int {
    lfaxTransmitStart = 1,
    lfaxTransmitOk = 2,
    lfaxTransmitFail = 3,
    lfaxReceiveStart = 4,
    lfaxReceiveOk = 5,
    lfaxReceiveSkip = 6,
    lfaxReceiveFail = 7,
};

// Session options.
constexpr uint32_t afAbortNoConnect = 0x01;
constexpr uint32_t afExitOnError = 0x02;
constexpr uint32_t afSoftwareFlow = 0x08;

// Control characters of the modem's data mode (T.31, T.32): DLE shields
// the others in page and frame data, DLE ETX ends the data, DC2 asks a
// Class 2 modem for page data, XON says a modem is ready for it.
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kDc2 = 0x12;
constexpr uint8_t kXon = 0x11;

// What wakes a state machine.
enum class TFaxEvent { Data, ResponseTimer, StatusTimer, OutputFree, OutputUsed, Abort };

// Status report flags.
constexpr uint32_t kStatusFirst = 1;
constexpr uint32_t kStatusLast = 2;

}  // namespace px
