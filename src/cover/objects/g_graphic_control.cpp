#include "cover/objects/g_graphic_control.h"

#include <QPainter>
#include <cmath>

namespace px {

namespace {

constexpr int kMarkSize = 5;

// Rounds to nearest with ties to even, as the zoom's scaling does.
int roundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

}  // namespace

TGGraphicControl::TGGraphicControl() = default;
TGGraphicControl::~TGGraphicControl() = default;

QString TGGraphicControl::className() const {
    switch (objectClass()) {
        case TCoverObjectClass::Label:
            return QStringLiteral("TFaxCoverLabel");
        case TCoverObjectClass::Symbol:
            return QStringLiteral("TFaxCoverSymbol");
        case TCoverObjectClass::Shapes:
            return QStringLiteral("TFaxCoverShapes");
        case TCoverObjectClass::Line:
            return QStringLiteral("TFaxCoverLine");
        case TCoverObjectClass::Importance:
            return QStringLiteral("TFaxCoverImportance");
        case TCoverObjectClass::Field:
            return QStringLiteral("TFaxCoverField");
        case TCoverObjectClass::Message:
            return QStringLiteral("TFaxCoverMessage");
    }
    return {};
}

void TGGraphicControl::setBounds(int left, int top, int width, int height) {
    bounds_ = QRect(left, top, width, height);
    if (!loading_) {
        BoundsChanged();
    }
}

void TGGraphicControl::setLocked(bool locked) {
    locked_ = locked;
    if (TCoverMenuItem* item = findMenuItem(menu_, QStringLiteral("Locked"))) {
        item->checked = locked;
    }
    NotifyChanged();
}

void TGGraphicControl::setUnselectable(bool unselectable) {
    unselectable_ = unselectable;
    if (unselectable && host_ != nullptr && host_->isSelected(*this)) {
        host_->removeFromSelection(*this);
    }
}

void TGGraphicControl::SetObjectZoom(float zoom) {
    const double f = static_cast<double>(zoom) / static_cast<double>(zoom_ == 0.0F ? 1.0F : zoom_);
    zoom_ = zoom;
    setBounds(roundEven(left() * f), roundEven(top() * f), roundEven(width() * f),
              roundEven(height() * f));
}

void TGGraphicControl::Loaded() {
    loading_ = false;
    menu_.clear();
    buildMenu(menu_);
    reportedBounds_ = bounds_;
}

void TGGraphicControl::BoundsChanged() {
    if (inBoundsChanged_) {
        return;
    }
    inBoundsChanged_ = true;
    if (bounds_ != reportedBounds_) {
        NotifyChanged();
        reportedBounds_ = bounds_;
        if (host_ != nullptr) {
            host_->requestRefitHandle();
        }
    }
    inBoundsChanged_ = false;
}

void TGGraphicControl::UpdateMenuChecks() {
    if (TCoverMenuItem* item = findMenuItem(menu_, QStringLiteral("Locked"))) {
        item->checked = locked_;
    }
}

void TGGraphicControl::ApplyFont(const TCoverFont&) {}

void TGGraphicControl::NotifyChanged() {
    if (host_ == nullptr || host_->printing() || host_->zooming()) {
        return;
    }
    try {
        host_->labelChanged();
    } catch (...) {
        // A failing change handler must not stop the edit that reported it.
    }
}

void TGGraphicControl::CenterVertically() {
    if (host_ != nullptr) {
        setTop(host_->pageSize().height() / 2 - height() / 2);
    }
}

void TGGraphicControl::CenterHorizontally() {
    if (host_ != nullptr) {
        setLeft(host_->pageSize().width() / 2 - width() / 2);
    }
}

void TGGraphicControl::buildMenu(TCoverMenu& menu) {
    using A = TCoverMenuAction;
    menu.push_back(menuItem(QStringLiteral("Bring To Front"), A::BringToFront));
    menu.push_back(menuItem(QStringLiteral("Send To Back"), A::SendToBack));
    menu.push_back(menuItem(QStringLiteral("Cut"), A::Cut));
    menu.push_back(menuItem(QStringLiteral("Copy"), A::Copy));
    menu.push_back(menuItem(QStringLiteral("Delete"), A::Delete));
    menu.push_back(menuItem(QStringLiteral("Clone"), A::Clone));
    menu.push_back(menuSeparator());
    TCoverMenuItem lockedItem = menuItem(QStringLiteral("Locked"), A::Locked, 0, true);
    lockedItem.checked = locked_;
    menu.push_back(lockedItem);
    menu.push_back(menuItem(QStringLiteral("Unselectable"), A::Unselectable));
    menu.push_back(menuSeparator());
    menu.push_back(menuItem(QStringLiteral("Center Vertically"), A::CenterVertically));
    menu.push_back(menuItem(QStringLiteral("Center Horizontally"), A::CenterHorizontally));
}

bool TGGraphicControl::performMenuAction(const TCoverMenuItem& item) {
    switch (item.action) {
        case TCoverMenuAction::Locked:
            setLocked(!locked_);
            return true;
        case TCoverMenuAction::Unselectable:
            setUnselectable(true);
            return true;
        case TCoverMenuAction::CenterVertically:
            CenterVertically();
            return true;
        case TCoverMenuAction::CenterHorizontally:
            CenterHorizontally();
            return true;
        case TCoverMenuAction::None:
        case TCoverMenuAction::BringToFront:
        case TCoverMenuAction::SendToBack:
        case TCoverMenuAction::Cut:
        case TCoverMenuAction::Copy:
        case TCoverMenuAction::Delete:
        case TCoverMenuAction::Clone:
        case TCoverMenuAction::Font:
        case TCoverMenuAction::Text:
        case TCoverMenuAction::SymbolSelector:
        case TCoverMenuAction::FieldType:
        case TCoverMenuAction::LineThickness:
        case TCoverMenuAction::FillType:
        case TCoverMenuAction::Rounding:
        case TCoverMenuAction::LineStyle:
        case TCoverMenuAction::StretchToEdges:
            break;
    }
    return false;
}

void TGGraphicControl::repaint() {
    if (host_ != nullptr) {
        host_->repaint(*this);
    }
}

void TGGraphicControl::paint(QPainter& page) const {
    page.save();
    page.translate(left(), top());
    page.setClipRect(QRect(0, 0, width(), height()));
    paintContent(page);
    page.restore();
    DrawSelectionMarks(page);
}

void TGGraphicControl::DrawSelectionMarks(QPainter& page) const {
    if (host_ == nullptr || !host_->isSelected(*this)) {
        return;
    }
    const bool single = host_->selectionCount() == 1;
    const QColor colour = single ? host_->markColor() : host_->secondaryMarkColor();
    // R as edges: (Left − 2, Top − 2) to (Left + Width + 2, Top + Height + 2).
    const int rl = left() - 2;
    const int rt = top() - 2;
    const int rr = left() + width() + 2;
    const int rb = top() + height() + 2;
    auto fill = [&](int x1, int y1, int x2, int y2) {
        page.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), colour);
    };
    fill(rl, rt, rl + kMarkSize, rt + kMarkSize);
    fill(rr - kMarkSize, rt, rr, rt + kMarkSize);
    fill(rl, rb - kMarkSize, rl + kMarkSize, rb);
    fill(rr - kMarkSize, rb - kMarkSize, rr, rb);
    if (!single) {
        return;
    }
    // Edge marks run from the middle − 2 to the middle + 3.
    const int mx = rl + static_cast<int>((rr - rl) * 0.5) - 2;
    const int my = rt + static_cast<int>((rb - rt) * 0.5) - 2;
    fill(mx, rt, mx + kMarkSize, rt + kMarkSize);
    fill(mx, rb - kMarkSize, mx + kMarkSize, rb);
    fill(rl, my, rl + kMarkSize, my + kMarkSize);
    fill(rr - kMarkSize, my, rr, my + kMarkSize);
}

}  // namespace px
