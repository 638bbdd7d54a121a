// The viewer's file, pages, display factors and rotation.
#include "fax/view/px_viewer.h"

#include <QFileInfo>
#include <new>

#include "common/px_exceptions.h"
#include "fax/apf/px_apf_reader.h"
#include "fax/qt/px_qt_services.h"
#include "fax/view/px_page_rotation.h"

namespace px {

TViewer::TViewer() = default;

TViewer::~TViewer() {
    if (captured_ && hooks_.captureMouse) {
        hooks_.captureMouse(false);
    }
    if (timerRunning_ && hooks_.dragTimer) {
        hooks_.dragTimer(false);
    }
}

TViewer::Page* TViewer::current() {
    return curPage_ == 0 ? nullptr : &pages_[curPage_ - 1];
}

const TViewer::Page* TViewer::current() const {
    return curPage_ == 0 ? nullptr : &pages_[curPage_ - 1];
}

void TViewer::repaint() const {
    if (hooks_.repaint) {
        hooks_.repaint();
    }
}

void TViewer::busy(bool on) const {
    if (hooks_.busy) {
        hooks_.busy(on);
    }
}

void TViewer::disposePages() {
    pages_.clear();
    pages_.shrink_to_fit();
    curPage_ = 0;
}

void TViewer::closeFile() {
    if (dragging_) {
        mouseUp();
    }
    disposePages();
    fileName_.clear();
    hasMark_ = false;
    displayed_ = QSize();
    pos_ = QPoint();
    recomputeScroll();
    repaint();
}

ErrorCode TViewer::setFile(const QString& name) {
    if (decoding_) {
        return ecOK;
    }
    if (name.isEmpty()) {
        closeFile();
        return ecOK;
    }
    if (!QFileInfo(name).isFile()) {
        return ecFileNotFound;
    }
    const std::string path = toPath(name);
    if (!TPxApfReader::isApf(path)) {
        return ecFaxBadFormat;
    }
    closeFile();
    fileName_ = name;
    TPxApfReader reader;
    if (const ErrorCode rc = reader.open(path); rc != ecOK) {
        closeFile();
        return rc;
    }
    try {
        pages_.assign(reader.pageCount(), Page{});
    } catch (const std::bad_alloc&) {
        closeFile();
        return ecOutOfMemory;
    }
    reader.close();
    unpacker_.setInFileName(name);
    rotation_ = 0;
    factors_ = DisplayFactors{};

    busy(true);
    ErrorCode rc = ecOK;
    if (pages_.empty()) {
        // No page 1 to show: the reader's answer for it.
        rc = ecFaxBadFormat;
    } else if (loadWhole_) {
        for (unsigned n = 1; n <= numPages() && rc == ecOK; ++n) {
            rc = decodePage(n);
        }
    } else {
        rc = decodePage(1);
    }
    busy(false);
    if (rc != ecOK) {
        closeFile();
        return rc;
    }
    curPage_ = 1;
    showPage();
    return ecOK;
}

ErrorCode TViewer::decodePage(unsigned n) {
    Page& page = pages_[n - 1];
    ErrorCode rc = ecOK;
    QImage bitmap;
    decoding_ = true;
    try {
        bitmap = unpacker_.unpackPage(n);
    } catch (const EPxException& e) {
        rc = e.ErrorCode();
    } catch (const std::bad_alloc&) {
        rc = ecOutOfMemory;
    }
    decoding_ = false;
    if (rc != ecOK) {
        return rc;
    }
    TPxApfReader reader;
    ApfPageInfo info;
    if (reader.open(toPath(fileName_)) == ecOK && reader.findPage(n, info) == ecOK) {
        lastFlags_ = info.header.flags;
    }
    if (rotation_ != 0 && !bitmap.isNull()) {
        bitmap = rotatePage(bitmap, static_cast<int>(rotation_));
        if (bitmap.isNull()) {
            return ecOutOfMemory;
        }
    }
    page.bitmap = bitmap;
    page.width = bitmap.width();
    page.height = bitmap.height();
    page.decoded = true;
    return ecOK;
}

void TViewer::releaseOtherPages(unsigned keep) {
    for (unsigned n = 1; n <= numPages(); ++n) {
        if (n != keep && pages_[n - 1].decoded) {
            pages_[n - 1] = Page{};
        }
    }
}

unsigned TViewer::decodedPages() const {
    unsigned held = 0;
    for (const Page& p : pages_) {
        held += p.decoded ? 1 : 0;
    }
    return held;
}

void TViewer::showPage() {
    Page* page = current();
    if (page == nullptr) {
        return;
    }
    if (!loadWhole_ && !page->decoded) {
        releaseOtherPages(curPage_);
        busy(true);
        const ErrorCode rc = decodePage(curPage_);
        busy(false);
        if (rc != ecOK) {
            closeFile();
            if (hooks_.viewerError) {
                hooks_.viewerError(rc);
            }
            return;
        }
        page = current();
    }
    pos_ = QPoint();
    displayed_ =
        QSize(factors_.displayedWidth(page->width), factors_.displayedHeight(page->height));
    if (dragging_) {
        mouseUp();
    }
    hasMark_ = false;
    recomputeScroll();
    repaint();
    if (hooks_.pageShown) {
        hooks_.pageShown(curPage_);
    }
}

ErrorCode TViewer::gotoPage(unsigned n) {
    if (decoding_) {
        return ecOK;
    }
    if (n == 0 || n > numPages()) {
        return ecBadArgument;
    }
    curPage_ = n;
    showPage();
    return ecOK;
}

void TViewer::setColors(QColor foreground, QColor background) {
    fg_ = foreground;
    bg_ = background;
    repaint();
}

namespace {

// A pair of equal numbers means one to one.
void storePair(unsigned& mult, unsigned& div, unsigned newMult, unsigned newDiv) {
    mult = newMult != 0 ? newMult : mult;
    div = newDiv != 0 ? newDiv : div;
    if (mult == div) {
        mult = div = 1;
    }
}

}  // namespace

void TViewer::setScale(unsigned horizMult, unsigned horizDiv, unsigned vertMult, unsigned vertDiv) {
    DisplayFactors f = factors_;
    storePair(f.horizMult, f.horizDiv, horizMult, horizDiv);
    storePair(f.vertMult, f.vertDiv, vertMult, vertDiv);
    if (f == factors_) {
        return;
    }
    factors_ = f;
    if (!updateSuspended_) {
        endUpdate();
    }
}

void TViewer::endUpdate() {
    updateSuspended_ = false;
    const Page* page = current();
    if (page == nullptr) {
        repaint();
        return;
    }
    const QSize old = displayed_;
    displayed_ =
        QSize(factors_.displayedWidth(page->width), factors_.displayedHeight(page->height));
    if (old != displayed_) {
        // Keep the same part of the page in view.
        const auto rescale = [](int pos, int from, int to) {
            return from <= 0 ? 0 : static_cast<int>(static_cast<int64_t>(pos) * to / from);
        };
        pos_ = QPoint(rescale(pos_.x(), old.width(), displayed_.width()),
                      rescale(pos_.y(), old.height(), displayed_.height()));
        hasMark_ = false;
    }
    recomputeScroll();
    repaint();
}

void TViewer::setScroll(unsigned horizStep, unsigned vertStep) {
    stepH_ = horizStep != 0 ? horizStep : stepH_;
    stepV_ = vertStep != 0 ? vertStep : stepV_;
}

ErrorCode TViewer::setWhitespace(bool on, unsigned from, unsigned to) {
    if (from < to || (from == 0 && to != 0)) {
        return ecBadArgument;
    }
    unpacker_.setWhitespaceCompression(on);
    unpacker_.setWhitespaceFrom(from);
    unpacker_.setWhitespaceTo(to);
    return ecOK;
}

ErrorCode TViewer::getBitmap(unsigned n, QImage& bitmap, int& width, int& height) {
    if (n == 0 || n > numPages()) {
        return numPages() == 0 ? ecNoImageLoaded : ecBadArgument;
    }
    if (!pages_[n - 1].decoded) {
        if (decoding_) {
            return ecBadArgument;
        }
        busy(true);
        const ErrorCode rc = decodePage(n);
        busy(false);
        if (rc != ecOK) {
            return rc;
        }
    }
    const Page& page = pages_[n - 1];
    bitmap = page.bitmap;
    width = page.width;
    height = page.height;
    return ecOK;
}

void TViewer::setDesignMode(bool on, const QString& caption) {
    designMode_ = on;
    caption_ = caption;
    repaint();
}

ErrorCode TViewer::setRotation(unsigned rotation) {
    if (rotation > 3) {
        return ecBadArgument;
    }
    if (rotation == rotation_ || decoding_) {
        return ecOK;
    }
    const int turns = static_cast<int>((rotation + 4 - rotation_) % 4);
    rotation_ = rotation;
    for (Page& page : pages_) {
        if (!page.decoded || page.bitmap.isNull()) {
            continue;
        }
        QImage turned = rotatePage(page.bitmap, turns);
        if (turned.isNull()) {
            closeFile();
            if (hooks_.viewerError) {
                hooks_.viewerError(ecOutOfMemory);
            }
            return ecOutOfMemory;
        }
        page.bitmap = turned;
        page.width = turned.width();
        page.height = turned.height();
    }
    showPage();
    return ecOK;
}

QRect TViewer::pageDim() const {
    const Page* page = current();
    return page == nullptr ? QRect() : QRect(0, 0, page->width, page->height);
}

ErrorCode TViewer::setLoadWholeFax(bool on) {
    if (on == loadWhole_ || decoding_) {
        return ecOK;
    }
    loadWhole_ = on;
    if (!on) {
        releaseOtherPages(curPage_);
        return ecOK;
    }
    busy(true);
    ErrorCode rc = ecOK;
    for (unsigned n = 1; n <= numPages() && rc == ecOK; ++n) {
        if (!pages_[n - 1].decoded) {
            rc = decodePage(n);
        }
    }
    busy(false);
    if (rc != ecOK) {
        closeFile();
    }
    return rc;
}

}  // namespace px
