// Page data stretched to the far end's minimum scan time: every coded line
// that would go by faster gets fill bits (zeros) in front of the EOL that
// ends it (T.4 4.1.3), a whole number of octets so that the data keeps its
// octet alignment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace px {

// `data` is T.4 coded page data in line order (the first bit of the line
// in the lowest bit of each octet). A coded line runs from the end of one
// EOL to the end of the next; one of fewer than `minOctets` octets with
// data in it is padded to at least that. Lines with no data (the EOLs of
// RTC) are left alone. Time linear in the data.
std::vector<uint8_t> padScanLines(const uint8_t* data, size_t size, uint32_t minOctets);

}  // namespace px
