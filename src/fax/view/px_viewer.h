// The viewer engine: one APF file shown a page at a time in a client area,
// with display factors, scrolling, rotation in quarter turns and a marked
// rectangle. It decodes pages through the unpacker, paints through a
// QPainter and tells its window what to do through hooks, so that it runs
// and is tested without widgets. Failures are returned as error codes.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

#include "common/px_errors.h"
#include "fax/unpack/px_fax_unpacker.h"
#include "fax/view/px_page_stretch.h"

class QPainter;

namespace px {

// Default scroll step, in pels.
inline constexpr unsigned kDefaultScrollStep = 8;
// A jump (page up/down on a scroll bar, Ctrl with an arrow key) in steps.
inline constexpr int kJumpSteps = 10;
// The drag timer, and how far outside the client area the pointer must be
// for the timer to scroll two steps at a time.
inline constexpr int kDragTimerMs = 50;
inline constexpr int kFastDragDistance = 20;

enum class TScrollAction { StepBack, StepForward, JumpBack, JumpForward, Home, End };

enum class TViewerKey { PageUp, PageDown, Home, End, Left, Right, Up, Down };

class TViewer {
public:
    // What the engine asks of its window.
    struct Hooks {
        std::function<void()> repaint;                       // the whole client area
        std::function<void(int dx, int dy)> scrollContents;  // move pixels, repaint the strip
        std::function<void()> scrollRangeChanged;            // positions or ranges changed
        std::function<void(unsigned page)> pageShown;        // a page was shown
        std::function<void(ErrorCode code)> viewerError;     // decoding the shown page failed
        std::function<void(bool on)> busy;                   // busy cursor on/off
        std::function<void(bool on)> captureMouse;           // grab/release the pointer
        std::function<void(bool on)> dragTimer;              // start/stop the 50 ms timer
    };

    struct Page {
        int width = 0;   // pels, after rotation
        int height = 0;  // lines, after rotation
        bool decoded = false;
        QImage bitmap;  // Format_Mono, 1 = white; null for an all-white page
    };

    TViewer();
    ~TViewer();
    TViewer(const TViewer&) = delete;
    TViewer& operator=(const TViewer&) = delete;

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    TPxFaxUnpacker& unpacker() { return unpacker_; }
    const TPxFaxUnpacker& unpacker() const { return unpacker_; }

    // Opens `name` (2 when it does not exist, 8001 when it is not APF, the
    // unpacker's code when a page cannot be decoded, which leaves no file);
    // an empty name closes the file.
    ErrorCode setFile(const QString& name);
    const QString& fileName() const { return fileName_; }

    void setColors(QColor foreground, QColor background);
    QColor foreground() const { return fg_; }
    QColor background() const { return bg_; }

    // A pair of equal numbers is stored as 1/1; 0 leaves a number unchanged.
    void setScale(unsigned horizMult, unsigned horizDiv, unsigned vertMult, unsigned vertDiv);
    const DisplayFactors& factors() const { return factors_; }
    // 0 leaves a step unchanged.
    void setScroll(unsigned horizStep, unsigned vertStep);
    unsigned horizStep() const { return stepH_; }
    unsigned vertStep() const { return stepV_; }

    ErrorCode selectAll();
    // Marks `rect` (displayed pels, right and bottom exclusive), clipped to the page.
    ErrorCode select(const QRect& rect);
    bool hasMark() const { return hasMark_; }
    QRect mark() const { return hasMark_ ? mark_ : QRect(); }
    // The marked part as a monochrome bitmap (black pels 1 in its colour
    // table's sense: index 0 black, index 1 white) of the mark's size.
    ErrorCode copyMark(QImage& out) const;

    // 1002 when From is below To, or To is not 0 while From is.
    ErrorCode setWhitespace(bool on, unsigned from, unsigned to);
    void setAutoScale(TAutoScaleMode mode) { unpacker_.setAutoScaleMode(mode); }
    // Page n's bitmap (decoding it when needed) and its size.
    ErrorCode getBitmap(unsigned n, QImage& bitmap, int& width, int& height);
    unsigned numPages() const { return static_cast<unsigned>(pages_.size()); }

    void startUpdate() { updateSuspended_ = true; }
    void endUpdate();

    // Shows page n (also the current one again); 1002 outside 1..page count.
    ErrorCode gotoPage(unsigned n);
    unsigned curPage() const { return curPage_; }

    void setDesignMode(bool on, const QString& caption);
    bool designMode() const { return designMode_; }

    // 0..3 quarter turns clockwise for every page; 1002 above 3.
    ErrorCode setRotation(unsigned rotation);
    unsigned rotation() const { return rotation_; }

    // 0, 0, width - 1, height - 1 of the current page (empty without one).
    QRect pageDim() const;
    ErrorCode setLoadWholeFax(bool on);
    bool loadWholeFax() const { return loadWhole_; }
    // Image flags of the page decoded last.
    unsigned pageFlags() const { return lastFlags_; }
    // Pages holding a bitmap now.
    unsigned decodedPages() const;

    // Geometry of the view.
    void setClientSize(QSize size);
    QSize clientSize() const { return client_; }
    QSize displayedSize() const { return displayed_; }
    QPoint scrollPos() const { return pos_; }
    QPoint maxScroll() const { return max_; }
    void scrollHoriz(TScrollAction action);
    void scrollVert(TScrollAction action);
    // A thumb moved to a position.
    void scrollTo(QPoint position);

    // Returns false for a key the engine does not handle.
    bool keyDown(TViewerKey key, bool ctrl);

    // Pointer positions are client coordinates.
    void mouseDown(QPoint client);
    void mouseMove(QPoint client);
    void mouseUp();
    void dragTimerTick();
    bool dragging() const { return dragging_; }
    bool dragTimerRunning() const { return timerRunning_; }

    // Paints the part `area` of the client area.
    void paint(QPainter& painter, const QRect& area) const;

    // True while any viewer decodes a page.
    static bool decodingNow() { return decoding_; }

private:
    void disposePages();
    void closeFile();
    ErrorCode decodePage(unsigned n);
    void releaseOtherPages(unsigned keep);
    void showPage();
    void recomputeScroll();
    void moveTo(QPoint target);
    QPoint clipToPage(QPoint p) const;
    void updateDragMark();
    void removeMark();
    void repaint() const;
    void busy(bool on) const;
    Page* current();
    const Page* current() const;

    // One flag for all viewers: page changes wait while a page is decoded.
    static inline bool decoding_ = false;

    Hooks hooks_;
    TPxFaxUnpacker unpacker_;
    QString fileName_;
    std::vector<Page> pages_;
    unsigned curPage_ = 0;
    DisplayFactors factors_;
    QSize displayed_;
    QSize client_;
    QPoint pos_;
    QPoint max_;
    unsigned stepH_ = kDefaultScrollStep;
    unsigned stepV_ = kDefaultScrollStep;
    unsigned rotation_ = 0;
    QRect mark_;
    bool hasMark_ = false;
    QPoint anchor_;
    QPoint pointer_;
    bool dragging_ = false;
    bool captured_ = false;
    bool timerRunning_ = false;
    QColor fg_ = Qt::black;
    QColor bg_ = Qt::white;
    bool updateSuspended_ = false;
    bool loadWhole_ = false;
    bool designMode_ = false;
    QString caption_;
    unsigned lastFlags_ = 0;
};

}  // namespace px
