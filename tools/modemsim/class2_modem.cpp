#include "class2_modem.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "simulator.h"
#include "tiff_pages.h"

namespace px {

namespace {

constexpr uint8_t kDle = 0x10;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kDc1 = 0x11;  // XON
constexpr uint8_t kDc2 = 0x12;
constexpr uint8_t kSub = 0x1A;
// A DTE that stays silent this long while the line stands still is gone.
constexpr double kDteSilenceLimit = 120.0;
// Octets of page data the modem takes ahead of the line.
constexpr double kModemBuffer = 256;

const Class2Vocabulary kClass2{false, "2",   "DIS", "DCC", "LID", "CON",
                               "DCS", "TSI", "CSI", "PTS", "HNG"};
const Class2Vocabulary kClass20{true, "2.0", "IS", "CC", "LI", "CO", "CS", "TI", "CI", "PS", "HS"};

std::string unquote(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return text.substr(0, 20);
}

std::string trimmed(const char* text) {
    std::string s = text != nullptr ? text : "";
    auto first = s.find_first_not_of(' ');
    auto last = s.find_last_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

}  // namespace

const Class2Vocabulary& Class2Vocabulary::of(bool is20) {
    return is20 ? kClass20 : kClass2;
}

std::string FaxParameters::format() const {
    std::ostringstream out;
    out << vr << ',' << br << ',' << wd << ',' << ln << ',' << df << ',' << ec << ',' << bf << ','
        << st;
    return out.str();
}

bool FaxParameters::parse(const std::string& text) {
    std::stringstream in(text);
    std::string item;
    std::size_t n = 0;
    FaxParameters updated = *this;
    int* target[] = {&updated.vr, &updated.br, &updated.wd, &updated.ln,
                     &updated.df, &updated.ec, &updated.bf, &updated.st};
    while (std::getline(in, item, ',')) {
        if (n >= std::size(target)) {
            return false;
        }
        if (!item.empty()) {
            char* end = nullptr;
            long v = std::strtol(item.c_str(), &end, 10);
            if (*end != '\0' || v < 0 || v > 7) {
                return false;
            }
            *target[n] = static_cast<int>(v);
        }
        ++n;
    }
    if (updated.br > 5 || updated.vr > 1) {
        return false;
    }
    *this = updated;
    return true;
}

int FaxParameters::bitRate() const {
    static const int rates[] = {2400, 4800, 7200, 9600, 12000, 14400};
    return rates[br < 0 || br > 5 ? 3 : br];
}

int FaxParameters::brForRate(int bps) {
    switch (bps) {
        case 2400:
            return 0;
        case 4800:
            return 1;
        case 7200:
            return 2;
        case 12000:
            return 4;
        case 14400:
            return 5;
        default:
            return 3;
    }
}

FaxParameters parametersFromDis(const uint8_t* frame, int len) {
    FaxParameters p;
    p.vr = 0;
    p.br = 0;
    p.st = 0;
    if (len < 5) {
        return p;
    }
    // Bits 9 to 16 of the information field: T.30 bit 15 fine resolution,
    // bits 11 to 14 the modems (V.27 ter 0x08, V.29 0x04, V.17 0x20 with both).
    uint8_t b = frame[4];
    p.vr = (b & 0x40) != 0 ? 1 : 0;
    switch (b & 0x3C) {
        case 0x2C:
            p.br = 5;
            break;
        case 0x0C:
        case 0x04:
            p.br = 3;
            break;
        case 0x08:
            p.br = 1;
            break;
        default:
            p.br = 0;
    }
    if (len >= 6) {
        // Bits 17 and 18: 255 mm and 303 mm widths.
        p.wd = (frame[5] & 0x02) != 0 ? 2 : (frame[5] & 0x01) != 0 ? 1 : 0;
    }
    // Bit 27, in the fourth octet when the extension bit 24 is set: ECM.
    if (len >= 7 && (frame[5] & 0x80) != 0) {
        p.ec = (frame[6] & 0x04) != 0 ? 1 : 0;
    }
    return p;
}

int hangupCode(int completion, bool transmitting) {
    switch (completion) {
        case T30_ERR_OK:
            return 0;
        case T30_ERR_T0_EXPIRED:
        case T30_ERR_T1_EXPIRED:
            return 11;  // no answer (T.30 T1 time-out)
        case T30_ERR_CANNOT_TRAIN:
            return 27;  // failure to train
        case T30_ERR_INCOMPATIBLE:
        case T30_ERR_RX_INCAPABLE:
        case T30_ERR_NORESSUPPORT:
        case T30_ERR_NOSIZESUPPORT:
            return 21;  // remote cannot receive or send
        case T30_ERR_TX_BADDCS:
        case T30_ERR_TX_PHBDEAD:
            return 25;  // DCS sent three times without response
        case T30_ERR_TX_INVALRSP:
            return 53;  // invalid response to the post-page message
        case T30_ERR_TX_PHDDEAD:
            return 54;  // no response to EOP
        case T30_ERR_CALLDROPPED:
            return transmitting ? 50 : 100;
        default:
            return transmitting ? 50 : 70;
    }
}

Class2Modem::Class2Modem(PtyPort& port, LineListener& listener, bool class20, bool verbose)
    : port_(port), listener_(listener), words_(Class2Vocabulary::of(class20)), verbose_(verbose) {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/pxc2XXXXXX";
    if (mkdtemp(dir.data()) == nullptr) {
        throw std::runtime_error("cannot create a work folder for the Class 2 modem");
    }
    workDir_ = dir;
    capabilities_.ln = 2;
}

Class2Modem::~Class2Modem() {
    engine_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(workDir_, ignored);
}

void Class2Modem::respond(const std::string& text) {
    if (silenced_ || quiet_) {
        return;
    }
    port_.write(verboseResults_ ? "\r\n" + text + "\r\n" : text + "\r");
}

void Class2Modem::result(bool ok) {
    if (silenced_ || quiet_) {
        return;
    }
    if (verboseResults_) {
        respond(ok ? "OK" : "ERROR");
    } else {
        port_.write(ok ? "0\r" : "4\r");
    }
}

void Class2Modem::fromDte(const uint8_t* data, std::size_t len) {
    for (std::size_t i = 0; i < len && !silenced_; ++i) {
        uint8_t b = data[i];
        if (dataMode_) {
            dataFromDte(b);
            continue;
        }
        if (awaitingDc2_) {
            // Class 2 DTEs start the page with DC2 (some with XON).
            if (b == kDc2 || b == kDc1) {
                awaitingDc2_ = false;
                sendNextReceivedPage();
            }
            continue;
        }
        if (b == '\r') {
            if (echo_) {
                port_.write(&b, 1);
            }
            std::string line = lineBuffer_;
            lineBuffer_.clear();
            commandLine(line);
        } else if (b == 0x08) {
            if (!lineBuffer_.empty()) {
                lineBuffer_.pop_back();
            }
        } else if (b >= 0x20 && b < 0x7F) {
            if (echo_) {
                port_.write(&b, 1);
            }
            if (lineBuffer_.size() < 256) {
                lineBuffer_ += static_cast<char>(b);
            }
        }
    }
}

void Class2Modem::commandLine(const std::string& line) {
    if (line.find_first_not_of(' ') == std::string::npos) {
        return;
    }
    auto commands = parseAtLine(line);
    if (!commands) {
        result(false);
        return;
    }
    for (const AtCommand& cmd : *commands) {
        bool deferred = cmd.name == "D" || cmd.name == "A" ||
                        (cmd.name == "+FDT" && cmd.op == AtCommand::Op::Exec) ||
                        (cmd.name == "+FDR" && cmd.op == AtCommand::Op::Exec);
        if (!execute(cmd)) {
            result(false);
            return;
        }
        if (deferred || dataMode_ || awaitingDc2_ || (pagesDone_ && !resultReported_)) {
            // The call's progress gives the result.
            return;
        }
    }
    result(true);
}

bool Class2Modem::execute(const AtCommand& cmd) {
    using Op = AtCommand::Op;
    const std::string& n = cmd.name;
    if (n.rfind("+F", 0) == 0) {
        return faxCommand(cmd, n.substr(2));
    }
    int v = cmd.value.empty() ? 0 : std::atoi(cmd.value.c_str());
    if (n == "E") {
        echo_ = v != 0;
    } else if (n == "V") {
        verboseResults_ = v != 0;
    } else if (n == "Q") {
        quiet_ = v != 0;
    } else if (n == "Z" || n == "&F") {
        echo_ = true;
        verboseResults_ = true;
        quiet_ = false;
        sRegisters_.clear();
        settings_.clear();
        dteParams_ = FaxParameters{};
        capabilities_ = FaxParameters{};
        localId_.clear();
    } else if (n == "I") {
        respond(std::string("Parvex simulated Class ") + words_.classValue + " fax modem");
    } else if (n[0] == 'S' && n.size() > 1) {
        int reg = std::atoi(n.c_str() + 1);
        if (cmd.op == Op::Query) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "%03d", sRegisters_[reg]);
            respond(buf);
        } else {
            sRegisters_[reg] = v;
        }
    } else if (n == "H") {
        hangUp(true);
    } else if (n == "A") {
        if (rings_ == 0 || call_ != Call::None) {
            respond("NO CARRIER");
            return true;
        }
        listener_.onAnswer(*this);
        if (call_ == Call::None) {
            respond("NO CARRIER");
        }
    } else if (n == "D") {
        if (call_ != Call::None) {
            return false;
        }
        resetSession();
        call_ = Call::Dialling;
        listener_.onDial(*this, cmd.value);
    } else if (n == "O") {
        return false;
    }
    // X, L, M, &C, &D, &K, &W and the like change nothing here.
    return true;
}

