// TPreviewQuickFaxForms: the template chooser of the cover sheet editor. The
// same list, picture and description as TPreviewCovers, over the render lists
// (*.FCT) the covers are drawn from.
#pragma once

#include "ui/coverdesign/preview_covers.h"

namespace px {

class TPreviewQuickFaxForms : public TPreviewCovers {
    Q_OBJECT

public:
    static constexpr const char* kHint = "Select the fax cover form to use as a template";

    // Lists the templates of `folder` with `current` (any letter case) selected.
    TPreviewQuickFaxForms(const QString& folder, const QString& current, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace px
