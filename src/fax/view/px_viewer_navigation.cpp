// Scrolling, keys and marking with the mouse.
#include <algorithm>
#include <cstdlib>

#include "fax/view/px_viewer.h"

namespace px {

void TViewer::setClientSize(QSize size) {
    client_ = size;
    recomputeScroll();
}

void TViewer::recomputeScroll() {
    max_ = QPoint(std::max(0, displayed_.width() - client_.width()),
                  std::max(0, displayed_.height() - client_.height()));
    pos_ = QPoint(std::clamp(pos_.x(), 0, max_.x()), std::clamp(pos_.y(), 0, max_.y()));
    if (hooks_.scrollRangeChanged) {
        hooks_.scrollRangeChanged();
    }
}

void TViewer::moveTo(QPoint target) {
    target = QPoint(std::clamp(target.x(), 0, max_.x()), std::clamp(target.y(), 0, max_.y()));
    const QPoint delta = target - pos_;
    if (delta.isNull()) {
        return;
    }
    pos_ = target;
    // Moving further than the client area shows nothing of the old picture.
    if (std::abs(delta.x()) >= client_.width() || std::abs(delta.y()) >= client_.height() ||
        !hooks_.scrollContents) {
        repaint();
    } else {
        hooks_.scrollContents(-delta.x(), -delta.y());
    }
    if (hooks_.scrollRangeChanged) {
        hooks_.scrollRangeChanged();
    }
}

namespace {

int scrolled(TScrollAction action, int pos, int max, unsigned step) {
    const int s = static_cast<int>(step);
    switch (action) {
        case TScrollAction::StepBack:
            return pos - s;
        case TScrollAction::StepForward:
            return pos + s;
        case TScrollAction::JumpBack:
            return pos - kJumpSteps * s;
        case TScrollAction::JumpForward:
            return pos + kJumpSteps * s;
        case TScrollAction::Home:
            return 0;
        case TScrollAction::End:
            return max;
    }
    return pos;
}

}  // namespace

void TViewer::scrollHoriz(TScrollAction action) {
    moveTo(QPoint(scrolled(action, pos_.x(), max_.x(), stepH_), pos_.y()));
}

void TViewer::scrollVert(TScrollAction action) {
    moveTo(QPoint(pos_.x(), scrolled(action, pos_.y(), max_.y(), stepV_)));
}

void TViewer::scrollTo(QPoint position) {
    moveTo(position);
}

bool TViewer::keyDown(TViewerKey key, bool ctrl) {
    if (dragging_) {
        return true;
    }
    const TScrollAction step = ctrl ? TScrollAction::JumpBack : TScrollAction::StepBack;
    const TScrollAction stepOn = ctrl ? TScrollAction::JumpForward : TScrollAction::StepForward;
    switch (key) {
        case TViewerKey::PageUp:
            if (ctrl) {
                scrollVert(TScrollAction::Home);
            } else if (curPage_ > 1) {
                gotoPage(curPage_ - 1);
            }
            return true;
        case TViewerKey::PageDown:
            if (ctrl) {
                scrollVert(TScrollAction::End);
            } else if (curPage_ != 0 && curPage_ < numPages()) {
                gotoPage(curPage_ + 1);
            }
            return true;
        case TViewerKey::Home:
            if (!ctrl) {
                scrollHoriz(TScrollAction::Home);
            } else if (curPage_ != 0) {
                gotoPage(1);
            }
            return true;
        case TViewerKey::End:
            if (!ctrl) {
                scrollHoriz(TScrollAction::End);
            } else if (curPage_ != 0) {
                gotoPage(numPages());
            }
            return true;
        case TViewerKey::Left:
            scrollHoriz(step);
            return true;
        case TViewerKey::Right:
            scrollHoriz(stepOn);
            return true;
        case TViewerKey::Up:
            scrollVert(step);
            return true;
        case TViewerKey::Down:
            scrollVert(stepOn);
            return true;
    }
    return false;
}

QPoint TViewer::clipToPage(QPoint p) const {
    return QPoint(std::clamp(p.x(), 0, displayed_.width()),
                  std::clamp(p.y(), 0, displayed_.height()));
}

void TViewer::removeMark() {
    if (hasMark_) {
        hasMark_ = false;
        repaint();
    }
}

ErrorCode TViewer::selectAll() {
    if (current() == nullptr) {
        return ecNoImageLoaded;
    }
    return select(QRect(QPoint(0, 0), displayed_));
}

ErrorCode TViewer::select(const QRect& rect) {
    if (current() == nullptr) {
        return ecNoImageLoaded;
    }
    mark_ = rect.normalized() & QRect(QPoint(0, 0), displayed_);
    hasMark_ = !mark_.isEmpty();
    repaint();
    return ecOK;
}

void TViewer::mouseDown(QPoint client) {
    if (current() == nullptr) {
        return;
    }
    removeMark();
    anchor_ = clipToPage(client + pos_);
    pointer_ = client;
    mark_ = QRect(anchor_, QSize(0, 0));
    dragging_ = true;
    if (!captured_) {
        captured_ = true;
        if (hooks_.captureMouse) {
            hooks_.captureMouse(true);
        }
    }
}

void TViewer::updateDragMark() {
    const QPoint p = clipToPage(pointer_ + pos_);
    const QPoint topLeft(std::min(anchor_.x(), p.x()), std::min(anchor_.y(), p.y()));
    const QPoint bottomRight(std::max(anchor_.x(), p.x()), std::max(anchor_.y(), p.y()));
    mark_ = QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
    hasMark_ = !mark_.isEmpty();
    repaint();
}

void TViewer::mouseMove(QPoint client) {
    if (!dragging_) {
        return;
    }
    pointer_ = client;
    updateDragMark();
    const bool outside = !QRect(QPoint(0, 0), client_).contains(client);
    if (outside != timerRunning_) {
        timerRunning_ = outside;
        if (hooks_.dragTimer) {
            hooks_.dragTimer(outside);
        }
    }
}

void TViewer::dragTimerTick() {
    if (!dragging_) {
        return;
    }
    // Steps towards the pointer: one, or two when it is far outside.
    const auto towards = [](int p, int extent, unsigned step) {
        const int s = static_cast<int>(step);
        if (p < 0) {
            return -(p < -kFastDragDistance ? 2 * s : s);
        }
        if (p >= extent) {
            return p - extent >= kFastDragDistance ? 2 * s : s;
        }
        return 0;
    };
    const QPoint by(towards(pointer_.x(), client_.width(), stepH_),
                    towards(pointer_.y(), client_.height(), stepV_));
    moveTo(pos_ + by);
    updateDragMark();
}

void TViewer::mouseUp() {
    if (!dragging_) {
        return;
    }
    dragging_ = false;
    if (captured_) {
        captured_ = false;
        if (hooks_.captureMouse) {
            hooks_.captureMouse(false);
        }
    }
    if (timerRunning_) {
        timerRunning_ = false;
        if (hooks_.dragTimer) {
            hooks_.dragTimer(false);
        }
    }
    if (mark_.isEmpty()) {
        removeMark();
    }
}

}  // namespace px
