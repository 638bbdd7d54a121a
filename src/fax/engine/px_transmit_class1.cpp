// The transmit machine's Class 1 states: the call set up and negotiated
// with our own T.30 frames (TSI, DCS, the training check, CFR), and the
// post-page exchange (MPS/EOM/EOP, MCF/RTN/RTP, DCN).
#include "fax/engine/px_fax_transmitter.h"

#include <algorithm>
#include <vector>

#include "fax/apf/px_apf_format.h"

namespace px {

using S = TFaxTransmitState;
using Word = TModemResult;

namespace {
// A command (DCS with its training check, a post-page message) is sent at
// most this often without an answer, and a page at most this often after
// RTN (T.30 5.4.2: three tries, then DCN).
constexpr int kPostPageTries = 3;
constexpr int kCommandTries = 3;
constexpr int kPageTries = 3;
}  // namespace

void TPxFaxTransmitter::onFrame() {
    TPxDecodedFrame frame = decodeFrame(collector_.frame());
    if (!frame.valid) {
        return;
    }
    frameWasFinal_ = frame.final;
    responseFcf_ = withoutXBit(frame.fcf);
    switch (responseFcf_) {
        case withoutXBit(fcfCSI):  // and CIG
        case withoutXBit(fcfTSI):
            remoteId = decodeStationId(frame.info);
            setProgress(fpGotRemoteID);
            return;
        case withoutXBit(fcfFTT):
            negative_ = true;
            // Step down at once; the DCS goes again when the modem is done.
            for (int i = modem.speedIndex - 1; i >= 1; --i) {
                if (modem.speeds[static_cast<size_t>(i)] && remote_.speed[static_cast<size_t>(i)]) {
                    modem.speedIndex = i;
                    return;
                }
            }
            fail(ecFaxTrainError);
            return;
        case withoutXBit(fcfRTN):
            negative_ = true;
            return;
        case withoutXBit(fcfDIS): {
            remote_ = decodeDis(frame.info);
            int best = 1;
            for (int i = 1; i <= kSpeedCount; ++i) {
                auto idx = static_cast<size_t>(i);
                if (modem.speeds[idx] && remote_.speed[idx] &&
                    class1Speed(i).bps <= std::max(modem.desiredBps, class1Speed(1).bps)) {
                    best = i;
                }
            }
            modem.speedIndex = best;
            modem.scanCode = remote_.scanCode;
            bool fine = resolution_ == '1';
            minBytesPerLine_ = minimumLineOctets(remote_.scanCode, fine, class1Speed(best).bps);
            setProgress(fpSessionParams);
            if ((fine && !remote_.fine) || ((pageFlags_ & kApfWide) && !remote_.wide)) {
                fail(ecFaxBadMachine);
            }
            return;
        }
        case withoutXBit(fcfCFR):
            cfrReceived_ = true;
            return;
        case withoutXBit(fcfDCN):
            // The far end ended the call: no DCN of ours follows.
            farEndHungUp_ = true;
            fail(ecFaxSessionError);
            return;
        default:
            return;
    }
}

void TPxFaxTransmitter::repeatDcs() {
    if (++dcsTries_ >= kCommandTries) {
        return fail(ecFaxTrainError);
    }
    frameWasFinal_ = false;
    pause(kTurnaroundPauseMs);
    talkFrames();
    setState(S::tf1TSIRespns);
}

void TPxFaxTransmitter::endClass1Call() {
    if (!callUp_ && !pageDataFlowing_) {
        return;
    }
    if (pageDataFlowing_) {
        // The modem takes everything before DLE ETX as page data, a hang-up
        // command included.
        line_.flushOutput();
        writeDleEtx();
        pause(kEndDataPauseMs);
        pageDataFlowing_ = false;
    } else {
        // Ends a frame reception that may be pending; a modem in command
        // mode skips it as the blank before the next "AT".
        writeText(" ");
        pause(kEndDataPauseMs);
    }
    line_.flushInput();
    if (callUp_ && !farEndHungUp_) {
        sendDcnBeforeHangUp();
    }
    callUp_ = false;
}

// ------------------------------------------------------------ negotiation

void TPxFaxTransmitter::tf1Init1() {
    if (lineIs(Word::kOK)) {
        setState(S::tfDial);
    } else {
        fail(ecFaxInitError);
    }
}

void TPxFaxTransmitter::tf1Connect() {
    if (dialOutcome()) {
        return;
    }
    if (lineIs(Word::kConnect)) {
        callUp_ = true;
        collector_.reset();
        return;
    }
    if (lineIsError()) {
        // A damaged frame: the far end sends its DIS again.
        frameWasFinal_ = false;
        listenForFrames();
        return;
    }
    if (lineIs(Word::kOK)) {
        if (frameWasFinal_) {
            dcsTries_ = 0;
            pause(kTurnaroundPauseMs);
            talkFrames();
            setState(S::tf1SendTSI);
        } else {
            listenForFrames();
        }
    }
}

void TPxFaxTransmitter::tf1SendTSI() {
    if (!lineIs(Word::kConnect)) {
        return;
    }
    writeFrame(buildIdFrame(fcfTSI, stationId), false);
    setState(S::tf1TSIRespns);
}

void TPxFaxTransmitter::tf1TSIRespns() {
    if (!lineIs(Word::kConnect)) {
        return;
    }
    bool fine = resolution_ == '1';
    bool wide = (pageFlags_ & kApfWide) != 0;
    // Our pages carry no length of their own: the longest the remote takes.
    const TFaxLength length = remote_.unlimitedLength ? TFaxLength::Unlimited
                              : remote_.b4Length      ? TFaxLength::B4
                                                      : TFaxLength::A4;
    writeFrame(buildDcs(modem.speedIndex, fine, wide, modem.scanCode, length), true);
    trainingCode_ = class1Speed(modem.speedIndex).trainingCode;
    minBytesPerLine_ = minimumLineOctets(modem.scanCode, fine, class1Speed(modem.speedIndex).bps);
    modem.fine = fine;
    modem.wide = wide;
    setState(S::tf1DCSRspns);
}

void TPxFaxTransmitter::tf1DCSRspns() {
    if (!lineIs(Word::kOK)) {
        return;
    }
    writeModulationCommand("AT+FTM=" + trainingCode_);
    setState(S::tf1TrainStrt);
}

void TPxFaxTransmitter::tf1TrainStrt() {
    if (!lineIs(Word::kConnect)) {
        return;
    }
    if (options & afSoftwareFlow) {
        line_.setSoftwareFlow(true, false);
    }
    std::vector<uint8_t> zeros(trainingCheckLength(class1Speed(modem.speedIndex).bps), 0);
    writeBytes(zeros.data(), zeros.size());
    writeDleEtx();
    setState(S::tf1TrainFnsh);
}

void TPxFaxTransmitter::tf1TrainFnsh() {
    if (!lineIs(Word::kOK)) {
        return;
    }
    if (options & afSoftwareFlow) {
        line_.setSoftwareFlow(false, false);
    }
    pause(kTurnaroundPauseMs);
    frameWasFinal_ = false;
    negative_ = false;
    responseFcf_ = 0;
    listenForFrames();
    // T.30 timer T4: without an answer, DCS and the check go again.
    line_.armResponseTimer(kT4ResponseWait);
    cfrReceived_ = false;
    setState(S::tf1WaitCFR);
}

void TPxFaxTransmitter::tf1WaitCFR() {
    if (lineIsError()) {
        // A damaged answer: listen again, T4 running anew.
        frameWasFinal_ = false;
        listenForFrames();
        line_.armResponseTimer(kT4ResponseWait);
        return;
    }
    if (!lineIs(Word::kOK)) {
        return;
    }
    if (!frameWasFinal_) {
        listenForFrames();
        return;
    }
    if (responseFcf_ == withoutXBit(fcfCRP)) {
        return repeatDcs();
    }
    if (negative_) {
        dcsTries_ = 0;  // FTT is an answer: the next speed gets its own tries
    }
    pause(kTurnaroundPauseMs);
    if (cfrReceived_) {
        dcsTries_ = 0;
        writeModulationCommand("AT+FTM=" + std::string(class1Speed(modem.speedIndex).pageCode));
        setState(S::tf1WaitPgCn);
    } else {
        frameWasFinal_ = false;
        talkFrames();
        setState(S::tf1TSIRespns);
    }
}

void TPxFaxTransmitter::tf1WaitPgCn() {
    if (!lineIs(Word::kConnect)) {
        return;
    }
    // A Class 1 modem takes data at once after CONNECT; it sends no XON.
    line_.armOutputFree(kBlock);
    line_.armResponseTimer(modem.dataTimeout);
    pageDataFlowing_ = true;
    setState(S::tfWaitFrHead);
}

// ------------------------------------------------------------ page end

bool TPxFaxTransmitter::parametersChange() const {
    return (resolution_ == '1') != modem.fine || ((pageFlags_ & kApfWide) != 0) != modem.wide;
}

void TPxFaxTransmitter::tf1PageEnd() {
    if (!lineIs(Word::kOK)) {
        return;
    }
    retry_ = 0;
    setProgress(fpSendPageStatus);
    setState(S::tf1PrepEOP);
}

void TPxFaxTransmitter::tf1PrepEOP() {
    ++retry_;
    if (retry_ > kPostPageTries) {
        return fail(ecTimeout);
    }
    pause(retry_ == 1 ? kPostPagePauseMs : kPostPageRetryPauseMs);
    talkFrames();
    setState(S::tf1SendEOP);
}

void TPxFaxTransmitter::tf1SendEOP() {
    if (lineIsError()) {
        setState(S::tf1PrepEOP);
        return;
    }
    if (!lineIs(Word::kConnect)) {
        return;
    }
    // A next page of other parameters needs a new DCS, so EOM.
    uint8_t fcf = !more_ ? fcfEOP : (fastPage && !parametersChange() ? fcfMPS : fcfEOM);
    writeFrame({fcf}, true);
    setState(more_ ? S::tf1WaitMPS : S::tf1WaitEOP);
}

void TPxFaxTransmitter::tf1WaitMPS() {
    awaitPostPageOK();
}

void TPxFaxTransmitter::tf1WaitEOP() {
    awaitPostPageOK();
}

void TPxFaxTransmitter::awaitPostPageOK() {
    if (lineIsError()) {
        setState(S::tf1PrepEOP);
        return;
    }
    if (!lineIs(Word::kOK)) {
        return;
    }
    pause(kTurnaroundPauseMs);
    frameWasFinal_ = false;
    responseFcf_ = 0;
    listenForFrames();
    line_.armResponseTimer(kT4ResponseWait);
    cfrReceived_ = false;
    setState(S::tf1WaitMCF);
}

void TPxFaxTransmitter::tf1WaitMCF() {
    if (lineIs(Word::kConnect)) {
        collector_.reset();
        return;
    }
    if (lineIsError()) {
        setState(S::tf1PrepEOP);
        return;
    }
    if (!lineIs(Word::kOK)) {
        return;
    }
    if (!frameWasFinal_) {
        listenForFrames();
        line_.armResponseTimer(kT4ResponseWait);
        return;
    }
    switch (responseFcf_) {
        case withoutXBit(fcfRTN):
            // The page arrived too damaged: train again and send it again.
            if (++pageTries_ >= kPageTries) {
                return fail(ecFaxSessionError);
            }
            if (more_) {
                stepBackPage();
            }
            if (sendingCover_ && !coverIsApf_) {
                textCover_.reset();  // read again up to the page
            }
            setProgress(fpPageError);
            talkFrames();
            setState(S::tf1TSIRespns);
            return;
        case withoutXBit(fcfCRP):
            // Our post-page message arrived damaged: send it again now.
            setState(S::tf1PrepEOP);
            return;
        case withoutXBit(fcfMCF):
            pageTries_ = 0;
            setProgress(fpPageOK);
            if (more_) {
                if (fastPage && !parametersChange()) {
                    // The next page follows on the same training: V.17 short train.
                    writeModulationCommand("AT+FTM=" +
                                           std::string(class1Speed(modem.speedIndex).pageCode));
                    setState(S::tf1WaitPgCn);
                } else {
                    // After EOM the receiver starts over with its DIS; our
                    // DCS answers it as after the dial.
                    frameWasFinal_ = false;
                    listenForFrames();
                    line_.armResponseTimer(modem.responseTimeout);
                    setState(S::tf1Connect);
                }
            } else {
                talkFrames();
                setState(S::tf1SendDCN);
            }
            return;
        case withoutXBit(fcfRTP):
            pageTries_ = 0;
            talkFrames();
            setState(more_ ? S::tf1TSIRespns : S::tf1SendDCN);
            return;
        default:
            listenForFrames();
            line_.armResponseTimer(kT4ResponseWait);
            return;
    }
}

void TPxFaxTransmitter::tf1SendDCN() {
    if (!lineIs(Word::kConnect)) {
        return;
    }
    writeFrame({fcfDCN}, true);
    callUp_ = false;
    setState(S::tf1Hangup);
}

void TPxFaxTransmitter::tf1Hangup() {
    if (!lineIs(Word::kOK)) {
        return;
    }
    writeAtCommand("ATH");
    line_.armResponseTimer(kHangupWait);
    setState(S::tf1WaitHngp);
}

void TPxFaxTransmitter::tf1WaitHngp() {
    if (lineIs(Word::kOK)) {
        setState(S::tfClose);
    }
}

}  // namespace px
