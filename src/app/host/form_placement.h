// A form's window placement in PX.INI: applied when the form first shows,
// written when it closes.
#pragma once

#include <string_view>

class QWidget;

namespace px {

class IniFile;
class SettingsFile;

// Moves the form to its saved placement (back on screen), or centres it when
// none was saved or the file cannot be read.
void loadFormPlacement(QWidget& form, const SettingsFile& file, std::string_view formClass);
// Writes the form's normal rectangle and maximised state into `ini`.
void writeFormPlacement(IniFile& ini, const QWidget& form, std::string_view formClass);

}  // namespace px
