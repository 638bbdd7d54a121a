// The transmit machine: one or more faxes per session, each dialled with
// redial on busy, negotiated (Class 1 with our own T.30 frames, Class 2 and
// 2.0 through the modem), sent page by page with a header line, and ended.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fax/apf/px_apf_reader.h"
#include "fax/engine/px_fax_machine.h"
#include "fax/t4/px_custom_text_reader.h"

namespace px {

enum class TFaxTransmitState {
    tfNone,
    tfGetEntry,
    tfInit,
    tf1Init1,
    tf2Init1,
    tf2Init1A,
    tf2Init1B,
    tf2Init2,
    tf2Init3,
    tfDial,
    tfRetryWait,
    tf1Connect,
    tf1SendTSI,
    tf1TSIRespns,
    tf1DCSRspns,
    tf1TrainStrt,
    tf1TrainFnsh,
    tf1WaitCFR,
    tf1WaitPgCn,
    tf2Connect,
    tf2GetParams,
    tfWaitXon,
    tfWaitFrHead,
    tfSndPgeHdr,
    tfOpenCover,
    tfSendCover,
    tfPrepPage,
    tfSendPage,
    tfDrainPage,
    tf1PageEnd,
    tf1PrepEOP,
    tf1SendEOP,
    tf1WaitMPS,
    tf1WaitEOP,
    tf1WaitMCF,
    tf1SendDCN,
    tf1Hangup,
    tf1WaitHngp,
    tf2SendEOP,
    tf2WaitFPTS,
    tf2WaitFET,
    tf2WaitPgOK,
    tf2SndNwPrm,
    tf2NextPage,
    tf20ChckPg,
    tfClose,
    tfCompleteOK,
    tfAbort,
    tfDone,
};

constexpr std::array<const char*, 49> kTransmitStateNames = {
    "tfNone",      "tfGetEntry",   "tfInit",       "tf1Init1",     "tf2Init1",     "tf2Init1A",
    "tf2Init1B",   "tf2Init2",     "tf2Init3",     "tfDial",       "tfRetryWait",  "tf1Connect",
    "tf1SendTSI",  "tf1TSIRespns", "tf1DCSRspns",  "tf1TrainStrt", "tf1TrainFnsh", "tf1WaitCFR",
    "tf1WaitPgCn", "tf2Connect",   "tf2GetParams", "tfWaitXon",    "tfWaitFrHead", "tfSndPgeHdr",
    "tfOpenCover", "tfSendCover",  "tfPrepPage",   "tfSendPage",   "tfDrainPage",  "tf1PageEnd",
    "tf1PrepEOP",  "tf1SendEOP",   "tf1WaitMPS",   "tf1WaitEOP",   "tf1WaitMCF",   "tf1SendDCN",
    "tf1Hangup",   "tf1WaitHngp",  "tf2SendEOP",   "tf2WaitFPTS",  "tf2WaitFET",   "tf2WaitPgOK",
    "tf2SndNwPrm", "tf2NextPage",  "tf20ChckPg",   "tfClose",      "tfCompleteOK", "tfAbort",
    "tfDone"};
static_assert(kTransmitStateNames.size() == static_cast<size_t>(TFaxTransmitState::tfDone) + 1,
              "one name per transmit state");
static_assert(
    std::string_view(kTransmitStateNames.front()) == "tfNone" &&
        std::string_view(kTransmitStateNames[static_cast<size_t>(TFaxTransmitState::tf1Connect)]) ==
            "tf1Connect" &&
        std::string_view(kTransmitStateNames.back()) == "tfDone",
    "the transmit state names in the enum's order");

enum class TFaxTextUse { HeaderLine, TextCover };
// Makes a text reader already set up (font, page width, left margin) for the
// page header line or a text cover; empty = the built-in fax font.
using TPxTextReaderFactory =
    std::function<std::unique_ptr<TPxCustomTextReader>(TFaxTextUse use, bool fine)>;

class TPxFaxTransmitter : public TPxFaxMachine<TFaxTransmitState> {
public:
    TPxFaxTransmitter(TPxFaxLine& line, TPxFaxClient& client);
    ~TPxFaxTransmitter() override;

    // Transmit record settings.
    int maxSendCount = 50;
    uint32_t bufferMinimum = 1000;
    int pageRetryLimit = 2;
    std::string headerLine;
    bool fastPage = true;
    std::string dialPrefix;
    // Draws the header line and text covers; empty: the built-in fax font
    // (small for the header line, standard for covers).
    TPxTextReaderFactory textReaderFactory;

protected:
    bool prepare() override;
    Flow continuation(TFaxTransmitState s) const override;
    void stateAction(TFaxEvent event) override;
    void onTimeout() override;
    void onFrame() override;
    LineUse screenLine(const std::string& text) override;

private:
    // Page data goes to the modem in blocks of this many octets, each when
    // as much output space is free.
    static constexpr uint32_t kBlock = 4096;

