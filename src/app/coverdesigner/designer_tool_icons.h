// The drawing tools' pictures, drawn rather than shipped.
#pragma once

#include <QIcon>

#include "ui/coverdesign/fax_cover_panel.h"

namespace px {

QIcon designerToolIcon(TLPanelState tool);
QIcon gridIcon(bool snap);

}  // namespace px
