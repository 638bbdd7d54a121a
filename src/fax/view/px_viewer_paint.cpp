// Painting the page with its colours and the mark, and copying the mark.
#include <QPainter>

#include "fax/view/px_viewer.h"

namespace px {

void TViewer::paint(QPainter& painter, const QRect& area) const {
    painter.fillRect(area, bg_);
    if (designMode_) {
        painter.setPen(fg_);
        painter.drawText(QPoint(3, 3 + painter.fontMetrics().ascent()), caption_);
        return;
    }
    const Page* page = current();
    if (page == nullptr || page->bitmap.isNull()) {
        return;
    }
    const QRect pageOnClient(-pos_, displayed_);
    const QRect target = area & pageOnClient;
    if (target.isEmpty()) {
        return;
    }
    QImage part = stretchRegion(page->bitmap, factors_, target.translated(pos_));
    if (part.isNull()) {
        return;
    }
    // Index 0 is a black pel, index 1 a white one.
    part.setColorTable({fg_.rgb(), bg_.rgb()});
    painter.drawImage(target.topLeft(), part);
    if (hasMark_) {
        const QRect shown = mark_.translated(-pos_) & area;
        if (!shown.isEmpty()) {
            painter.save();
            painter.setCompositionMode(QPainter::CompositionMode_Difference);
            painter.fillRect(shown, Qt::white);
            painter.restore();
        }
    }
}

ErrorCode TViewer::copyMark(QImage& out) const {
    const Page* page = current();
    if (page == nullptr) {
        return ecNoImageLoaded;
    }
    if (!hasMark_) {
        return ecNoImageBlockMarked;
    }
    out = stretchRegion(page->bitmap, factors_, mark_);
    if (out.isNull()) {
        return ecCantMakeBitmap;
    }
    out.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    return ecOK;
}

}  // namespace px
