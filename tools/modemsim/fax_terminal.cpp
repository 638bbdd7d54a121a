#include "fax_terminal.h"

// The engine's HDLC transmit hook is only reachable through spandsp's
// internal structures.
#include <spandsp/expose.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace px {

namespace {

// How far into the page the hang-up-in-page condition drops the line: past
// the longest training (V.17 long train, 1.4 s) with page data flowing.
constexpr int kIntoPageSamples = 2 * 8000;
// How long the far end hears silence after our DCS when a training check is
// to go unheard: the check (1.5 s, T.30 5.3.6.2) starts 75 ms after DCS.
constexpr int kTrainingSamples = 2 * 8000;

}  // namespace

int supportedModemsFor(int maxRate) {
    if (maxRate <= 4800) {
        return T30_SUPPORT_V27TER;
    }
    if (maxRate <= 9600) {
        return T30_SUPPORT_V27TER | T30_SUPPORT_V29;
    }
    return T30_SUPPORT_V27TER | T30_SUPPORT_V29 | T30_SUPPORT_V17;
}

FaxTerminal::FaxTerminal(bool calling, const TerminalConfig& config)
    : config_(config), calling_(calling) {
    fax_ = fax_init(nullptr, calling ? 1 : 0);
    if (fax_ == nullptr) {
        throw std::runtime_error("cannot create the fax terminal");
    }
    fax_set_transmit_on_idle(fax_, 1);
    fax_set_tep_mode(fax_, 0);
    t30_state_t* t30 = fax_get_t30_state(fax_);
    logging_state_t* log = t30_get_logging_state(t30);
    span_log_set_sample_rate(log, 8000);
    span_log_set_tag(log, "REMOTE");
    span_log_set_level(log, config.verbose ? SPAN_LOG_SHOW_SEVERITY | SPAN_LOG_SHOW_TAG |
                                                 SPAN_LOG_SHOW_SAMPLE_TIME | SPAN_LOG_FLOW
                                           : SPAN_LOG_NONE);
    t30_set_tx_ident(t30, config.ident.c_str());
    t30_set_supported_modems(t30, supportedModemsFor(config.maxRate));
    t30_set_supported_resolutions(
        t30, config.fine ? T30_SUPPORT_STANDARD_RESOLUTION | T30_SUPPORT_FINE_RESOLUTION
                         : T30_SUPPORT_STANDARD_RESOLUTION);
    t30_set_supported_image_sizes(
        t30, T30_SUPPORT_215MM_WIDTH | T30_SUPPORT_255MM_WIDTH | T30_SUPPORT_303MM_WIDTH |
                 T30_SUPPORT_UNLIMITED_LENGTH | T30_SUPPORT_A4_LENGTH | T30_SUPPORT_B4_LENGTH |
                 T30_SUPPORT_US_LETTER_LENGTH | T30_SUPPORT_US_LEGAL_LENGTH);
    t30_set_supported_compressions(t30, config.oneDimensional ? T30_SUPPORT_T4_1D_COMPRESSION
                                                              : T30_SUPPORT_T4_1D_COMPRESSION |
                                                                    T30_SUPPORT_T4_2D_COMPRESSION |
                                                                    T30_SUPPORT_T6_COMPRESSION);
    t30_set_ecm_capability(t30, config.ecm ? 1 : 0);
    t30_set_minimum_scan_line_time(t30, config.minScanMs);
    if (!config.txFile.empty()) {
        t30_set_tx_file(t30, config.txFile.c_str(), -1, -1);
    }
    if (!config.rxFile.empty()) {
        t30_set_rx_file(t30, config.rxFile.c_str(), -1);
        // A T.4 1D file decodes everywhere, including in the tests' checks.
        t30_set_rx_encoding(t30, T4_COMPRESSION_ITU_T4_1D);
    }
    t30_set_phase_e_handler(t30, &FaxTerminal::phaseE, this);
    t30_set_phase_d_handler(t30, &FaxTerminal::phaseD, this);
    t30_set_phase_b_handler(t30, &FaxTerminal::phaseB, this);
    t30_set_real_time_frame_handler(t30, &FaxTerminal::frame, this);
    engineSendHdlc_ = t30->send_hdlc_handler;
    engineSendHdlcUser_ = t30->send_hdlc_user_data;
    t30->send_hdlc_handler = &FaxTerminal::sendHdlc;
    t30->send_hdlc_user_data = this;
    trainFailuresLeft_ = config.trainFailures;
    tcfSilenceLeft_ = config.faults.tcfSilence;
    dcnLeft_ = config.faults.dcnFor != 0 ? config.faults.dcnTimes : 0;
    report_.direction = config.rxFile.empty() ? "send" : "receive";
    report_.localId = config.ident;
}

