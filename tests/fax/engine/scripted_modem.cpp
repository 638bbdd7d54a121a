#include "scripted_modem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string_view>

namespace px::test {

std::string modemFrame(const std::vector<uint8_t>& body, bool final) {
    std::string out = "\r\nCONNECT\r\n";
    out += static_cast<char>(0xFF);
    out += static_cast<char>(final ? 0x13 : 0x03);
    for (uint8_t b : body) {
        out += static_cast<char>(b);
        if (b == 0x10) {
            out += static_cast<char>(0x10);
        }
    }
    out += "\x5A\xA5";  // FCS octets: the engine does not check them
    out += "\x10\x03\r\nOK\r\n";
    return out;
}

std::string damagedModemFrame(const std::vector<uint8_t>& body, bool final) {
    std::string out = modemFrame(body, final);
    out.replace(out.size() - 4, 2, "ERROR");
    return out;
}

std::string engineFrame(const std::vector<uint8_t>& body, bool final) {
    std::string out;
    out += static_cast<char>(0xFF);
    out += static_cast<char>(final ? 0x13 : 0x03);
    for (uint8_t b : body) {
        out += static_cast<char>(b);
        if (b == 0x10) {
            out += static_cast<char>(0x10);
        }
    }
    out += "\x10\x03";
    return out;
}

std::string printable(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\r') {
            out += "\\r";
        } else if (b == '\n') {
            out += "\\n";
        } else if (b == '"' || b == '\\') {
            out += '\\';
            out += c;
        } else if (b >= 32 && b < 127) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

Transcript::Match Transcript::match(const Exchange& step, const std::string& pending,
                                    size_t& used) {
    size_t zeros = 0;
    while (zeros < step.fill && zeros < pending.size() && pending[zeros] == '\0') {
        ++zeros;
    }
    bool partial = false;
    // The longest fill first: the expected bytes may begin with zeros too.
    for (size_t k = zeros + 1; k-- > 0;) {
        const std::string_view rest = std::string_view(pending).substr(k);
        if (rest.substr(0, step.expect.size()) == step.expect) {
            used = k + step.expect.size();
            return Match::Complete;
        }
        if (std::string_view(step.expect).substr(0, rest.size()) == rest) {
            partial = true;
        }
    }
    return partial ? Match::Partial : Match::Different;
}

void Transcript::describeDifference(const Exchange& step) {
    size_t at = 0;
    while (at < step.expect.size() && at < pending_.size() && step.expect[at] == pending_[at]) {
        ++at;
    }
    // Enough on both sides of the first difference to see where it is.
    const size_t from = at > 24 ? at - 24 : 0;
    auto around = [&](const std::string& bytes) {
        std::string text = printable(bytes.substr(from, 72));
        return (from > 0 ? "..." : "") + text + (bytes.size() > from + 72 ? "..." : "");
    };
    failure_ =
        "step " + std::to_string(next_ + 1) + " of " + std::to_string(script_.size()) +
        ": the engine wrote \"" + around(pending_) + "\" where \"" + around(step.expect) +
        "\" was expected (first difference at octet " + std::to_string(at) +
        (step.fill > 0 ? ", after up to " + std::to_string(step.fill) + " zeros" : std::string()) +
        ")";
}

std::vector<std::string> Transcript::feed(const char* data, size_t size) {
    std::vector<std::string> replies;
    if (!failure_.empty()) {
        return replies;  // the play ended at the first difference
    }
    pending_.append(data, size);
    while (!pending_.empty() || next_ < script_.size()) {
        if (next_ == script_.size()) {
            failure_ = "the script has ended, yet the engine wrote \"" + printable(pending_) + "\"";
            break;
        }
        const Exchange& step = script_[next_];
        size_t used = 0;
        const Match m = match(step, pending_, used);
        if (m == Match::Partial) {
            break;
        }
        if (m == Match::Different) {
            describeDifference(step);
            break;
        }
        pending_.erase(0, used);
        replies.push_back(step.reply);
        ++next_;
    }
    return replies;
}

ScriptedModem::ScriptedModem(std::vector<Exchange> script) : transcript_(std::move(script)) {}

int ScriptedModem::write(const uint8_t* data, size_t size) {
    all_.append(reinterpret_cast<const char*>(data), size);
    const bool wasFailing = !transcript_.failure().empty();
    for (const std::string& reply : transcript_.feed(reinterpret_cast<const char*>(data), size)) {
        inject(reply);
    }
    if (!wasFailing && !transcript_.failure().empty()) {
        ADD_FAILURE() << "modem transcript: " << transcript_.failure();
    }
    return 0;
}

bool ScriptedModem::readByte(uint8_t& byte) {
    if (input_.empty()) {
        return false;
    }
    byte = input_.front();
    input_.pop_front();
    return true;
}

void ScriptedModem::run(TPxFaxSession& session, int maxEvents) {
    bool stuck = false;  // the machine left the waiting input alone
    for (int n = 0; n < maxEvents && !session.finished(); ++n) {
        if (outUsed_) {
            outUsed_ = false;
            stuck = false;
            session.handleEvent(TFaxEvent::OutputUsed);
        } else if (outFree_) {
            outFree_ = false;
            stuck = false;
            session.handleEvent(TFaxEvent::OutputFree);
        } else if (!input_.empty() && !stuck) {
            size_t before = input_.size();
            session.handleEvent(TFaxEvent::Data);
            stuck = input_.size() == before;
        } else if (responseTicks_ > 0 && fireTimers) {
            clock_.advance(static_cast<uint32_t>(responseTicks_) * kMsPerTick);
            responseTicks_ = 0;
            stuck = false;
            session.handleEvent(TFaxEvent::ResponseTimer);
        } else {
            return;
        }
    }
}

TFaxNextAnswer RecordingClient::nextFax(TPxFaxJob& job) {
    if (missNext) {
        missNext = false;
        return TFaxNextAnswer::Missed;
    }
    if (nextJob >= jobs.size()) {
        return TFaxNextAnswer::NoMore;
    }
    job = jobs[nextJob++];
    return TFaxNextAnswer::Another;
}

}  // namespace px::test
