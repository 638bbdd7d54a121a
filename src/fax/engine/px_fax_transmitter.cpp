#include "fax/engine/px_fax_transmitter.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "fax/apf/px_apf_format.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_text_reader.h"

namespace px {

using S = TFaxTransmitState;

using Word = TModemResult;

namespace {
constexpr uint32_t kBlock = 4096;
constexpr uint32_t kMaxPad = 8192;
constexpr unsigned kPageWidth = 1728;
constexpr unsigned kWidePageWidth = 2048;
constexpr unsigned kTextMargin = 48;
constexpr int kBlankLines = 8;
// A post-page message is sent at most this often.
constexpr int kPostPageTries = 3;
// The line's rate while the modem is set up, before any switch to the
// normal rate.
constexpr uint32_t kSetupBaud = 19200;
// What a Class 2.0 page ends with after DLE (T.32 8.3.3.1): another page
// follows, another follows with new parameters, the document ends.
constexpr uint8_t kPageEndMore = ',';
constexpr uint8_t kPageEndNewParameters = ';';
constexpr uint8_t kPageEndLast = '.';

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

// Date and time for the header line.
std::string nowText(bool date) {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char text[64];
    size_t n = date ? std::strftime(text, sizeof text, "%d/%m/%Y", &local)
                    : std::strftime(text, sizeof text, "%H:%M", &local);
    return std::string(text, n);
}
}  // namespace

TPxFaxTransmitter::TPxFaxTransmitter(TPxFaxLine& line, TPxFaxClient& client)
    : TPxFaxMachine(line, client, kTransmitStateNames.data(), S::tfNone, S::tfAbort, S::tfDone) {}

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
    if (isErrorResult(modemResult(text, faxClass)) && state_ != S::tf1SendEOP &&
        state_ != S::tf1WaitEOP && state_ != S::tf1WaitMCF && state_ != S::tf20ChckPg) {
        fail(ecFaxBadModemResult);
        return LineUse::Failed;
    }
    if (noteHangup(text) && state_ != S::tf2WaitFET && state_ != S::tf20ChckPg) {
        fail(ecFaxBadModemResult);
        return LineUse::Failed;
    }
    return LineUse::Evaluate;
}

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
            fail(ecCancelRequested);
            return;
        default:
            return;
    }
}

void TPxFaxTransmitter::onTimeout() {
    if (state_ == S::tf1Connect || state_ == S::tf2Connect) {
        fail(ecFaxNoAnswer);
    } else if (state_ == S::tf1WaitMCF) {
        writeText(" ");  // ends the modem's frame reception
        setState(S::tf1PrepEOP);
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
            return getEntry();
        case S::tfInit:
            return init();
        case S::tf1Init1:
            return class1Init1();
        case S::tf2Init1:
            return class2Init1();
        case S::tf2Init1A:
            return class2Init1A();
        case S::tf2Init1B:
            return class2Init1B();
        case S::tf2Init2:
            return class2Init2();
        case S::tf2Init3:
            return class2Init3();
        case S::tfDial:
            return dial();
        case S::tfRetryWait:
            return retryWait(ev);
        case S::tf1Connect:
            return class1Connect();
        case S::tf1SendTSI:
            return class1SendTSI();
        case S::tf1TSIRespns:
            return class1TSIRespns();
        case S::tf1DCSRspns:
            return class1DCSRspns();
        case S::tf1TrainStrt:
            return class1TrainStrt();
        case S::tf1TrainFnsh:
            return class1TrainFnsh();
        case S::tf1WaitCFR:
            return class1WaitCFR();
        case S::tf1WaitPgCn:
            return class1WaitPgCn();
        case S::tf2Connect:
            return class2Connect();
        case S::tf2GetParams:
            return class2GetParams();
        case S::tfWaitXon:
            return waitXon(ev);
        case S::tfWaitFrHead:
            return waitFrHead(ev);
        case S::tfSndPgeHdr:
            return sendPageHeader();
        case S::tfOpenCover:
            return openCover();
        case S::tfSendCover:
            return sendCover(ev);
        case S::tfPrepPage:
            return prepPage();
        case S::tfSendPage:
            return sendPage(ev);
        case S::tfDrainPage:
            return drainPage(ev);
        case S::tf1PageEnd:
            return class1PageEnd();
        case S::tf1PrepEOP:
            return class1PrepEOP();
        case S::tf1SendEOP:
            return class1SendEOP();
        case S::tf1WaitMPS:
        case S::tf1WaitEOP:
            return class1WaitPostPage();
        case S::tf1WaitMCF:
            return class1WaitMCF();
        case S::tf1SendDCN:
            return class1SendDCN();
        case S::tf1Hangup:
            return class1Hangup();
        case S::tf1WaitHngp:
            return class1WaitHngp();
        case S::tf2SendEOP:
            return class2SendEOP();
        case S::tf2WaitFPTS:
            return class2WaitFPTS();
        case S::tf2WaitFET:
            return class2WaitFET();
        case S::tf2WaitPgOK:
            return class2WaitPgOK();
        case S::tf2SndNwPrm:
            return class2SndNwPrm();
        case S::tf2NextPage:
            return class2NextPage();
        case S::tf20ChckPg:
            return class20ChckPg();
        case S::tfClose:
            return close();
        case S::tfCompleteOK:
            return completeOK();
        case S::tfAbort:
            return abortSession();
    }
}

