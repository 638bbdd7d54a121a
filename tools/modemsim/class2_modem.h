// A Class 2 or Class 2.0 fax modem: the modem runs T.30 itself (spandsp's
// engine with its own modems) and talks to the DTE in "+F" commands and
// results, with page data in DLE-framed blocks.
//
// The simulated line's clock is ours, which allows a modem that buffers:
// - when the DTE sends, the line runs until the far end's DIS has arrived,
//   then stands still while the DTE hands over its pages (each answered at
//   once), then the real exchange runs and its page status and hang-up code
//   are reported;
// - when the DTE receives, the whole call runs first, faster than real time,
//   and its results are then played to the DTE.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "at_command_line.h"
#include "fax_terminal.h"
#include "pty_port.h"
#include "sim_modem.h"

namespace px {

// The words that differ between Class 2 and Class 2.0.
struct Class2Vocabulary {
    bool is20;
    const char* classValue;  // "2" / "2.0"
    const char* dis;         // "DIS" / "IS": session parameters
    const char* dcc;         // "DCC" / "CC": capabilities
    const char* lid;         // "LID" / "LI": local ID
    const char* con;         // "CON" / "CO"
    const char* dcs;         // "DCS" / "CS"
    const char* tsi;         // "TSI" / "TI"
    const char* csi;         // "CSI" / "CI"
    const char* pts;         // "PTS" / "PS"
    const char* hng;         // "HNG" / "HS"

    static const Class2Vocabulary& of(bool is20);
};

// Session parameters vr,br,wd,ln,df,ec,bf,st.
struct FaxParameters {
    int vr = 1;  // 0 standard, 1 fine
    int br = 5;  // 0..5: 2400..14400
    int wd = 0;
    int ln = 2;
    int df = 0;
    int ec = 0;
    int bf = 0;
    int st = 0;

    std::string format() const;
    // Reads as many fields as given; false when a field is not a number.
    bool parse(const std::string& text);
    int bitRate() const;
    static int brForRate(int bps);
};

// The remote capabilities in a received DIS frame (address, control and FCF
// first, then the information field as on the line).
FaxParameters parametersFromDis(const uint8_t* frame, int len);
// T.32 hang-up code for a T.30 completion code.
int hangupCode(int completion, bool transmitting);

class Class2Modem : public SimModem {
public:
    Class2Modem(PtyPort& port, LineListener& listener, bool class20, bool verbose);
    ~Class2Modem() override;
    Class2Modem(const Class2Modem&) = delete;
    Class2Modem& operator=(const Class2Modem&) = delete;

    void fromDte(const uint8_t* data, std::size_t len) override;
    bool acceptsDteData() const override { return !silenced_; }
    void ring() override;
    void callConnected() override;
    void callAnswered() override;
    void callFailed(CallFailure failure) override;
    void lineDropped() override;
    void idle(int samples) override;
    void silence() override { silenced_ = true; }
    const std::string& name() const override { return port_.name(); }
    AudioEndpoint* answerOffline() override;
    bool offlineDone() const override;
    // A sending call needs the DTE only while the line stands still.
    bool needsRealTime() const override { return call_ != Call::Sending; }
    bool busy() const override { return call_ != Call::None; }

    void transmit(int16_t* amp, int len) override;
    void receive(int16_t* amp, int len) override;

private:
    enum class Call { None, Dialling, Sending, Receiving };

    void commandLine(const std::string& line);
    // Returns false for ERROR.
    bool execute(const AtCommand& cmd);
    bool faxCommand(const AtCommand& cmd, const std::string& word);
    void respond(const std::string& text);
    void result(bool ok);
    void dataFromDte(uint8_t byte);
    void pageFromDteDone(char end);
    TerminalConfig sessionConfig() const;
    void resetSession();
    void hangUp(bool byDte);
    void runEngineOnSilence();
    std::string hangupText(int code) const;

    // Transmit.
    int onDis(int frameType);
    void serveDteWhileLineStandsStill();
    void startPageTransfer();
    std::size_t pageDataAllowance() const;
    void handOverPages();
    void reportTransmitResult();

    // Receive.
    void sendNextReceivedPage();

    PtyPort& port_;
    LineListener& listener_;
    const Class2Vocabulary& words_;
    bool verbose_;
    bool echo_ = true;
    bool verboseResults_ = true;
    bool quiet_ = false;
    bool silenced_ = false;
    std::map<int, int> sRegisters_;
    std::string lineBuffer_;
    std::map<std::string, std::string> settings_;  // other +F parameters, as set
    std::string localId_;
    FaxParameters dteParams_;     // +FDIS / +FIS
    FaxParameters capabilities_;  // +FDCC / +FCC
    FaxParameters remote_;        // from the far end's DIS
    FaxParameters session_;       // negotiated for the page
    bool haveDis_ = false;
    int rings_ = 0;

    Call call_ = Call::None;
    bool dataConnected_ = false;  // a data call taken by adaptive answer
    std::unique_ptr<FaxTerminal> engine_;
    std::string workDir_;
    // DTE → modem page data.
    bool dataMode_ = false;
    bool afterDle_ = false;
    std::vector<uint8_t> page_;
    std::vector<std::vector<uint8_t>> pagesToSend_;
    std::vector<FaxParameters> pageParams_;  // each page's resolution and width
    bool pagesDone_ = false;
    std::chrono::steady_clock::time_point dataStart_;
    std::size_t dataTaken_ = 0;
    bool handedOver_ = false;
    bool lastPageEndedDocument_ = false;
    bool resultReported_ = false;
    // Modem → DTE pages of a received call.
    std::vector<std::vector<uint8_t>> received_;
    std::vector<int> postPage_;  // +FET value of each page the far end sent
    std::size_t pagesPlayed_ = 0;
    bool awaitingDc2_ = false;
    bool documentDone_ = false;
    int receiveCompletion_ = 0;
};

}  // namespace px
