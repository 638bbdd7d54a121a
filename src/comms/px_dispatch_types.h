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

// A trigger message's lParam: the message's own value in the low word, the
// dispatcher's handle (its index in the port table) in the high word.
constexpr uint32_t kLParamPortShift = 16;
constexpr uint32_t kLParamDataMask = 0xFFFF;
constexpr uint32_t makeLParam(uint16_t data, int dispatcherHandle) {
    return data | static_cast<uint32_t>(dispatcherHandle) << kLParamPortShift;
}
constexpr int lParamPort(uint32_t lParam) {
    return static_cast<int>(lParam >> kLParamPortShift);
}
constexpr uint16_t lParamData(uint32_t lParam) {
    return static_cast<uint16_t>(lParam & kLParamDataMask);
}

// Handler calls to windows give up after this long (the window may be hung).
constexpr int kWindowSendTimeoutMs = 3000;

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
constexpr uint32_t evLineErrors = evErr | evBreak;

// Modem status byte: current levels in the high nibble, changes in the low.
constexpr uint8_t msDeltaCts = 0x01;
constexpr uint8_t msDeltaDsr = 0x02;
constexpr uint8_t msTrailingRi = 0x04;
constexpr uint8_t msDeltaDcd = 0x08;
constexpr uint8_t msCts = 0x10;
constexpr uint8_t msDsr = 0x20;
constexpr uint8_t msRi = 0x40;
constexpr uint8_t msDcd = 0x80;
constexpr uint8_t msDeltas = msDeltaCts | msDeltaDsr | msTrailingRi | msDeltaDcd;
constexpr uint8_t msLevels = msCts | msDsr | msRi | msDcd;
// What readModemStatus leaves of the change bits: all of them, or none.
constexpr uint8_t kKeepModemDeltas = msLevels | msDeltas;
constexpr uint8_t kClearModemDeltas = msLevels;

// Accumulated line error flags.
constexpr uint32_t leOverflow = 0x01;
constexpr uint32_t leOverrun = 0x02;
constexpr uint32_t leParity = 0x04;
constexpr uint32_t leFraming = 0x08;
constexpr uint32_t leBreak = 0x10;
// The errors TakeLineError reports and clears (a break is taken on its own).
constexpr uint32_t leErrors = leOverflow | leOverrun | leParity | leFraming;

// What a line-error status trigger is armed with: the errors to watch, each
// one place below its line error flag.
constexpr uint32_t leWatchOverrun = 0x01;
constexpr uint32_t leWatchParity = 0x02;
constexpr uint32_t leWatchFraming = 0x04;
constexpr uint32_t leWatchBreak = 0x08;
constexpr uint32_t leWatchAll = leWatchOverrun | leWatchParity | leWatchFraming | leWatchBreak;
constexpr uint32_t lineErrorWatchFlags(uint32_t watch) {
    return (watch & leWatchAll) << 1;
}
static_assert(lineErrorWatchFlags(leWatchOverrun) == leOverrun &&
              lineErrorWatchFlags(leWatchParity) == leParity &&
              lineErrorWatchFlags(leWatchFraming) == leFraming &&
              lineErrorWatchFlags(leWatchBreak) == leBreak);

// Results of TakeLineError.
constexpr int lerNone = 0;
constexpr int lerOverflow = 1;
constexpr int lerOverrun = 2;
constexpr int lerParity = 3;
constexpr int lerFraming = 4;
constexpr int lerBreak = 9;

// Status trigger kinds.
constexpr int stModem = 1;
constexpr int stLine = 2;
constexpr int stOutFree = 3;
constexpr int stOutUsed = 4;
constexpr int stOutSent = 5;

// Trigger handles are multiples of 8, made from a seed (1, 2, 3, ...); a
// status trigger's handle carries its kind in the three bits below.
constexpr int kHandleKindBits = 3;
constexpr int32_t kHandleKindMask = (1 << kHandleKindBits) - 1;
static_assert(stOutSent <= kHandleKindMask, "every status kind fits below the handle");
constexpr int32_t handleFromSeed(int32_t seed) {
    return seed << kHandleKindBits;
}
constexpr int32_t seedOfHandle(int32_t handle) {
    return handle >> kHandleKindBits;
}
// The handle without the status kind bits.
constexpr int32_t handleBase(int32_t handle) {
    return handle & ~kHandleKindMask;
}
constexpr int statusKindOf(int32_t handle) {
    return handle & kHandleKindMask;
}

// setDtrLevel, setRtsLevel and setDtrRtsLevels refuse with this (not a
// failure) while hardware flow control drives the line.
constexpr int kLineUnderFlowControl = 1;

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

// The flow-control characters: DC1 (XON) and DC3 (XOFF).
constexpr uint8_t kXonChar = 0x11;
constexpr uint8_t kXoffChar = 0x13;

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

// Handles are issued in sequence this many times before gaps are reused.
constexpr int32_t kSequentialHandles = 4096;

// The avail trigger's fixed handle (never a multiple of 8).
constexpr int32_t kAvailTriggerHandle = 1;

// Size of the receive ring.
constexpr uint32_t kDispatchBufferSize = 8192;
// Longest data-trigger match string (the match progress is kept per position).
constexpr uint32_t kMaxDataTriggerLength = 22;
// Fixed maximum line rate after open.
constexpr uint32_t kMaxBaud = 115200;

enum class TPxQueue { Input, Output };

// What setNotifyMode is told: only recompute the notify flag, or that the
// owner now has event handlers, or that it has none.
enum class TPxNotifyMode { Recompute = 0, OwnerHasEvents = 1, OwnerHasNone = 2 };

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
    uint8_t xonChar = kXonChar;
    uint8_t xoffChar = kXoffChar;

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