bool Class2Modem::faxCommand(const AtCommand& cmd, const std::string& word) {
    using Op = AtCommand::Op;
    if (word == "CLASS") {
        if (cmd.op == Op::Test) {
            respond(std::string("0,") + words_.classValue);
        } else if (cmd.op == Op::Query) {
            respond(settings_.count("CLASS") != 0 ? settings_["CLASS"] : "0");
        } else if (cmd.op == Op::Set) {
            if (cmd.value != "0" && cmd.value != words_.classValue) {
                return false;
            }
            settings_["CLASS"] = cmd.value;
        }
        return true;
    }
    if (word == words_.dis || word == words_.dcc) {
        FaxParameters& p = word == words_.dis ? dteParams_ : capabilities_;
        if (cmd.op == Op::Set) {
            if (!p.parse(cmd.value)) {
                return false;
            }
            if (&p == &capabilities_) {
                // New capabilities become the session parameters too (T.32).
                dteParams_ = capabilities_;
            }
            return true;
        }
        if (cmd.op == Op::Query) {
            respond(p.format());
        } else if (cmd.op == Op::Test) {
            respond("(0,1),(0-5),(0-2),(0-2),(0),(0,1),(0),(0-7)");
        }
        return true;
    }
    if (word == words_.lid) {
        if (cmd.op == Op::Set) {
            localId_ = unquote(cmd.value);
        } else if (cmd.op == Op::Query) {
            respond("\"" + localId_ + "\"");
        } else if (cmd.op == Op::Test) {
            respond("(20)(32-127)");
        }
        return true;
    }
    if (word == "MFR" || word == "MI") {
        respond("Parvex");
        return true;
    }
    if (word == "MDL" || word == "MM") {
        respond(std::string("modemsim Class ") + words_.classValue);
        return true;
    }
    if (word == "REV" || word == "MR") {
        respond("1.0");
        return true;
    }
    if (word == "DT") {
        if (cmd.op != Op::Exec || call_ != Call::Sending || !haveDis_ || pagesDone_) {
            return false;
        }
        startPageTransfer();
        return true;
    }
    if (word == "DR") {
        if (cmd.op != Op::Exec || call_ != Call::Receiving) {
            return false;
        }
        if (!received_.empty()) {
            respond("+F" + std::string(words_.dcs) + ":" + session_.format());
            respond("CONNECT");
            awaitingDc2_ = true;
        } else {
            respond("+F" + std::string(words_.hng) + ":" +
                    hangupText(hangupCode(receiveCompletion_, false)));
            call_ = Call::None;
            engine_.reset();
            documentDone_ = true;
            result(true);
        }
        return true;
    }
    if (word == "ET") {
        if (cmd.op != Op::Set || call_ != Call::Sending || words_.is20) {
            return false;
        }
        if (cmd.value == "2") {
            pagesDone_ = true;
            lastPageEndedDocument_ = true;
        } else {
            respond("+F" + std::string(words_.pts) + ":1,0,0,0");
        }
        return true;
    }
    if (word == "KS" || word == "K") {
        hangUp(true);
        return true;
    }
    if (word == "PS" && cmd.op == Op::Query) {
        respond("+FPS:1,0,0,0,0");
        return true;
    }
    // Everything else (+FCR, +FAA, +FLO, +FNR, +FBOR, +FPHCTO, ...) is kept
    // and reported back.
    if (cmd.op == Op::Set) {
        settings_[word] = cmd.value;
    } else if (cmd.op == Op::Query) {
        respond(settings_.count(word) != 0 ? settings_[word] : "0");
    } else if (cmd.op == Op::Test) {
        respond("(0,1)");
    }
    return true;
}

