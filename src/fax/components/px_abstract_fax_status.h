// The status display a fax component reports to on every status message:
// the first report opens it, the last closes it, the others refresh it.
//
// This layer turns the component's read-only state into the texts a display
// shows and keeps the two clocks a display needs (the call's elapsed time and
// the redial count-down); the windows that show them live above it.
#pragma once

#include <cstdint>
#include <string>

#include "comms/px_clock.h"

namespace px {

class TPxAbstractFax;

// One refresh of a status display, as texts.
struct TFaxStatusValues {
    std::string phoneNumber;
    std::string faxFile;
    std::string coverFile;
    std::string totalPages;
    std::string dialAttempt;
    std::string remoteId;
    std::string connectBps;
    std::string resolution;
    std::string width;
    std::string errorControl;
    std::string currentPage;
    std::string pageLength;
    std::string bytesTransferred;
    std::string elapsedTime;
    std::string statusText;
    // Receive sessions have no page length to measure progress against.
    bool receiving = false;
    int pageProgress = 0;  // percent of the page sent, 0..100
};

class TPxAbstractFaxStatus {
public:
    explicit TPxAbstractFaxStatus(TPxClock& clock = TPxSystemClock::instance());
    virtual ~TPxAbstractFaxStatus();
    TPxAbstractFaxStatus(const TPxAbstractFaxStatus&) = delete;
    TPxAbstractFaxStatus& operator=(const TPxAbstractFaxStatus&) = delete;

    // The fax this display belongs to; linking one side links the other (the
    // fax's StatusDisplay), and a display serves one fax at a time.
    TPxAbstractFax* Fax() const { return fax_; }
    void setFax(TPxAbstractFax* fax);

    // A status report of the linked fax (called on the application's thread
    // while the session waits for it).
    void UpdateDisplay(bool first, bool last);

    // The texts for the fax's present state; advances the clocks.
    TFaxStatusValues currentValues();

    // "mm:ss" of a number of seconds.
    static std::string minutesSeconds(uint32_t seconds);

protected:
    // Creates and shows the display (first report).
    virtual void openDisplay() = 0;
    // Shows new values.
    virtual void refreshDisplay(const TFaxStatusValues& values) = 0;
    // Destroys the display (last report).
    virtual void closeDisplay() = 0;

private:
    friend class TPxAbstractFax;
    void resetClocks();

    TPxAbstractFax* fax_ = nullptr;
    TPxClock& clock_;
    bool timing_ = false;
    uint32_t timingStart_ = 0;
    bool redialWaiting_ = false;
    uint32_t redialStart_ = 0;
};

}  // namespace px
