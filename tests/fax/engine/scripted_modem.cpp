#include "scripted_modem.h"

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

std::vector<std::string> Transcript::feed(const char* data, size_t size) {
    pending_.append(data, size);
    std::vector<std::string> replies;
    while (next_ < script_.size()) {
        const Exchange& step = script_[next_];
        size_t at = pending_.find(step.expect);
        if (at == std::string::npos) {
            break;
        }
        pending_.erase(0, at + step.expect.size());
        replies.push_back(step.reply);
        ++next_;
    }
    return replies;
}

ScriptedModem::ScriptedModem(std::vector<Exchange> script) : transcript_(std::move(script)) {}

int ScriptedModem::write(const uint8_t* data, size_t size) {
    all_.append(reinterpret_cast<const char*>(data), size);
    for (const std::string& reply : transcript_.feed(reinterpret_cast<const char*>(data), size)) {
        inject(reply);
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

bool RecordingClient::nextFax(TPxFaxJob& job) {
    if (nextJob >= jobs.size()) {
        return false;
    }
    job = jobs[nextJob++];
    return true;
}

}  // namespace px::test
