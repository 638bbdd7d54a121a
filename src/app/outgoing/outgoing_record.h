// A new outgoing fax in the log: one record with its fax information and the
// names of its files in SEND.
#pragma once

#include <string>

#include "app/faxeditor/fax_information.h"

namespace px {

class TXbTable;

// Texts of the commands that make outgoing faxes from files.
inline constexpr const char* kErrorOpeningFaxFile = "Error opening fax file";
inline constexpr const char* kFaxFileNotCopied =
    "The fax file could not be copied into the SEND folder.";

// Appends the record and leaves it current. When a field cannot be written,
// the half-written record is deleted again and the error raised, so that no
// record stays without its files.
void appendOutgoingFax(TXbTable& outgoing, const TFaxInformation& info, const std::string& doc,
                       const std::string& cover);

}  // namespace px
