#include "ui/coverdesign/cover_dialogs.h"

#include <QFontDialog>
#include <QGroupBox>

#include "cover/objects/cover_fonts.h"
#include "ui/coverdesign/get_label_text.h"
#include "ui/coverdesign/get_symbol.h"

namespace px {

QFont toQFont(const TCoverFont& font) {
    QFont f(resolveFontFamily(font.name));
    f.setPointSize(std::max(1, font.size()));
    f.setBold(font.bold());
    f.setItalic(font.italic());
    f.setUnderline(font.underline());
    f.setStrikeOut((font.style & fsStrikeOut) != 0);
    return f;
}

TCoverFont fromQFont(const QFont& font, TCoverColor color) {
    TCoverFont f;
    f.color = color;
    f.name = font.family();
    f.setSize(font.pointSize() > 0 ? font.pointSize() : 10);
    unsigned style = 0;
    style |= font.bold() ? fsBold : 0U;
    style |= font.italic() ? fsItalic : 0U;
    style |= font.underline() ? fsUnderline : 0U;
    style |= font.strikeOut() ? fsStrikeOut : 0U;
    f.style = style;
    return f;
}

std::optional<TCoverFont> TCoverDialogBoxes::chooseFont(QWidget* parent, const TCoverFont& font,
                                                        bool effects) {
    QFontDialog dialog(toQFont(font), parent);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (!effects) {
        // Cover pages are black and white: no underline or strike-out here.
        for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) {
            box->hide();
        }
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    TCoverFont chosen = fromQFont(dialog.selectedFont(), font.color);
    if (!effects) {
        chosen.style &= ~(static_cast<unsigned>(fsUnderline) | static_cast<unsigned>(fsStrikeOut));
        chosen.style |= font.style & (static_cast<unsigned>(fsUnderline) | fsStrikeOut);
    }
    // Keep the name the template used when the dialog only showed its stand-in.
    if (chosen.name == resolveFontFamily(font.name)) {
        chosen.name = font.name;
    }
    return chosen;
}

std::optional<QString> TCoverDialogBoxes::editText(QWidget* parent, const QString& caption) {
    TGetLabelText dialog(caption, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.text();
}

std::optional<TChosenSymbol> TCoverDialogBoxes::chooseSymbol(QWidget* parent,
                                                             const TCoverFont& font, int code) {
    TGetSymbol dialog(font, code, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return TChosenSymbol{dialog.previewFont(), dialog.code()};
}

}  // namespace px
