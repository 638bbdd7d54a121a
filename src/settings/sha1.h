// SHA-1 (FIPS 180-4) of a byte string, for names derived from paths; not for
// anything that needs to resist an attacker.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace px {

std::array<std::uint8_t, 20> sha1(std::string_view data);
// The digest as 40 lower-case hexadecimal digits.
std::string sha1Hex(std::string_view data);

}  // namespace px
