// The modem's result words, recognised through one table.
//
// A result is a whole line, give or take the CR LF and blanks around it:
// "OK", "NO CARRIER", "ERROR", ...; "CONNECT" and "RING" may carry a
// suffix after a blank or '/' ("CONNECT 9600", "RING 2"). A "+F" line is
// recognised by its word, the letters after "+F" up to ':', '=', a blank or
// the end ("+FCSI: ...", "+FHNG:0"), as the session's fax class spells it
// (Class 2 "+FHNG", Class 2.0 "+FHS"). A line that merely contains a word
// -- a remote station ID, caller ID, a modem's informational line such as
// "CARRIER 9600" -- is no result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fax/engine/px_fax_types.h"

namespace px {

enum class TModemResult : uint8_t {
    kNone,  // no result: informational text, an echo, an ID, an empty line
    kOK,
    kConnect,
    kRing,
    kNoCarrier,
    kError,
    kBusy,
    kNoDialTone,
    kNoAnswer,
    kVoice,    // "VOICE", "VCON": a voice call
    kFcError,  // "+FCERROR": a Class 1 modem heard other than it was told to receive
    kFcon,     // "+FCON" / "+FCO": a fax connection
    kFdcs,     // "+FDCS" / "+FCS": the session's negotiated parameters
    kFdis,     // "+FDIS" / "+FIS": the remote's capabilities
    kFtsi,     // "+FTSI" / "+FTI": the remote transmitter's ID
    kFcsi,     // "+FCSI" / "+FCI": the remote called station's ID
    kFpts,     // "+FPTS" / "+FPS": a page's status
    kFet,      // "+FET": the post-page message
    kFhng,     // "+FHNG" / "+FHS": the call has ended, with a code
    kCount
};

// The result a line is; kNone when it is none. `faxClass` chooses the
// spelling of the "+F" words: Class 2.0's for fcClass2_0, else Class 2's.
TModemResult modemResult(std::string_view line, TFaxClass faxClass);
// "ERROR" and Class 1's "+FCERROR" both say a command has failed.
inline bool isErrorResult(TModemResult r) {
    return r == TModemResult::kError || r == TModemResult::kFcError;
}
// The result's name ("kNoCarrier"), for messages.
const char* modemResultName(TModemResult r);

// The parameters of a result line: what follows the first ':' (or '='),
// trimmed; empty when there is none.
std::string resultParameters(std::string_view line);
// The station ID of a remote-ID result ("+FCSI: \"ID\""): quotes dropped, trimmed.
std::string resultStationId(std::string_view line);
// The number after a "+F" result's word ("+FHNG:50" → 50, "+FHS:00" → 0,
// "+FHNG 2" → 2); -1 if none.
int hangupCode(std::string_view line);

}  // namespace px
