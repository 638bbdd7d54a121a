// What sending and receive mode do with the modem before a fax component
// takes over: open the port (with the texts the user sees when that fails),
// check that a modem answers, and send reset commands from the settings.
#pragma once

#include <string>

#include "common/px_errors.h"

namespace px {

class TPxComPort;

// Port error codes whose text tells the user what to do instead of the
// table's text.
inline constexpr ErrorCode kPortInUse = ecAlreadyOpen;
inline constexpr ErrorCode kPortNotChosen = ecNoPortSelected;
inline constexpr ErrorCode kPortCannotOpen = -2015;

// The modem's waits, in ticks of 55 ms: a pause before the first "AT"
// (a modem that has just seen DTR rise ignores what comes at once), and the
// longest a command may take to bring its "OK".
inline constexpr int kModemSettleTicks = 12;
inline constexpr int kModemReplyTicks = 36;

struct TPortOpening {
    bool opened = false;
    // The port error code; -1 when the failure was not a port error.
    ErrorCode lastPortError = -1;
    // For the user when the port did not open.
    std::string text;
};

// The message for a port error `code` while opening port `portNumber`.
std::string portErrorText(ErrorCode code, int portNumber);
// The message for any other failure while opening, with its description.
std::string portFailureText(const std::string& message, int portNumber);

// Opens the port.
TPortOpening openPort(TPxComPort& port);

// Waits kModemSettleTicks (processing messages), then asks "AT" and waits for
// "OK"; when none comes and `resetString` (trimmed) is not empty, sends that
// and waits again. A port error counts as no modem.
bool checkForModem(TPxComPort& port, const std::string& resetString);

// The modem command as it is sent: "AT" put in front unless it has one.
std::string withAtPrefix(const std::string& command);

// Sends the command, "AT" put in front unless it has one, and waits for
// "OK". `command` is left in its prefixed form (the caller keeps it in the
// settings, so later saves write it so).
bool sendResetCommand(TPxComPort& port, std::string& command);

}  // namespace px
