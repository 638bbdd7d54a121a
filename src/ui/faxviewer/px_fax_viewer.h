// The fax viewer component as forms place it.
#pragma once

#include "ui/faxviewer/px_custom_fax_viewer.h"

namespace px {

class TPxFaxViewer : public TPxCustomFaxViewer {
    Q_OBJECT

public:
    explicit TPxFaxViewer(QWidget* parent = nullptr);
};

}  // namespace px
