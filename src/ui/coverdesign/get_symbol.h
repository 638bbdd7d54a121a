// TGetSymbol: "Symbol Selector", the 224 characters 32 … 255 of a symbol font
// in columns, with a preview and the font's choice.
#pragma once

#include <QDialog>

#include "cover/objects/cover_types.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace px {

class TGetSymbol : public QDialog {
    Q_OBJECT

public:
    static constexpr int kFirstCode = 32;
    static constexpr int kCodeCount = 224;

    TGetSymbol(const TCoverFont& font, int code, QWidget* parent = nullptr);

    // The preview font (name, size, style and colour as last chosen).
    const TCoverFont& previewFont() const { return font_; }
    void setPreviewFont(const TCoverFont& font);
    // The chosen character code (32 … 255).
    int code() const;
    int columns() const { return columns_; }

    QListWidget* list() const { return list_; }
    QPushButton* fontButton() const { return fontButton_; }
    QLabel* preview() const { return preview_; }

    // "Arial 10pt Bold ": name, size, then "Bold " or "Italic " (the last that applies).
    static QString fontButtonCaption(const TCoverFont& font);

private:
    void showFont();
    void showPreview();

    TCoverFont font_;
    int columns_ = 1;
    QListWidget* list_;
    QLabel* preview_;
    QPushButton* fontButton_;
};

}  // namespace px
