// Station IDs as they go to the far end: the identification frames carry
// printable ASCII only (T.30 5.3.6.2.4), at most 20 characters.
#pragma once

#include <string>
#include <string_view>

namespace px {

// `text` (UTF-8) as a station ID we can send: Latin letters with accents
// lose them ("é" → "e", "ß" → "ss"), other characters outside printable
// ASCII are left out, and the result is cut to 20 characters. Malformed
// UTF-8 is skipped byte by byte.
std::string sendableStationId(std::string_view text);

// The station ID, made sendable, as the string of "AT+FLI=" / "AT+FLID=": a
// double quote would end the string early, so it is left out.
std::string quotedStationId(std::string_view id);

}  // namespace px
