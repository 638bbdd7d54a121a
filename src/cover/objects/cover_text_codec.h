// Cover files hold texts in the Windows ANSI code page (1252), one byte a character.
#pragma once

#include <QString>
#include <string>

namespace px {

QString fromWindows1252(const std::string& bytes);
// Characters the code page lacks become "?".
std::string toWindows1252(const QString& text);
// The code-page byte of one character (−1 when it has none).
int windows1252Code(QChar c);

}  // namespace px