std::string Class2Modem::hangupText(int code) const {
    if (!words_.is20) {
        return std::to_string(code);
    }
    // Class 2.0 writes the same codes as two hexadecimal digits (100 is A0).
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X", code / 10 * 16 + code % 10);
    return buf;
}

void Class2Modem::resetSession() {
    engine_.reset();
    haveDis_ = false;
    dataMode_ = false;
    afterDle_ = false;
    page_.clear();
    pagesToSend_.clear();
    pageParams_.clear();
    pagesDone_ = false;
    handedOver_ = false;
    lastPageEndedDocument_ = false;
    resultReported_ = false;
    received_.clear();
    postPage_.clear();
    pagesPlayed_ = 0;
    awaitingDc2_ = false;
    documentDone_ = false;
    rings_ = 0;
}

void Class2Modem::hangUp(bool byDte) {
    if ((call_ != Call::None || dataConnected_) && byDte) {
        call_ = Call::None;
        listener_.onHangup(*this);
    }
    call_ = Call::None;
    dataConnected_ = false;
    resetSession();
}

TerminalConfig Class2Modem::sessionConfig() const {
    TerminalConfig c;
    c.ident = localId_;
    FaxParameters limit = dteParams_;
    c.maxRate = limit.bitRate();
    c.fine = limit.vr != 0;
    c.ecm = limit.ec != 0;
    c.verbose = verbose_;
    return c;
}