    // One handler per state, named after it, in the states' order.
    // px_fax_transmitter.cpp: the job, the dial, the end.
    void tfGetEntry();
    void tfInit();
    void tfDial();
    void tfRetryWait(TFaxEvent event);
    void tfClose();
    void tfCompleteOK();
    void tfAbort();
    // px_transmit_class1.cpp: set-up, negotiation and post-page exchange
    // with our own T.30 frames.
    void tf1Init1();
    void tf1Connect();
    void tf1SendTSI();
    void tf1TSIRespns();
    void tf1DCSRspns();
    void tf1TrainStrt();
    void tf1TrainFnsh();
    void tf1WaitCFR();
    void tf1WaitPgCn();
    void tf1PageEnd();
    void tf1PrepEOP();
    void tf1SendEOP();
    void tf1WaitMPS();
    void tf1WaitEOP();
    void tf1WaitMCF();
    void tf1SendDCN();
    void tf1Hangup();
    void tf1WaitHngp();
    // px_transmit_class2.cpp: set-up, negotiation and page end through the
    // modem's "+F" results.
    void tf2Init1();
    void tf2Init1A();
    void tf2Init1B();
    void tf2Init2();
    void tf2Init3();
    void tf2Connect();
    void tf2GetParams();
    void tf2SendEOP();
    void tf2WaitFPTS();
    void tf2WaitFET();
    void tf2WaitPgOK();
    void tf2SndNwPrm();
    void tf2NextPage();
    void tf20ChckPg();
    // px_transmit_pages.cpp: header line, cover and page data, any class.
    void tfWaitXon(TFaxEvent event);
    void tfWaitFrHead(TFaxEvent event);
    void tfSndPgeHdr();
    void tfOpenCover();
    void tfSendCover(TFaxEvent event);
    void tfPrepPage();
    void tfSendPage(TFaxEvent event);
    void tfDrainPage(TFaxEvent event);

    // BUSY / NO ANSWER / VOICE / NO DIALTONE / NO CARRIER after the dial:
    // true when the line was one of them.
    bool dialOutcome();
    // After a post-page message's OK: listen for the answer (MCF, RTN, RTP).
    void awaitPostPageOK();
    // DCS and the training check again, after CRP or no answer; the call
    // fails when the tries are spent.
    void repeatDcs();
    // Before hanging up a Class 1 call: page data ended, DCN to the far end.
    void endClass1Call();
    // The wait for a page's last octets to leave the modem.
    int32_t drainWait() const;
    // After a page's final OK: the next page, with new parameters if needed,
    // or the end.
    void class2PageDone();
    // A page-status result ("+FPTS" / "+FPS"): what it says of the page;
    // false when the line is none.
    bool class2PageStatus(const std::string& text);
    // The page data is all written: DLE ETX in Class 1, then the drain.
    void endPageData();
    bool morePages() const;
    // The page about to go differs in resolution or width from what the
    // last DCS set.
    bool parametersChange() const;
    bool loadPage(const std::string& file, int page);
    void advancePage();
    // Back to the page before the last advance (a page to send again).
    void stepBackPage();
    void takePageFlags(const TPxApfReader& reader, int page);
    ErrorCode countCoverPages();
    // Opens the text cover and reads past `pages` pages; with -1 to its end,
    // counting them into coverPages.
    ErrorCode skipTextPages(TPxCustomTextReader& reader, int pages);
    void sendRecord(const uint8_t* data, size_t size);
    void sendBlankLines();
    void sendTextRow(const uint8_t* raster);
    unsigned pageWidth() const;
    // A reader from the factory or the built-in one; null with `rc` set when
    // none can be had.
    std::unique_ptr<TPxCustomTextReader> makeTextReader(TFaxTextUse use, ErrorCode& rc) const;
    // The values of the "$" words for the page being sent.
    TPxHeaderValues headerValues() const;
    void closeFiles();

    bool inGetEntry_ = false;
    TPxApfReader file_;
    bool fileOpen_ = false;
    bool coverIsApf_ = false;
    bool sendingCover_ = false;
    int coverPage_ = 0;  // the cover page being sent, from 1
    std::unique_ptr<TPxCustomTextReader> textCover_;
    uint16_t pageFlags_ = 0;
    char resolution_ = '0';
    char previousResolution_ = '0';
    std::vector<uint8_t> pageData_;
    size_t pageOffset_ = 0;
    int retry_ = 0;
    bool frameWasFinal_ = false;
    bool cfrReceived_ = false;
    bool negative_ = false;
    uint8_t responseFcf_ = 0;
    uint32_t minBytesPerLine_ = 0;
    TPxRemoteCaps remote_;
    std::string trainingCode_ = "24";
    bool more_ = false;
    int dcsTries_ = 0;              // DCS sent without an answer
    int pageTries_ = 0;             // the page sent and answered with RTN
    bool callUp_ = false;           // the far end is on the line (Class 1)
    bool farEndHungUp_ = false;     // it sent DCN
    bool pageDataFlowing_ = false;  // the modem takes our octets as page data
    uint64_t pageStartBytes_ = 0;   // bytesWritten() when the page began
};

}  // namespace px
