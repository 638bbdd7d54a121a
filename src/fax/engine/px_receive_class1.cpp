// The receive machine's Class 1 states: the call negotiated with our own
// T.30 frames (CSI, DIS, the caller's DCS, the training check, CFR or FTT),
// and the exchange after each page (MPS/EOM/EOP, MCF, DCN).
#include "fax/engine/px_fax_receiver.h"

namespace px {

using R = TFaxReceiveState;
using Word = TModemResult;

namespace {
// The caller's frames are asked for again at most this often.
constexpr int kFrameRetries = 3;
}  // namespace

void TPxFaxReceiver::onFrame() {
    TPxDecodedFrame frame = decodeFrame(collector_.frame());
    if (!frame.valid) {
        return;
    }
    finalFrame_ = frame.final;
    lastFcf_ = withoutXBit(frame.fcf);
    switch (lastFcf_) {
        case withoutXBit(fcfCSI):  // and CIG
        case withoutXBit(fcfTSI):
            remoteId = decodeStationId(frame.info);
            setProgress(fpGotRemoteID);
            return;
        case withoutXBit(fcfDCS): {
            TPxDcsParams dcs = decodeDcs(frame.info);
            modem.fine = dcs.fine;
            modem.wide = dcs.wide;
            modem.speedIndex = dcs.speedIndex;
            frameReceiveCode_ = dcs.trainingCode;
            pageReceiveCode_ = dcs.pageCode;
            setProgress(fpSessionParams);
            return;
        }
        case withoutXBit(fcfDCN):
            if (state_ != R::rf1WaitDCN) {
                farEndHungUp_ = true;
                fail(ecFaxSessionError);
            }
            return;
        default:
            return;
    }
}

// ------------------------------------------------------------ negotiation

void TPxFaxReceiver::rf1Init1() {
    if (!lineIs(Word::kOK)) {
        return fail(ecFaxInitError);
    }
    switchLineRate(true);
    line_.armResponseTimer(kTimerOff);
    setProgress(fpWaiting);
    setState(R::rfWaiting);
    answerIfRung();
}

void TPxFaxReceiver::rf1SendCSI() {
    if (lineIs(Word::kConnect)) {
        callUp_ = true;
        writeFrame(buildIdFrame(fcfCSI, stationId), false);
        setState(R::rf1SendDIS);
        return;
    }
    if (lineIs(Word::kNoCarrier)) {
        return fail(ecFaxNoCarrier);
    }
    if (lineIs(Word::kVoice)) {
        return fail(ecFaxVoiceCall);
    }
}

void TPxFaxReceiver::rf1SendDIS() {
    if (lineIs(Word::kConnect)) {
        writeFrame(buildDis(modem.speedIndex), true);
        return;
    }
    if (lineIs(Word::kOK)) {
        // Listen at once: the caller's TSI and DCS follow within 75 ms.
        finalFrame_ = false;
        listenForFrames();
        line_.armResponseTimer(kT4ResponseWait);
        setState(R::rf1CollFrms);
    }
}

void TPxFaxReceiver::rf1CollFrms() {
    if (lineIs(Word::kConnect)) {
        collector_.reset();
        return;
    }
    if (lineIsError() || lineIs(Word::kNoCarrier)) {
        // A damaged frame or no carrier: ask again, the caller repeats, but
        // only within T1: a data modem's carrier gives these answers forever.
        if (identificationExpired()) {
            return fail(ecTimeout);
        }
        finalFrame_ = false;
        listenForFrames();
        return;
    }
    if (!lineIs(Word::kOK)) {
        return;
    }
    if (finalFrame_ && lastFcf_ == withoutXBit(fcfDCS)) {
        if (options & afSoftwareFlow) {
            line_.setSoftwareFlow(false, true);
        }
        writeModulationCommand("AT+FRM=" + frameReceiveCode_);
        trainStartMs_ = line_.clock().milliseconds();
        setState(R::rf1StrtTrn);
        return;
    }
    finalFrame_ = false;
    listenForFrames();
}

void TPxFaxReceiver::startIdentification() {
    identificationStartMs_ = line_.clock().milliseconds();
}

bool TPxFaxReceiver::identificationExpired() const {
    return line_.clock().milliseconds() - identificationStartMs_ > kT1IdentifyMs;
}

void TPxFaxReceiver::rf1CollRtry1() {
    ++retry_;
    if (retry_ > kFrameRetries || identificationExpired()) {
        return fail(ecTimeout);
    }
    // A bare AT with an extra carriage return ends a pending reception.
    writeAtCommand("AT\r");
    setState(R::rf1CollRtry2);
}

void TPxFaxReceiver::rf1CollRtry2() {
    pause(kTurnaroundPauseMs);
    talkFrames();
    setState(R::rf1SendCSI);
}

void TPxFaxReceiver::rf1StrtTrn() {
    if (lineIs(Word::kConnect)) {
        trainTotal_ = 0;
        trainNonZero_ = 0;
        dle_ = false;
        line_.armResponseTimer(modem.responseTimeout);
        setState(R::rf1CollTrn);
        return;
    }
    if (lineIsError() || lineIs(Word::kNoCarrier)) {
        // +FCERROR: the caller is still sending frames; take them.
        finalFrame_ = false;
        listenForFrames();
        setState(R::rf1CollFrms);
    }
}

void TPxFaxReceiver::rf1CollTrn(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event != TFaxEvent::Data) {
        return;
    }
    uint8_t byte;
    while (line_.readByte(byte)) {
        if (dle_) {
            dle_ = false;
            if (byte == kEtx) {
                const bool good =
                    trainTotal_ > 0 && trainNonZero_ * 100 / trainTotal_ < kTrainingNoisePercent;
                collector_.reset();
                if (good) {
                    setState(R::rf1FinTrn);
                } else {
                    talkFrames();
                    setState(R::rf1Retrain);
                }
                return;
            }
            if (byte != kDle) {
                continue;
            }
        } else if (byte == kDle) {
            dle_ = true;
            continue;
        }
        ++trainTotal_;
        if (byte != 0) {
            ++trainNonZero_;
        }
    }
}

