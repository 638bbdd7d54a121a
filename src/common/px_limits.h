// Lengths where strings meet the modem and the files, the same in every
// layer: station IDs, and modem command strings (the dial prefix among them).
#pragma once

#include <cstddef>

namespace px {

constexpr std::size_t kStationIdLength = 20;
constexpr std::size_t kModemStringLength = 40;

}  // namespace px