FaxTerminal::~FaxTerminal() {
    if (fax_ != nullptr) {
        fax_free(fax_);
    }
}

void FaxTerminal::transmit(int16_t* amp, int len) {
    if (dropped_ || finished_) {
        std::fill(amp, amp + len, 0);
        return;
    }
    int made = fax_tx(fax_, amp, len);
    std::fill(amp + std::max(made, 0), amp + len, 0);
    if (silentTcfPending_) {
        // The training check is the fast modem's signal after the DCS.
        const int tx = fax_->modems.current_tx_type;
        const bool fast =
            tx == FAX_MODEM_V17_TX || tx == FAX_MODEM_V27TER_TX || tx == FAX_MODEM_V29_TX;
        if (fast) {
            silentTcfSending_ = true;
            std::fill(amp, amp + len, 0);
        } else if (silentTcfSending_) {
            silentTcfPending_ = silentTcfSending_ = false;
        }
    }
    if (damagePending_ && hdlc_tx_corrupt_frame(&fax_->modems.hdlc_tx) == 0) {
        damagePending_ = false;
    }
    if (muted_) {
        std::fill(amp, amp + len, 0);
    }
    if (inPage_ && config_.rxFile.empty()) {
        countPageSignal(amp, len);
    }
}

void FaxTerminal::receive(int16_t* amp, int len) {
    if (dropped_ || finished_) {
        return;
    }
    gate_.apply(amp, len);
    if (deafToTraining(len)) {
        std::fill(amp, amp + len, 0);
    }
    // spandsp sets its receiver up again when it changes modems, with its
    // own frame handler: put ours back in front each time.
    hdlc_rx_state_t* rx = &fax_->modems.hdlc_rx;
    if (!config_.faults.damageLocal.empty() && rx->frame_handler != &FaxTerminal::receivedHdlc) {
        engineReceivedHdlc_ = rx->frame_handler;
        engineReceivedHdlcUser_ = rx->frame_user_data;
        hdlc_rx_set_frame_handler(rx, &FaxTerminal::receivedHdlc, this);
    }
    if (inPage_ && !config_.rxFile.empty()) {
        countPageSignal(amp, len);
    }
    if (!dropped_) {
        fax_rx(fax_, amp, len);
    }
}

bool FaxTerminal::deafToTraining(int len) {
    if (deafSamples_ <= 0) {
        return false;
    }
    deafSamples_ -= len;
    return true;
}

void FaxTerminal::receivedHdlc(void* user, const uint8_t* msg, int len, int ok) {
    auto* self = static_cast<FaxTerminal*>(user);
    // Lengths below zero are the receiver's carrier and framing signals.
    if (ok != 0 && len >= 3 && self->config_.faults.damageLocal.covers(++self->localFrames_)) {
        ok = 0;
    }
    self->engineReceivedHdlc_(self->engineReceivedHdlcUser_, msg, len, ok);
}

void FaxTerminal::countPageSignal(const int16_t* amp, int len) {
    double sum = 0;
    for (int i = 0; i < len; ++i) {
        sum += static_cast<double>(amp[i]) * amp[i];
    }
    if (sum / len < CarrierGate::kOpenRms * CarrierGate::kOpenRms) {
        return;
    }
    pageSignal_ += len;
    if (pageSignal_ >= kIntoPageSamples) {
        drop("in page " + std::to_string(config_.hangupInPage));
    }
}

void FaxTerminal::drop(const std::string& why) {
    if (!dropped_) {
        dropped_ = true;
        dropReason_ = why;
        inPage_ = false;
    }
}

void FaxTerminal::frameOnLine(bool incoming, uint8_t fcf) {
    // Any frame ends page data; the confirmation (or CFR) before a page of
    // the document starts it.
    inPage_ = false;
    const bool documentSender = config_.rxFile.empty();
    if (incoming != documentSender) {
        return;
    }
    if (fcf == T30_MCF || fcf == T30_RTN) {
        ++pagesConfirmed_;
    }
    if ((fcf == T30_CFR || fcf == T30_MCF) && config_.hangupInPage > 0 &&
        pagesConfirmed_ + 1 == config_.hangupInPage) {
        inPage_ = true;
        pageSignal_ = 0;
    }
}

