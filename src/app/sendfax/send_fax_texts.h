// What the send window says and computes without a window: the dial wait
// read from the modem's init string, the header line stamped on each page,
// the configuration list, the result of a send and the messages of a failed
// one.
#pragma once

#include <string>
#include <vector>

#include "common/px_errors.h"

namespace px {

struct Settings;

// Seconds to wait for the far end after dialling. The modem's own S7 (wait
// for carrier) bounds what waiting longer could achieve, so a readable S7=
// in the init string sets it; 55 s is the least, 60 s when there is none.
inline constexpr int kDefaultDialWait = 60;
inline constexpr int kLeastDialWait = 55;
int dialWaitFromInit(const std::string& initString);

// The header line for the engine ("$I" station ID, "$P" page, "$N" pages),
// with the date and time already in the user's short formats.
std::string sendHeaderLine(const std::string& name, const std::string& fax, const std::string& date,
                           const std::string& time);

// The lines of the read-only "Configuration:" list.
std::vector<std::string> configurationLines(const Settings& settings, int portNumber);

inline constexpr const char* kSentResult = "Sent";
// "Sent" for code 0 and for a code whose text reads "OK"; else the code's text.
std::string sendResultText(ErrorCode code);
// The result text as the log counts it: "SENT" or "OK" in any case.
bool resultCountsAsSent(const std::string& result);

// The messages of the send window's fax error dialogs.
std::string portNotOpenedMessage(const std::string& portText, int portNumber);
std::string noModemMessage(int portNumber);
std::string resetRefusedMessage(const std::string& resetString, int portNumber);
std::string faxFailureMessage(const std::string& resultText);

}  // namespace px