// ------------------------------------------------------------ job and init

void TPxFaxTransmitter::getEntry() {
    if (inGetEntry_) {
        return;
    }
    inGetEntry_ = true;
    TPxFaxJob job;
    bool another = client_.nextFax(job);
    inGetEntry_ = false;
    if (!another) {
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

void TPxFaxTransmitter::init() {
    std::transform(stationId.begin(), stationId.end(), stationId.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (!coverFile.empty()) {
        hasCover = true;
        coverIsApf_ = hasExtension(coverFile, faxFileExt);
        sendingCover_ = true;
        coverPage_ = 1;
    }
    bool ok = true;
    if (fileOpen_) {
        ApfPageInfo page;
        ok = totalPages > 0 && file_.findPage(1, page) == ecOK;
        pageFlags_ = page.header.flags;
    } else {
        pageFlags_ = 0;
        if (coverIsApf_) {
            TPxApfReader cover;
            ApfPageInfo page;
            ok = cover.open(coverFile) == ecOK && cover.findPage(1, page) == ecOK;
            pageFlags_ = page.header.flags;
        }
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

void TPxFaxTransmitter::class1Init1() {
    if (lineIs(Word::kOK)) {
        setState(S::tfDial);
    } else {
        fail(ecFaxInitError);
    }
}

void TPxFaxTransmitter::class2Init1() {
    commandOnOK(c2(modem.vocabulary.localId) + "=\"" + stationId + "\"",
                faxClass == TFaxClass::fcClass2_0 ? S::tf2Init1A : S::tf2Init2);
}

void TPxFaxTransmitter::class2Init1A() {
    commandOnOK("AT+FLO=2", S::tf2Init1B);
}

void TPxFaxTransmitter::class2Init1B() {
    commandOnOK("AT+FNR=1,1,1,0", S::tf2Init2);
}

void TPxFaxTransmitter::class2Init2() {
    std::string params = c2(modem.vocabulary.sessionParams) + "=" + resolution_ + "," +
                         class2SpeedDigit(modem.desiredBps) + "," +
                         ((pageFlags_ & kApfWide) ? '1' : '0') + ",2,0," + modem.ecm + ",0,0";
    commandOnOK(params, S::tf2Init3);
}

void TPxFaxTransmitter::class2Init3() {
    if (lineIs(Word::kOK)) {
        setState(S::tfDial);
    } else {
        fail(ecFaxInitError);
    }
}

// ------------------------------------------------------------ dialling

void TPxFaxTransmitter::dial() {
    std::string command = std::string(modem.toneDial ? "ATDT" : "ATDP") + dialPrefix + phoneNumber;
    setProgress(fpDialing);
    writeAtCommand(command);
    line_.armResponseTimer(modem.dialWait);
    statusNow_ = true;
    remoteId.clear();
    frameWasFinal_ = false;
    setState(isClass1() ? S::tf1Connect : S::tf2Connect);
}

void TPxFaxTransmitter::retryWait(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        setState(S::tfDial);
        dial();
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

// ------------------------------------------------------------ Class 1 negotiation

void TPxFaxTransmitter::class1Connect() {
    if (dialOutcome()) {
        return;
    }
    if (lineIs(Word::kConnect)) {
        collector_.reset();
        return;
    }
    if (lineIs(Word::kOK)) {
        if (frameWasFinal_) {
            pause(kTurnaroundPauseMs);
            talkFrames();
            setState(S::tf1SendTSI);
        } else {
            listenForFrames();
        }
    }
}

void TPxFaxTransmitter::class1SendTSI() {
    if (!lineIs(Word::kConnect)) {
        return;
    }
    writeFrame(buildIdFrame(fcfTSI, stationId), false);
    setState(S::tf1TSIRespns);
}

void TPxFaxTransmitter::class1TSIRespns() {
    if (!lineIs(Word::kConnect)) {
        return;
    }
    bool fine = resolution_ == '1';
    bool wide = (pageFlags_ & kApfWide) != 0;
    writeFrame(buildDcs(modem.speedIndex, fine, wide, modem.scanCode), true);
    trainingCode_ = class1Speed(modem.speedIndex).trainingCode;
    minBytesPerLine_ = minimumLineOctets(modem.scanCode, fine, class1Speed(modem.speedIndex).bps);
    modem.fine = fine;
    modem.wide = wide;
    setState(S::tf1DCSRspns);
}

void TPxFaxTransmitter::class1DCSRspns() {
    if (!lineIs(Word::kOK)) {
        return;
    }
    writeModulationCommand("AT+FTM=" + trainingCode_);
    setState(S::tf1TrainStrt);
}

void TPxFaxTransmitter::class1TrainStrt() {
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

void TPxFaxTransmitter::class1TrainFnsh() {
    if (!lineIs(Word::kOK)) {
        return;
    }
    if (options & afSoftwareFlow) {
        line_.setSoftwareFlow(false, false);
    }
    pause(kTurnaroundPauseMs);
    frameWasFinal_ = false;
    negative_ = false;
    listenForFrames();
    cfrReceived_ = false;
    setState(S::tf1WaitCFR);
}

void TPxFaxTransmitter::class1WaitCFR() {
    if (!lineIs(Word::kOK)) {
        return;
    }
    if (!frameWasFinal_) {
        listenForFrames();
        return;
    }
    pause(kTurnaroundPauseMs);
    if (cfrReceived_) {
        writeModulationCommand("AT+FTM=" + std::string(class1Speed(modem.speedIndex).pageCode));
        setState(S::tf1WaitPgCn);
    } else {
        frameWasFinal_ = false;
        talkFrames();
        setState(S::tf1TSIRespns);
    }
}

void TPxFaxTransmitter::class1WaitPgCn() {
    if (!lineIs(Word::kConnect)) {
        return;
    }
    line_.armResponseTimer(kXonWait);
    setState(S::tfWaitXon);
}

// ------------------------------------------------------------ Class 2 negotiation

void TPxFaxTransmitter::class2Connect() {
    if (lineIs(Word::kFcon)) {
        line_.armResponseTimer(modem.dataTimeout);
        setState(S::tf2GetParams);
        return;
    }
    dialOutcome();
}

void TPxFaxTransmitter::class2GetParams() {
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

// ------------------------------------------------------------ page data

void TPxFaxTransmitter::waitXon(TFaxEvent event) {
    bool go = event == TFaxEvent::ResponseTimer;
    uint8_t byte;
    while (!go && event == TFaxEvent::Data && line_.readByte(byte)) {
        go = byte == kXon;
    }
    if (go) {
        line_.armOutputFree(kBlock);
        line_.armResponseTimer(modem.dataTimeout);
        setState(S::tfWaitFrHead);
        // The output is normally empty here, so the trigger fires at once.
    }
}

void TPxFaxTransmitter::waitFrHead(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event != TFaxEvent::OutputFree) {
        return;
    }
    setProgress(fpSendPage);
    if (options & afSoftwareFlow) {
        line_.setSoftwareFlow(true, false);
    }
    setState(S::tfSndPgeHdr);
}

void TPxFaxTransmitter::sendRecord(const uint8_t* data, size_t size) {
    writeStuffed(data, size);
    if (size < minBytesPerLine_) {
        std::vector<uint8_t> pad(minBytesPerLine_ - size, 0);
        writeBytes(pad.data(), pad.size());
    }
}

void TPxFaxTransmitter::sendBlankLines() {
    for (int i = 0; i < kBlankLines; ++i) {
        writeBytes(kApfBlankRecord.data(), kApfBlankRecord.size());
        if (minBytesPerLine_ >= 7) {
            std::vector<uint8_t> pad(minBytesPerLine_ - 5, 0);
            writeBytes(pad.data(), pad.size());
        }
    }
}

unsigned TPxFaxTransmitter::pageWidth() const {
    return (pageFlags_ & kApfWide) ? kWidePageWidth : kPageWidth;
}

void TPxFaxTransmitter::sendTextRow(const uint8_t* raster) {
    TPxT4Encoder::Record record;
    size_t n = TPxT4Encoder::codeLine(raster, pageWidth(), 0, false, record.data());
    sendRecord(record.data(), n);
}

std::unique_ptr<TPxCustomTextReader> TPxFaxTransmitter::makeTextReader(TFaxTextUse use,
                                                                       ErrorCode& rc) const {
    const bool fine = resolution_ == '1';
    rc = ecOK;
    std::unique_ptr<TPxCustomTextReader> reader;
    if (textReaderFactory) {
        reader = textReaderFactory(use, fine);
        if (!reader) {
            rc = ecFontFileNotFound;
            return nullptr;
        }
    } else {
        auto plain = std::make_unique<TPxTextReader>();
        rc = use == TFaxTextUse::HeaderLine
                 ? plain->setup(TFaxFont::ffSmall, fine, kPageWidth, 0)
                 : plain->setup(TFaxFont::ffStandard, fine, kPageWidth, kTextMargin);
        if (rc != ecOK) {
            return nullptr;
        }
        reader = std::move(plain);
    }
    if (use == TFaxTextUse::TextCover) {
        // A text cover's "$" words are filled in as each line is drawn, with
        // the values of the page it is on.
        reader->setLineFilter(
            [this](const std::string& line) { return substituteHeader(line, headerValues()); });
    }
    return reader;
}

TPxHeaderValues TPxFaxTransmitter::headerValues() const {
    TPxHeaderValues values;
    values.date = nowText(true);
    values.time = nowText(false);
    values.stationId = stationId;
    values.sender = headerSender;
    values.recipient = headerRecipient;
    values.title = headerTitle;
    values.totalPages = totalPages;
    values.pageNumber =
        !hasCover ? currentPage : (sendingCover_ ? coverPage_ : currentPage + coverPages);
    return values;
}

void TPxFaxTransmitter::sendPageHeader() {
    if (!headerLine.empty()) {
        ErrorCode rc = ecOK;
        std::unique_ptr<TPxCustomTextReader> reader = makeTextReader(TFaxTextUse::HeaderLine, rc);
        if (!reader) {
            return fail(rc);
        }
        std::string text = substituteHeader(headerLine, headerValues());
        sendBlankLines();
        // The reader's rows may be wider than the page: what lies beyond the
        // page width is cut off.
        std::vector<uint8_t> line(kWidePageWidth / 8);
        const size_t lineBytes = pageWidth() / 8;
        rc = reader->drawText(text, [&](const uint8_t* raster, unsigned len) {
            std::fill(line.begin(), line.end(), 0);
            std::copy_n(raster, std::min<size_t>(len, lineBytes), line.begin());
            sendTextRow(line.data());
        });
        if (rc != ecOK) {
            return fail(rc);
        }
    } else {
        sendBlankLines();
    }
    uint32_t queued = line_.outputCount();
    uint32_t target = std::min(bufferMinimum, kMaxPad);
    if (queued < target) {
        std::vector<uint8_t> zeros(target - queued, 0);
        writeBytes(zeros.data(), zeros.size());
    }
    setState(sendingCover_ ? S::tfOpenCover : S::tfPrepPage);
}

ErrorCode TPxFaxTransmitter::countCoverPages() {
    coverPages = 0;
    if (coverIsApf_) {
        TPxApfReader cover;
        if (cover.open(coverFile) != ecOK || cover.pageCount() == 0) {
            return ecFaxBadFormat;
        }
        coverPages = cover.pageCount();
        return ecOK;
    }
    // A dry pass: the reader pages the text as it will when it is sent.
    ErrorCode rc = ecOK;
    std::unique_ptr<TPxCustomTextReader> reader = makeTextReader(TFaxTextUse::TextCover, rc);
    if (!reader) {
        return rc;
    }
    rc = skipTextPages(*reader, -1);
    reader->close();
    return rc;
}

ErrorCode TPxFaxTransmitter::skipTextPages(TPxCustomTextReader& reader, int pages) {
    ErrorCode rc = reader.open(coverFile);
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes);
    for (int skipped = 0; rc == ecOK && skipped != pages;) {
        unsigned len = 0;
        bool endOfPage = false;
        bool more = false;
        rc = reader.readLine(raster.data(), len, endOfPage, more);
        if (rc == ecOK && endOfPage) {
            ++skipped;
            if (pages < 0) {
                coverPages = skipped;
            }
            if (!more) {
                break;
            }
        }
    }
    return rc;
}

void TPxFaxTransmitter::openCover() {
    if (coverIsApf_) {
        if (!loadPage(coverFile, coverPage_)) {
            return fail(ecFaxBadFormat);
        }
        setState(S::tfPrepPage);
        return;
    }
    if (!textCover_) {
        // The first cover page, or one sent again: the text is read from its
        // start up to this page.
        ErrorCode rc = ecOK;
        textCover_ = makeTextReader(TFaxTextUse::TextCover, rc);
        if (textCover_) {
            rc = skipTextPages(*textCover_, coverPage_ - 1);
        }
        if (rc != ecOK) {
            textCover_.reset();
            return fail(rc);
        }
    }
    line_.armOutputFree(kBlock);
    line_.armResponseTimer(modem.dataTimeout);
    setProgress(fpSendPage);
    setState(S::tfSendCover);
}

void TPxFaxTransmitter::endPageData() {
    if (isClass1()) {
        writeDleEtx();
    }
    setProgress(fpSendPage);
    line_.armOutputUsed(0);
    setState(S::tfDrainPage);
}

void TPxFaxTransmitter::sendCover(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event != TFaxEvent::OutputFree) {
        return;
    }
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes);
    while (line_.outputFree() > kBlock) {
        std::fill(raster.begin(), raster.end(), 0);
        unsigned len = 0;
        bool endOfPage = false;
        bool more = false;
        const ErrorCode rc = textCover_->readLine(raster.data(), len, endOfPage, more);
        if (rc != ecOK) {
            return fail(rc);
        }
        if (endOfPage) {
            // Six EOLs end the page (T.4 RTC).
            writeBytes(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
            if (!more || coverPage_ >= coverPages) {
                textCover_->close();
                textCover_.reset();
            }
            endPageData();
            return;
        }
        TPxT4Encoder::Record record;
        size_t n =
            TPxT4Encoder::codeLine(raster.data(), pageWidth(), kTextMargin, false, record.data());
        sendRecord(record.data(), n);
    }
    line_.armOutputFree(kBlock);
    line_.armResponseTimer(modem.dataTimeout);
}

bool TPxFaxTransmitter::loadPage(const std::string& file, int page) {
    TPxApfReader reader;
    ApfPageInfo info;
    if (reader.open(file) != ecOK || reader.findPage(static_cast<unsigned>(page), info) != ecOK) {
        return false;
    }
    pageData_.clear();
    const ErrorCode rc = reader.readPage(info, [&](const uint8_t* data, size_t size) {
        pageData_.insert(pageData_.end(), data, data + size);
        return true;
    });
    pageFlags_ = info.header.flags;
    pageOffset_ = 0;
    return rc == ecOK;
}

void TPxFaxTransmitter::prepPage() {
    if (!sendingCover_ || !coverIsApf_) {
        if (currentPage == 0) {
            currentPage = 1;
        }
        if (!loadPage(faxFile, currentPage)) {
            return fail(ecFaxBadFormat);
        }
    }
    pageBytesSent = 0;
    pageLength = static_cast<uint32_t>(pageData_.size());
    line_.armOutputFree(kBlock);
    line_.armResponseTimer(modem.dataTimeout);
    setState(S::tfSendPage);
}

void TPxFaxTransmitter::sendPage(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event == TFaxEvent::Data) {
        line_.flushInput();
        return;
    }
    if (event != TFaxEvent::OutputFree && event != TFaxEvent::OutputUsed) {
        return;
    }
    for (int n = 0; n < maxSendCount; ++n) {
        if (line_.outputCount() > bufferMinimum || line_.outputFree() < kBlock) {
            break;
        }
        if (pageOffset_ >= pageData_.size()) {
            endPageData();
            return;
        }
        size_t size = std::min<size_t>(kBlock, pageData_.size() - pageOffset_);
        writeStuffed(pageData_.data() + pageOffset_, size);
        pageOffset_ += size;
        pageBytesSent = static_cast<uint32_t>(pageOffset_);
    }
    if (pageOffset_ >= pageData_.size()) {
        endPageData();
        return;
    }
    // Refill when the modem has taken the queue down to the minimum.
    line_.armOutputUsed(bufferMinimum);
    line_.armResponseTimer(modem.dataTimeout);
}

bool TPxFaxTransmitter::morePages() const {
    if (sendingCover_) {
        return coverPage_ < coverPages || (fileOpen_ && file_.pageCount() > 0);
    }
    return fileOpen_ && currentPage < file_.pageCount();
}

void TPxFaxTransmitter::takePageFlags(const TPxApfReader& reader, int page) {
    ApfPageInfo info;
    if (reader.findPage(static_cast<unsigned>(page), info) == ecOK) {
        pageFlags_ = info.header.flags;
        resolution_ = (pageFlags_ & kApfFine) ? '1' : '0';
    }
}

void TPxFaxTransmitter::advancePage() {
    previousResolution_ = resolution_;
    if (sendingCover_ && coverPage_ < coverPages) {
        ++coverPage_;
        TPxApfReader cover;
        if (coverIsApf_ && cover.open(coverFile) == ecOK) {
            takePageFlags(cover, coverPage_);
        }
        return;
    }
    if (sendingCover_) {
        sendingCover_ = false;
        currentPage = 1;
    } else {
        ++currentPage;
    }
    takePageFlags(file_, currentPage);
}

void TPxFaxTransmitter::stepBackPage() {
    resolution_ = previousResolution_;
    if (sendingCover_) {
        --coverPage_;
    } else if (currentPage > 1) {
        --currentPage;
    } else if (hasCover) {
        sendingCover_ = true;
        coverPage_ = coverPages;
        currentPage = 0;
    }
}

void TPxFaxTransmitter::drainPage(TFaxEvent event) {
    if (event == TFaxEvent::ResponseTimer) {
        return fail(ecTimeout);
    }
    if (event != TFaxEvent::OutputUsed) {
        return;
    }
    if (options & afSoftwareFlow) {
        line_.setSoftwareFlow(false, false);
    }
    more_ = morePages();
    if (more_) {
        advancePage();
    }
    line_.armResponseTimer(modem.dataTimeout);
    if (isClass1()) {
        setState(S::tf1PageEnd);
    } else if (faxClass == TFaxClass::fcClass2) {
        writeDleEtx();
        setState(S::tf2SendEOP);
    } else {
        const uint8_t mark = !more_                               ? kPageEndLast
                             : resolution_ != previousResolution_ ? kPageEndNewParameters
                                                                  : kPageEndMore;
        const uint8_t end[2] = {kDle, mark};
        writeBytes(end, 2);
        setState(S::tf2SendEOP);
    }
    setProgress(fpSendPage);
    statusNow_ = true;
}

// ------------------------------------------------------------ Class 1 page end

void TPxFaxTransmitter::class1PageEnd() {
    if (!lineIs(Word::kOK)) {
        return;
    }
    retry_ = 0;
    setProgress(fpSendPageStatus);
    setState(S::tf1PrepEOP);
}

void TPxFaxTransmitter::class1PrepEOP() {
    ++retry_;
    if (retry_ > kPostPageTries) {
        return fail(ecTimeout);
    }
    pause(retry_ == 1 ? kPostPagePauseMs : kPostPageRetryPauseMs);
    talkFrames();
    setState(S::tf1SendEOP);
}

void TPxFaxTransmitter::class1SendEOP() {
    if (lineIsError()) {
        setState(S::tf1PrepEOP);
        return;
    }
    if (!lineIs(Word::kConnect)) {
        return;
    }
    uint8_t fcf = !more_ ? fcfEOP : (fastPage ? fcfMPS : fcfEOM);
    writeFrame({fcf}, true);
    setState(more_ ? S::tf1WaitMPS : S::tf1WaitEOP);
}

void TPxFaxTransmitter::class1WaitPostPage() {
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

void TPxFaxTransmitter::class1WaitMCF() {
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
            return fail(ecFaxSessionError);
        case withoutXBit(fcfMCF):
            setProgress(fpPageOK);
            if (more_) {
                if (fastPage) {
                    // The next page follows on the same training: V.17 short train.
                    writeModulationCommand("AT+FTM=" +
                                           std::string(class1Speed(modem.speedIndex).pageCode));
                    setState(S::tf1WaitPgCn);
                } else {
                    talkFrames();
                    setState(S::tf1TSIRespns);
                }
            } else {
                talkFrames();
                setState(S::tf1SendDCN);
            }
            return;
        case withoutXBit(fcfRTP):
            talkFrames();
            setState(more_ ? S::tf1TSIRespns : S::tf1SendDCN);
            return;
        default:
            listenForFrames();
            line_.armResponseTimer(kT4ResponseWait);
            return;
    }
}

void TPxFaxTransmitter::class1SendDCN() {
    if (!lineIs(Word::kConnect)) {
        return;
    }
    writeFrame({fcfDCN}, true);
    setState(S::tf1Hangup);
}

void TPxFaxTransmitter::class1Hangup() {
    if (!lineIs(Word::kOK)) {
        return;
    }
    writeAtCommand("ATH");
    line_.armResponseTimer(kHangupWait);
    setState(S::tf1WaitHngp);
}

void TPxFaxTransmitter::class1WaitHngp() {
    if (lineIs(Word::kOK)) {
        setState(S::tfClose);
    }
}

// ------------------------------------------------------------ Class 2 page end

void TPxFaxTransmitter::class2SendEOP() {
    collector_.reset();
    line_.armResponseTimer(modem.dataTimeout);
    setProgress(fpSendPageStatus);
    statusNow_ = true;
    setState(faxClass == TFaxClass::fcClass2 ? S::tf2WaitFPTS : S::tf20ChckPg);
}

void TPxFaxTransmitter::class2WaitFPTS() {
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

void TPxFaxTransmitter::class2WaitFET() {
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

void TPxFaxTransmitter::class2WaitPgOK() {
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

void TPxFaxTransmitter::class2SndNwPrm() {
    if (!more_) {
        setState(S::tfClose);
        return;
    }
    writeAtCommand(c2(modem.vocabulary.sessionParams) + "=" + resolution_);
    setState(S::tf2GetParams);
}

void TPxFaxTransmitter::class2NextPage() {
    if (!more_) {
        setState(S::tfClose);
        return;
    }
    pause(kNextPagePauseMs);
    writeAtCommand("AT+FDT");
    setState(S::tf2GetParams);
}

void TPxFaxTransmitter::class20ChckPg() {
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

// ------------------------------------------------------------ endings

void TPxFaxTransmitter::closeFiles() {
    file_.close();
    fileOpen_ = false;
    if (textCover_) {
        textCover_->close();
        textCover_.reset();
    }
    pageData_.clear();
}

void TPxFaxTransmitter::close() {
    closeFiles();
    setProgress(fpFinished);
    reportLog(lfaxTransmitOk);
    setState(S::tfGetEntry);
    switchLineRate(false);
}

void TPxFaxTransmitter::completeOK() {
    reportStatus(false, true);
    setState(S::tfDone);
    reportFinish();
}

void TPxFaxTransmitter::abortSession() {
    closeFiles();
    reportLog(lfaxTransmitFail);
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

}  // namespace px