void FaxTerminal::sendHdlc(void* user, const uint8_t* msg, int len) {
    auto* self = static_cast<FaxTerminal*>(user);
    if (msg == nullptr || len < 3) {
        self->engineSendHdlc_(self->engineSendHdlcUser_, msg, len);
        return;
    }
    std::vector<uint8_t> frame(msg, msg + len);
    const uint8_t fcf = frame[2] & 0xFE;
    // The engine's answer is replaced on the line only: the engine goes on as
    // if it had sent its own, and takes the sender's DCS or DCN from there.
    if (fcf == T30_CFR && self->trainFailuresLeft_ > 0) {
        --self->trainFailuresLeft_;
        frame[2] = static_cast<uint8_t>(T30_FTT | (frame[2] & 1));
    } else if (fcf == T30_MCF && ++self->confirmationsSent_ == self->config_.rtnPage) {
        frame[2] = static_cast<uint8_t>(T30_RTN | (frame[2] & 1));
    }
    const LineFaults& faults = self->config_.faults;
    if (self->dcnLeft_ > 0 && (frame[2] & 0xFE) == faults.dcnFor) {
        --self->dcnLeft_;
        frame[2] = static_cast<uint8_t>(T30_DCN | (frame[2] & 1));
    }
    if ((frame[2] & 0xFE) == T30_DCS && self->tcfSilenceLeft_ > 0) {
        // The far end is the caller: its training check goes out as silence.
        --self->tcfSilenceLeft_;
        self->silentTcfPending_ = true;
    }
    const int k = ++self->remoteFrames_;
    // A dropped frame silences the transmitter until the next frame of the
    // far end, so a lone answer leaves only silence on the line.
    self->muted_ = faults.dropRemote.covers(k);
    self->frameOnLine(false, frame[2] & 0xFE);
    self->engineSendHdlc_(self->engineSendHdlcUser_, frame.data(), len);
    if (faults.damageRemote.covers(k)) {
        self->damagePending_ = hdlc_tx_corrupt_frame(&self->fax_->modems.hdlc_tx) != 0;
    }
}

void FaxTerminal::terminate() {
    if (!finished_) {
        t30_terminate(fax_get_t30_state(fax_));
    }
}

void FaxTerminal::setFrameHook(FrameHook hook) {
    frameHook_ = std::move(hook);
}

void FaxTerminal::setTxFile(const std::string& path) {
    config_.txFile = path;
    t30_set_tx_file(t30(), path.c_str(), -1, -1);
}

int FaxTerminal::phaseB(t30_state_t* /*s*/, void* user, int result) {
    auto* self = static_cast<FaxTerminal*>(user);
    return self->phaseBHook_ ? self->phaseBHook_(result) : T30_ERR_OK;
}

void FaxTerminal::frame(t30_state_t* /*s*/, void* user, int incoming, const uint8_t* msg, int len) {
    auto* self = static_cast<FaxTerminal*>(user);
    if (incoming != 0 && len >= 3) {
        self->frameOnLine(true, msg[2] & 0xFE);
        if ((msg[2] & 0xFE) == T30_DCS && self->tcfSilenceLeft_ > 0) {
            --self->tcfSilenceLeft_;
            self->deafSamples_ = kTrainingSamples;
        }
    }
    if (self->frameHook_) {
        self->frameHook_(incoming != 0, msg, len);
    }
}

int FaxTerminal::phaseD(t30_state_t* s, void* user, int /*result*/) {
    auto* self = static_cast<FaxTerminal*>(user);
    t30_stats_t stats;
    t30_get_transfer_statistics(s, &stats);
    int pages = self->calling_ && self->config_.rxFile.empty() ? stats.pages_tx : stats.pages_rx;
    if (self->config_.hangupAfterPage > 0 && pages >= self->config_.hangupAfterPage) {
        self->drop("after page " + std::to_string(self->config_.hangupAfterPage));
    }
    return T30_ERR_OK;
}

void FaxTerminal::phaseE(t30_state_t* s, void* user, int completion) {
    auto* self = static_cast<FaxTerminal*>(user);
    t30_stats_t stats;
    t30_get_transfer_statistics(s, &stats);
    CallReport& r = self->report_;
    r.completionCode = completion;
    r.completionText = t30_completion_code_to_str(completion);
    r.pages = r.direction == "receive" ? stats.pages_rx : stats.pages_tx;
    const char* remote = t30_get_rx_ident(s);
    r.remoteId = remote != nullptr ? remote : "";
    // Station identities are padded with blanks on the line.
    while (!r.remoteId.empty() && r.remoteId.back() == ' ') {
        r.remoteId.pop_back();
    }
    while (!r.remoteId.empty() && r.remoteId.front() == ' ') {
        r.remoteId.erase(r.remoteId.begin());
    }
    r.bitRate = stats.bit_rate;
    r.xResolution = stats.x_resolution;
    r.yResolution = stats.y_resolution;
    r.ecm = stats.error_correcting_mode != 0;
    self->finished_ = true;
}

}  // namespace px
