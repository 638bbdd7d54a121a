// The Port list of the preference windows: Com1 ... Com6, each entry naming
// the device that [Ports] binds to it, so a USB modem bound to COM3 is "Com3".
#pragma once

#include <QString>

#include "settings/ini_file.h"

class QComboBox;

namespace px {

inline constexpr int kListedPorts = 6;

// "Com3", or "Com3  (/dev/ttyUSB0)" when [Ports] binds COM3 to a device.
QString portEntryText(const IniFile& ini, int portNumber);

// Fills the box with Com1 ... Com6 (and the port of `comPort` when it lies
// beyond them) and selects `comPort` (zero-based; below 0 selects Com1). Each
// entry's data is its zero-based port index.
void fillPortList(QComboBox* box, const IniFile& ini, int comPort);

// The zero-based port index of the selected entry.
int selectedPort(const QComboBox* box);

}  // namespace px
