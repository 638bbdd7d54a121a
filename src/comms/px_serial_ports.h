// The serial devices of this machine, for the port selection list.
#pragma once

#include <string>
#include <vector>

namespace px {

// Built-in UARTs (/dev/ttyS*), USB serial adapters and modems (/dev/ttyUSB*,
// /dev/ttyACM*) and their stable names (/dev/serial/by-id/*), in that order.
// A device is listed when it can be opened or exists but is in use.
std::vector<std::string> listSerialPorts(const std::string& devRoot = "/dev");

}  // namespace px