void Class2Modem::ring() {
    ++rings_;
    respond("RING");
    if (dataCaller() && call_ == Call::None && settings_["AA"] == "1") {
        // Adaptive answer (+FAA=1): the modem picks up to tell data from fax
        // and hands a data call to the DTE as a data connection.
        listener_.onAnswer(*this);
        return;
    }
    int autoAnswer = sRegisters_[0];
    if (autoAnswer > 0 && rings_ >= autoAnswer && call_ == Call::None) {
        listener_.onAnswer(*this);
    }
}

// ---- Transmit -----------------------------------------------------------

void Class2Modem::callConnected() {
    if (call_ != Call::Dialling) {
        return;
    }
    call_ = Call::Sending;
    engine_ = std::make_unique<FaxTerminal>(true, sessionConfig());
    engine_->setFrameHook([this](bool incoming, const uint8_t* msg, int len) {
        if (incoming && len >= 3 && (msg[2] & 0xFE) == 0x80) {
            remote_ = parametersFromDis(msg, len);
            haveDis_ = true;
        }
    });
    engine_->setPhaseBHook([this](int frameType) { return onDis(frameType); });
}

int Class2Modem::onDis(int /*frameType*/) {
    if (call_ != Call::Sending || !haveDis_) {
        return T30_ERR_OK;
    }
    if (handedOver_) {
        return T30_ERR_OK;
    }
    respond("+F" + std::string(words_.con));
    std::string remoteId = trimmed(t30_get_rx_ident(engine_->t30()));
    if (!remoteId.empty()) {
        respond("+F" + std::string(words_.csi) + ":\"" + remoteId + "\"");
    }
    respond("+F" + std::string(words_.dis) + ":" + remote_.format());
    result(true);
    serveDteWhileLineStandsStill();
    if (call_ != Call::Sending || !pagesDone_ || pagesToSend_.empty()) {
        return T30_ERR_CALLDROPPED;
    }
    handOverPages();
    return handedOver_ ? T30_ERR_OK : T30_ERR_FILEERROR;
}

