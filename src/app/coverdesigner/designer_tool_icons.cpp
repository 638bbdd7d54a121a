#include "app/coverdesigner/designer_tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace px {

namespace {

constexpr int kIconSize = 24;

}  // namespace

QIcon designerToolIcon(TLPanelState tool) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    const QRectF box(4, 6, 16, 12);
    switch (tool) {
        case TLPanelState::psPointing: {
            QPainterPath arrow;
            arrow.moveTo(7, 3);
            arrow.lineTo(7, 19);
            arrow.lineTo(11, 15);
            arrow.lineTo(14, 21);
            arrow.lineTo(16, 20);
            arrow.lineTo(13, 14);
            arrow.lineTo(18, 14);
            arrow.closeSubpath();
            p.fillPath(arrow, Qt::white);
            p.drawPath(arrow);
            break;
        }
        case TLPanelState::psLabel:
            p.setFont(QFont(QStringLiteral("Liberation Serif"), 14, QFont::Bold));
            p.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, QStringLiteral("A"));
            break;
        case TLPanelState::psSymbolLabel:
            p.setFont(QFont(QStringLiteral("Symbola"), 13));
            p.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, QString(QChar(0x260E)));
            break;
        case TLPanelState::psRectangle:
            p.drawRect(box);
            break;
        case TLPanelState::psEllipse:
            p.drawEllipse(box);
            break;
        case TLPanelState::psRoundRectangle:
            p.drawRoundedRect(box, 4, 4);
            break;
        case TLPanelState::psLine:
            p.drawLine(QPointF(4, 20), QPointF(20, 4));
            break;
        case TLPanelState::psField:
            p.setFont(QFont(QStringLiteral("Liberation Sans"), 8, QFont::Bold));
            p.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, QStringLiteral("[F]"));
            break;
        case TLPanelState::psMessage:
            p.setPen(QPen(Qt::black, 1, Qt::DotLine));
            p.drawRect(QRectF(3, 4, 18, 16));
            p.setPen(QPen(Qt::black, 1));
            for (int y = 8; y <= 16; y += 4) {
                p.drawLine(6, y, 18, y);
            }
            break;
        case TLPanelState::psImportance:
            p.drawRect(QRectF(3, 8, 7, 7));
            p.drawRect(QRectF(14, 8, 7, 7));
            p.drawLine(QPointF(4, 11), QPointF(6, 14));
            p.drawLine(QPointF(6, 14), QPointF(10, 6));
            break;
    }
    return QIcon(pixmap);
}

QIcon gridIcon(bool snap) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    for (int y = 3; y < kIconSize; y += 4) {
        for (int x = 3; x < kIconSize; x += 4) {
            p.fillRect(x, y, 2, 2, QColor(0x00, 0x80, 0x00));
        }
    }
    if (snap) {
        p.setPen(QPen(Qt::black, 2));
        p.drawRect(7, 7, 9, 9);
    }
    return QIcon(pixmap);
}

}  // namespace px
