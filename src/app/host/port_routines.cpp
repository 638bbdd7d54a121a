#include "app/host/port_routines.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "common/px_exceptions.h"
#include "comms/px_clock.h"
#include "comms/px_com_port.h"
#include "comms/px_error_text.h"

namespace px {

namespace {

constexpr const char* kModemCheckCommand = "AT";
constexpr const char* kModemOk = "OK";
constexpr char kCarriageReturn = '\r';

std::string trimmed(const std::string& text) {
    const auto isBlank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string unableToOpen(int portNumber) {
    return "Unable to open the specified communications port ( Com" + std::to_string(portNumber);
}

// Lets the window and the port's events run while the modem settles.
void waitTicks(TPxComPort& port, int ticks) {
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ticks * kMsPerTick);
    while (std::chrono::steady_clock::now() < end) {
        port.eventLoop().processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Sends one command and waits for the modem's "OK"; port errors are a "no".
bool commandAnswered(TPxComPort& port, const std::string& command) {
    try {
        port.ClearInput();
        port.WriteText(command + kCarriageReturn);
        return port.AwaitText(kModemOk, kModemReplyTicks, true, true);
    } catch (const EPxException&) {
        return false;
    }
}

}  // namespace

std::string portErrorText(ErrorCode code, int portNumber) {
    const std::string number = std::to_string(portNumber);
    if (code == kPortInUse || code == kPortNotChosen) {
        return "The communications port is in use ( Com " + number + " )\r\n\r\n" +
               "Please make sure that all communication programs (internet, AOL, etc) are closed, "
               "and then try again.";
    }
    if (code == kPortCannotOpen) {
        return unableToOpen(portNumber) + " )";
    }
    std::string text = errorText(code);
    if (text.empty()) {
        text = "Unknown error";
    }
    return unableToOpen(portNumber) + " )\r\nError message: " + text;
}

std::string portFailureText(const std::string& message, int portNumber) {
    return "Unable to open the specified communications port( Com" + std::to_string(portNumber) +
           " )\r\nError message: " + message;
}

TPortOpening openPort(TPxComPort& port) {
    TPortOpening result;
    try {
        port.setOpen(true);
        result.opened = true;
    } catch (const EPxException& e) {
        result.lastPortError = e.ErrorCode();
        result.text = portErrorText(e.ErrorCode(), port.ComNumber());
    } catch (const std::exception& e) {
        result.text = portFailureText(e.what(), port.ComNumber());
    }
    return result;
}

bool checkForModem(TPxComPort& port, const std::string& resetString) {
    waitTicks(port, kModemSettleTicks);
    if (commandAnswered(port, kModemCheckCommand)) {
        return true;
    }
    // A modem left in data mode or with echo off may answer only after its reset.
    const std::string reset = trimmed(resetString);
    return !reset.empty() && commandAnswered(port, reset);
}

std::string withAtPrefix(const std::string& command) {
    return upper(command).find(kModemCheckCommand) == std::string::npos
               ? kModemCheckCommand + command
               : command;
}

bool sendResetCommand(TPxComPort& port, std::string& command) {
    command = withAtPrefix(command);
    return commandAnswered(port, command);
}

}  // namespace px