void Class2Modem::serveDteWhileLineStandsStill() {
    auto lastHeard = std::chrono::steady_clock::now();
    while (call_ == Call::Sending && !pagesDone_ && !Simulator::stopRequested() && port_.isOpen()) {
        std::size_t want = dataMode_ ? pageDataAllowance() : 4096;
        short events =
            static_cast<short>((want > 0 ? POLLIN : 0) | (port_.hasPendingOutput() ? POLLOUT : 0));
        pollfd fd{port_.fd(), events, 0};
        poll(&fd, 1, want > 0 ? 50 : 10);
        port_.flush();
        auto data = port_.read(want);
        if (!data.empty()) {
            lastHeard = std::chrono::steady_clock::now();
            if (dataMode_) {
                dataTaken_ += data.size();
            }
            fromDte(data.data(), data.size());
        } else if (std::chrono::steady_clock::now() - lastHeard >
                   std::chrono::duration<double>(kDteSilenceLimit)) {
            hangUp(true);
        }
    }
}

std::size_t Class2Modem::pageDataAllowance() const {
    // A real modem's buffer is small: page data drains at the line's bit
    // rate, and DTEs time their pages by it.
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - dataStart_).count();
    auto allowed = static_cast<std::size_t>(kModemBuffer + seconds * session_.bitRate() / 8.0);
    return allowed > dataTaken_ ? std::min<std::size_t>(allowed - dataTaken_, 4096) : 0;
}

void Class2Modem::startPageTransfer() {
    session_ = dteParams_;
    session_.vr = std::min(dteParams_.vr, remote_.vr);
    session_.br = std::min(dteParams_.br, remote_.br);
    session_.wd = std::min(dteParams_.wd, remote_.wd);
    session_.ec = std::min(dteParams_.ec, remote_.ec);
    respond("+F" + std::string(words_.dcs) + ":" + session_.format());
    respond("CONNECT");
    if (!words_.is20) {
        // Class 2: XON tells the DTE that the modem is ready for data.
        uint8_t xon = kDc1;
        port_.write(&xon, 1);
    }
    dataMode_ = true;
    afterDle_ = false;
    page_.clear();
    dataStart_ = std::chrono::steady_clock::now();
    dataTaken_ = 0;
}

void Class2Modem::dataFromDte(uint8_t b) {
    if (!afterDle_) {
        if (b == kDle) {
            afterDle_ = true;
        } else {
            page_.push_back(b);
        }
        return;
    }
    afterDle_ = false;
    switch (b) {
        case kDle:
            page_.push_back(kDle);
            break;
        case kSub:
            if (words_.is20) {
                page_.push_back(kDle);
                page_.push_back(kDle);
            }
            break;
        case kEtx:
            pageFromDteDone(static_cast<char>(b));
            break;
        case ',':
        case ';':
        case '.':
            if (words_.is20) {
                pageFromDteDone(static_cast<char>(b));
            }
            break;
        default:
            break;
    }
}

void Class2Modem::pageFromDteDone(char end) {
    dataMode_ = false;
    pagesToSend_.push_back(std::move(page_));
    pageParams_.push_back(session_);
    page_.clear();
    if (words_.is20 && end == '.') {
        pagesDone_ = true;
        lastPageEndedDocument_ = true;
        return;
    }
    // Every page is taken at once; the real exchange follows the last one.
    result(true);
}

