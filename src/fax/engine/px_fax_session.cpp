#include "fax/engine/px_fax_session.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <ctime>
#include <string_view>
#include <utility>

namespace px {

TPxClass2Vocabulary TPxClass2Vocabulary::forClass(TFaxClass faxClass) {
    TPxClass2Vocabulary v;
    if (faxClass == TFaxClass::fcClass2_0) {
        v.classSelect = "CLASS=2.0";
        v.sessionParams = "IS";
        v.localId = "LI";
        v.capabilities = "CC";
    }
    return v;
}

std::string TPxModemRecord::defaultInit() const {
    if (detectBusy) {
        return blindDial ? "ATE0Q0V1X3S0=0S2=43" : "ATE0Q0V1X4S0=0S2=43";
    }
    return blindDial ? "ATE0Q0V1X1S0=0S2=43" : "ATE0Q0V1X2S0=0S2=43";
}

std::string normaliseModemString(const std::string& text) {
    std::string s = text.substr(0, kModemStringLength);
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (!s.empty() && s.find("AT") == std::string::npos) {
        s = "AT" + s;
    }
    return s.substr(0, kModemStringLength);
}

namespace {

// The value of a two-character header code ("$P"); false for an unknown one.
bool headerCode(std::string_view code, const TPxHeaderValues& v, std::string& out) {
    if (code.size() != 2 || code[0] != '$') {
        return false;
    }
    const std::pair<char, std::string> codes[] = {{'D', v.date},
                                                  {'T', v.time},
                                                  {'I', v.stationId},
                                                  {'F', v.sender},
                                                  {'R', v.recipient},
                                                  {'S', v.title},
                                                  {'N', std::to_string(v.totalPages)},
                                                  {'P', std::to_string(v.pageNumber)}};
    for (const auto& [letter, text] : codes) {
        if (letter == code[1]) {
            out += text;
            return true;
        }
    }
    return false;
}

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

std::string substituteHeader(const std::string& line, const TPxHeaderValues& values) {
    std::string out;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] != '$' || (i > 0 && line[i - 1] != ' ')) {
            out.push_back(line[i++]);
            continue;
        }
        size_t end = line.find(' ', i);
        if (end == std::string::npos) {
            end = line.size();
        }
        const std::string_view word = std::string_view(line).substr(i, end - i);
        i = end;
        // A word that starts with a code and goes on with punctuation ("$P/$N",
        // "$P,") keeps the punctuation, and codes within it are replaced too.
        // Any other word that begins with "$" is dropped whole.
        if (word.size() > 2 && isWordChar(word[2])) {
            continue;
        }
        std::string text;
        if (!headerCode(word.substr(0, 2), values, text)) {
            continue;
        }
        for (size_t k = 2; k < word.size();) {
            const std::string_view rest = word.substr(k, 2);
            const bool alone = k + 2 >= word.size() || !isWordChar(word[k + 2]);
            if (alone && headerCode(rest, values, text)) {
                k += 2;
            } else {
                text.push_back(word[k++]);
            }
        }
        out += text;
    }
    return out;
}

char class2SpeedDigit(uint32_t bps) {
    switch (bps) {
        case 2400:
            return '0';
        case 4800:
            return '1';
        case 7200:
            return '2';
        case 12000:
            return '4';
        case 14400:
            return '5';
        default:
            return '3';
    }
}

uint32_t class2DigitSpeed(char digit) {
    switch (digit) {
        case '0':
            return 2400;
        case '1':
            return 4800;
        case '2':
            return 7200;
        case '4':
            return 12000;
        case '5':
            return 14400;
        default:
            return 9600;
    }
}

void parseClass2Params(const std::string& params, TPxModemRecord& modem) {
    // Positional: resolution, speed, width, length, compression, ECM, BFT, scan time.
    std::vector<std::string> fields;
    std::string field;
    for (char c : params) {
        if (c == ',') {
            fields.push_back(trimLine(field));
            field.clear();
        } else {
            field.push_back(c);
        }
    }
    fields.push_back(trimLine(field));
    auto at = [&](size_t n) {
        return n < fields.size() && !fields[n].empty() ? fields[n][0] : '0';
    };
    modem.fine = at(0) == '1';
    uint32_t bps = class2DigitSpeed(at(1));
    for (int i = 1; i <= kSpeedCount; ++i) {
        if (class1Speed(i).bps == bps) {
            modem.speedIndex = i;
        }
    }
    modem.wide = at(2) == '1';
    modem.negotiatedEcm = at(5) != '0';
    modem.scanCode = std::clamp(at(7) - '0', 0, 7);
}

