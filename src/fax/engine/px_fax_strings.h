// Texts of the fax progress codes (string table "PX_FAX_STRINGS_ENGLISH").
#pragma once

#include <string>

namespace px {

// The text of a progress code; empty outside the table.
std::string faxProgressText(int code);

}  // namespace px
