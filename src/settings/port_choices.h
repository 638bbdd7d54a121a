// The entries of the port selection list: serial port numbers with the device
// each one opens. Devices that no number reaches yet (a USB modem, say) are
// offered under the first free number, bound to it in [Ports] when chosen.
#pragma once

#include <string>
#include <vector>

#include "settings/ini_file.h"

namespace px {

struct PortChoice {
    int number = 0;             // COMn, 1-based
    std::string path;           // the device it opens
    bool needsBinding = false;  // [Ports] COMn must be written when chosen

    // "COM3  (/dev/ttyUSB0)": the number from the fourth character on.
    std::string text() const;
};

// Ports 1..kMaxPortNumber: every number bound in [Ports], and every default
// /dev/ttyS(n-1) that is among `devices`; then each remaining device under the
// lowest number that is neither bound nor a listed default.
inline constexpr int kMaxPortNumber = 50;
std::vector<PortChoice> portChoices(const IniFile& ini, const std::vector<std::string>& devices);

// Records the choice in [Ports] when it needs a binding.
void bindPortChoice(IniFile& ini, const PortChoice& choice);

// The port number an entry's text names, or 0.
int portNumberOfChoiceText(const std::string& text);

}  // namespace px
