#include "fax/engine/px_fax_receiver.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "fax/apf/px_apf_format.h"

namespace px {

using R = TFaxReceiveState;

using Word = TModemResult;

namespace {
constexpr size_t kMaxPerEvent = 10000;
// The caller's frames are asked for again at most this often.
constexpr int kFrameRetries = 3;

uint8_t reverseBits(uint8_t b) {
    b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}
}  // namespace

std::string defaultReceiveName(const std::string& dir, const std::string& ext) {
    std::string prefix = dir;
    if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\' && prefix.back() != ':') {
        prefix += '/';
    }
    for (int n = 1; n <= 9999; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "FAX%04d.", n);
        std::string path = prefix + name + ext;
        if (!fileExists(path)) {
            return path;
        }
    }
    return prefix + kApfDefaultName;
}

TPxFaxReceiver::TPxFaxReceiver(TPxFaxLine& line, TPxFaxClient& client)
    : TPxFaxMachine(line, client, kReceiveStateNames.data(), R::rfNone, R::rfAbort, R::rfDone) {}

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
            !commandAndAwaitOK(c2(v.localId) + "=\"" + stationId + "\"") ||
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
    const bool stateTakesError =
        (isClass1() &&
         (state_ == R::rf1CollFrms ||
          (word == Word::kFcError && (state_ == R::rf1StrtTrn || state_ == R::rf1WtPgCnnct)))) ||
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
                fail(ecCancelRequested);
            }
            return;
        default:
            return;
    }
}

void TPxFaxReceiver::onTimeout() {
    if (state_ == R::rf1SendCSI || state_ == R::rf1CollFrms) {
        setState(R::rf1CollRtry1);
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
            return init();
        case R::rf1Init1:
            return class1Init1();
        case R::rf2Init1:
            return class2Init1();
        case R::rf2Init1A:
            return class2Init1A();
        case R::rf2Init1B:
            return class2Init1B();
        case R::rf2Init3:
            return class2Init3();
        case R::rfWaiting:
            return waitingForCall();
        case R::rfAnswer:
            return answer();
        case R::rf1SendCSI:
            return class1SendCSI();
        case R::rf1SendDIS:
            return class1SendDIS();
        case R::rf1CollFrms:
            return class1CollFrms();
        case R::rf1CollRtry1:
            return class1CollRtry1();
        case R::rf1CollRtry2:
            return class1CollRtry2();
        case R::rf1StrtTrn:
            return class1StrtTrn();
        case R::rf1CollTrn:
            return class1CollTrn(ev);
        case R::rf1Retrain:
            return class1Retrain();
        case R::rf1FinTrn:
            return class1FinTrn();
        case R::rf1SendCFR:
            return class1SendCFR();
        case R::rf1WtPgCnnct:
            return class1WtPgCnnct();
        case R::rf2ValCnnct:
            return class2ValCnnct();
        case R::rf2GtSndID:
            return class2GtSndID();
        case R::rf2GtCnnct:
            return class2GtCnnct();
        case R::rfStartPage:
            return startPage();
        case R::rfGtPgDta:
            return getPageData(ev);
        case R::rf1FinPage:
            return class1FinPage();
        case R::rf1WaitEOP:
            return class1WaitEOP();
        case R::rf1WritePage:
            return class1WritePage();
        case R::rf1SendMCF:
            return class1SendMCF();
        case R::rf1WaitDCN:
            return class1WaitDCN();
        case R::rf1WtHngp:
            return class1WtHngp();
        case R::rf2GtPgRslt:
            return class2GtPgRslt();
        case R::rf2GetFHNG:
            return class2GetFHNG();
        case R::rfComplete:
            return complete();
        case R::rfAbort:
            return abortSession();
    }
}

// ------------------------------------------------------------ waiting for a call

