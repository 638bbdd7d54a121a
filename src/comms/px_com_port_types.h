// Property types of the com port component.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>

namespace px {

class TPxCustomComPort;

enum TDeviceLayer { dlWin16, dlFossil, dlWin32, dlWinsock };
enum TParity { pNone, pOdd, pEven, pMark, pSpace };
enum THWFlowOptions { hwfUseDTR, hwfUseRTS, hwfRequireDSR, hwfRequireCTS };
enum TSWFlowOptions { swfNone, swfReceive, swfTransmit, swfBoth };
enum TTraceLogState { tlOff, tlOn, tlDump, tlAppend, tlClear, tlPause };
enum TTapiMode { tmNone, tmAuto, tmOn, tmOff };
enum TPortState { psClosed, psClosing, psOpen };

// A set of THWFlowOptions, one bit per option in declaration order (which is
// also the dispatcher's bit order).
class THWFlowOptionSet {
public:
    constexpr THWFlowOptionSet() = default;
    constexpr THWFlowOptionSet(std::initializer_list<THWFlowOptions> options) {
        for (auto o : options)
            bits_ |= bit(o);
    }
    constexpr bool has(THWFlowOptions o) const { return (bits_ & bit(o)) != 0; }
    constexpr void add(THWFlowOptions o) { bits_ |= bit(o); }
    constexpr void remove(THWFlowOptions o) { bits_ &= static_cast<uint8_t>(~bit(o)); }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr uint32_t bits() const { return bits_; }
    constexpr bool operator==(const THWFlowOptionSet&) const = default;

private:
    static constexpr uint8_t bit(THWFlowOptions o) { return static_cast<uint8_t>(1u << o); }
    uint8_t bits_ = 0;
};

using TTriggerEvent =
    std::function<void(TPxCustomComPort& cp, uint16_t msg, uint32_t triggerHandle, uint16_t data)>;
using TTriggerAvailEvent = std::function<void(TPxCustomComPort& cp, uint16_t count)>;
using TTriggerDataEvent = std::function<void(TPxCustomComPort& cp, uint32_t triggerHandle)>;
using TTriggerStatusEvent = std::function<void(TPxCustomComPort& cp, uint32_t triggerHandle)>;
using TTriggerTimerEvent = std::function<void(TPxCustomComPort& cp, uint32_t triggerHandle)>;
using TTriggerLineErrorEvent =
    std::function<void(TPxCustomComPort& cp, uint16_t error, bool lineBreak)>;
using TNotifyEvent = std::function<void(TPxCustomComPort& cp)>;
using TWaitCharEvent = std::function<void(TPxCustomComPort& cp, char c)>;
// A port user's callback: told when the port has opened (true) or is closing.
using TPortCallback = void (*)(TPxCustomComPort& cp, bool opening, void* userData);

}  // namespace px
