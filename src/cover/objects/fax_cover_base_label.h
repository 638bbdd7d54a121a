// TFaxCoverBaseLabel: a cover object that shows a one-line text in a font.
#pragma once

#include <QFont>

#include "cover/objects/g_graphic_control.h"

namespace px {

class TFaxCoverBaseLabel : public TGGraphicControl {
public:
    TFaxCoverBaseLabel();

    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);
    const TCoverFont& font() const { return font_; }
    void setFont(const TCoverFont& font);

    void BoundsChanged() override;
    void ApplyFont(const TCoverFont& font) override;
    // Grows (never shrinks) the object to its caption in the zoomed font.
    void FitToText();
    // The font dialog of EditFont was confirmed with `chosen`.
    void FontEdited(const TCoverFont& chosen);

    // The font as drawn at the object's zoom, and the text it draws.
    QFont zoomedFont() const;
    QString drawnCaption() const;

protected:
    void paintContent(QPainter& painter) const override;
    void buildMenu(TCoverMenu& menu) override;
    // Whether a confirmed EditFont refits the object to its text.
    virtual bool fitsAfterFontEdit() const { return true; }

private:
    QString caption_ = QStringLiteral("Text");
    TCoverFont font_;
};

}  // namespace px
