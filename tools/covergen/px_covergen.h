// The cover templates that ship with Parvex, placed object by object through
// the cover model and saved as the designer saves.
#pragma once

#include <QString>
#include <QStringList>

namespace px {

// Writes every shipped template (FCS, FCT, DES, bmp) into `folder`; returns their names.
QStringList generateShippedCovers(const QString& folder);

}  // namespace px
