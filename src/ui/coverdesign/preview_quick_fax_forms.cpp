#include "ui/coverdesign/preview_quick_fax_forms.h"

#include <QListWidget>

namespace px {

TPreviewQuickFaxForms::TPreviewQuickFaxForms(const QString& folder, const QString& current,
                                             QWidget* parent)
    : TPreviewCovers(folder, QString::fromLatin1(kSelectCaption), false, parent,
                     QStringLiteral(".FCT")) {
    setObjectName(QStringLiteral("TPreviewQuickFaxForms"));
    setToolTip(QString::fromLatin1(kHint));
    list()->setToolTip(QString::fromLatin1(kHint));
    setRemembered(current);
}

void TPreviewQuickFaxForms::showEvent(QShowEvent* event) {
    TPreviewCovers::showEvent(event);
    list()->setFocus();
}

}  // namespace px
