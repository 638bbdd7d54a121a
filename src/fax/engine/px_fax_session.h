// What the transmit and receive machines share: the session and modem
// records, the AT and frame helpers, response collection, class detection,
// modem initialisation, the header line, hang-up and the reports to the
// component.
//
// Error codes. The engine keeps the convention of the layers below it
// (common/px_errors.h): a code is an ErrorCode, 0 (ecOK) is success and a
// failure is a negative integer whose magnitude selects the row of the error
// texts. Every engine function that returns a code returns it so, codes from
// the serial, APF and text layers are passed on unchanged, and only negative
// codes reach the component (TPxFaxClient::error and finish, errorCode). A
// function that can only succeed or fail returns bool and leaves the code to
// its caller.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/px_errors.h"
#include "common/px_limits.h"
#include "fax/engine/px_fax_client.h"
#include "fax/engine/px_fax_line.h"
#include "fax/engine/px_fax_timing.h"
#include "fax/engine/px_fax_types.h"
#include "fax/engine/px_hdlc_frame.h"
#include "fax/engine/px_modem_result.h"
#include "fax/engine/px_response_collector.h"

namespace px {

// The Class 2 / 2.0 command words ("AT+F" and the word); the result words
// are in the table of px_modem_result.cpp.
struct TPxClass2Vocabulary {
    std::string classSelect = "CLASS=2";
    std::string sessionParams = "DIS";
    std::string localId = "LID";
    std::string capabilities = "DCC";

    static TPxClass2Vocabulary forClass(TFaxClass faxClass);
};

struct TPxModemRecord {
    bool toneDial = true;
    bool blindDial = false;
    bool detectBusy = true;
    uint32_t desiredBps = 9600;
    char ecm = '0';
    char faxAndData = '0';
    int answerOnRing = 1;
    int32_t responseTimeout = kResponseWait;
    int32_t dataTimeout = kDataWait;
    int32_t dialWait = kDialWait;
    uint32_t initBaud = 0;
    uint32_t normalBaud = 0;
    bool initialised = false;
    std::string userInit;
    TPxClass2Vocabulary vocabulary;
    int speedIndex = 2;
    std::array<bool, kSpeedCount + 1> speeds{};
    // Negotiated.
    bool fine = false;
    bool wide = false;
    int scanCode = 0;
    bool negotiatedEcm = false;
    int hangupCode = 0;

    std::string defaultInit() const;
};

// The longest modem string (init strings, dial prefix) the engine sends is
// kModemStringLength.
// The modem string as stored: upper case, "AT" in front when missing.
std::string normaliseModemString(const std::string& text);

// Substitutes the "$" words of a header line.
struct TPxHeaderValues {
    std::string date, time, stationId, sender, recipient, title;
    int totalPages = 0;
    int pageNumber = 0;
};
std::string substituteHeader(const std::string& line, const TPxHeaderValues& values);

// Class 2 BR digit of a speed, and back.
char class2SpeedDigit(uint32_t bps);
uint32_t class2DigitSpeed(char digit);
// Reads a Class 2 negotiated-parameters result ("1,5,0,2,0,0,0,0").
void parseClass2Params(const std::string& params, TPxModemRecord& modem);

class TPxFaxSession {
public:
    TPxFaxSession(TPxFaxLine& line, TPxFaxClient& client);
    virtual ~TPxFaxSession() = default;
    TPxFaxSession(const TPxFaxSession&) = delete;
    TPxFaxSession& operator=(const TPxFaxSession&) = delete;

    // Runs the direction's preparation and, without error, the first step.
    // Returns the error that kept the session from starting (ecOK when
    // running); when not running the finish has been reported already.
    ErrorCode start();
    // One event for the running machine (data, timers, output, abort).
    void handleEvent(TFaxEvent event);
    bool finished() const { return finished_; }

    // --- Common record (public: the component reads and sets these).
    int statusInterval = 1;
    int dialAttempts = 3;
    int dialAttempt = 0;
    int32_t dialRetryWait = kDialRetryWait;
    uint32_t options = 0;
    int progress = 0;
    ErrorCode errorCode = ecOK;
    int currentPage = 0;
    int totalPages = 0;
    uint32_t pageBytesSent = 0;
    uint32_t pageLength = 0;
    bool hasCover = false;
    int coverPages = 0;
    TFaxClass faxClass = TFaxClass::fcDetect;
    std::string stationId;
    std::string remoteId;
    std::string faxFile;
    std::string coverFile;
    std::string phoneNumber;
    std::string faxFileExt = "APF";
    std::string headerSender, headerRecipient, headerTitle;
    uint32_t detectedClasses = 0;  // TFaxClassBits of the classes the modem lists
    TPxModemRecord modem;

    // --- Helpers (public for the tests of the modem talk).
    bool commandAndAwaitOK(const std::string& command);
    // Detects the fax class; fcUnknown when none is supported.
    TFaxClass detectClass();
    // Probes the Class 1 speeds with "AT+FTM=?" or "AT+FRM=?".
    bool probeSpeeds(bool transmit);
    // Sends the user and default init strings once; false on failure.
    bool initModem();

protected:
    uint64_t bytesWritten_ = 0;
    virtual bool prepare() = 0;
    virtual void step(TFaxEvent event) = 0;
    virtual void enterAbort() = 0;

    void writeAtCommand(const std::string& text);
    void writeModulationCommand(const std::string& text);
    void listenForFrames();
    void talkFrames();
    void restartResponseWait();
    void writeFrame(const TPxFrameBody& body, bool final);
    void writeBytes(const uint8_t* data, size_t size);
    void writeText(const std::string& text);
    // Writes with every DLE doubled.
    void writeStuffed(const uint8_t* data, size_t size);
    void writeDleEtx();
    void switchLineRate(bool toNormal);
    void hangUpLine();
    // Class 1, with the far end still on the line: DCN before the hang-up
    // (T.30 5.3.6.1.9), so that it does not wait out its own time-outs.
    void sendDcnBeforeHangUp();
    // Octets written to the modem since the session began.
    uint64_t bytesWritten() const { return bytesWritten_; }
    void pause(uint32_t ms) { line_.clock().sleep(ms); }

    bool isClass1() const { return faxClass == TFaxClass::fcClass1; }
    // The result the last complete line is, in this session's fax class.
    TModemResult lineResult() const { return modemResult(collector_.line(), faxClass); }
    bool lineIs(TModemResult word) const { return lineResult() == word; }
    bool lineIsError() const { return isErrorResult(lineResult()); }
    // A Class 2 / 2.0 command: "AT+F" and the word.
    static std::string c2(const std::string& word) { return "AT+F" + word; }
    // A Class 2 / 2.0 hang-up result ("+FHNG" / "+FHS"): stores its code;
    // true when the line is one.
    bool noteHangup(const std::string& text);

    // Reports.
    void reportStatus(bool first = false, bool last = false);
    // `code` is negative (see the convention above).
    void reportError(ErrorCode code);
    void reportLog(int code);
    void reportFinish();
    void setProgress(int code) { progress = code; }

    TPxFaxLine& line_;
    TPxFaxClient& client_;
    TPxResponseCollector collector_;
    bool firstStatusSent_ = false;
    bool statusNow_ = false;
    bool finished_ = false;
    bool running_ = false;
    // The answer line of the last commandAndAwaitOK.
    std::string lastReply_;
};

}  // namespace px
