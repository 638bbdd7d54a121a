// The receive machine's own loop: preparation, the state of each event,
// the wait for a call, the answer and the end of a call. Class 1 is in
// px_receive_class1.cpp, Class 2 and 2.0 in px_receive_class2.cpp, the
// page data and the received file in px_receive_pages.cpp.
#include "fax/engine/px_fax_receiver.h"

#include "comms/px_dispatch_log.h"
#include "fax/engine/px_station_id.h"

namespace px {

using R = TFaxReceiveState;
using Word = TModemResult;

TPxFaxReceiver::TPxFaxReceiver(TPxFaxLine& line, TPxFaxClient& client)
    : TPxFaxMachine(line, client, kReceiveStateNames.data(), lsFaxReceiveBase, R::rfNone,
                    R::rfAbort, R::rfDone) {}

TPxFaxReceiver::~TPxFaxReceiver() {
    if (fileOpen_) {
        closeFile(false);
    }
}

bool TPxFaxReceiver::prepare() {
    if (startMode == StartMode::ValidateConnection) {
        setState(isClass1() ? state_ : R::rf2ValCnnct);
        line_.armResponseTimer(kAtOnce);
        return true;
    }
    if (faxClass == TFaxClass::fcUnknown || faxClass == TFaxClass::fcDetect) {
        faxClass = detectClass();
        if (faxClass == TFaxClass::fcUnknown) {
            reportError(ecFaxBadModemResult);
            return false;
        }
    }
    modem.vocabulary = TPxClass2Vocabulary::forClass(faxClass);
    if (!initModem()) {
        return false;
    }
    if (isClass1()) {
        if (!commandAndAwaitOK("AT+FCLASS=1")) {
            return false;
        }
        switchLineRate(true);
        if (!probeSpeeds(false)) {
            return false;
        }
        while (modem.speedIndex > 1 && class1Speed(modem.speedIndex).bps > modem.desiredBps) {
            --modem.speedIndex;
        }
    } else {
        const TPxClass2Vocabulary& v = modem.vocabulary;
        if (!commandAndAwaitOK(c2(v.classSelect))) {
            return false;
        }
        switchLineRate(true);
        if (!commandAndAwaitOK("AT+FCR=1") ||
            !commandAndAwaitOK(c2(v.localId) + "=" + quotedStationId(stationId)) ||
            !commandAndAwaitOK(std::string("AT+FAA=") + modem.faxAndData)) {
            return false;
        }
    }
    setState(startMode == StartMode::AnswerNow ? R::rfAnswer : R::rfInit);
    return true;
}

TPxFaxReceiver::Flow TPxFaxReceiver::continuation(R s) const {
    switch (s) {
        case R::rfNone:
        case R::rf1Timeout:
        case R::rfInit:
        case R::rfAnswer:
        case R::rfStartPage:
        case R::rf1WritePage:
        case R::rfComplete:
        case R::rfAbort:
            return Flow::Now;
        case R::rf1CollRtry1:
        case R::rf1CollRtry2:
        case R::rf1CollTrn:
        case R::rfGtPgDta:
        case R::rfDone:
            return Flow::Wait;
        case R::rf1Init1:
        case R::rf2Init1:
        case R::rf2Init1A:
        case R::rf2Init1B:
        case R::rf2Init2:
        case R::rf2Init3:
        case R::rfWaiting:
        case R::rf1SendCSI:
        case R::rf1SendDIS:
        case R::rf1CollFrms:
        case R::rf1StrtTrn:
        case R::rf1Retrain:
        case R::rf1FinTrn:
        case R::rf1SendCFR:
        case R::rf1WtPgCnnct:
        case R::rf2ValCnnct:
        case R::rf2GtSndID:
        case R::rf2GtCnnct:
        case R::rf1FinPage:
        case R::rf1WaitEOP:
        case R::rf1SendMCF:
        case R::rf1WaitDCN:
        case R::rf1WtHngp:
        case R::rf2GtPgRslt:
        case R::rf2GetFHNG:
            return Flow::WhileData;
    }
    return Flow::Wait;
}

bool TPxFaxReceiver::readsOnEntry(R s) const {
    // The page data and training states read on through what is waiting.
    return s == R::rfGtPgDta || s == R::rf1CollTrn;
}

TPxFaxReceiver::LineUse TPxFaxReceiver::screenLine(const std::string& text) {
    const Word word = modemResult(text, faxClass);
    if (word == Word::kRing && state_ >= R::rf1Init1 && state_ <= R::rf2Init3) {
        // A caller rings while the modem is being set up: count the ring for
        // the answer and wait for the command's OK.
        ++rings_;
        return LineUse::Skip;
    }
    // A Class 1 modem answers "+FCERROR" when it hears frames where it was
    // told to receive training or a page: the caller has not heard us and
    // sends DCS again, and these states listen for it.
    // ERROR after a frame is a bad FCS: the states that listen to the
    // caller take both and wait for the frame again.
    const bool stateTakesError =
        (isClass1() &&
         (state_ == R::rf1CollFrms || state_ == R::rf1StrtTrn || state_ == R::rf1WtPgCnnct ||
          state_ == R::rf1FinPage || state_ == R::rf1WaitEOP || state_ == R::rf1WaitDCN)) ||
        state_ == R::rf2GtPgRslt;
    if (isErrorResult(word) && !stateTakesError) {
        fail(ecFaxBadModemResult);
        return LineUse::Failed;
    }
    if (state_ != R::rf2GetFHNG && noteHangup(text)) {
        fail(ecFaxSessionError);
        return LineUse::Failed;
    }
    return LineUse::Evaluate;
}

void TPxFaxReceiver::onTimeout() {
    if (state_ == R::rf1SendCSI || state_ == R::rf1CollFrms) {
        // Nothing more will come to wake the retry: it starts at once.
        setState(R::rf1CollRtry1);
        rf1CollRtry1();
    } else if (state_ == R::rf1WaitDCN) {
        setState(R::rfComplete);
    } else {
        fail(ecTimeout);
    }
}

void TPxFaxReceiver::stateAction(TFaxEvent ev) {
    switch (state_) {
        case R::rfNone:
        case R::rfDone:
        case R::rf2Init2:
            return;
        case R::rf1Timeout:
            return fail(ecTimeout);
        case R::rfInit:
            return rfInit();
        case R::rf1Init1:
            return rf1Init1();
        case R::rf2Init1:
            return rf2Init1();
        case R::rf2Init1A:
            return rf2Init1A();
        case R::rf2Init1B:
            return rf2Init1B();
        case R::rf2Init3:
            return rf2Init3();
        case R::rfWaiting:
            return rfWaiting();
        case R::rfAnswer:
            return rfAnswer();
        case R::rf1SendCSI:
            return rf1SendCSI();
        case R::rf1SendDIS:
            return rf1SendDIS();
        case R::rf1CollFrms:
            return rf1CollFrms();
        case R::rf1CollRtry1:
            return rf1CollRtry1();
        case R::rf1CollRtry2:
            return rf1CollRtry2();
        case R::rf1StrtTrn:
            return rf1StrtTrn();
        case R::rf1CollTrn:
            return rf1CollTrn(ev);
        case R::rf1Retrain:
            return rf1Retrain();
        case R::rf1FinTrn:
            return rf1FinTrn();
        case R::rf1SendCFR:
            return rf1SendCFR();
        case R::rf1WtPgCnnct:
            return rf1WtPgCnnct();
        case R::rf2ValCnnct:
            return rf2ValCnnct();
        case R::rf2GtSndID:
            return rf2GtSndID();
        case R::rf2GtCnnct:
            return rf2GtCnnct();
        case R::rfStartPage:
            return rfStartPage();
        case R::rfGtPgDta:
            return rfGtPgDta(ev);
        case R::rf1FinPage:
            return rf1FinPage();
        case R::rf1WaitEOP:
            return rf1WaitEOP();
        case R::rf1WritePage:
            return rf1WritePage();
        case R::rf1SendMCF:
            return rf1SendMCF();
        case R::rf1WaitDCN:
            return rf1WaitDCN();
        case R::rf1WtHngp:
            return rf1WtHngp();
        case R::rf2GtPgRslt:
            return rf2GtPgRslt();
        case R::rf2GetFHNG:
            return rf2GetFHNG();
        case R::rfComplete:
            return rfComplete();
        case R::rfAbort:
            return rfAbort();
    }
}

// ------------------------------------------------------------ waiting for a call

void TPxFaxReceiver::rfInit() {
    callUp_ = false;
    farEndHungUp_ = false;
    pages_ = 0;
    currentPage = 0;
    retry_ = 0;
    fileState_ = TReceiveFileState::NewFile;
    rings_ = 0;
    remoteId.clear();
    if (constantStatus && !firstStatusSent_) {
        reportStatus(true);
    }
    line_.setSoftwareFlow(false, false);
    line_.setDtrRts(true, true);
    if (isClass1()) {
        writeAtCommand("AT+FCLASS=1");
        setState(R::rf1Init1);
    } else {
        writeAtCommand(c2(modem.vocabulary.classSelect));
        setState(R::rf2Init1);
    }
}

void TPxFaxReceiver::rfWaiting() {
    if (lineIs(Word::kRing)) {
        ++rings_;
        answerIfRung();
        return;
    }
    if (lineIs(Word::kNoCarrier)) {
        setProgress(fpNoConnect);
        statusNow_ = true;
        return;
    }
    if (lineIs(Word::kConnect)) {
        return fail(ecFaxDataCall);
    }
    if (lineIs(Word::kVoice)) {
        return fail(ecFaxVoiceCall);
    }
}

void TPxFaxReceiver::answerIfRung() {
    if (rings_ >= modem.answerOnRing) {
        if (!firstStatusSent_) {
            reportStatus(true);
        }
        line_.armResponseTimer(modem.responseTimeout);
        setState(R::rfAnswer);
    }
}

void TPxFaxReceiver::rfAnswer() {
    if (!firstStatusSent_) {
        reportStatus(true);
    }
    writeAtCommand("ATA");
    startIdentification();
    line_.armResponseTimer(modem.dialWait);
    setProgress(fpAnswer);
    setState(isClass1() ? R::rf1SendCSI : R::rf2ValCnnct);
}

bool TPxFaxReceiver::acceptCall() {
    if (!client_.accept()) {
        reportError(ecFileRejected);
        if (!isClass1()) {
            writeText("AT+FKS\r");
        }
        endClass1Call();
        hangUpLine();
        reportLog(lfaxReceiveSkip);
        setState(R::rfAbort);
        return false;
    }
    return true;
}

// ------------------------------------------------------------ the end

void TPxFaxReceiver::rfComplete() {
    switchLineRate(false);
    accepted_ = false;
    if (oneFax) {
        if (firstStatusSent_ && (!constantStatus || errorCode == ecCancelRequested)) {
            reportStatus(false, true);
        }
        setState(R::rfDone);
        reportFinish();
        return;
    }
    if (!constantStatus) {
        reportStatus(false, true);
        firstStatusSent_ = false;
    }
    setState(R::rfInit);
}

void TPxFaxReceiver::endClass1Call() {
    if (!isClass1() || !callUp_) {
        return;
    }
    // Ends a reception still pending (page data or frames), then tells the
    // caller, who would otherwise wait out its own time-outs.
    writeText(" ");
    pause(kEndDataPauseMs);
    line_.flushInput();
    if (!farEndHungUp_) {
        sendDcnBeforeHangUp();
    }
    callUp_ = false;
}

void TPxFaxReceiver::rfAbort() {
    if (fileOpen_) {
        if (pageOpen_ && !block_.empty()) {
            finishPage();
        }
        bool any = pages_ > 0;
        closeFile(false);
        if (any) {
            reportLog(lfaxReceiveFail);
        }
    }
    accepted_ = false;
    line_.setDtrRts(true, true);
    endClass1Call();
    farEndHungUp_ = false;
    hangUpLine();
    switchLineRate(false);
    bool userAbort = errorCode == ecCancelRequested && progress == fpCancel;
    if ((options & afExitOnError) || userAbort || oneFax) {
        if (firstStatusSent_) {
            reportStatus(false, true);
        }
        setState(R::rfDone);
        reportFinish();
        return;
    }
    if (!constantStatus && firstStatusSent_) {
        reportStatus(false, true);
        firstStatusSent_ = false;
    }
    setState(R::rfInit);
}

}  // namespace px