void Class2Modem::handOverPages() {
    // Each page keeps the parameters the DTE set for it (+FIS before a page
    // of another resolution); the far end gets a new DCS where they change.
    std::vector<FaxPage> pages;
    for (std::size_t n = 0; n < pagesToSend_.size(); ++n) {
        const FaxParameters& p = pageParams_[n];
        int width = p.wd == 2 ? 2432 : p.wd == 1 ? 2048 : 1728;
        int bad = 0;
        FaxPage page = decodeMh(pagesToSend_[n], width, p.vr != 0, &bad);
        if (page.height > 0) {
            pages.push_back(std::move(page));
        }
    }
    if (pages.empty()) {
        return;
    }
    std::string path = workDir_ + "/send.tif";
    try {
        writeTiffPages(path, pages);
    } catch (const std::exception& e) {
        std::cerr << "parvex-modemsim: " << e.what() << "\n";
        return;
    }
    t30_set_supported_modems(engine_->t30(), supportedModemsFor(session_.bitRate()));
    // The call was set up with the first page's parameters; a fine page
    // later in the call needs fine resolution too.
    const bool anyFine =
        std::any_of(pages.begin(), pages.end(), [](const FaxPage& p) { return p.fine; });
    if (anyFine) {
        t30_set_supported_resolutions(
            engine_->t30(), T30_SUPPORT_STANDARD_RESOLUTION | T30_SUPPORT_FINE_RESOLUTION);
    }
    engine_->setTxFile(path);
    handedOver_ = true;
}

void Class2Modem::reportTransmitResult() {
    if (resultReported_) {
        return;
    }
    resultReported_ = true;
    int completion =
        engine_ && engine_->finished() ? engine_->report().completionCode : T30_ERR_CALLDROPPED;
    int code = hangupCode(completion, true);
    bool ok = completion == T30_ERR_OK;
    if (words_.is20) {
        respond("+F" + std::string(words_.hng) + ":" + hangupText(code));
        result(ok);
    } else {
        // Class 2 DTEs take a hang-up report before the final OK as a failed
        // page: a good end is reported by the page status alone.
        if (pagesDone_) {
            respond("+F" + std::string(words_.pts) + ":" + (ok ? "1,0,0,0" : "2,0,0,0"));
        }
        if (!ok) {
            respond("+F" + std::string(words_.hng) + ":" + hangupText(code));
        }
        result(pagesDone_ || ok);
    }
    call_ = Call::None;
    // The modem puts the phone down itself once the exchange is over.
    listener_.onHangup(*this);
}

// ---- Receive ------------------------------------------------------------

AudioEndpoint* Class2Modem::answerOffline() {
    if (call_ != Call::None || dataCaller()) {
        return nullptr;
    }
    resetSession();
    rings_ = 1;
    call_ = Call::Receiving;
    TerminalConfig c = sessionConfig();
    c.maxRate = capabilities_.bitRate();
    c.rxFile = workDir_ + "/received.tif";
    std::filesystem::remove(c.rxFile);
    engine_ = std::make_unique<FaxTerminal>(false, c);
    engine_->setFrameHook([this](bool incoming, const uint8_t* msg, int len) {
        if (!incoming || len < 3) {
            return;
        }
        // The post-page message says what follows the page (T.32 +FET).
        switch (msg[2] & 0xFE) {
            case T30_MPS:
                postPage_.push_back(0);
                break;
            case T30_EOM:
                postPage_.push_back(1);
                break;
            case T30_EOP:
                postPage_.push_back(2);
                break;
            default:
                break;
        }
    });
    return engine_.get();
}

bool Class2Modem::offlineDone() const {
    return !engine_ || engine_->finished();
}

