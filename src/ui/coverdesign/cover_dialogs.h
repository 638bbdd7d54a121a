// The dialogs the design page opens for its objects, behind one interface so
// the page can be driven without a person at the screen.
#pragma once

#include <QFont>
#include <QString>
#include <optional>

#include "cover/objects/cover_types.h"

class QWidget;

namespace px {

struct TChosenSymbol {
    TCoverFont font;
    int code = 0;  // 32 … 255
};

class TCoverDialogs {
public:
    virtual ~TCoverDialogs() = default;
    // A font dialog; `effects` offers colour, underline and strike-out.
    virtual std::optional<TCoverFont> chooseFont(QWidget* parent, const TCoverFont& font,
                                                 bool effects) = 0;
    // "Text": the object's new caption, or nothing on Cancel.
    virtual std::optional<QString> editText(QWidget* parent, const QString& caption) = 0;
    // "Symbol Selector".
    virtual std::optional<TChosenSymbol> chooseSymbol(QWidget* parent, const TCoverFont& font,
                                                      int code) = 0;
};

// The real dialogs.
class TCoverDialogBoxes : public TCoverDialogs {
public:
    std::optional<TCoverFont> chooseFont(QWidget* parent, const TCoverFont& font,
                                         bool effects) override;
    std::optional<QString> editText(QWidget* parent, const QString& caption) override;
    std::optional<TChosenSymbol> chooseSymbol(QWidget* parent, const TCoverFont& font,
                                              int code) override;
};

// A cover font as a Qt font at the point size, and back (the colour comes from `color`).
QFont toQFont(const TCoverFont& font);
TCoverFont fromQFont(const QFont& font, TCoverColor color);

}  // namespace px