TPxFaxSession::TPxFaxSession(TPxFaxLine& line, TPxFaxClient& client)
    : line_(line), client_(client) {}

ErrorCode TPxFaxSession::start() {
    errorCode = ecOK;
    finished_ = false;
    firstStatusSent_ = false;
    line_.suspendEvents(true);
    bool ok = prepare();
    line_.suspendEvents(false);
    if (!ok || errorCode != ecOK) {
        if (errorCode == ecOK) {
            errorCode = ecFaxBadModemResult;
        }
        reportStatus(false, true);
        finished_ = true;
        client_.finish(errorCode);
        return errorCode;
    }
    running_ = true;
    step(TFaxEvent::Data);
    if (!finished_) {
        line_.armStatusTimer(secondsToTicks(statusInterval));
    }
    return ecOK;
}

void TPxFaxSession::handleEvent(TFaxEvent event) {
    if (finished_ || !running_) {
        return;
    }
    if (event == TFaxEvent::Abort) {
        setProgress(fpCancel);
        errorCode = ecCancelRequested;
        enterAbort();
        return;
    }
    if (event == TFaxEvent::StatusTimer) {
        reportStatus();
        if (!finished_) {
            line_.armStatusTimer(secondsToTicks(statusInterval));
        }
        return;
    }
    step(event);
    if (statusNow_ && !finished_) {
        statusNow_ = false;
        reportStatus();
    }
}

// ------------------------------------------------------------ modem talk

void TPxFaxSession::writeBytes(const uint8_t* data, size_t size) {
    if (size > 0) {
        line_.write(data, size);
        bytesWritten_ += size;
    }
}

