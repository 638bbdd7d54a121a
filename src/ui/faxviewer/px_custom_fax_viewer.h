// The fax viewer component: shows an APF file a page at a time in a
// scrolling window, with display factors, rotation, a marked rectangle that
// copies to the clipboard, keyboard and scroll-bar navigation and dropped
// files. Failed operations raise the library's exceptions.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QCursor>
#include <QString>
#include <QTimer>
#include <functional>

#include "fax/view/px_viewer.h"

namespace px {

class TPxCustomFaxViewer : public QAbstractScrollArea {
    Q_OBJECT

public:
    using DropFileEvent = std::function<void(TPxCustomFaxViewer& sender, const QString& fileName)>;
    using NotifyEvent = std::function<void(TPxCustomFaxViewer& sender)>;
    using ViewerErrorEvent = std::function<void(TPxCustomFaxViewer& sender, ErrorCode code)>;
    // A dropped file that could not be opened, with the reason.
    using DropRefusedEvent = std::function<void(const QString& fileName, const QString& reason)>;

    explicit TPxCustomFaxViewer(QWidget* parent = nullptr);
    ~TPxCustomFaxViewer() override;

    // Published properties.
    bool borderStyle() const { return border_; }
    void setBorderStyle(bool single);
    QColor fgColor() const { return engine_.foreground(); }
    void setFGColor(const QColor& c) { engine_.setColors(c, engine_.background()); }
    QColor bgColor() const { return engine_.background(); }
    void setBGColor(const QColor& c) { engine_.setColors(engine_.foreground(), c); }
    bool scaling() const { return scaling_; }
    void setScaling(bool on);
    unsigned horizMult() const { return factors_.horizMult; }
    unsigned horizDiv() const { return factors_.horizDiv; }
    unsigned vertMult() const { return factors_.vertMult; }
    unsigned vertDiv() const { return factors_.vertDiv; }
    // Setting 0 is ignored.
    void setHorizMult(unsigned v);
    void setHorizDiv(unsigned v);
    void setVertMult(unsigned v);
    void setVertDiv(unsigned v);
    TAutoScaleMode autoScaleMode() const { return engine_.unpacker().autoScaleMode(); }
    void setAutoScaleMode(TAutoScaleMode mode) { engine_.setAutoScale(mode); }
    bool whitespaceCompression() const { return engine_.unpacker().whitespaceCompression(); }
    unsigned whitespaceFrom() const { return engine_.unpacker().whitespaceFrom(); }
    unsigned whitespaceTo() const { return engine_.unpacker().whitespaceTo(); }
    void setWhitespaceCompression(bool on);
    void setWhitespaceFrom(unsigned n);
    void setWhitespaceTo(unsigned n);
    unsigned horizScroll() const { return engine_.horizStep(); }
    unsigned vertScroll() const { return engine_.vertStep(); }
    void setHorizScroll(unsigned step) { engine_.setScroll(step, 0); }
    void setVertScroll(unsigned step) { engine_.setScroll(0, step); }
    bool acceptDragged() const { return acceptDragged_; }
    void setAcceptDragged(bool on);
    bool loadWholeFax() const { return engine_.loadWholeFax(); }
    void setLoadWholeFax(bool on);
    const QCursor& busyCursor() const { return busyCursor_; }
    void setBusyCursor(const QCursor& cursor) { busyCursor_ = cursor; }
    const QString& fileName() const { return fileName_; }
    // Opens the file (an empty name closes it); the rotation and the four
    // factors return to 0 and 1.
    void setFileName(const QString& name);

    void setOnDropFile(DropFileEvent e) { onDropFile_ = std::move(e); }
    void setOnPageChange(NotifyEvent e) { onPageChange_ = std::move(e); }
    void setOnViewerError(ViewerErrorEvent e) { onViewerError_ = std::move(e); }
    void setOnDropRefused(DropRefusedEvent e) { onDropRefused_ = std::move(e); }

    // Pages: no effect at the ends or without a file.
    void firstPage();
    void lastPage();
    void nextPage();
    void prevPage();
    unsigned currentPage() const { return engine_.curPage(); }
    // 1002 outside 1..page count.
    void setCurrentPage(unsigned page);
    unsigned numPages() const { return engine_.numPages(); }
    int pageWidth() const { return engine_.pageDim().width(); }
    int pageHeight() const { return engine_.pageDim().height(); }
    unsigned pageFlags() const { return engine_.pageFlags(); }
    QImage pageBitmap(unsigned page);

    void beginUpdate() { engine_.startUpdate(); }
    void endUpdate() { engine_.endUpdate(); }
    unsigned rotation() const { return engine_.rotation(); }
    void setRotation(unsigned rotation);

    void selectAll();
    void selectImage(const QRect& rect);
    bool hasMark() const { return engine_.hasMark(); }
    QRect mark() const { return engine_.mark(); }
    // Puts the mark on the clipboard as a monochrome image: 8050 without a
    // page, 8051 without a mark.
    void copyToClipboard();

    void setDesignMode(bool on, const QString& caption) { engine_.setDesignMode(on, caption); }

    const TViewer& engine() const { return engine_; }
    TViewer& engine() { return engine_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void applyFactors();
    void syncScrollBars();
    void refuseDrop(const QString& name, const QString& reason);

    TViewer engine_;
    QTimer dragTimer_;
    bool border_ = true;
    bool scaling_ = false;
    DisplayFactors factors_;
    bool acceptDragged_ = true;
    QCursor busyCursor_;
    QString fileName_;
    bool syncing_ = false;
    DropFileEvent onDropFile_;
    NotifyEvent onPageChange_;
    ViewerErrorEvent onViewerError_;
    DropRefusedEvent onDropRefused_;
};

}  // namespace px
