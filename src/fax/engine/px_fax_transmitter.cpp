// The transmit machine's own loop: preparation, the state of each event,
// the job, the dial and the end of a fax. Class 1 is in px_transmit_class1.cpp,
// Class 2 and 2.0 in px_transmit_class2.cpp, page header, cover and page data
// in px_transmit_pages.cpp.
#include "fax/engine/px_fax_transmitter.h"

#include <algorithm>
#include <cctype>

#include "comms/px_dispatch_log.h"
#include "fax/apf/px_apf_format.h"

namespace px {

using S = TFaxTransmitState;
using Word = TModemResult;

namespace {
// The line's rate while the modem is set up, before any switch to the
// normal rate.
constexpr uint32_t kSetupBaud = 19200;

// True when the file name ends in "." + `ext`, in any letter case.
bool hasExtension(const std::string& name, const std::string& ext) {
    const std::string dotExt = "." + ext;
    if (name.size() < dotExt.size()) {
        return false;
    }
    return std::equal(dotExt.begin(), dotExt.end(),
                      name.end() - static_cast<std::ptrdiff_t>(dotExt.size()), [](char a, char b) {
                          return std::toupper(static_cast<unsigned char>(a)) ==
                                 std::toupper(static_cast<unsigned char>(b));
                      });
}
}  // namespace

TPxFaxTransmitter::TPxFaxTransmitter(TPxFaxLine& line, TPxFaxClient& client)
    : TPxFaxMachine(line, client, kTransmitStateNames.data(), lsFaxTransmitBase, S::tfNone,
                    S::tfAbort, S::tfDone) {}

TPxFaxTransmitter::~TPxFaxTransmitter() = default;

bool TPxFaxTransmitter::prepare() {
    closeFiles();
    setState(S::tfGetEntry);
    setProgress(fpInitModem);
    reportStatus(true);
    line_.setBaud(kSetupBaud);
    line_.setDtrRts(true, true);
    if (faxClass == TFaxClass::fcUnknown) {
        faxClass = TFaxClass::fcDetect;
    }
    if (faxClass == TFaxClass::fcDetect) {
        faxClass = detectClass();
        if (faxClass == TFaxClass::fcUnknown) {
            reportError(ecFaxBadModemResult);
            return false;
        }
    }
    if (!initModem()) {
        reportError(ecFaxBadModemResult);
        return false;
    }
    modem.vocabulary = TPxClass2Vocabulary::forClass(faxClass);
    switchLineRate(true);
    if (isClass1() && !probeSpeeds(true)) {
        reportError(ecFaxBadModemResult);
        return false;
    }
    return true;
}

TPxFaxTransmitter::Flow TPxFaxTransmitter::continuation(S s) const {
    switch (s) {
        case S::tfGetEntry:
        case S::tfInit:
        case S::tfDial:
        case S::tfSndPgeHdr:
        case S::tfOpenCover:
        case S::tfPrepPage:
        case S::tf1PrepEOP:
        case S::tf2SendEOP:
        case S::tf2SndNwPrm:
        case S::tf2NextPage:
        case S::tfClose:
        case S::tfCompleteOK:
        case S::tfAbort:
            return Flow::Now;
        case S::tfNone:
        case S::tfRetryWait:
        case S::tfWaitXon:
        case S::tfWaitFrHead:
        case S::tfSendCover:
        case S::tfSendPage:
        case S::tfDrainPage:
        case S::tfDone:
            return Flow::Wait;
        case S::tf1Init1:
        case S::tf2Init1:
        case S::tf2Init1A:
        case S::tf2Init1B:
        case S::tf2Init2:
        case S::tf2Init3:
        case S::tf1Connect:
        case S::tf1SendTSI:
        case S::tf1TSIRespns:
        case S::tf1DCSRspns:
        case S::tf1TrainStrt:
        case S::tf1TrainFnsh:
        case S::tf1WaitCFR:
        case S::tf1WaitPgCn:
        case S::tf2Connect:
        case S::tf2GetParams:
        case S::tf1PageEnd:
        case S::tf1SendEOP:
        case S::tf1WaitMPS:
        case S::tf1WaitEOP:
        case S::tf1WaitMCF:
        case S::tf1SendDCN:
        case S::tf1Hangup:
        case S::tf1WaitHngp:
        case S::tf2WaitFPTS:
        case S::tf2WaitFET:
        case S::tf2WaitPgOK:
        case S::tf20ChckPg:
            return Flow::WhileData;
    }
    return Flow::Wait;
}

TPxFaxTransmitter::LineUse TPxFaxTransmitter::screenLine(const std::string& text) {
    // A Class 1 modem answers ERROR to a frame with a bad FCS and +FCERROR
    // to a carrier it did not expect: the states that listen to the far end
    // recover from both as T.30 prescribes.
    const bool class1Listening =
        isClass1() &&
        (state_ == S::tf1Connect || state_ == S::tf1WaitCFR || state_ == S::tf1SendEOP ||
         state_ == S::tf1WaitMPS || state_ == S::tf1WaitEOP || state_ == S::tf1WaitMCF);
    if (isErrorResult(modemResult(text, faxClass)) && !class1Listening && state_ != S::tf20ChckPg) {
        fail(ecFaxBadModemResult);
        return LineUse::Failed;
    }
    if (noteHangup(text) && state_ != S::tf2WaitFET && state_ != S::tf20ChckPg) {
        fail(ecFaxBadModemResult);
        return LineUse::Failed;
    }
    return LineUse::Evaluate;
}

void TPxFaxTransmitter::onTimeout() {
    if (state_ == S::tf1Connect || state_ == S::tf2Connect) {
        fail(ecFaxNoAnswer);
    } else if (state_ == S::tf1WaitMCF) {
        writeText(" ");  // ends the modem's frame reception
        setState(S::tf1PrepEOP);
    } else if (state_ == S::tf1WaitCFR) {
        writeText(" ");
        repeatDcs();
    } else if (state_ == S::tf1WaitHngp) {
        hangUpLine();
        setState(S::tfClose);
    } else {
        fail(ecTimeout);
    }
}

void TPxFaxTransmitter::stateAction(TFaxEvent ev) {
    switch (state_) {
        case S::tfNone:
        case S::tfDone:
            return;
        case S::tfGetEntry:
            return tfGetEntry();
        case S::tfInit:
            return tfInit();
        case S::tf1Init1:
            return tf1Init1();
        case S::tf2Init1:
            return tf2Init1();
        case S::tf2Init1A:
            return tf2Init1A();
        case S::tf2Init1B:
            return tf2Init1B();
        case S::tf2Init2:
            return tf2Init2();
        case S::tf2Init3:
            return tf2Init3();
        case S::tfDial:
            return tfDial();
        case S::tfRetryWait:
            return tfRetryWait(ev);
        case S::tf1Connect:
            return tf1Connect();
        case S::tf1SendTSI:
            return tf1SendTSI();
        case S::tf1TSIRespns:
            return tf1TSIRespns();
        case S::tf1DCSRspns:
            return tf1DCSRspns();
        case S::tf1TrainStrt:
            return tf1TrainStrt();
        case S::tf1TrainFnsh:
            return tf1TrainFnsh();
        case S::tf1WaitCFR:
            return tf1WaitCFR();
        case S::tf1WaitPgCn:
            return tf1WaitPgCn();
        case S::tf2Connect:
            return tf2Connect();
        case S::tf2GetParams:
            return tf2GetParams();
        case S::tfWaitXon:
            return tfWaitXon(ev);
        case S::tfWaitFrHead:
            return tfWaitFrHead(ev);
        case S::tfSndPgeHdr:
            return tfSndPgeHdr();
        case S::tfOpenCover:
            return tfOpenCover();
        case S::tfSendCover:
            return tfSendCover(ev);
        case S::tfPrepPage:
            return tfPrepPage();
        case S::tfSendPage:
            return tfSendPage(ev);
        case S::tfDrainPage:
            return tfDrainPage(ev);
        case S::tf1PageEnd:
            return tf1PageEnd();
        case S::tf1PrepEOP:
            return tf1PrepEOP();
        case S::tf1SendEOP:
            return tf1SendEOP();
        case S::tf1WaitMPS:
            return tf1WaitMPS();
        case S::tf1WaitEOP:
            return tf1WaitEOP();
        case S::tf1WaitMCF:
            return tf1WaitMCF();
        case S::tf1SendDCN:
            return tf1SendDCN();
        case S::tf1Hangup:
            return tf1Hangup();
        case S::tf1WaitHngp:
            return tf1WaitHngp();
        case S::tf2SendEOP:
            return tf2SendEOP();
        case S::tf2WaitFPTS:
            return tf2WaitFPTS();
        case S::tf2WaitFET:
            return tf2WaitFET();
        case S::tf2WaitPgOK:
            return tf2WaitPgOK();
        case S::tf2SndNwPrm:
            return tf2SndNwPrm();
        case S::tf2NextPage:
            return tf2NextPage();
        case S::tf20ChckPg:
            return tf20ChckPg();
        case S::tfClose:
            return tfClose();
        case S::tfCompleteOK:
            return tfCompleteOK();
        case S::tfAbort:
            return tfAbort();
    }
}

// ------------------------------------------------------------ the job

void TPxFaxTransmitter::tfGetEntry() {
    if (inGetEntry_) {
        return;
    }
    inGetEntry_ = true;
    TPxFaxJob job;
    const TFaxNextAnswer answer = client_.nextFax(job);
    inGetEntry_ = false;
    if (answer == TFaxNextAnswer::Missed) {
        // Whether another fax waits is unknown: the session ends, and not
        // as a success.
        reportError(ecTimeout);
        reportStatus(false, true);
        setState(S::tfDone);
        reportFinish();
        return;
    }
    if (answer == TFaxNextAnswer::NoMore) {
        setState(S::tfCompleteOK);
        return;
    }
    phoneNumber = job.phoneNumber;
    faxFile = job.faxFile;
    coverFile = job.coverFile;
    currentPage = 0;
    totalPages = 0;
    coverPages = 0;
    coverPage_ = 0;
    pageBytesSent = 0;
    pageLength = 0;
    dialAttempt = 0;
    hasCover = false;
    sendingCover_ = false;
    retry_ = 0;
    closeFiles();
    if (!faxFile.empty()) {
        const ErrorCode rc = file_.open(faxFile);
        if (rc != ecOK) {
            fail(rc);
            return;
        }
        fileOpen_ = true;
        totalPages = file_.pageCount();
    } else if (coverFile.empty()) {
        fail(ecNoFilename);
        return;
    }
    setState(S::tfInit);
    if (options & afSoftwareFlow) {
        line_.setSoftwareFlow(false, false);
    }
}

void TPxFaxTransmitter::tfInit() {
    std::transform(stationId.begin(), stationId.end(), stationId.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (!coverFile.empty()) {
        hasCover = true;
        coverIsApf_ = hasExtension(coverFile, faxFileExt);
        sendingCover_ = true;
        coverPage_ = 1;
    }
    // The first page that goes names the parameters: an APF cover's own,
    // else the document's first (a text cover is drawn to match it).
    bool ok = true;
    pageFlags_ = 0;
    if (fileOpen_) {
        ApfPageInfo page;
        ok = totalPages > 0 && file_.findPage(1, page) == ecOK;
        pageFlags_ = page.header.flags;
    }
    if (ok && coverIsApf_) {
        TPxApfReader cover;
        ApfPageInfo page;
        ok = cover.open(coverFile) == ecOK && cover.findPage(1, page) == ecOK;
        pageFlags_ = page.header.flags;
    }
    if (!ok) {
        fail(ecFaxBadFormat);
        return;
    }
    resolution_ = (pageFlags_ & kApfFine) ? '1' : '0';
    previousResolution_ = resolution_;
    // The page counter names the file page being sent: 0 while a cover goes.
    currentPage = fileOpen_ && !hasCover ? 1 : 0;
    if (hasCover) {
        // "$N" and the post-page messages need the cover's pages before it goes.
        if (ErrorCode rc = countCoverPages(); rc != ecOK) {
            return fail(rc);
        }
    }
    totalPages += coverPages;
    reportLog(lfaxTransmitStart);
    setProgress(fpInitModem);
    statusNow_ = true;
    if (isClass1()) {
        writeAtCommand("AT+FCLASS=1");
        setState(S::tf1Init1);
    } else {
        writeAtCommand(c2(modem.vocabulary.classSelect));
        setState(S::tf2Init1);
    }
}

// ------------------------------------------------------------ the dial

void TPxFaxTransmitter::tfDial() {
    std::string command = std::string(modem.toneDial ? "ATDT" : "ATDP") + dialPrefix + phoneNumber;
    setProgress(fpDialing);
    writeAtCommand(command);
    line_.armResponseTimer(modem.dialWait);
    statusNow_ = true;
    remoteId.clear();
    frameWasFinal_ = false;
    callUp_ = false;
    farEndHungUp_ = false;
    pageDataFlowing_ = false;
    dcsTries_ = 0;
    pageTries_ = 0;
    setState(isClass1() ? S::tf1Connect : S::tf2Connect);
}

void TPxFaxTransmitter::tfRetryWait(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        setState(S::tfDial);
        tfDial();
    }
}

bool TPxFaxTransmitter::dialOutcome() {
    if (lineIs(Word::kBusy) || lineIs(Word::kNoAnswer)) {
        ++dialAttempt;
        if (dialAttempts != 0 && dialAttempt >= dialAttempts) {
            // The last outcome names the failure: a line that never answered
            // is not reported as busy.
            const int code = lineIs(Word::kBusy) ? ecFaxBusy : ecFaxNoAnswer;
            reportStatus(false, true);
            if (options & afAbortNoConnect) {
                fail(code);
            } else {
                closeFiles();
                reportError(code);
                reportLog(lfaxTransmitFail);
                setProgress(fpInitModem);
                setState(S::tfGetEntry);
            }
        } else {
            setProgress(fpBusyWait);
            statusNow_ = true;
            line_.armResponseTimer(dialRetryWait);
            setState(S::tfRetryWait);
        }
        return true;
    }
    if (lineIs(Word::kVoice)) {
        fail(ecFaxVoiceCall);
        return true;
    }
    if (lineIs(Word::kNoDialTone)) {
        fail(ecFaxNoDialTone);
        return true;
    }
    if (lineIs(Word::kNoCarrier)) {
        fail(ecFaxNoCarrier);
        return true;
    }
    return false;
}

// ------------------------------------------------------------ the end

void TPxFaxTransmitter::tfClose() {
    closeFiles();
    setProgress(fpFinished);
    reportLog(lfaxTransmitOk);
    setState(S::tfGetEntry);
    switchLineRate(false);
}

void TPxFaxTransmitter::tfCompleteOK() {
    reportStatus(false, true);
    setState(S::tfDone);
    reportFinish();
}

void TPxFaxTransmitter::tfAbort() {
    closeFiles();
    reportLog(lfaxTransmitFail);
    if (isClass1()) {
        endClass1Call();
    }
    hangUpLine();
    switchLineRate(false);
    bool userAbort = errorCode == ecCancelRequested && progress == fpCancel;
    if ((options & (afExitOnError | afAbortNoConnect)) || userAbort) {
        setProgress(fpCancel);
        reportStatus(false, true);
        setState(S::tfDone);
        reportFinish();
        return;
    }
    setState(S::tfGetEntry);
}

void TPxFaxTransmitter::closeFiles() {
    file_.close();
    fileOpen_ = false;
    if (textCover_) {
        textCover_->close();
        textCover_.reset();
    }
    pageData_.clear();
}

}  // namespace px
