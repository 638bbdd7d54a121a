// A window's placement in PX.INI: restored when the window is created, read
// back when it closes.
#pragma once

#include <QWidget>
#include <string_view>

#include "settings/settings_file.h"
#include "settings/window_placement.h"

namespace px {

// The logical resolution the placement is kept under.
int placementDpi(const QWidget& form);

// Moves and sizes `form` as saved for it, moved back onto its screen; centres
// it when nothing was saved or the file cannot be read.
void restoreFormPlacement(QWidget& form, const SettingsFile& settings, std::string_view formClass);

// The form's placement as it is to be saved: its normal geometry and whether
// it is maximised.
WindowPlacement currentFormPlacement(const QWidget& form);

}  // namespace px