void TPxFaxReceiver::rf1Retrain() {
    if (lineIs(Word::kConnect)) {
        writeFrame({fcfFTT}, true);
        if (frameReceiveCode_ == class1Speed(1).trainingCode) {  // nothing lower
            return fail(ecFaxTrainError);
        }
        return;
    }
    if (lineIs(Word::kOK)) {
        finalFrame_ = false;
        listenForFrames();
        setState(R::rf1CollFrms);
    }
}

void TPxFaxReceiver::rf1FinTrn() {
    if (!lineIs(Word::kNoCarrier) && !lineIs(Word::kOK)) {
        return;
    }
    line_.setSoftwareFlow(false, false);
    pause(kCarrierOffPauseMs);
    talkFrames();
    setState(R::rf1SendCFR);
}

void TPxFaxReceiver::rf1SendCFR() {
    if (lineIs(Word::kConnect)) {
        if (options & afSoftwareFlow) {
            line_.setSoftwareFlow(false, true);
        }
        writeFrame({fcfCFR}, true);
        return;
    }
    if (!lineIs(Word::kOK)) {
        return;
    }
    writeModulationCommand("AT+FRM=" + pageReceiveCode_);
    setState(R::rf1WtPgCnnct);
    if (fileState_ == TReceiveFileState::NewFile && !fileOpen_) {
        if (!acceptCall()) {
            return;
        }
        const ErrorCode rc = createFile();
        if (rc != ecOK) {
            return fail(rc);
        }
        fileState_ = TReceiveFileState::AddingPages;
    }
}

void TPxFaxReceiver::rf1WtPgCnnct() {
    if (lineIs(Word::kConnect)) {
        setProgress(fpSessionParams);
        statusNow_ = true;
        setState(R::rfStartPage);
        return;
    }
    if (lineIsError() || lineIs(Word::kNoCarrier)) {
        // +FCERROR: the caller repeats DCS (it did not hear our CFR); start over.
        finalFrame_ = false;
        listenForFrames();
        setState(R::rf1CollFrms);
    }
}

// ------------------------------------------------------------ page end

void TPxFaxReceiver::rf1FinPage() {
    if (!lineIs(Word::kNoCarrier) && !lineIs(Word::kOK) && !lineIsError()) {
        return;
    }
    finalFrame_ = false;
    listenForFrames();
    setState(R::rf1WaitEOP);
}

void TPxFaxReceiver::rf1WaitEOP() {
    if (lineIs(Word::kConnect)) {
        collector_.reset();
        return;
    }
    if (lineIsError()) {
        // A damaged post-page message: the caller repeats it.
        finalFrame_ = false;
        listenForFrames();
        return;
    }
    if (!lineIs(Word::kOK)) {
        return;
    }
    if (!finalFrame_) {
        listenForFrames();
        return;
    }
    morePages_ = lastFcf_ == withoutXBit(fcfMPS) || lastFcf_ == withoutXBit(fcfEOM);
    eomReceived_ = lastFcf_ == withoutXBit(fcfEOM);
    setProgress(fpGetPageResult);
    setState(R::rf1WritePage);
}

void TPxFaxReceiver::rf1WritePage() {
    finishPage();
    if (state_ == R::rfAbort) {
        return;
    }
    talkFrames();
    setProgress(fpCheckMorePages);
    setState(R::rf1SendMCF);
}

void TPxFaxReceiver::rf1SendMCF() {
    if (lineIs(Word::kConnect)) {
        writeFrame({fcfMCF}, true);
        return;
    }
    if (!lineIs(Word::kOK)) {
        return;
    }
    if (morePages_ && eomReceived_) {
        // A new document: we start phase B again with our CSI and DIS, and
        // the caller answers with its DCS.
        startIdentification();
        pause(kTurnaroundPauseMs);
        talkFrames();
        setState(R::rf1SendCSI);
    } else if (morePages_) {
        writeModulationCommand("AT+FRM=" + pageReceiveCode_);
        fileState_ = TReceiveFileState::AddingPages;
        setState(R::rf1WtPgCnnct);
    } else {
        finalFrame_ = false;
        listenForFrames();
        closeFile(true);
        reportLog(lfaxReceiveOk);
        setProgress(fpGetHangup);
        setState(R::rf1WaitDCN);
    }
}

void TPxFaxReceiver::rf1WaitDCN() {
    if (lineIs(Word::kConnect)) {
        collector_.reset();
        return;
    }
    if (lineIs(Word::kNoCarrier) || lineIsError()) {
        writeAtCommand("ATH");
        setState(R::rf1WtHngp);
        return;
    }
    if (!lineIs(Word::kOK)) {
        return;
    }
    if (finalFrame_ && lastFcf_ == withoutXBit(fcfDCN)) {
        callUp_ = false;
        writeAtCommand("ATH");
        setState(R::rf1WtHngp);
        return;
    }
    finalFrame_ = false;
    listenForFrames();
}

void TPxFaxReceiver::rf1WtHngp() {
    if (lineIs(Word::kOK)) {
        setProgress(fpGotHangup);
        setState(R::rfComplete);
    }
}

}  // namespace px
