// TPxBaseDispatcher: the modem status byte and the accumulated line errors.
#include "comms/px_base_dispatcher.h"

namespace px {

uint8_t TPxBaseDispatcher::readModemStatus(uint8_t keep) {
    std::lock_guard lock(lineLock_);
    const uint8_t old = modemStatus_;
    const uint8_t levels = readModemLines() & msLevels;
    uint8_t deltas = old & msDeltas;
    const uint8_t changed = (old ^ levels) & msLevels;
    if (changed & msCts) {
        deltas |= msDeltaCts;
    }
    if (changed & msDsr) {
        deltas |= msDeltaDsr;
    }
    if (changed & msDcd) {
        deltas |= msDeltaDcd;
    }
    if ((old & msRi) && !(levels & msRi)) {
        deltas |= msTrailingRi;
    }
    if (ringEdgePending_.exchange(false)) {
        deltas |= msTrailingRi;
    }
    const uint8_t status = static_cast<uint8_t>(levels | deltas);
    modemStatus_ = static_cast<uint8_t>(status & keep);
    return status;
}

int TPxBaseDispatcher::takeLineError() {
    uint32_t errors = lineErrors_;
    int found = lerNone;
    if (errors & leOverflow) {
        found = lerOverflow;
    } else if (errors & leOverrun) {
        found = lerOverrun;
    } else if (errors & leParity) {
        found = lerParity;
    } else if (errors & leFraming) {
        found = lerFraming;
    } else if (errors & leBreak) {
        found = lerBreak;
    }
    if (found != lerNone) {
        lineErrors_ &= ~leErrors;
    }
    return found;
}

bool TPxBaseDispatcher::takeLineBreak() {
    return (lineErrors_.fetch_and(~leBreak) & leBreak) != 0;
}

}  // namespace px
