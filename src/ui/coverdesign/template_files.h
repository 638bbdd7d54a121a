// Looking up a template's companion files, whatever their letter case.
#pragma once

#include <QString>

namespace px {

// The file that exists at `path` ignoring the letter case of its name; empty when none.
QString existingNoCase(const QString& path);
// The companion of a template with another extension (".bmp", ".DES", …), as it
// exists; else the path in the given case.
QString companionFile(const QString& templatePath, const QString& extension);

}  // namespace px
