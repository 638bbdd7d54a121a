#include "line_faults.h"

#include <spandsp.h>

#include <cstdlib>
#include <stdexcept>

namespace px {

namespace {

struct NamedAnswer {
    const char* name;
    uint8_t fcf;
};

constexpr NamedAnswer kAnswers[] = {
    {"dis", T30_DIS}, {"cfr", T30_CFR}, {"ftt", T30_FTT}, {"mcf", T30_MCF}, {"rtn", T30_RTN},
};

int wholeNumber(const std::string& option, const std::string& text) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end == nullptr || *end != '\0' || v < 1 || v > 100000) {
        throw std::invalid_argument(option + ": not a frame number: \"" + text + "\"");
    }
    return static_cast<int>(v);
}

}  // namespace

std::string FrameRange::describe() const {
    return count == 1 ? std::to_string(first) : std::to_string(first) + "*" + std::to_string(count);
}

FrameRange parseFrameRange(const std::string& option, const std::string& text) {
    FrameRange r;
    const auto star = text.find('*');
    r.first = wholeNumber(option, text.substr(0, star));
    if (star != std::string::npos) {
        r.count = wholeNumber(option, text.substr(star + 1));
    }
    return r;
}

uint8_t answerFcf(const std::string& name) {
    for (const NamedAnswer& a : kAnswers) {
        if (name == a.name) {
            return a.fcf;
        }
    }
    return 0;
}

const char* answerName(uint8_t fcf) {
    for (const NamedAnswer& a : kAnswers) {
        if ((fcf & 0xFE) == a.fcf) {
            return a.name;
        }
    }
    return "?";
}

}  // namespace px