void TPxFaxReceiver::init() {
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

void TPxFaxReceiver::class1Init1() {
    if (!lineIs(Word::kOK)) {
        return fail(ecFaxInitError);
    }
    switchLineRate(true);
    line_.armResponseTimer(kTimerOff);
    setProgress(fpWaiting);
    setState(R::rfWaiting);
    answerIfRung();
}

void TPxFaxReceiver::class2Init1() {
    if (!lineIs(Word::kOK)) {
        return fail(ecFaxInitError);
    }
    switchLineRate(true);
    writeAtCommand(c2(modem.vocabulary.capabilities) + "=1," + class2SpeedDigit(modem.desiredBps) +
                   ",0,2,0," + modem.ecm + ",0,0");
    setState(faxClass == TFaxClass::fcClass2_0 ? R::rf2Init1A : R::rf2Init3);
}

void TPxFaxReceiver::class2Init1A() {
    commandOnOK("AT+FLO=2", R::rf2Init1B);
}

void TPxFaxReceiver::class2Init1B() {
    commandOnOK("AT+FNR=1,1,1,0", R::rf2Init3);
}

void TPxFaxReceiver::class2Init3() {
    if (!lineIs(Word::kOK)) {
        return fail(ecFaxInitError);
    }
    setProgress(fpWaiting);
    line_.armResponseTimer(kTimerOff);
    setState(R::rfWaiting);
    answerIfRung();
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

void TPxFaxReceiver::waitingForCall() {
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

void TPxFaxReceiver::answer() {
    if (!firstStatusSent_) {
        reportStatus(true);
    }
    writeAtCommand("ATA");
    line_.armResponseTimer(modem.dialWait);
    setProgress(fpAnswer);
    setState(isClass1() ? R::rf1SendCSI : R::rf2ValCnnct);
}

// ------------------------------------------------------------ Class 1 negotiation

void TPxFaxReceiver::class1SendCSI() {
    if (lineIs(Word::kConnect)) {
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

void TPxFaxReceiver::class1SendDIS() {
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

void TPxFaxReceiver::class1CollFrms() {
    if (lineIs(Word::kConnect)) {
        collector_.reset();
        return;
    }
    if (lineIsError() || lineIs(Word::kNoCarrier)) {
        // A damaged frame or no carrier: ask again, the caller repeats.
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

void TPxFaxReceiver::class1CollRtry1() {
    ++retry_;
    if (retry_ > kFrameRetries) {
        return fail(ecTimeout);
    }
    // A bare AT with an extra carriage return ends a pending reception.
    writeAtCommand("AT\r");
    setState(R::rf1CollRtry2);
}

void TPxFaxReceiver::class1CollRtry2() {
    pause(kTurnaroundPauseMs);
    talkFrames();
    setState(R::rf1SendCSI);
}

void TPxFaxReceiver::class1StrtTrn() {
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

void TPxFaxReceiver::class1CollTrn(TFaxEvent event) {
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

void TPxFaxReceiver::class1Retrain() {
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

void TPxFaxReceiver::class1FinTrn() {
    if (!lineIs(Word::kNoCarrier) && !lineIs(Word::kOK)) {
        return;
    }
    line_.setSoftwareFlow(false, false);
    pause(kCarrierOffPauseMs);
    talkFrames();
    setState(R::rf1SendCFR);
}

bool TPxFaxReceiver::acceptCall() {
    if (!client_.accept()) {
        reportError(ecFileRejected);
        if (!isClass1()) {
            writeText("AT+FKS\r");
        }
        hangUpLine();
        reportLog(lfaxReceiveSkip);
        setState(R::rfAbort);
        return false;
    }
    return true;
}

void TPxFaxReceiver::class1SendCFR() {
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

void TPxFaxReceiver::class1WtPgCnnct() {
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

// ------------------------------------------------------------ Class 2 negotiation

void TPxFaxReceiver::class2ValCnnct() {
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

void TPxFaxReceiver::class2GtSndID() {
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

void TPxFaxReceiver::class2GtCnnct() {
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

// ------------------------------------------------------------ pages

ErrorCode TPxFaxReceiver::createFile() {
    std::string name = client_.fileName();
    if (name.empty()) {
        name = defaultReceiveName(destinationDir, faxFileExt);
    }
    fileName_ = name;
    faxFile = name;
    const ErrorCode rc = writer_.create(name);
    if (rc != ecOK) {
        return rc;
    }
    apfSetSenderIdReceiver(writer_.header(), remoteId);
    writer_.updateHeader();
    fileOpen_ = true;
    pages_ = 0;
    reportLog(lfaxReceiveStart);
    return ecOK;
}

void TPxFaxReceiver::startPage() {
    ++currentPage;
    if (fileState_ == TReceiveFileState::NewFile || !fileOpen_) {
        if (fileOpen_) {
            closeFile(true);
        }
        const ErrorCode rc = createFile();
        if (rc != ecOK) {
            return fail(rc);
        }
        fileState_ = TReceiveFileState::AddingPages;
    }
    block_.clear();
    pageOpen_ = true;
    dle_ = false;
    line_.armResponseTimer(modem.dataTimeout);
    if (!isClass1()) {
        const uint8_t dc2 = kDc2;
        writeBytes(&dc2, 1);
    }
    setProgress(fpGetPage);
    statusNow_ = true;
    setState(R::rfGtPgDta);
}

void TPxFaxReceiver::getPageData(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event != TFaxEvent::Data) {
        return;
    }
    const bool reversed = faxClass == TFaxClass::fcClass2;
    uint8_t byte;
    size_t count = 0;
    while (count < kMaxPerEvent && line_.readByte(byte)) {
        ++count;
        if (dle_) {
            dle_ = false;
            if (byte == kEtx) {
                pageLength = static_cast<uint32_t>(block_.size());
                setProgress(fpGetPage);
                line_.setSoftwareFlow(false, false);
                collector_.reset();
                setState(isClass1() ? R::rf1FinPage : R::rf2GtPgRslt);
                return;
            }
            if (byte != kDle) {
                continue;
            }
        } else if (byte == kDle) {
            dle_ = true;
            continue;
        }
        block_.push_back(reversed ? reverseBits(byte) : byte);
    }
    pageBytesSent = static_cast<uint32_t>(block_.size());
    line_.armResponseTimer(modem.dataTimeout);
}

void TPxFaxReceiver::finishPage() {
    if (!pageOpen_ || !fileOpen_) {
        return;
    }
    pageOpen_ = false;
    uint16_t flags =
        static_cast<uint16_t>((modem.fine ? kApfFine : 0) | (modem.wide ? kApfWide : 0));
    ErrorCode rc = writer_.beginPage(flags);
    if (rc == ecOK) {
        rc = writer_.writeRaw(block_.data(), block_.size());
    }
    if (rc == ecOK) {
        rc = writer_.endPage();
    }
    if (rc == ecOK) {
        rc = writer_.updateHeader();
    }
    block_.clear();
    if (rc != ecOK) {
        fail(rc);
        return;
    }
    ++pages_;
}

void TPxFaxReceiver::dropPage() {
    pageOpen_ = false;
    block_.clear();
}

void TPxFaxReceiver::closeFile(bool ok) {
    if (!fileOpen_) {
        return;
    }
    fileOpen_ = false;
    if (pages_ == 0 && !ok) {
        writer_.abandon();  // nothing received: no empty file is left behind
        return;
    }
    writer_.finish();
}

void TPxFaxReceiver::class1FinPage() {
    if (!lineIs(Word::kNoCarrier) && !lineIs(Word::kOK)) {
        return;
    }
    finalFrame_ = false;
    listenForFrames();
    setState(R::rf1WaitEOP);
}

void TPxFaxReceiver::class1WaitEOP() {
    if (lineIs(Word::kConnect)) {
        collector_.reset();
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

void TPxFaxReceiver::class1WritePage() {
    finishPage();
    if (state_ == R::rfAbort) {
        return;
    }
    talkFrames();
    setProgress(fpCheckMorePages);
    setState(R::rf1SendMCF);
}

void TPxFaxReceiver::class1SendMCF() {
    if (lineIs(Word::kConnect)) {
        writeFrame({fcfMCF}, true);
        return;
    }
    if (!lineIs(Word::kOK)) {
        return;
    }
    if (morePages_ && eomReceived_) {
        finalFrame_ = false;
        listenForFrames();
        setState(R::rf1CollFrms);
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

void TPxFaxReceiver::class1WaitDCN() {
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
        writeAtCommand("ATH");
        setState(R::rf1WtHngp);
        return;
    }
    finalFrame_ = false;
    listenForFrames();
}

void TPxFaxReceiver::class1WtHngp() {
    if (lineIs(Word::kOK)) {
        setProgress(fpGotHangup);
        setState(R::rfComplete);
    }
}

void TPxFaxReceiver::class2GtPgRslt() {
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

void TPxFaxReceiver::class2GetFHNG() {
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

// ------------------------------------------------------------ endings

void TPxFaxReceiver::complete() {
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

void TPxFaxReceiver::abortSession() {
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
