#include "ui/faxviewer/px_custom_fax_viewer.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "fax/apf/px_fax_error.h"

namespace px {

namespace {

// Size of a new component.
constexpr int kNewWidth = 100;
constexpr int kNewHeight = 50;

QString localFileOf(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) {
        return {};
    }
    const QUrl first = data->urls().first();
    return first.isLocalFile() ? first.toLocalFile() : QString();
}

}  // namespace

TPxCustomFaxViewer::TPxCustomFaxViewer(QWidget* parent) : QAbstractScrollArea(parent) {
    resize(kNewWidth, kNewHeight);
    setFocusPolicy(Qt::StrongFocus);
    setBorderStyle(true);
    setAcceptDragged(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    dragTimer_.setInterval(kDragTimerMs);
    connect(&dragTimer_, &QTimer::timeout, this, [this] { engine_.dragTimerTick(); });

    TViewer::Hooks hooks;
    hooks.repaint = [this] { viewport()->update(); };
    hooks.scrollContents = [this](int dx, int dy) { viewport()->scroll(dx, dy); };
    hooks.scrollRangeChanged = [this] { syncScrollBars(); };
    hooks.pageShown = [this](unsigned) {
        if (onPageChange_) {
            onPageChange_(*this);
        }
    };
    hooks.viewerError = [this](ErrorCode code) {
        fileName_.clear();
        if (onViewerError_) {
            onViewerError_(*this, code);
        }
    };
    hooks.busy = [this](bool on) {
        if (on) {
            QGuiApplication::setOverrideCursor(busyCursor_);
        } else {
            QGuiApplication::restoreOverrideCursor();
        }
    };
    // The widget holds the pointer from press to release by itself.
    hooks.captureMouse = [](bool) {};
    hooks.dragTimer = [this](bool on) {
        if (on) {
            dragTimer_.start();
        } else {
            dragTimer_.stop();
        }
    };
    engine_.setHooks(std::move(hooks));
    engine_.setClientSize(viewport()->size());
}

TPxCustomFaxViewer::~TPxCustomFaxViewer() {
    dragTimer_.stop();
    engine_.setHooks({});
}

void TPxCustomFaxViewer::setBorderStyle(bool single) {
    border_ = single;
    setFrameStyle(single ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
}

void TPxCustomFaxViewer::setAcceptDragged(bool on) {
    acceptDragged_ = on;
    setAcceptDrops(on);
    viewport()->setAcceptDrops(on);
}

void TPxCustomFaxViewer::applyFactors() {
    if (scaling_) {
        engine_.setScale(factors_.horizMult, factors_.horizDiv, factors_.vertMult,
                         factors_.vertDiv);
    } else {
        engine_.setScale(1, 1, 1, 1);
    }
}

void TPxCustomFaxViewer::setScaling(bool on) {
    scaling_ = on;
    applyFactors();
}

void TPxCustomFaxViewer::setHorizMult(unsigned v) {
    if (v != 0) {
        factors_.horizMult = v;
        applyFactors();
    }
}
void TPxCustomFaxViewer::setHorizDiv(unsigned v) {
    if (v != 0) {
        factors_.horizDiv = v;
        applyFactors();
    }
}
void TPxCustomFaxViewer::setVertMult(unsigned v) {
    if (v != 0) {
        factors_.vertMult = v;
        applyFactors();
    }
}
void TPxCustomFaxViewer::setVertDiv(unsigned v) {
    if (v != 0) {
        factors_.vertDiv = v;
        applyFactors();
    }
}

void TPxCustomFaxViewer::setWhitespaceCompression(bool on) {
    checkFaxResult(engine_.setWhitespace(on, whitespaceFrom(), whitespaceTo()));
}
void TPxCustomFaxViewer::setWhitespaceFrom(unsigned n) {
    checkFaxResult(engine_.setWhitespace(whitespaceCompression(), n, whitespaceTo()));
}
void TPxCustomFaxViewer::setWhitespaceTo(unsigned n) {
    checkFaxResult(engine_.setWhitespace(whitespaceCompression(), whitespaceFrom(), n));
}

void TPxCustomFaxViewer::setLoadWholeFax(bool on) {
    const ErrorCode rc = engine_.setLoadWholeFax(on);
    if (rc != ecOK) {
        fileName_.clear();
    }
    checkFaxResult(rc);
}

void TPxCustomFaxViewer::setFileName(const QString& name) {
    const ErrorCode rc = engine_.setFile(name);
    // A file that fails to decode leaves none open; one that does not exist
    // or is no fax leaves the old one.
    fileName_ = engine_.fileName();
    checkFaxResult(rc);
    // The engine shows a new file unturned at one to one.
    factors_ = DisplayFactors{};
}

void TPxCustomFaxViewer::firstPage() {
    if (numPages() != 0 && currentPage() != 1) {
        engine_.gotoPage(1);
    }
}
void TPxCustomFaxViewer::lastPage() {
    if (numPages() != 0 && currentPage() != numPages()) {
        engine_.gotoPage(numPages());
    }
}
void TPxCustomFaxViewer::nextPage() {
    if (currentPage() != 0 && currentPage() < numPages()) {
        engine_.gotoPage(currentPage() + 1);
    }
}
void TPxCustomFaxViewer::prevPage() {
    if (currentPage() > 1) {
        engine_.gotoPage(currentPage() - 1);
    }
}

void TPxCustomFaxViewer::setCurrentPage(unsigned page) {
    checkFaxResult(engine_.gotoPage(page));
}

QImage TPxCustomFaxViewer::pageBitmap(unsigned page) {
    QImage bitmap;
    int w = 0;
    int h = 0;
    checkFaxResult(engine_.getBitmap(page, bitmap, w, h));
    return bitmap;
}

void TPxCustomFaxViewer::setRotation(unsigned rotation) {
    checkFaxResult(engine_.setRotation(rotation));
}

void TPxCustomFaxViewer::selectAll() {
    checkFaxResult(engine_.selectAll());
}

void TPxCustomFaxViewer::selectImage(const QRect& rect) {
    checkFaxResult(engine_.select(rect));
}

void TPxCustomFaxViewer::copyToClipboard() {
    QImage marked;
    checkFaxResult(engine_.copyMark(marked));
    QGuiApplication::clipboard()->setImage(marked);
}

void TPxCustomFaxViewer::syncScrollBars() {
    syncing_ = true;
    const QPoint max = engine_.maxScroll();
    const QPoint pos = engine_.scrollPos();
    horizontalScrollBar()->setRange(0, max.x());
    horizontalScrollBar()->setSingleStep(static_cast<int>(engine_.horizStep()));
    horizontalScrollBar()->setPageStep(kJumpSteps * static_cast<int>(engine_.horizStep()));
    horizontalScrollBar()->setValue(pos.x());
    verticalScrollBar()->setRange(0, max.y());
    verticalScrollBar()->setSingleStep(static_cast<int>(engine_.vertStep()));
    verticalScrollBar()->setPageStep(kJumpSteps * static_cast<int>(engine_.vertStep()));
    verticalScrollBar()->setValue(pos.y());
    syncing_ = false;
}

void TPxCustomFaxViewer::scrollContentsBy(int, int) {
    if (!syncing_) {
        engine_.scrollTo(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
    }
}

void TPxCustomFaxViewer::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    engine_.paint(painter, event->rect());
}

void TPxCustomFaxViewer::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    engine_.setClientSize(viewport()->size());
}

void TPxCustomFaxViewer::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    TViewerKey key;
    switch (event->key()) {
        case Qt::Key_PageUp:
            key = TViewerKey::PageUp;
            break;
        case Qt::Key_PageDown:
            key = TViewerKey::PageDown;
            break;
        case Qt::Key_Home:
            key = TViewerKey::Home;
            break;
        case Qt::Key_End:
            key = TViewerKey::End;
            break;
        case Qt::Key_Left:
            key = TViewerKey::Left;
            break;
        case Qt::Key_Right:
            key = TViewerKey::Right;
            break;
        case Qt::Key_Up:
            key = TViewerKey::Up;
            break;
        case Qt::Key_Down:
            key = TViewerKey::Down;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    if (!engine_.keyDown(key, ctrl)) {
        QWidget::keyPressEvent(event);
    }
}

void TPxCustomFaxViewer::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        engine_.mouseDown(event->position().toPoint());
    }
}

void TPxCustomFaxViewer::mouseMoveEvent(QMouseEvent* event) {
    engine_.mouseMove(event->position().toPoint());
}

void TPxCustomFaxViewer::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        engine_.mouseUp();
    }
}

void TPxCustomFaxViewer::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptDragged_ && !localFileOf(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TPxCustomFaxViewer::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptDragged_ && !localFileOf(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TPxCustomFaxViewer::refuseDrop(const QString& name, const QString& reason) {
    if (onDropRefused_) {
        onDropRefused_(name, reason);
        return;
    }
    QMessageBox::information(this, "Information",
                             QFileInfo(name).fileName() + " cannot be shown: " + reason);
}

void TPxCustomFaxViewer::dropEvent(QDropEvent* event) {
    const QString name = localFileOf(event->mimeData());
    if (!acceptDragged_ || name.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    const ErrorCode rc = engine_.setFile(name);
    if (rc != ecOK) {
        fileName_ = engine_.fileName();
        refuseDrop(name, QString::fromStdString(faxDocumentErrorText(rc)));
        return;
    }
    fileName_ = engine_.fileName();
    factors_ = DisplayFactors{};
    if (onDropFile_) {
        onDropFile_(*this, fileName_);
    }
}

}  // namespace px
