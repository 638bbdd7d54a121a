// The receive machine: waits for rings, answers, negotiates (Class 1 with
// our own T.30 frames, Class 2 and 2.0 through the modem), writes the pages
// into an APF file and ends the call; then waits for the next one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fax/apf/px_apf_writer.h"
#include "fax/engine/px_fax_machine.h"

namespace px {

enum class TFaxReceiveState {
    rfNone,
    rfInit,
    rf1Init1,
    rf2Init1,
    rf2Init1A,
    rf2Init1B,
    rf2Init2,
    rf2Init3,
    rfWaiting,
    rfAnswer,
    rf1SendCSI,
    rf1SendDIS,
    rf1CollFrms,
    rf1CollRtry1,
    rf1CollRtry2,
    rf1StrtTrn,
    rf1CollTrn,
    rf1Timeout,
    rf1Retrain,
    rf1FinTrn,
    rf1SendCFR,
    rf1WtPgCnnct,
    rf2ValCnnct,
    rf2GtSndID,
    rf2GtCnnct,
    rfStartPage,
    rfGtPgDta,
    rf1FinPage,
    rf1WaitEOP,
    rf1WritePage,
    rf1SendMCF,
    rf1WaitDCN,
    rf1WtHngp,
    rf2GtPgRslt,
    rf2GetFHNG,
    rfComplete,
    rfAbort,
    rfDone,
};

constexpr std::array<const char*, 38> kReceiveStateNames = {
    "rfNone",      "rfInit",       "rf1Init1",     "rf2Init1",     "rf2Init1A",   "rf2Init1B",
    "rf2Init2",    "rf2Init3",     "rfWaiting",    "rfAnswer",     "rf1SendCSI",  "rf1SendDIS",
    "rf1CollFrms", "rf1CollRtry1", "rf1CollRtry2", "rf1StrtTrn",   "rf1CollTrn",  "rf1Timeout",
    "rf1Retrain",  "rf1FinTrn",    "rf1SendCFR",   "rf1WtPgCnnct", "rf2ValCnnct", "rf2GtSndID",
    "rf2GtCnnct",  "rfStartPage",  "rfGtPgDta",    "rf1FinPage",   "rf1WaitEOP",  "rf1WritePage",
    "rf1SendMCF",  "rf1WaitDCN",   "rf1WtHngp",    "rf2GtPgRslt",  "rf2GetFHNG",  "rfComplete",
    "rfAbort",     "rfDone"};
static_assert(kReceiveStateNames.size() == static_cast<size_t>(TFaxReceiveState::rfDone) + 1,
              "one name per receive state");
static_assert(
    std::string_view(kReceiveStateNames.front()) == "rfNone" &&
        std::string_view(kReceiveStateNames[static_cast<size_t>(TFaxReceiveState::rf1SendCSI)]) ==
            "rf1SendCSI" &&
        std::string_view(kReceiveStateNames.back()) == "rfDone",
    "the receive state names in the enum's order");

// What the receiver does with the next page; the numbers are the file states
// the receive machine has always used.
enum class TReceiveFileState {
    AddingPages = 2,   // a file is open and the page goes into it
    NewFile = 3,       // the page starts a new file
    DocumentDone = 4,  // the document has ended (Class 2 "+FET:2")
};

// The default name of a received fax: FAXnnnn.EXT in `dir`, the first that
// does not exist, or NONAME.APF when all 9999 do.
std::string defaultReceiveName(const std::string& dir, const std::string& ext);

class TPxFaxReceiver : public TPxFaxMachine<TFaxReceiveState> {
public:
    enum class StartMode { Normal, AnswerNow, ValidateConnection };

    TPxFaxReceiver(TPxFaxLine& line, TPxFaxClient& client);
    ~TPxFaxReceiver() override;

    int pagesReceived() const { return pages_; }
    const std::string& fileName() const { return fileName_; }

    bool oneFax = false;
    bool constantStatus = false;
    std::string destinationDir;
    StartMode startMode = StartMode::Normal;

protected:
    bool prepare() override;
    Flow continuation(TFaxReceiveState s) const override;
    bool readsOnEntry(TFaxReceiveState s) const override;
    void stateAction(TFaxEvent event) override;
    void onTimeout() override;
    void onFrame() override;
    LineUse screenLine(const std::string& text) override;

private:
    // One handler per state, named after it, in the states' order (rf2Init2
    // and rf1Timeout have no step of their own).
    // px_fax_receiver.cpp: the wait for a call, the answer, the end.
    void rfInit();
    void rfWaiting();
    void rfAnswer();
    void rfComplete();
    void rfAbort();
    // px_receive_class1.cpp: set-up, negotiation and page end with our own
    // T.30 frames.
    void rf1Init1();
    void rf1SendCSI();
    void rf1SendDIS();
    void rf1CollFrms();
    void rf1CollRtry1();
    void rf1CollRtry2();
    void rf1StrtTrn();
    void rf1CollTrn(TFaxEvent event);
    void rf1Retrain();
    void rf1FinTrn();
    void rf1SendCFR();
    void rf1WtPgCnnct();
    void rf1FinPage();
    void rf1WaitEOP();
    void rf1WritePage();
    void rf1SendMCF();
    void rf1WaitDCN();
    void rf1WtHngp();
    // px_receive_class2.cpp: set-up, negotiation and page end through the
    // modem's "+F" results.
    void rf2Init1();
    void rf2Init1A();
    void rf2Init1B();
    void rf2Init3();
    void rf2ValCnnct();
    void rf2GtSndID();
    void rf2GtCnnct();
    void rf2GtPgRslt();
    void rf2GetFHNG();
    // px_receive_pages.cpp: the page data and the file, any class.
    void rfStartPage();
    void rfGtPgDta(TFaxEvent event);

    // Enough rings: on to rfAnswer.
    void answerIfRung();
    // Asks the component whether to take the call; a refusal hangs up and
    // goes to rfAbort (false).
    bool acceptCall();
    // Before hanging up a Class 1 call with the caller still on the line:
    // any reception ended, DCN.
    void endClass1Call();
    // Phase B begins: the caller has T.30's T1 from now to send its DCS.
    void startIdentification();
    // T1 has run out without a DCS we could train on.
    bool identificationExpired() const;
    ErrorCode createFile();
    // The page received is added to the file.
    void finishPage();
    // The page received is dropped (a bad page in Class 2).
    void dropPage();
    void closeFile(bool ok);

    TReceiveFileState fileState_ = TReceiveFileState::NewFile;
    int rings_ = 0;
    int retry_ = 0;
    uint32_t trainTotal_ = 0;
    uint32_t trainNonZero_ = 0;
    uint32_t trainStartMs_ = 0;
    uint32_t identificationStartMs_ = 0;
    bool morePages_ = false;
    bool eomReceived_ = false;
    bool finalFrame_ = false;
    bool callUp_ = false;        // a caller is on the line (Class 1)
    bool farEndHungUp_ = false;  // it sent DCN
    uint8_t lastFcf_ = 0;
    std::string frameReceiveCode_ = "24";
    std::string pageReceiveCode_ = "24";
    bool dle_ = false;
    bool pageOpen_ = false;
    std::vector<uint8_t> block_;
    TPxApfWriter writer_;
    bool fileOpen_ = false;
    std::string fileName_;
    int pages_ = 0;
    bool accepted_ = false;
};

}  // namespace px