void TPxFaxSession::writeText(const std::string& text) {
    writeBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void TPxFaxSession::writeStuffed(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    out.reserve(size + size / 16 + 2);
    for (size_t i = 0; i < size; ++i) {
        out.push_back(data[i]);
        if (data[i] == kDle) {
            out.push_back(kDle);
        }
    }
    writeBytes(out.data(), out.size());
}

void TPxFaxSession::writeDleEtx() {
    const uint8_t end[2] = {kDle, kEtx};
    writeBytes(end, 2);
}

void TPxFaxSession::restartResponseWait() {
    collector_.reset();
    line_.armResponseTimer(modem.responseTimeout);
}

void TPxFaxSession::writeAtCommand(const std::string& text) {
    pause(kAtCommandPauseMs);
    writeText(text + "\r");
    restartResponseWait();
}

void TPxFaxSession::writeModulationCommand(const std::string& text) {
    pause(kModulationPauseMs);
    writeText(text + "\r");
    restartResponseWait();
}

void TPxFaxSession::listenForFrames() {
    pause(kModulationPauseMs);
    writeText("AT+FRH=3\r");
    restartResponseWait();
}

void TPxFaxSession::talkFrames() {
    pause(kModulationPauseMs);
    writeText("AT+FTH=3\r");
    restartResponseWait();
}

void TPxFaxSession::writeFrame(const TPxFrameBody& body, bool final) {
    pause(kFramePauseMs);
    const uint8_t head[2] = {kHdlcAddress, final ? kControlFinal : kControlNotFinal};
    writeBytes(head, 2);
    writeStuffed(body.data(), body.size());
    writeDleEtx();
}

bool TPxFaxSession::commandAndAwaitOK(const std::string& command) {
    writeText("");
    pause(kAtCommandPauseMs);
    line_.flushInput();
    writeText(command + "\r");
    TPxClock& clock = line_.clock();
    TPxResponseCollector lines;
    auto readLine = [&](int32_t ticks, std::string& out) {
        const uint32_t limit = static_cast<uint32_t>(ticks) * kMsPerTick;
        const uint32_t begin = clock.milliseconds();
        while (clock.milliseconds() - begin < limit) {
            uint8_t byte;
            if (!line_.readByte(byte)) {
                clock.sleep(kReadPollMs);
                continue;
            }
            if (lines.feed(byte) == TPxResponseCollector::Result::Line) {
                if (lines.line() == command) {
                    continue;  // the modem's echo
                }
                out = lines.line();
                return true;
            }
        }
        return false;
    };
    std::string reply;
    bool ok = false;
    if (readLine(modem.responseTimeout, reply)) {
        const TModemResult word = modemResult(reply, faxClass);
        if (isErrorResult(word)) {
            ok = false;
        } else if (word == TModemResult::kOK) {
            ok = true;
        } else {
            std::string more;
            ok = readLine(modem.responseTimeout, more) &&
                 !isErrorResult(modemResult(more, faxClass));
            if (ok) {
                collector_ = lines;
            }
        }
        lastReply_ = reply;
    }
    pause(kAfterReplyPauseMs);
    line_.flushInput();
    return ok;
}

TFaxClass TPxFaxSession::detectClass() {
    bool ok = false;
    for (int attempt = 0; attempt < 2 && !ok; ++attempt) {
        ok = commandAndAwaitOK(modem.defaultInit());
    }
    if (!ok || !commandAndAwaitOK("AT+FCLASS=?")) {
        return TFaxClass::fcUnknown;
    }
    const std::string& answer = lastReply_;
    bool c1 = answer.find('1') != std::string::npos;
    bool c20 = answer.find("2.0") != std::string::npos;
    bool c2 = c20 ? answer.find("2,") != std::string::npos : answer.find('2') != std::string::npos;
    detectedClasses = (c1 ? fcbClass1 : 0u) | (c2 ? fcbClass2 : 0u) | (c20 ? fcbClass2_0 : 0u);
    if (c20) {
        return TFaxClass::fcClass2_0;
    }
    if (c2) {
        return TFaxClass::fcClass2;
    }
    return c1 ? TFaxClass::fcClass1 : TFaxClass::fcUnknown;
}

bool TPxFaxSession::probeSpeeds(bool transmit) {
    if (!commandAndAwaitOK("AT+FCLASS=1")) {
        return false;
    }
    modem.speeds.fill(false);
    modem.speeds[1] = modem.speeds[2] = true;
    if (!commandAndAwaitOK(transmit ? "AT+FTM=?" : "AT+FRM=?")) {
        return false;
    }
    const std::string& answer = lastReply_;
    const char* codes[] = {"72", "96", "121", "145"};
    for (int i = 0; i < 4; ++i) {
        modem.speeds[static_cast<size_t>(i + 3)] = answer.find(codes[i]) != std::string::npos;
    }
    modem.speedIndex = 1;
    for (int i = 1; i <= kSpeedCount; ++i) {
        if (modem.speeds[static_cast<size_t>(i)]) {
            modem.speedIndex = i;
        }
    }
    return true;
}

bool TPxFaxSession::initModem() {
    if (modem.initialised) {
        return true;
    }
    if (!modem.userInit.empty() && !commandAndAwaitOK(modem.userInit)) {
        return false;
    }
    if (!commandAndAwaitOK(modem.defaultInit())) {
        return false;
    }
    modem.initialised = true;
    return true;
}

void TPxFaxSession::switchLineRate(bool toNormal) {
    uint32_t baud = toNormal ? modem.normalBaud : modem.initBaud;
    if (modem.initBaud == 0 || baud == 0) {
        return;
    }
    pause(kLineRatePauseMs);
    line_.setBaud(baud);
}

bool TPxFaxSession::noteHangup(const std::string& text) {
    if (isClass1() || modemResult(text, faxClass) != TModemResult::kFhng) {
        return false;
    }
    modem.hangupCode = std::max(0, hangupCode(text));
    return true;
}

void TPxFaxSession::sendDcnBeforeHangUp() {
    writeText("AT+FTH=3\r");
    pause(kFrameConnectPauseMs);
    line_.flushInput();
    writeFrame({fcfDCN}, true);
    pause(kDcnOnLinePauseMs);
    line_.flushInput();
}

void TPxFaxSession::hangUpLine() {
    if (line_.dcd()) {
        pause(kEscapeGuardMs);
        writeText("+++");
        pause(kEscapeGuardMs);
        writeText("ATH0\r");
        pause(kEscapeGuardMs);
        line_.flushInput();
        if (line_.dcd()) {
            line_.flushInput();
            line_.flushOutput();
            line_.setDtrRts(false, false);
            pause(kDtrDropMs);
            line_.setDtrRts(true, true);
            pause(kDtrDropMs);
        }
    } else {
        writeText("ATH0\r");
        pause(kEscapeGuardMs);
        line_.flushInput();
    }
    collector_.reset();
}

// ------------------------------------------------------------ reports

void TPxFaxSession::reportStatus(bool first, bool last) {
    if (first) {
        firstStatusSent_ = true;
    }
    client_.status(first, last);
}

void TPxFaxSession::reportError(ErrorCode code) {
    assert(code < 0);
    errorCode = code;
    client_.error(code);
}

void TPxFaxSession::reportLog(int code) {
    client_.log(code);
}

void TPxFaxSession::reportFinish() {
    line_.disarmAll();
    running_ = false;
    finished_ = true;
    client_.finish(errorCode);
}

}  // namespace px
