#include "receive_watch.h"

#include "at_command_line.h"

namespace px {

namespace {

// Longer lines are not commands (page data, noise): they are dropped.
constexpr std::size_t kLongestLine = 256;

bool setsUpReception(const AtCommand& c) {
    if (c.name == "+FCLASS" && c.op == AtCommand::Op::Set) {
        return true;
    }
    if ((c.name == "+FCR" || c.name == "+FAA") && c.op == AtCommand::Op::Set) {
        return c.name == "+FAA" || c.value != "0";
    }
    // Auto-answer after n rings.
    return c.name == "S0" && c.op == AtCommand::Op::Set && !c.value.empty() &&
           c.value.find_first_not_of('0') != std::string::npos;
}

bool leavesReception(const AtCommand& c) {
    // Dialling, hanging up, resetting, or Class 1 modulation work: the DTE is
    // busy with a call of its own.
    return c.name == "D" || c.name == "H" || c.name == "Z" || c.name == "&F" || c.name == "+FTM" ||
           c.name == "+FRM" || c.name == "+FTH" || c.name == "+FRH" || c.name == "+FDT" ||
           c.name == "+FDR" || c.name == "A";
}

}  // namespace

void ReceiveWatch::fromDte(const uint8_t* data, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i) {
        char c = static_cast<char>(data[i]);
        if (c == '\r' || c == '\n') {
            if (!line_.empty() && !overlong_) {
                commandLine(line_);
            }
            line_.clear();
            overlong_ = false;
        } else if (line_.size() < kLongestLine) {
            line_ += c;
        } else {
            overlong_ = true;
        }
    }
}

void ReceiveWatch::commandLine(const std::string& line) {
    auto commands = parseAtLine(line);
    if (!commands) {
        return;
    }
    bool arms = false;
    for (const AtCommand& c : *commands) {
        if (leavesReception(c)) {
            armed_ = false;
            return;
        }
        arms = arms || setsUpReception(c);
    }
    if (arms) {
        armed_ = true;
        ++armings_;
    }
}

void ReceiveWatch::reset() {
    line_.clear();
    overlong_ = false;
    armed_ = false;
}

}  // namespace px
