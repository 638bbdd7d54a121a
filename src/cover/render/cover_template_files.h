// A template's file set: saving it as the designer does, and the templates
// that ship with the program.
#pragma once

#include <QString>
#include <QStringList>

#include "cover/objects/cover_page_model.h"

namespace px {

// Saves NAME.FCS, NAME.FCT, NAME.bmp and NAME.DES from the page at zoom 1.0
// (objects off the page are dropped first); the page's zoom is restored.
// Throws ECoverFileError when the design or the render list cannot be written.
void SaveLabelFile(TCoverPageModel& page, const QString& fcsPath, const QString& description);

// The base names of the shipped templates ("px0001", …).
QStringList shippedCoverNames();
// Copies every shipped template file into `coversFolder` (created when
// missing) unless a file of that name, in any letter case, is there already.
// Returns the number of files copied.
int installShippedCovers(const QString& coversFolder);

}  // namespace px
