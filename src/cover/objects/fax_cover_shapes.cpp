#include "cover/objects/fax_cover_shapes.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace px {

namespace {

constexpr int kShapeCreationSize = 25;
constexpr int kLineCreationSize = 10;
constexpr int kThicknessCount = 10;
constexpr int kRoundingSteps[] = {20, 30, 40, 50, 60, 70, 80};

std::vector<TCoverMenuItem> thicknessItems() {
    std::vector<TCoverMenuItem> items;
    for (int w = 1; w <= kThicknessCount; ++w) {
        items.push_back(menuItem(QString::number(w) + QStringLiteral(" Point"),
                                 TCoverMenuAction::LineThickness, w, true));
    }
    return items;
}

QPen blackPen(int width) {
    QPen pen(Qt::black);
    pen.setWidth(width);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

}  // namespace

int zoomedPenWidth(int width, float zoom, bool atLeastOne) {
    if (zoom == 1.0F) {
        return width;
    }
    int w = static_cast<int>(std::nearbyint(width * static_cast<double>(zoom)));
    if (atLeastOne && width > 0) {
        w = std::max(w, 1);
    }
    return w;
}

TFaxCoverShapes::TFaxCoverShapes() {
    setBounds(0, 0, kShapeCreationSize, kShapeCreationSize);
}

void TFaxCoverShapes::setShapeFilltype(TShapeFillType fill) {
    fill_ = fill;
    repaint();
}

void TFaxCoverShapes::setPen(const TCoverPen& pen) {
    pen_ = pen;
    repaint();
}

void TFaxCoverShapes::setRoundPerc(int percent) {
    roundPerc_ = percent;
    repaint();
}

void TFaxCoverShapes::setShape(TShapeType shape) {
    shape_ = shape;
    if (!loading()) {
        menu().clear();
        buildMenu(menu());
    }
    repaint();
}

void TFaxCoverShapes::paintContent(QPainter& painter) const {
    const int w = zoomedPenWidth(pen_.width, Zoom(), true);
    const int h = w / 2;
    painter.setPen(blackPen(w));
    switch (fill_) {
        case TShapeFillType::sftTransparent:
            painter.setBrush(Qt::NoBrush);
            break;
        case TShapeFillType::sftFilledWhite:
            painter.setBrush(Qt::white);
            break;
        case TShapeFillType::sftFilledBlack:
            painter.setBrush(Qt::black);
            break;
    }
    // The box (h, h, Width − w + 1 + h, Height − w + 1 + h), right and bottom edges excluded.
    const QRect box(h, h, width() - w + 1 - 1, height() - w + 1 - 1);
    switch (shape_) {
        case TShapeType::stRectangle:
        case TShapeType::stSquare:
            painter.drawRect(box);
            break;
        case TShapeType::stRoundRect:
        case TShapeType::stRoundSquare: {
            const double corner = std::trunc(std::max(width(), height()) * roundPerc_ * 0.01);
            painter.drawRoundedRect(box, corner / 2, corner / 2);
            break;
        }
        case TShapeType::stEllipse:
        case TShapeType::stCircle:
            painter.drawEllipse(box);
            break;
    }
}

void TFaxCoverShapes::buildMenu(TCoverMenu& menu) {
    using A = TCoverMenuAction;
    TGGraphicControl::buildMenu(menu);
    menu.push_back(menuSeparator());
    menu.push_back(subMenu(QStringLiteral("Line Thickness"), thicknessItems()));
    menu.push_back(menuSeparator());
    menu.push_back(menuItem(QStringLiteral("Transparent"), A::FillType, 0, true));
    menu.push_back(menuItem(QStringLiteral("Filled - White"), A::FillType, 1, true));
    menu.push_back(menuItem(QStringLiteral("Filled - Black"), A::FillType, 2, true));
    if (shape_ == TShapeType::stRoundRect || shape_ == TShapeType::stRoundSquare) {
        std::vector<TCoverMenuItem> steps;
        for (const int p : kRoundingSteps) {
            steps.push_back(
                menuItem(QString::number(p) + QStringLiteral(" %"), A::Rounding, p, true));
        }
        menu.push_back(menuSeparator());
        menu.push_back(subMenu(QStringLiteral("Degree of Rounding"), std::move(steps)));
    }
}

void TFaxCoverShapes::UpdateMenuChecks() {
    TGGraphicControl::UpdateMenuChecks();
    checkMenuItemsByTag(menu(), TCoverMenuAction::FillType, static_cast<int>(fill_));
    checkMenuItemsByTag(menu(), TCoverMenuAction::LineThickness, pen_.width);
    checkMenuItemsByTag(menu(), TCoverMenuAction::Rounding, roundPerc_);
}

bool TFaxCoverShapes::performMenuAction(const TCoverMenuItem& item) {
    if (item.action == TCoverMenuAction::LineThickness) {
        TCoverPen p = pen_;
        p.width = item.tag;
        setPen(p);
    } else if (item.action == TCoverMenuAction::FillType && item.tag >= 0 && item.tag <= 2) {
        setShapeFilltype(static_cast<TShapeFillType>(item.tag));
    } else if (item.action == TCoverMenuAction::Rounding) {
        setRoundPerc(item.tag);
    } else {
        return TGGraphicControl::performMenuAction(item);
    }
    NotifyChanged();
    return true;
}

TFaxCoverLine::TFaxCoverLine() {
    setBounds(0, 0, kLineCreationSize, kLineCreationSize);
}

void TFaxCoverLine::setLineStyle(TLineStyle style) {
    style_ = style;
    repaint();
}

void TFaxCoverLine::setPen(const TCoverPen& pen) {
    pen_ = pen;
    repaint();
}

void TFaxCoverLine::StretchToEdges() {
    if (host() == nullptr) {
        return;
    }
    const QSize page = host()->pageSize();
    switch (style_) {
        case TLineStyle::stHorizontal:
            setBounds(0, top(), page.width(), height());
            break;
        case TLineStyle::stVertical:
            setBounds(left(), 0, width(), page.height());
            break;
        case TLineStyle::stAngleSlopingUp:
        case TLineStyle::stAngleSlopingDown:
            break;
    }
}

void TFaxCoverLine::paintContent(QPainter& painter) const {
    const int w = zoomedPenWidth(pen_.width, Zoom(), false);
    const int h = w / 2;
    if (w <= 0 && pen_.width > 0) {
        return;  // zoomed down to nothing
    }
    painter.setPen(blackPen(w));
    switch (style_) {
        case TLineStyle::stHorizontal:
            painter.drawLine(h, h, width() + h - w, h);
            break;
        case TLineStyle::stVertical:
            painter.drawLine(h, h, h, h + height() - w);
            break;
        case TLineStyle::stAngleSlopingUp:
            painter.drawLine(width(), 0, 0, height());
            break;
        case TLineStyle::stAngleSlopingDown:
            painter.drawLine(0, 0, width(), height());
            break;
    }
}

void TFaxCoverLine::buildMenu(TCoverMenu& menu) {
    using A = TCoverMenuAction;
    TGGraphicControl::buildMenu(menu);
    menu.push_back(menuSeparator());
    menu.push_back(
        subMenu(QStringLiteral("Style"),
                {menuItem(QStringLiteral("Horizontal"), A::LineStyle, 0, true),
                 menuItem(QStringLiteral("Vertical"), A::LineStyle, 1, true),
                 menuItem(QStringLiteral("Angled Sloping Up"), A::LineStyle, 2, true),
                 menuItem(QStringLiteral("Angled Sloping Down"), A::LineStyle, 3, true)}));
    menu.push_back(subMenu(QStringLiteral("Line Thickness"), thicknessItems()));
    menu.push_back(menuSeparator());
    menu.push_back(menuItem(QStringLiteral("Stretch To Edges"), A::StretchToEdges));
}

void TFaxCoverLine::UpdateMenuChecks() {
    TGGraphicControl::UpdateMenuChecks();
    checkMenuItemsByTag(menu(), TCoverMenuAction::LineStyle, static_cast<int>(style_));
    checkMenuItemsByTag(menu(), TCoverMenuAction::LineThickness, pen_.width);
}

bool TFaxCoverLine::performMenuAction(const TCoverMenuItem& item) {
    if (item.action == TCoverMenuAction::LineThickness) {
        TCoverPen p = pen_;
        p.width = item.tag;
        setPen(p);
        NotifyChanged();
    } else if (item.action == TCoverMenuAction::LineStyle && item.tag >= 0 && item.tag <= 3) {
        setLineStyle(static_cast<TLineStyle>(item.tag));
        NotifyChanged();
    } else if (item.action == TCoverMenuAction::StretchToEdges) {
        StretchToEdges();
    } else {
        return TGGraphicControl::performMenuAction(item);
    }
    return true;
}

}  // namespace px
