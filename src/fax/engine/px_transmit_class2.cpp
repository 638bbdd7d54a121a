// The transmit machine's Class 2 and 2.0 states: the modem set up, the call
// connected and its parameters taken from the modem's "+F" results, and the
// end of each page ("AT+FET=" in Class 2, DLE and a mark in Class 2.0)
// with its page status.
#include "fax/engine/px_fax_transmitter.h"

#include "fax/apf/px_apf_format.h"
#include "fax/engine/px_station_id.h"

namespace px {

using S = TFaxTransmitState;
using Word = TModemResult;

// ------------------------------------------------------------ set-up and negotiation

void TPxFaxTransmitter::tf2Init1() {
    commandOnOK(c2(modem.vocabulary.localId) + "=" + quotedStationId(stationId),
                faxClass == TFaxClass::fcClass2_0 ? S::tf2Init1A : S::tf2Init2);
}

void TPxFaxTransmitter::tf2Init1A() {
    commandOnOK("AT+FLO=2", S::tf2Init1B);
}

void TPxFaxTransmitter::tf2Init1B() {
    commandOnOK("AT+FNR=1,1,1,0", S::tf2Init2);
}

void TPxFaxTransmitter::tf2Init2() {
    std::string params = c2(modem.vocabulary.sessionParams) + "=" + resolution_ + "," +
                         class2SpeedDigit(modem.desiredBps) + "," +
                         ((pageFlags_ & kApfWide) ? '1' : '0') + ",2,0," + modem.ecm + ",0,0";
    commandOnOK(params, S::tf2Init3);
}

void TPxFaxTransmitter::tf2Init3() {
    if (lineIs(Word::kOK)) {
        setState(S::tfDial);
    } else {
        fail(ecFaxInitError);
    }
}

void TPxFaxTransmitter::tf2Connect() {
    if (lineIs(Word::kFcon)) {
        line_.armResponseTimer(modem.dataTimeout);
        setState(S::tf2GetParams);
        return;
    }
    dialOutcome();
}

void TPxFaxTransmitter::tf2GetParams() {
    const std::string& text = collector_.line();
    if (lineIs(Word::kFdcs)) {
        parseClass2Params(resultParameters(text), modem);
        if ((resolution_ == '1' && !modem.fine) || ((pageFlags_ & kApfWide) && !modem.wide)) {
            return fail(ecFaxBadMachine);
        }
        minBytesPerLine_ = 0;
        setProgress(fpSessionParams);
        return;
    }
    if (lineIs(Word::kFcsi)) {
        remoteId = resultStationId(text);
        setProgress(fpGotRemoteID);
        return;
    }
    if (lineIs(Word::kFdis)) {
        setProgress(fpSessionParams);
        return;
    }
    if (lineIs(Word::kConnect)) {
        if (faxClass == TFaxClass::fcClass2_0) {
            line_.armOutputFree(kBlock);
            line_.armResponseTimer(modem.dataTimeout);
            setState(S::tfWaitFrHead);
        } else {
            line_.armResponseTimer(kXonWait);
            setState(S::tfWaitXon);
        }
        return;
    }
    if (lineIs(Word::kOK)) {
        writeAtCommand("AT+FDT");
        line_.armResponseTimer(kPageConnectWait);
    }
}

// ------------------------------------------------------------ page end

void TPxFaxTransmitter::tf2SendEOP() {
    collector_.reset();
    line_.armResponseTimer(modem.dataTimeout);
    setProgress(fpSendPageStatus);
    statusNow_ = true;
    setState(faxClass == TFaxClass::fcClass2 ? S::tf2WaitFPTS : S::tf20ChckPg);
}

void TPxFaxTransmitter::tf2WaitFPTS() {
    if (!lineIs(Word::kOK)) {
        return fail(ecFaxSessionError);
    }
    if (more_) {
        writeAtCommand(std::string("AT+FET=") + (resolution_ != previousResolution_ ? '1' : '0'));
    } else {
        writeAtCommand("AT+FET=2");
    }
    setState(S::tf2WaitFET);
}

void TPxFaxTransmitter::tf2WaitFET() {
    const std::string& text = collector_.line();
    if (lineIs(Word::kOK)) {
        return class2PageDone();
    }
    if (lineIs(Word::kFhng)) {
        return;  // code stored by the collector
    }
    if (!class2PageStatus(text)) {
        fail(ecFaxPageError);
    }
}

void TPxFaxTransmitter::tf2WaitPgOK() {
    if (lineIs(Word::kFpts)) {
        return;  // the answer to AT+FPS? comes before its OK
    }
    if (!lineIs(Word::kOK)) {
        return fail(ecFaxSessionError);
    }
    ++retry_;
    if (retry_ > pageRetryLimit) {
        writeText("AT+FKS\r");
        return fail(ecFaxSessionError);
    }
    writeAtCommand("AT+FDT");
    if (more_) {
        // The page was advanced at its end; send the same one again.
        stepBackPage();
    }
    if (sendingCover_ && textCover_) {
        textCover_->close();
        textCover_.reset();  // drawn again from the start of the text
    }
    setState(S::tf2GetParams);
}

void TPxFaxTransmitter::tf2SndNwPrm() {
    if (!more_) {
        setState(S::tfClose);
        return;
    }
    writeAtCommand(c2(modem.vocabulary.sessionParams) + "=" + resolution_);
    setState(S::tf2GetParams);
}

void TPxFaxTransmitter::tf2NextPage() {
    if (!more_) {
        setState(S::tfClose);
        return;
    }
    pause(kNextPagePauseMs);
    writeAtCommand("AT+FDT");
    setState(S::tf2GetParams);
}

void TPxFaxTransmitter::tf20ChckPg() {
    const std::string& text = collector_.line();
    if (lineIs(Word::kOK)) {
        setProgress(fpPageOK);
        return class2PageDone();
    }
    if (lineIsError()) {
        writeAtCommand("AT+FPS?");
        setProgress(fpPageError);
        setState(S::tf2WaitPgOK);
        return;
    }
    if (lineIs(Word::kFhng)) {
        return;
    }
    // A modem that reports the page's status before its OK.
    if (!class2PageStatus(text)) {
        fail(ecFaxPageError);
    }
}

void TPxFaxTransmitter::class2PageDone() {
    if (!more_) {
        setState(S::tfClose);
    } else {
        setState(resolution_ != previousResolution_ ? S::tf2SndNwPrm : S::tf2NextPage);
    }
}

bool TPxFaxTransmitter::class2PageStatus(const std::string& text) {
    if (!lineIs(Word::kFpts)) {
        return false;
    }
    char result = resultParameters(text).empty() ? '0' : resultParameters(text)[0];
    if (result == '1' || result == '3') {
        setProgress(fpPageOK);
    } else if (result == '2') {
        setProgress(fpPageError);
        setState(S::tf2WaitPgOK);
    } else if (result == '4' || result == '5') {
        fail(ecCancelRequested);
    } else {
        fail(ecFaxPageError);
    }
    return true;
}

}  // namespace px
