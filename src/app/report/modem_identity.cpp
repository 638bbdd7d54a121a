#include "app/report/modem_identity.h"

#include <chrono>
#include <functional>
#include <thread>

#include "app/host/port_routines.h"
#include "common/px_exceptions.h"
#include "comms/px_clock.h"
#include "comms/px_com_port.h"
#include "settings/px_settings.h"

namespace px {

namespace {

constexpr const char* kIdentityCommand = "ATI";
constexpr const char* kFinalOk = "OK";
constexpr const char* kFinalError = "ERROR";
constexpr auto kPollInterval = std::chrono::milliseconds(10);

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    std::string out;
    for (char c : text) {
        if (!(c == ' ' && !out.empty() && out.back() == ' ')) {
            out += c;
        }
    }
    return out;
}

bool hasFinalResult(const std::string& received) {
    std::string line;
    for (char c : received) {
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (line == kFinalOk || line == kFinalError) {
            return true;
        }
        line.clear();
    }
    return false;
}

// Lets the port's events run for `ticks`, as a modem that has just seen DTR
// rise ignores what comes at once.
void settle(TPxComPort& port, int ticks) {
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ticks * kMsPerTick);
    while (std::chrono::steady_clock::now() < end) {
        port.eventLoop().processEvents();
        std::this_thread::sleep_for(kPollInterval);
    }
}

std::string collectAnswer(TPxComPort& port) {
    std::string received;
    port.ClearInput();
    port.WriteText(std::string(kIdentityCommand) + "\r");
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(kIdentityReplyTicks * kMsPerTick);
    while (std::chrono::steady_clock::now() < end && !hasFinalResult(received)) {
        port.eventLoop().processEvents();
        while (port.HasInput()) {
            received += port.TakeChar();
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return received;
}

}  // namespace

std::vector<std::string> identityAnswerLines(const std::string& received) {
    std::vector<std::string> lines;
    std::string line;
    auto finish = [&] {
        const auto first = line.find_first_not_of(" \t");
        const auto last = line.find_last_not_of(" \t");
        if (first != std::string::npos) {
            const std::string trimmed = line.substr(first, last - first + 1);
            if (trimmed != kIdentityCommand && trimmed != kFinalOk) {
                lines.push_back(trimmed);
            }
        }
        line.clear();
    };
    for (char c : received) {
        if (c == '\r' || c == '\n') {
            finish();
        } else if (static_cast<unsigned char>(c) >= ' ') {
            line += c;
        }
    }
    // An unterminated last line is still being sent: not an answer yet.
    return lines;
}

TModemIdentity askModemIdentity(const Settings& settings, TPortHolder holder,
                                const std::function<std::string(int)>& devicePath,
                                TPxEventLoop* loop) {
    using Outcome = TModemIdentity::Outcome;
    TModemIdentity identity;
    if (settings.modem.comPort < 0) {
        return identity;
    }
    identity.portNumber = settings.modem.comPort + 1;
    identity.device = devicePath(identity.portNumber);
    if (holder == TPortHolder::ReceiveMode) {
        identity.outcome = Outcome::InReceiveMode;
        return identity;
    }
    if (holder == TPortHolder::AnotherProgram) {
        identity.outcome = Outcome::PortInUse;
        return identity;
    }
    TPxComPort port(loop);
    port.setDevicePathResolver(devicePath);
    port.setComNumber(identity.portNumber);
    port.setAutoOpen(false);
    const TPortOpening opening = openPort(port);
    if (!opening.opened) {
        identity.outcome =
            opening.lastPortError == kPortInUse ? Outcome::PortInUse : Outcome::PortNotOpened;
        identity.reason = oneLine(opening.text);
        return identity;
    }
    std::string received;
    try {
        settle(port, kModemSettleTicks);
        received = collectAnswer(port);
    } catch (const EPxException&) {
        // A port that fails mid-way answered nothing worth reporting.
    }
    try {
        port.setOpen(false);
    } catch (const EPxException&) {
    }
    identity.answer = identityAnswerLines(received);
    identity.outcome = identity.answer.empty() ? Outcome::NoAnswer : Outcome::Answered;
    return identity;
}

}  // namespace px
