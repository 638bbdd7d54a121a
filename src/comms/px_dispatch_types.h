// Values shared by the dispatcher, its drivers and its clients.
#pragma once

#include <cstdint>

namespace px {

// Trigger messages: the Msg of every handler call.
constexpr uint32_t kMsgTriggerAvail = 0x7E01;   // wParam: byte count
constexpr uint32_t kMsgTriggerData = 0x7E02;    // wParam: handle, lParam low: match length
constexpr uint32_t kMsgTriggerTimer = 0x7E03;   // wParam: handle
constexpr uint32_t kMsgTriggerStatus = 0x7E04;  // wParam: handle, lParam low: kind's value
constexpr uint32_t kMsgPortOpen = 0x7E08;       // to port users
constexpr uint32_t kMsgPortClosing = 0x7E09;    // to port users
constexpr uint32_t kMsgPortClose = 0x7E0A;      // deferred close, to the port's own window

// Line events reported by the driver's event wait.
constexpr uint32_t evRxChar = 0x0001;
constexpr uint32_t evCts = 0x0008;
constexpr uint32_t evDsr = 0x0010;
constexpr uint32_t evRlsd = 0x0020;
constexpr uint32_t evBreak = 0x0040;
constexpr uint32_t evErr = 0x0080;
constexpr uint32_t evRing = 0x0100;
constexpr uint32_t evRingTe = 0x2000;
constexpr uint32_t evModemLines = evCts | evDsr | evRlsd | evRing | evRingTe;

// Modem status byte: current levels in the high nibble, changes in the low.
constexpr uint8_t msDeltaCts = 0x01;
constexpr uint8_t msDeltaDsr = 0x02;
constexpr uint8_t msTrailingRi = 0x04;
constexpr uint8_t msDeltaDcd = 0x08;
constexpr uint8_t msCts = 0x10;
constexpr uint8_t msDsr = 0x20;
constexpr uint8_t msRi = 0x40;
constexpr uint8_t msDcd = 0x80;

// Accumulated line error flags.
constexpr uint32_t leOverflow = 0x01;
constexpr uint32_t leOverrun = 0x02;
constexpr uint32_t leParity = 0x04;
constexpr uint32_t leFraming = 0x08;
constexpr uint32_t leBreak = 0x10;

// Results of TakeLineError.
constexpr int lerNone = 0;
constexpr int lerOverflow = 1;
constexpr int lerOverrun = 2;
constexpr int lerParity = 3;
constexpr int lerFraming = 4;
constexpr int lerBreak = 9;

// Status trigger kinds; a status trigger's handle AND 7 gives its kind.
constexpr int stModem = 1;
constexpr int stLine = 2;
constexpr int stOutFree = 3;
constexpr int stOutUsed = 4;
constexpr int stOutSent = 5;

// Line control function codes.
constexpr int lcSetRts = 3;
constexpr int lcClrRts = 4;
constexpr int lcSetDtr = 5;
constexpr int lcClrDtr = 6;

// Hardware flow option bits.
constexpr uint32_t hfUseDtr = 0x01;
constexpr uint32_t hfUseRts = 0x02;
constexpr uint32_t hfRequireDsr = 0x04;
constexpr uint32_t hfRequireCts = 0x08;

// Software flow option bits.
constexpr uint32_t sfTransmitFlow = 0x01;
constexpr uint32_t sfReceiveFlow = 0x02;

// Parity codes.
constexpr int kParityNone = 0;
constexpr int kParityOdd = 1;
constexpr int kParityEven = 2;
constexpr int kParityMark = 3;
constexpr int kParitySpace = 4;

// Given to setLineParams, these leave their setting as it is.
constexpr uint32_t kKeepBaud = 0;
constexpr int kKeepParity = 5;
constexpr int kKeepDataBits = 9;
constexpr int kKeepStopBits = 3;
static_assert(kKeepParity > kParitySpace, "a keep value must not be a parity code");

// The avail trigger's fixed handle.
constexpr int32_t kAvailTriggerHandle = 1;

// Size of the receive ring.
constexpr uint32_t kDispatchBufferSize = 8192;
// Longest data-trigger match string (the match progress is kept per position).
constexpr uint32_t kMaxDataTriggerLength = 22;
// Fixed maximum line rate after open.
constexpr uint32_t kMaxBaud = 115200;

enum class TPxQueue { Input, Output };

// The device's side of the line settings, as one block.
struct TPxLineBlock {
    enum Control : uint8_t { Disable = 0, Enable = 1, Handshake = 2, Toggle = 3 };

    uint32_t baud = 19200;
    uint8_t parity = kParityNone;
    uint8_t dataBits = 8;
    uint8_t stopCode = 0;  // 0 one stop bit, 1 one and a half, 2 two
    bool binary = true;
    bool parityCheck = false;
    bool outxCtsFlow = false;
    bool outxDsrFlow = false;
    uint8_t dtrControl = Enable;
    bool dsrSensitivity = false;
    bool txContinueOnXoff = true;
    bool outX = false;
    bool inX = false;
    bool nullStrip = false;
    uint8_t rtsControl = Enable;
    uint16_t xonLimit = 0;
    uint16_t xoffLimit = 0;
    uint8_t xonChar = 17;
    uint8_t xoffChar = 19;

    bool operator==(const TPxLineBlock&) const = default;
};

// Stop-bit codes of the line block.
constexpr uint8_t kOneStopBit = 0;
constexpr uint8_t kOne5StopBits = 1;
constexpr uint8_t kTwoStopBits = 2;

// Result of the driver's status query.
struct TPxDeviceStatus {
    uint32_t inQueue = 0;   // bytes waiting in the driver's input queue
    uint32_t outQueue = 0;  // bytes waiting to be sent
};

// A handler called directly in the dispatch thread. lParam carries the
// dispatcher's handle in its high 16 bits.
using TPxTriggerProc = void (*)(uint32_t msg, uint32_t wParam, uint32_t lParam);
// A handler with user data; as a method it runs in the owner's thread.
using TPxTriggerMethod = void (*)(void* data, uint32_t msg, uint32_t wParam, uint32_t lParam);

// A window that receives trigger messages in the application's thread.
class TPxMessageWindow {
public:
    virtual ~TPxMessageWindow() = default;
    virtual void handleMessage(uint32_t msg, uint32_t wParam, uint32_t lParam) = 0;
};

}  // namespace px
