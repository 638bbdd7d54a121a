#include "cover/objects/fax_cover_base_label.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "cover/objects/cover_fonts.h"

namespace px {

namespace {
constexpr int kDefaultWidth = 142;
constexpr int kDefaultHeight = 33;
}  // namespace

TFaxCoverBaseLabel::TFaxCoverBaseLabel() {
    setBounds(0, 0, kDefaultWidth, kDefaultHeight);
}

void TFaxCoverBaseLabel::setCaption(const QString& caption) {
    caption_ = caption;
    repaint();
}

void TFaxCoverBaseLabel::setFont(const TCoverFont& font) {
    font_ = font;
    repaint();
}

QFont TFaxCoverBaseLabel::zoomedFont() const {
    return coverFont(font_, Zoom());
}

QString TFaxCoverBaseLabel::drawnCaption() const {
    return drawnText(caption_, font_.name);
}

void TFaxCoverBaseLabel::BoundsChanged() {
    TGGraphicControl::BoundsChanged();
    if (width() < 1 || height() < 1) {
        setBounds(left(), top(), std::max(1, width()), std::max(1, height()));
    }
}

void TFaxCoverBaseLabel::ApplyFont(const TCoverFont& font) {
    setFont(font);
}

void TFaxCoverBaseLabel::FitToText() {
    const QFontMetrics metrics(zoomedFont());
    const int textWidth = metrics.horizontalAdvance(drawnCaption() + QLatin1Char(' '));
    const int textHeight = metrics.height();
    setBounds(left(), top(), std::max(width(), textWidth), std::max(height(), textHeight));
    repaint();
}

void TFaxCoverBaseLabel::FontEdited(const TCoverFont& chosen) {
    TCoverFont font = chosen;
    font.color = blackOrWhite(font.color);
    setFont(font);
    if (fitsAfterFontEdit()) {
        FitToText();
    }
}

void TFaxCoverBaseLabel::paintContent(QPainter& painter) const {
    painter.setFont(zoomedFont());
    painter.setBrush(Qt::NoBrush);
    const TCoverColor c = font_.color;
    painter.setPen(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
    painter.drawText(QRect(0, 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, drawnCaption());
}

void TFaxCoverBaseLabel::buildMenu(TCoverMenu& menu) {
    TGGraphicControl::buildMenu(menu);
    menu.push_back(menuSeparator());
    menu.push_back(menuItem(QStringLiteral("Font"), TCoverMenuAction::Font));
}

}  // namespace px
