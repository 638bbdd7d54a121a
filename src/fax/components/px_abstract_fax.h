// What the send and receive components share: the fax settings, the session
// records, the port checks and the engine's messages turned into events on
// the application's thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "comms/px_base_component.h"
#include "comms/px_com_port.h"
#include "fax/engine/px_dispatcher_fax_line.h"
#include "fax/engine/px_fax_client.h"
#include "fax/engine/px_fax_session.h"

namespace px {

class TPxFaxLog;
class TPxAbstractFax;
class TPxAbstractFaxStatus;

using TFaxStatusEvent = std::function<void(TPxAbstractFax& cp, bool first, bool last)>;
using TFaxLogEvent = std::function<void(TPxAbstractFax& cp, int logCode)>;
using TFaxErrorEvent = std::function<void(TPxAbstractFax& cp, int errorCode)>;
using TFaxFinishEvent = std::function<void(TPxAbstractFax& cp, int errorCode)>;

constexpr uint32_t kDetectedClass1 = fcbClass1;
constexpr uint32_t kDetectedClass2 = fcbClass2;
constexpr uint32_t kDetectedClass2_0 = fcbClass2_0;

class TPxAbstractFax : public TPxBaseComponent, public TPxFaxClient {
public:
    TPxAbstractFax();
    ~TPxAbstractFax() override;
    TPxAbstractFax(const TPxAbstractFax&) = delete;
    TPxAbstractFax& operator=(const TPxAbstractFax&) = delete;

    // --- Published properties.
    uint32_t InitBaud = 0;
    uint32_t NormalBaud = 0;
    TFaxClass FaxClass = TFaxClass::fcDetect;
    std::string StationID;
    std::string FaxFile;
    bool AbortNoConnect = false;
    bool ExitOnError = false;
    bool SoftwareFlow = false;
    uint16_t StatusInterval = 1;
    uint16_t DesiredBPS = 9600;
    bool DesiredECM = false;
    std::string FaxFileExt = "APF";
    TPxFaxLog* FaxLog = nullptr;
    TFaxStatusEvent OnFaxStatus;
    TFaxLogEvent OnFaxLog;
    TFaxErrorEvent OnFaxError;
    TFaxFinishEvent OnFaxFinish;

    std::string ModemInit() const { return modemInit_; }
    void setModemInit(const std::string& text) { modemInit_ = normaliseModemString(text); }
    TPxComPort* ComPort() const { return port_; }
    // The display that shows this fax's status reports; linking one side
    // links the other (the display's Fax).
    TPxAbstractFaxStatus* StatusDisplay() const { return statusDisplay_; }
    void setStatusDisplay(TPxAbstractFaxStatus* display);
    // Links the port and forces the line settings a fax session needs.
    void setComPort(TPxComPort* port);

    // --- Operations and read-only state.
    void AbortFax();
    bool Running() const;
    // Lets go of the port's dispatcher. The dispatcher goes when the port
    // closes, so whoever closes the port calls this first; a session still
    // running then ends without further reports.
    void ReleaseLine();
    static std::string ProgressText(int code);
    int ProgressCode() const;
    int LastErrorCode() const { return lastError_; }
    std::string RemoteStationID() const;
    // Bits kDetectedClass1, kDetectedClass2, kDetectedClass2_0.
    uint32_t DetectedClasses() const { return detected_; }
    // Asks the modem on the linked, open port which fax classes it lists and
    // remembers the answer for later sessions: the same bits as
    // DetectedClasses (0 when the modem lists none or does not answer). The
    // port's events keep running meanwhile. Raises the starting checks'
    // errors, and EFaxSessionError while a session runs.
    uint32_t DetectFaxClasses();
    int PageNumber() const;
    int PageCount() const;
    uint32_t PageBytes() const;
    uint32_t BytesDone() const;
    uint32_t NegotiatedBPS() const;
    bool NegotiatedFine() const;
    bool NegotiatedWide() const;
    bool NegotiatedECM() const;
    int RemoteHangupCode() const;
    // The phone number of the current job (for the history and displays).
    virtual std::string CurrentPhoneNumber() const { return {}; }
    // The files of the running (or last) session: FaxFile and no cover
    // before the first session.
    std::string CurrentFaxFile() const;
    std::string CurrentCoverFile() const;

protected:
    using SessionMaker = std::function<std::unique_ptr<TPxFaxSession>(TPxFaxLine&)>;
    // The starting checks: EPortNotAssigned, ECannotUseWithWinSock,
    // EOutputBufferTooSmall.
    void checkPort() const;
    // Checks the port and starts the session `make` builds on the port's line.
    void beginSession(const SessionMaker& make);
    void applySettings(TPxFaxSession& s) const;
    // Runs fn on the application's thread, waiting up to 1000 ms; true when
    // it has run to its end by then. A call that has not may still run
    // later, so it must own (or share) everything it touches.
    bool deliver(std::function<void()> fn);
    // A value of the session records, `none` before the first session.
    template <typename T, typename Read>
    T sessionValue(Read read, T none) const {
        std::lock_guard lock(mutex_);
        return session_ ? read(*session_) : none;
    }

    // TPxFaxClient, called from the dispatch thread.
    void status(bool first, bool last) override;
    void log(int logCode) override;
    void error(int code) override;
    void finish(int code) override;
    virtual void finished(int code);

    TPxComPort* port_ = nullptr;
    TPxAbstractFaxStatus* statusDisplay_ = nullptr;
    std::unique_ptr<TPxFaxSession> session_;
    std::unique_ptr<TPxDispatcherFaxLine> line_;
    std::string modemInit_;
    TPxModemRecord modem_;  // survives between sessions (initialised flag)
    std::atomic<int> lastError_ = 0;
    std::atomic<uint32_t> detected_ = 0;
    mutable std::recursive_mutex mutex_;
};

}  // namespace px
