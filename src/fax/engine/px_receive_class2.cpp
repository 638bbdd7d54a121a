// The receive machine's Class 2 and 2.0 states: the modem set up to answer,
// the call validated and its parameters taken from the modem's "+F"
// results, and each page's status and what follows it ("+FPTS", "+FET").
#include "fax/engine/px_fax_receiver.h"

namespace px {

using R = TFaxReceiveState;
using Word = TModemResult;

// ------------------------------------------------------------ set-up and negotiation

void TPxFaxReceiver::rf2Init1() {
    if (!lineIs(Word::kOK)) {
        return fail(ecFaxInitError);
    }
    switchLineRate(true);
    writeAtCommand(c2(modem.vocabulary.capabilities) + "=1," + class2SpeedDigit(modem.desiredBps) +
                   ",0,2,0," + modem.ecm + ",0,0");
    setState(faxClass == TFaxClass::fcClass2_0 ? R::rf2Init1A : R::rf2Init3);
}

void TPxFaxReceiver::rf2Init1A() {
    commandOnOK("AT+FLO=2", R::rf2Init1B);
}

void TPxFaxReceiver::rf2Init1B() {
    commandOnOK("AT+FNR=1,1,1,0", R::rf2Init3);
}

void TPxFaxReceiver::rf2Init3() {
    if (!lineIs(Word::kOK)) {
        return fail(ecFaxInitError);
    }
    setProgress(fpWaiting);
    line_.armResponseTimer(kTimerOff);
    setState(R::rfWaiting);
    answerIfRung();
}

void TPxFaxReceiver::rf2ValCnnct() {
    if (lineIs(Word::kFcon)) {
        line_.armResponseTimer(modem.dataTimeout);
        setProgress(fpIncoming);
        setState(R::rf2GtSndID);
        return;
    }
    if (lineIs(Word::kNoCarrier)) {
        return fail(ecFaxNoCarrier);
    }
    if (lineIs(Word::kConnect)) {
        return fail(ecFaxDataCall);
    }
    if (lineIs(Word::kVoice)) {
        return fail(ecFaxVoiceCall);
    }
}

void TPxFaxReceiver::rf2GtSndID() {
    const std::string& text = collector_.line();
    if (lineIs(Word::kFtsi)) {
        remoteId = resultStationId(text);
        setProgress(fpGotRemoteID);
        if (fileState_ == TReceiveFileState::NewFile && !fileOpen_ && !acceptCall()) {
            return;
        }
        accepted_ = true;
        return;
    }
    if (lineIs(Word::kFdcs)) {
        parseClass2Params(resultParameters(text), modem);
        setProgress(fpSessionParams);
        return;
    }
    if (lineIs(Word::kOK)) {
        if (!accepted_ && fileState_ == TReceiveFileState::NewFile && !fileOpen_ && !acceptCall()) {
            return;
        }
        writeAtCommand("AT+FDR");
        line_.armResponseTimer(modem.dataTimeout);
        setState(R::rf2GtCnnct);
    }
}

void TPxFaxReceiver::rf2GtCnnct() {
    const std::string& text = collector_.line();
    if (lineIs(Word::kFdcs)) {
        parseClass2Params(resultParameters(text), modem);
        setProgress(fpSessionParams);
        return;
    }
    if (lineIs(Word::kConnect)) {
        if (options & afSoftwareFlow) {
            line_.setSoftwareFlow(false, true);
        }
        setState(R::rfStartPage);
    }
}

// ------------------------------------------------------------ page end

void TPxFaxReceiver::rf2GtPgRslt() {
    const std::string& text = collector_.line();
    if (lineIs(Word::kFpts)) {
        setProgress(fpGetPageResult);
        std::string p = resultParameters(text);
        char result = p.empty() ? '0' : p[0];
        if (result == '1' || result == '3' || result == '5') {
            finishPage();
        } else {
            dropPage();
        }
        return;
    }
    if (lineIs(Word::kFet)) {
        setProgress(fpCheckMorePages);
        std::string p = resultParameters(text);
        char code = p.empty() ? '2' : p[0];
        // New parameters ('1') go on in the same file: every page keeps its
        // own resolution and width.
        fileState_ = code == '0' || code == '1' ? TReceiveFileState::AddingPages
                                                : TReceiveFileState::DocumentDone;
        return;
    }
    if (lineIsError()) {
        dropPage();
        writeAtCommand("AT+FDR");
        setState(R::rf2GtCnnct);
        return;
    }
    if (lineIs(Word::kOK)) {
        if (pageOpen_) {
            finishPage();  // a modem that reports no page status
        }
        writeAtCommand("AT+FDR");
        if (fileState_ == TReceiveFileState::DocumentDone) {
            closeFile(true);
            reportLog(lfaxReceiveOk);
            setProgress(fpGetHangup);
            setState(R::rf2GetFHNG);
        } else {
            setState(R::rf2GtCnnct);
        }
    }
}

void TPxFaxReceiver::rf2GetFHNG() {
    const std::string& text = collector_.line();
    if (noteHangup(text)) {
        setProgress(fpGotHangup);
        return;
    }
    if (lineIs(Word::kFet)) {
        setProgress(fpGetHangup);
        return;
    }
    if (lineIs(Word::kOK)) {
        setState(R::rfComplete);
    }
}

}  // namespace px
