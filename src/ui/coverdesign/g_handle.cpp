#include "ui/coverdesign/g_handle.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "ui/coverdesign/g_base_panel.h"

namespace px {

namespace {

Qt::CursorShape cursorOf(TResizeZone zone) {
    switch (zone) {
        case TResizeZone::TopLeft:
        case TResizeZone::BottomRight:
            return Qt::SizeFDiagCursor;
        case TResizeZone::TopRight:
        case TResizeZone::BottomLeft:
            return Qt::SizeBDiagCursor;
        case TResizeZone::Top:
        case TResizeZone::Bottom:
            return Qt::SizeVerCursor;
        case TResizeZone::Left:
        case TResizeZone::Right:
            return Qt::SizeHorCursor;
        case TResizeZone::Move:
            break;
    }
    return Qt::OpenHandCursor;
}

std::optional<TArrowKey> arrowOf(int key) {
    switch (key) {
        case Qt::Key_Left:
            return TArrowKey::Left;
        case Qt::Key_Up:
            return TArrowKey::Up;
        case Qt::Key_Right:
            return TArrowKey::Right;
        case Qt::Key_Down:
            return TArrowKey::Down;
        default:
            return std::nullopt;
    }
}

}  // namespace

TGHandle::TGHandle(TGBasePanel& page) : QWidget(&page), page_(page) {
    setObjectName(QStringLiteral("SelectionHandle"));
    setAccessibleName(QStringLiteral("Selection"));
    // Transparent: the page shows through; only the feedback is drawn, on the page.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(kRestSize, kRestSize);
    hide();
    setEnabled(false);
}

const std::vector<TGGraphicControl*>& TGHandle::Selection() const {
    return page_.model().selection();
}

void TGHandle::setGrid(int x, int y) {
    gridX_ = std::clamp(x, 1, 32);
    gridY_ = std::clamp(y, 1, 32);
}

void TGHandle::AddToSelection(TGGraphicControl& object) {
    if (object.unselectable()) {
        return;
    }
    pressTime_ = page_.now();
    TCoverPageModel& model = page_.model();
    if (model.isSelected(object)) {
        return;
    }
    QRect bounds = handleBoundsAround(object.boundsRect());
    if (!Selection().empty()) {
        const QRect current = geometry();
        const int left = std::min(current.left(), bounds.left());
        const int top = std::min(current.top(), bounds.top());
        const int right = std::max(current.left() + current.width() - kHandleGrowth,
                                   object.left() + object.width() - kHandleMargin);
        const int bottom = std::max(current.top() + current.height() - kHandleGrowth,
                                    object.top() + object.height() - kHandleMargin);
        bounds = QRect(left, top, right - left + kHandleGrowth, bottom - top + kHandleGrowth);
    }
    model.AddToSelection(object);
    setGeometry(bounds);
    setEnabled(true);
    show();
    zone_ = TResizeZone::Move;
    updateLocked();
    raise();
    setFocus();
    page_.invalidatePage();
}

void TGHandle::RemoveFromSelection(TGGraphicControl& object) {
    // The page's model tells selectionShrank().
    page_.model().removeFromSelection(object);
}

void TGHandle::selectionShrank() {
    if (!Selection().empty()) {
        RefitHandle();
    } else {
        locked_ = false;
        hide();
        setEnabled(false);
    }
    updateLocked();
    page_.invalidatePage();
}

void TGHandle::ClearSelection() {
    page_.model().ClearSelection();
    locked_ = false;
    dragging_ = false;
    capturing_ = false;
    hide();
    resize(kRestSize, kRestSize);
    setEnabled(false);
    feedback_.reset();
    keyMoving_ = false;
    page_.setFeedback(std::nullopt);
    page_.invalidatePage();
}

void TGHandle::RefitHandle() {
    const auto& selection = Selection();
    if (selection.empty()) {
        return;
    }
    int left = selection.front()->left();
    int top = selection.front()->top();
    int right = left + selection.front()->width();
    int bottom = top + selection.front()->height();
    for (const TGGraphicControl* o : selection) {
        left = std::min(left, o->left());
        top = std::min(top, o->top());
        right = std::max(right, o->left() + o->width());
        bottom = std::max(bottom, o->top() + o->height());
    }
    setGeometry(left - kHandleMargin, top - kHandleMargin, right - left + 6, bottom - top + 6);
    updateLocked();
    raise();
    page_.invalidatePage();
}

void TGHandle::setHandleBounds(const QRect& bounds) {
    const QRect before = geometry();
    setGeometry(bounds);
    for (TGGraphicControl* o : Selection()) {
        if (o->locked()) {
            continue;
        }
        const QRect moved = followHandle(o->boundsRect(), before, bounds);
        // An object never shrinks to nothing: the page would drop it when saved.
        o->setBounds(moved.left(), moved.top(), std::max(1, moved.width()),
                     std::max(1, moved.height()));
    }
    page_.invalidatePage();
}

QPoint TGHandle::clampedToPage(QPoint p) const {
    const QPoint onPage = toPage(p);
    const QSize size = page_.model().pageSize();
    const QPoint clamped(std::clamp(onPage.x(), 0, size.width()),
                         std::clamp(onPage.y(), 0, size.height()));
    return clamped - geometry().topLeft();
}

void TGHandle::setFeedback(std::optional<QRect> rect) {
    feedback_ = rect;
    page_.setFeedback(rect);
}

void TGHandle::updateLocked() {
    const auto& selection = Selection();
    locked_ = !selection.empty() && std::all_of(selection.begin(), selection.end(),
                                                [](const auto* o) { return o->locked(); });
    updateCursor();
}

void TGHandle::updateCursor() {
    setCursor(locked_ ? Qt::ForbiddenCursor : cursorOf(zone_));
}

void TGHandle::captureFrom(QPoint p) {
    capturing_ = true;
    dragging_ = false;
    origin_ = p;
    zone_ = TResizeZone::Move;
}

void TGHandle::pressAt(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    const QPoint onPage = toPage(p);
    if (button == Qt::LeftButton) {
        pressTime_ = page_.now();
        if (modifiers.testFlag(Qt::ShiftModifier)) {
            std::vector<TGGraphicControl*> hit;
            for (TGGraphicControl* o : Selection()) {
                if (o->boundsRect().contains(onPage)) {
                    hit.push_back(o);
                }
            }
            for (TGGraphicControl* o : hit) {
                RemoveFromSelection(*o);
            }
            if (Selection().empty()) {
                return;
            }
        }
        if (!Selection().empty() && !locked_) {
            origin_ = p;
            dragging_ = true;
        }
        return;
    }
    if (button == Qt::RightButton) {
        TGGraphicControl* under = nullptr;
        for (TGGraphicControl* o : Selection()) {
            if (o->boundsRect().adjusted(-2, -2, 2, 2).contains(onPage)) {
                under = o;
            }
        }
        const QPoint global = mapToGlobal(p);
        if (under != nullptr && Selection().size() == 1) {
            page_.popUpObjectMenu(*under, global);
        } else {
            page_.popUpPageMenu(global);
        }
    }
}

void TGHandle::moveTo(QPoint p, Qt::MouseButtons buttons) {
    const bool left = buttons.testFlag(Qt::LeftButton);
    if (!dragging_ && left && (capturing_ || isVisible()) && !locked_ && !Selection().empty() &&
        page_.now() - pressTime_ > kDragStartMs) {
        dragging_ = true;
    }
    if (dragging_) {
        const QPoint clamped = clampedToPage(p);
        setFeedback(
            feedbackRect(draggedBounds(zone_, clamped, origin_, geometry(), gridX_, gridY_)));
        return;
    }
    zone_ = Selection().size() == 1 ? resizeZoneAt(size(), p) : TResizeZone::Move;
    updateCursor();
}

void TGHandle::releaseAt(QPoint p, Qt::MouseButton button) {
    capturing_ = false;
    if (button != Qt::LeftButton || !dragging_) {
        return;
    }
    if (page_.now() - pressTime_ < kQuickClickMs) {
        origin_ = p;
    }
    const QPoint clamped = clampedToPage(p);
    if (clamped != origin_) {
        setHandleBounds(draggedBounds(zone_, clamped, origin_, geometry(), gridX_, gridY_));
    }
    endDrag();
}

void TGHandle::endDrag() {
    setFeedback(std::nullopt);
    dragging_ = false;
    updateCursor();
    page_.invalidatePage();
}

bool TGHandle::arrowKeyPressed(int key, Qt::KeyboardModifiers modifiers) {
    const std::optional<TArrowKey> arrow = arrowOf(key);
    if (!arrow || Selection().empty()) {
        return false;
    }
    if (!keyMoving_) {
        keyMoving_ = true;
        keyRect_ = feedbackRect(geometry());
    }
    const bool resize = modifiers.testFlag(Qt::ShiftModifier) && Selection().size() == 1;
    keyRect_ = arrowKeyStep(keyRect_, *arrow, resize, page_.model().pageSize());
    setFeedback(keyRect_);
    return true;
}

bool TGHandle::arrowKeyReleased(int key) {
    if (!arrowOf(key) || !keyMoving_) {
        return false;
    }
    keyMoving_ = false;
    setFeedback(std::nullopt);
    setHandleBounds(boundsOfFeedback(keyRect_));
    return true;
}

void TGHandle::paintEvent(QPaintEvent*) {
    // The marks are part of the page's image; the overlay itself stays clear.
}

void TGHandle::mousePressEvent(QMouseEvent* event) {
    pressAt(event->position().toPoint(), event->button(), event->modifiers());
}

void TGHandle::mouseMoveEvent(QMouseEvent* event) {
    moveTo(event->position().toPoint(), event->buttons());
}

void TGHandle::mouseReleaseEvent(QMouseEvent* event) {
    releaseAt(event->position().toPoint(), event->button());
}

void TGHandle::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked(toPage(event->position().toPoint()));
}

void TGHandle::keyPressEvent(QKeyEvent* event) {
    if (arrowKeyPressed(event->key(), event->modifiers()) ||
        page_.pageKey(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TGHandle::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat() && arrowKeyReleased(event->key())) {
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

}  // namespace px
