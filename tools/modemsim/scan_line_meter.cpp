#include "scan_line_meter.h"

#include <array>
#include <utility>

namespace px {

namespace {

constexpr uint8_t kDle = 0x10;
constexpr uint8_t kEtx = 0x03;
constexpr std::size_t kEolZeros = 11;

// Line rate of a Class 1 transmit modulation code ("AT+FTM=<code>").
int rateOfCode(const std::string& code) {
    static const std::array<std::pair<const char*, int>, 12> kRates = {{{"24", 2400},
                                                                        {"48", 4800},
                                                                        {"72", 7200},
                                                                        {"73", 7200},
                                                                        {"74", 7200},
                                                                        {"96", 9600},
                                                                        {"97", 9600},
                                                                        {"98", 9600},
                                                                        {"121", 12000},
                                                                        {"122", 12000},
                                                                        {"145", 14400},
                                                                        {"146", 14400}}};
    for (const auto& [text, rate] : kRates) {
        if (code == text) {
            return rate;
        }
    }
    return 0;
}

}  // namespace

void ScanLineMeter::fromDte(const uint8_t* data, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i) {
        if (!inData_) {
            commandChar(static_cast<char>(data[i]));
            continue;
        }
        if (dle_) {
            dle_ = false;
            if (data[i] == kEtx) {
                inData_ = false;
                continue;
            }
            if (data[i] == kDle) {
                dataByte(kDle);
            }
            continue;
        }
        if (data[i] == kDle) {
            dle_ = true;
            continue;
        }
        dataByte(data[i]);
    }
}

void ScanLineMeter::commandChar(char c) {
    if (c != '\r') {
        command_ += c;
        if (command_.size() > 64) {
            command_.erase(0, command_.size() - 64);
        }
        return;
    }
    const std::string prefix = "AT+FTM=";
    const std::size_t at = command_.rfind(prefix);
    const int bps = at == std::string::npos ? 0 : rateOfCode(command_.substr(at + prefix.size()));
    command_.clear();
    if (bps > 0) {
        // Training checks go the same way; they hold no lines with data.
        inData_ = true;
        dle_ = false;
        bps_ = bps;
        lineBits_ = 0;
        zeroRun_ = 0;
        hasData_ = false;
    }
}

void ScanLineMeter::dataByte(uint8_t byte) {
    for (int b = 0; b < 8; ++b) {
        const bool one = ((byte >> b) & 1u) != 0;
        ++lineBits_;
        if (!one) {
            ++zeroRun_;
            continue;
        }
        if (zeroRun_ >= kEolZeros) {
            // The end of an EOL: the end of a coded line.
            if (hasData_) {
                const double ms = static_cast<double>(lineBits_) * 1000.0 / bps_;
                if (shortestMs_ < 0 || ms < shortestMs_) {
                    shortestMs_ = ms;
                }
                ++lines_;
            }
            lineBits_ = 0;
            hasData_ = false;
        } else {
            hasData_ = true;
        }
        zeroRun_ = 0;
    }
}

}  // namespace px
