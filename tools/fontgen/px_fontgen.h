// The fax font generator: both sizes of the built-in fax font (16384 bytes)
// drawn from a TrueType font with Qt.
#pragma once

#include <string>

// Writes the font drawn from `fontPath` to `outputPath`; the exit status.
// Needs a QGuiApplication.
int runFontGenerator(const std::string& fontPath, const std::string& outputPath);
