#include "fax/components/px_abstract_fax_status.h"

#include <algorithm>
#include <cstdio>

#include "fax/components/px_abstract_fax.h"
#include "fax/components/px_receive_fax.h"
#include "fax/components/px_send_fax.h"
#include "fax/engine/px_fax_types.h"

namespace px {

namespace {

// The file name without its folder: a status window has room for the name only.
std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool startsCallTiming(int progress) {
    return progress == fpSessionParams || progress == fpGotRemoteID;
}

bool endsCallTiming(int progress) {
    return progress == fpGotHangup || progress == fpCancel || progress == fpFinished;
}

}  // namespace

TPxAbstractFaxStatus::TPxAbstractFaxStatus(TPxClock& clock) : clock_(clock) {}

TPxAbstractFaxStatus::~TPxAbstractFaxStatus() {
    setFax(nullptr);
}

void TPxAbstractFaxStatus::setFax(TPxAbstractFax* fax) {
    if (fax == fax_) {
        return;
    }
    if (fax_ != nullptr) {
        TPxAbstractFax* old = fax_;
        fax_ = nullptr;
        old->setStatusDisplay(nullptr);
    }
    fax_ = fax;
    if (fax != nullptr) {
        fax->setStatusDisplay(this);
    }
}

void TPxAbstractFaxStatus::resetClocks() {
    timing_ = false;
    redialWaiting_ = false;
}

std::string TPxAbstractFaxStatus::minutesSeconds(uint32_t seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u", seconds / 60, seconds % 60);
    return text;
}

void TPxAbstractFaxStatus::UpdateDisplay(bool first, bool last) {
    if (fax_ == nullptr) {
        return;
    }
    if (first) {
        resetClocks();
        openDisplay();
        // Shown at once with the state of the start rather than blank until
        // the next report a second later.
        refreshDisplay(currentValues());
    } else if (last) {
        resetClocks();
        closeDisplay();
    } else {
        refreshDisplay(currentValues());
    }
}

TFaxStatusValues TPxAbstractFaxStatus::currentValues() {
    TFaxStatusValues v;
    if (fax_ == nullptr) {
        return v;
    }
    const TPxAbstractFax& fax = *fax_;
    const auto* send = dynamic_cast<const TPxSendFax*>(&fax);
    const int progress = fax.ProgressCode();
    const uint32_t now = clock_.milliseconds();

    if (startsCallTiming(progress) && !timing_) {
        timing_ = true;
        timingStart_ = now;
    } else if (endsCallTiming(progress)) {
        timing_ = false;
    }
    v.elapsedTime = minutesSeconds(timing_ ? (now - timingStart_) / 1000 : 0);

    v.statusText = TPxAbstractFax::ProgressText(progress);
    if (progress == fpBusyWait) {
        if (!redialWaiting_) {
            redialWaiting_ = true;
            redialStart_ = now;
        }
        const uint32_t wait = send != nullptr ? send->DialRetryWait : 0;
        const uint32_t waited = (now - redialStart_) / 1000;
        v.statusText += " " + std::to_string(wait > waited ? wait - waited : 0);
    } else {
        redialWaiting_ = false;
    }

    v.receiving = dynamic_cast<const TPxReceiveFax*>(&fax) != nullptr;
    v.phoneNumber = fax.CurrentPhoneNumber();
    v.faxFile = baseName(fax.CurrentFaxFile());
    v.coverFile = baseName(fax.CurrentCoverFile());
    v.totalPages = std::to_string(fax.PageCount());
    v.dialAttempt = send != nullptr ? std::to_string(send->DialAttempt()) : "1";
    v.remoteId = fax.RemoteStationID();
    v.connectBps = std::to_string(fax.NegotiatedBPS());
    v.resolution = fax.NegotiatedFine() ? "Fine" : "Standard";
    v.width = fax.NegotiatedWide() ? "Wide" : "Normal";
    v.errorControl = fax.NegotiatedECM() ? "On" : "Off";
    const int page = fax.PageNumber();
    // Page 0 of a send is its cover; a receive counts from its first page.
    v.currentPage = page == 0 && !v.receiving ? "<cover page>" : std::to_string(page);
    const uint32_t length = fax.PageBytes();
    const uint32_t done = fax.BytesDone();
    v.pageLength = std::to_string(length);
    v.bytesTransferred = std::to_string(done);
    if (!v.receiving && length > 0) {
        v.pageProgress = static_cast<int>(std::min<uint64_t>(100, uint64_t{done} * 100 / length));
    }
    return v;
}

}  // namespace px
