#include "app/coverdesigner/designer_dialogs.h"

#include <QFileDialog>

#include "ui/coverdesign/cover_dialogs.h"
#include "ui/coverdesign/preview_covers.h"
#include "ui/coverdesign/save_template_as.h"

namespace px {

std::optional<QString> TDesignerDialogBoxes::previewCovers(QWidget* parent, const QString& folder,
                                                           const QString& caption,
                                                           const QString& remembered,
                                                           bool previewOnly) {
    TPreviewCovers dialog(folder, caption, previewOnly, parent);
    dialog.setRemembered(remembered);
    if (dialog.exec() != QDialog::Accepted || previewOnly) {
        return std::nullopt;
    }
    return dialog.chosenPath();
}

std::optional<TTemplateName> TDesignerDialogBoxes::saveTemplateAs(QWidget* parent,
                                                                  const QString& folder,
                                                                  const TTemplateName& proposed) {
    TSaveTemplateAs dialog(folder, proposed.name, proposed.description, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return TTemplateName{dialog.name(), dialog.description()};
}

std::optional<QString> TDesignerDialogBoxes::openFile(QWidget* parent, const QString& title,
                                                      const QString& folder) {
    QFileDialog dialog(parent, title, folder, QStringLiteral("Fax Cover Template (*.FCS *.fcs)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("FCS"));
    dialog.setOption(QFileDialog::ReadOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

std::optional<TCoverFont> TDesignerDialogBoxes::chooseFont(QWidget* parent,
                                                           const TCoverFont& font) {
    TCoverDialogBoxes boxes;
    return boxes.chooseFont(parent, font, true);
}

}  // namespace px
