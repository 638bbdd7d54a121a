// The remote fax machine: spandsp's T.30 fax terminal with its own modems,
// sending a TIFF file or receiving into one.
#pragma once

#include <spandsp.h>

#include <cstdint>
#include <functional>
#include <string>

#include "audio_endpoint.h"
#include "call_report.h"
#include "carrier_gate.h"
#include "line_faults.h"

namespace px {

struct TerminalConfig {
    std::string ident = "PARVEX REMOTE";
    int maxRate = 14400;  // 2400, 4800, 7200, 9600, 12000 or 14400
    bool fine = true;     // false: standard resolution only
    bool ecm = false;
    bool oneDimensional = false;  // offer T.4 1D coding only (no 2D, no T.6)
    int minScanMs = 0;            // as receiver: the minimum scan time its DIS asks for
    std::string txFile;           // send this TIFF (calling or answering)
    std::string rxFile;           // receive into this TIFF
    int hangupAfterPage = 0;      // drop the line after this many pages (0: never)
    int hangupInPage = 0;         // drop the line in the middle of this page (0: never)
    int trainFailures = 0;        // as receiver: answer the first N training checks with FTT
    int rtnPage = 0;              // as receiver: answer this page with RTN (0: never)
    LineFaults faults;            // faults aimed at single frames
    bool verbose = false;         // spandsp's own T.30 log on stderr
};

// spandsp modem set for a top speed: V.27ter covers 2400/4800, V.29 7200/9600,
// V.17 up to 14400.
int supportedModemsFor(int maxRate);

class FaxTerminal : public AudioEndpoint {
public:
    FaxTerminal(bool calling, const TerminalConfig& config);
    ~FaxTerminal() override;
    FaxTerminal(const FaxTerminal&) = delete;
    FaxTerminal& operator=(const FaxTerminal&) = delete;

    void transmit(int16_t* amp, int len) override;
    void receive(int16_t* amp, int len) override;

    // Phase E reached: the call is over as far as T.30 is concerned.
    bool finished() const { return finished_; }
    // The far end put the phone down abruptly (hang-up conditions), and when.
    bool droppedLine() const { return dropped_; }
    const std::string& dropReason() const { return dropReason_; }
    // Ends the call at once, as when the line is cut; phase E follows.
    void terminate();
    const CallReport& report() const { return report_; }
    bool calling() const { return calling_; }

    // Hooks for a fax modem built on this terminal: phase B (DIS or DCS
    // received; the hook may block while the line stands still) and every
    // HDLC frame on the line.
    using PhaseBHook = std::function<int(int frameType)>;
    using FrameHook = std::function<void(bool incoming, const uint8_t* msg, int len)>;
    void setPhaseBHook(PhaseBHook hook) { phaseBHook_ = std::move(hook); }
    void setFrameHook(FrameHook hook);
    void setTxFile(const std::string& path);
    t30_state_t* t30() { return fax_get_t30_state(fax_); }

private:
    static void phaseE(t30_state_t* s, void* user, int completion);
    static int phaseD(t30_state_t* s, void* user, int result);
    static int phaseB(t30_state_t* s, void* user, int result);
    static void frame(t30_state_t* s, void* user, int incoming, const uint8_t* msg, int len);
    // Sits between spandsp's T.30 engine and its HDLC transmitter, where the
    // answers a condition asks for replace the engine's own.
    static void sendHdlc(void* user, const uint8_t* msg, int len);
    void frameOnLine(bool incoming, uint8_t fcf);
    void countPageSignal(const int16_t* amp, int len);
    // Between spandsp's HDLC receiver and its T.30 engine: our frames that a
    // condition damages reach the engine as frames with a bad FCS.
    static void receivedHdlc(void* user, const uint8_t* msg, int len, int ok);
    // Whether the received audio is a training check the far end must not hear.
    bool deafToTraining(int len);
    void drop(const std::string& why);

    fax_state_t* fax_ = nullptr;
    TerminalConfig config_;
    bool calling_;
    bool finished_ = false;
    bool dropped_ = false;
    std::string dropReason_;
    CallReport report_;
    CarrierGate gate_;
    t30_send_hdlc_handler_t* engineSendHdlc_ = nullptr;
    void* engineSendHdlcUser_ = nullptr;
    int trainFailuresLeft_ = 0;
    int confirmationsSent_ = 0;  // MCF (or RTN in its place) for non-ECM pages
    int pagesConfirmed_ = 0;     // pages the far end of the document has confirmed
    bool inPage_ = false;        // page data of the hang-up page is on the line
    int pageSignal_ = 0;         // samples of it heard so far
    hdlc_frame_handler_t engineReceivedHdlc_ = nullptr;
    void* engineReceivedHdlcUser_ = nullptr;
    int remoteFrames_ = 0;        // frames the far end has put on the line
    int localFrames_ = 0;         // good frames of ours the far end has heard
    bool damagePending_ = false;  // the far end's frame in the transmitter gets a bad FCS
    bool muted_ = false;          // the far end's transmitter is silenced on the line
    int tcfSilenceLeft_ = 0;
    int deafSamples_ = 0;  // samples of received audio still replaced by silence
    // Our DCS went out with a training check to be put on the line as
    // silence; set while that check is being sent.
    bool silentTcfPending_ = false;
    bool silentTcfSending_ = false;
    int dcnLeft_ = 0;
    PhaseBHook phaseBHook_;
    FrameHook frameHook_;
};

}  // namespace px