void Class2Modem::callAnswered() {
    if (dataCaller()) {
        // A data caller: with adaptive answer a data connection, else the
        // fax answer finds no fax machine.
        if (settings_["AA"] == "1") {
            dataConnected_ = true;
            respond("CONNECT 2400");
        } else {
            listener_.onHangup(*this);  // "A" reports the NO CARRIER
        }
        return;
    }
    if (call_ != Call::Receiving || !engine_) {
        return;
    }
    const CallReport& r = engine_->report();
    receiveCompletion_ = r.completionCode;
    received_.clear();
    std::string path = workDir_ + "/received.tif";
    if (std::filesystem::exists(path)) {
        try {
            std::vector<FaxPage> pages = readTiffPages(path);
            // A page the far end broke off is not handed over.
            pages.resize(std::min<std::size_t>(pages.size(), static_cast<std::size_t>(r.pages)));
            for (const FaxPage& page : pages) {
                std::vector<uint8_t> data = encodeMh(page);
                if (!words_.is20) {
                    // Class 2 modems hand received data over most significant bit first.
                    reverseBits(data);
                }
                received_.push_back(std::move(data));
            }
        } catch (const std::exception& e) {
            std::cerr << "parvex-modemsim: " << e.what() << "\n";
        }
    }
    session_ = FaxParameters{};
    session_.vr = r.yResolution >= 7000 ? 1 : 0;
    session_.br = FaxParameters::brForRate(r.bitRate > 0 ? r.bitRate : 9600);
    session_.ec = r.ecm ? 1 : 0;
    respond("+F" + std::string(words_.con));
    if (!r.remoteId.empty()) {
        respond("+F" + std::string(words_.tsi) + ":\"" + r.remoteId + "\"");
    }
    respond("+F" + std::string(words_.dcs) + ":" + session_.format());
    result(true);
}

void Class2Modem::sendNextReceivedPage() {
    if (received_.empty()) {
        return;
    }
    std::vector<uint8_t> out;
    const std::vector<uint8_t>& page = received_.front();
    out.reserve(page.size() + page.size() / 16 + 2);
    for (uint8_t b : page) {
        out.push_back(b);
        if (b == kDle) {
            out.push_back(kDle);
        }
    }
    out.push_back(kDle);
    out.push_back(kEtx);
    port_.write(out.data(), out.size());
    received_.erase(received_.begin());
    respond("+F" + std::string(words_.pts) + ":1");
    const int fet = pagesPlayed_ < postPage_.size() ? postPage_[pagesPlayed_]
                    : received_.empty()             ? 2
                                                    : 0;
    ++pagesPlayed_;
    respond("+FET:" + std::to_string(fet));
    result(true);
}

// ---- Line ---------------------------------------------------------------

void Class2Modem::callFailed(CallFailure failure) {
    if (call_ != Call::Dialling) {
        return;
    }
    call_ = Call::None;
    switch (failure) {
        case CallFailure::Busy:
            respond("BUSY");
            break;
        case CallFailure::NoDialTone:
            respond("NO DIALTONE");
            break;
        case CallFailure::NoAnswer:
            respond("NO ANSWER");
            break;
        case CallFailure::Voice:
            respond("VOICE");
            break;
        case CallFailure::DataModem:
            respond("NO CARRIER");
            break;
    }
}

void Class2Modem::lineDropped() {
    switch (call_) {
        case Call::None:
            return;
        case Call::Receiving:
            // A call taken offline: the far end went away in the middle of it.
            if (engine_ && !engine_->finished()) {
                runEngineOnSilence();
            }
            return;
        case Call::Dialling:
            call_ = Call::None;
            respond("NO CARRIER");
            return;
        case Call::Sending:
            break;
    }
    if (engine_ && !engine_->finished()) {
        runEngineOnSilence();
    }
    reportTransmitResult();
}

void Class2Modem::runEngineOnSilence() {
    // Our own T.30 engine notices the silence in line time.
    std::vector<int16_t> buf(Simulator::kBlock);
    for (int n = 0; n < 40 * Simulator::kRate && !engine_->finished(); n += Simulator::kBlock) {
        std::fill(buf.begin(), buf.end(), 0);
        engine_->transmit(buf.data(), Simulator::kBlock);
        std::fill(buf.begin(), buf.end(), 0);
        engine_->receive(buf.data(), Simulator::kBlock);
    }
    engine_->terminate();
}

void Class2Modem::idle(int /*samples*/) {}

void Class2Modem::transmit(int16_t* amp, int len) {
    if (engine_ && call_ != Call::None) {
        engine_->transmit(amp, len);
        if (call_ == Call::Sending && engine_->finished()) {
            reportTransmitResult();
        }
        return;
    }
    std::fill(amp, amp + len, 0);
}

void Class2Modem::receive(int16_t* amp, int len) {
    if (engine_ && call_ != Call::None) {
        engine_->receive(amp, len);
    }
}

}  // namespace px
