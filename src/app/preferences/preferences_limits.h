// Field lengths and ranges the preference windows hold the settings to.
#pragma once

namespace px {

// The header line of a sent fax has room for these.
inline constexpr int kNameLength = 35;
inline constexpr int kStationIdLength = 20;  // T.30 TSI/CSI: 20 characters

}  // namespace px
