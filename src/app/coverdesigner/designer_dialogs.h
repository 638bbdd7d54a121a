// The dialogs the designer window opens for its File menu, behind one
// interface so the window's commands can be driven by tests.
#pragma once

#include <QString>
#include <optional>

#include "cover/objects/cover_types.h"

class QWidget;

namespace px {

struct TTemplateName {
    QString name;  // file name, e.g. "COVER_01.FCS"
    QString description;
};

class TDesignerDialogs {
public:
    virtual ~TDesignerDialogs() = default;
    // TPreviewCovers on `folder`: the chosen template's path (never in preview-only mode).
    virtual std::optional<QString> previewCovers(QWidget* parent, const QString& folder,
                                                 const QString& caption, const QString& remembered,
                                                 bool previewOnly) = 0;
    // TSaveTemplateAs.
    virtual std::optional<TTemplateName> saveTemplateAs(QWidget* parent, const QString& folder,
                                                        const TTemplateName& proposed) = 0;
    // The file-open dialog with `title` on `folder`.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& title,
                                            const QString& folder) = 0;
    // The default font's dialog (with its effects).
    virtual std::optional<TCoverFont> chooseFont(QWidget* parent, const TCoverFont& font) = 0;
};

// The real dialogs.
class TDesignerDialogBoxes : public TDesignerDialogs {
public:
    std::optional<QString> previewCovers(QWidget* parent, const QString& folder,
                                         const QString& caption, const QString& remembered,
                                         bool previewOnly) override;
    std::optional<TTemplateName> saveTemplateAs(QWidget* parent, const QString& folder,
                                                const TTemplateName& proposed) override;
    std::optional<QString> openFile(QWidget* parent, const QString& title,
                                    const QString& folder) override;
    std::optional<TCoverFont> chooseFont(QWidget* parent, const TCoverFont& font) override;
};

}  // namespace px
