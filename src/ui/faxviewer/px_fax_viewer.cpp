#include "ui/faxviewer/px_fax_viewer.h"

namespace px {

TPxFaxViewer::TPxFaxViewer(QWidget* parent) : TPxCustomFaxViewer(parent) {
    setAccessibleName("Fax page");
}

}  // namespace px
