// The viewer window: its controls, the first activation and the page status.
#include "ui/viewer/fax_viewer.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>

#include "common/px_exceptions.h"
#include "settings/window_placement.h"
#include "ui/placement/form_placement.h"

namespace px {

namespace {

constexpr const char* kPlacementForm = "TFaxViewer";
constexpr int kInitialWidth = 760;
constexpr int kInitialHeight = 620;

// First activation: the zoom that shows about half of a page that fits, or a
// quarter when the window is much narrower than the page.
constexpr int kFitPercent = 50;
constexpr double kFitScale = 150.0;
constexpr int kHalfZoomAbove = 36;

}  // namespace

TFaxViewer::TFaxViewer(const std::string& settingsPath, QWidget* parent, TViewerPrompts* prompts)
    : QDialog(parent),
      settings_(settingsPath),
      ownPrompts_(prompts == nullptr ? std::make_unique<TViewerDialogs>() : nullptr),
      prompts_(prompts == nullptr ? *ownPrompts_ : *prompts),
      printerStatus_(this),
      help_(this) {
    setObjectName("FaxViewer");
    setWindowTitle("Fax Viewer ");
    setSizeGripEnabled(true);
    resize(kInitialWidth, kInitialHeight);

    viewer_ = new TPxFaxViewer(this);
    viewer_->setObjectName("FaxViewer1");
    viewer_->setScaling(false);
    viewer_->setAutoScaleMode(TAutoScaleMode::asHalfWidth);
    viewer_->setBusyCursor(QCursor(Qt::WaitCursor));
    QFont bold("Arial");
    bold.setBold(true);
    viewer_->setFont(bold);
    viewer_->setOnPageChange([this](TPxCustomFaxViewer&) { FaxViewerPageChange(); });
    viewer_->setOnViewerError(
        [this](TPxCustomFaxViewer&, ErrorCode code) { FaxViewerViewerError(code); });
    viewer_->setOnDropFile(
        [this](TPxCustomFaxViewer&, const QString& name) { FaxViewerDropFile(name); });
    viewer_->setOnDropRefused([this](const QString& name, const QString& reason) {
        prompts_.information(this, QFileInfo(name).fileName() +
                                       " is not a fax file that can be "
                                       "shown: " +
                                       reason);
    });

    printer_.setCaption("Parvex Fax Printer");
    printer_.faxFooter().setCaption(kViewerFooter);
    printer_.faxFooter().setEnabled(false);
    printer_.faxHeader().setCaption("File: $F");
    printer_.faxHeader().setEnabled(false);
    printer_.setMultiPage(false);
    printerStatus_.setPosition(TStatusPosition::poScreenCenter);
    printerStatus_.setCaption("Print Status");
    printer_.setStatusDisplay(&printerStatus_);
    printer_.setSetupPrompt(&setupPrompt_);

    unpacker_.setWhitespaceFrom(50);
    unpacker_.setWhitespaceTo(10);
    unpacker_.setAutoScaleMode(TAutoScaleMode::asNone);

    auto* menus = new QMenuBar(this);
    menus->setAccessibleName("Viewer menu");
    buildMenus(menus);

    auto* bar = new QToolBar(this);
    bar->setObjectName("ButtonBar");
    bar->setAccessibleName("Viewer commands");
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addCommand(
        bar, "FirstPage", "First page", QStyle::SP_MediaSkipBackward, [] {},
        &TPxFaxViewer::firstPage);
    addCommand(
        bar, "PrevPage", "Previous page", QStyle::SP_MediaSeekBackward, [] {},
        &TPxFaxViewer::prevPage);
    addCommand(
        bar, "NextPage", "Next page", QStyle::SP_MediaSeekForward, [] {}, &TPxFaxViewer::nextPage);
    addCommand(
        bar, "LastPage", "Last page", QStyle::SP_MediaSkipForward, [] {}, &TPxFaxViewer::lastPage);
    bar->addSeparator();
    addCommand(bar, "ZoomIn", "Zoom in", QStyle::SP_ArrowUp, [this] { ZoomInClick(); });
    addCommand(bar, "ZoomOut", "Zoom out", QStyle::SP_ArrowDown, [this] { ZoomOutClick(); });
    bar->addSeparator();
    addCommand(bar, "PrinterSetup", "Printer setup", QStyle::SP_FileDialogDetailedView,
               [this] { PrinterSetupClick(); });
    addCommand(bar, "Print", "Print", QStyle::SP_DialogSaveButton, [this] { PrintClick(); });
    addCommand(bar, "PrintCurrentPage", "Print current page", QStyle::SP_FileIcon,
               [this] { PrintCurrentPageClick(); });

    // The marked block to the clipboard; nothing marked (or no page) only beeps.
    auto* copy = new QAction("Copy marked block", this);
    copy->setObjectName("CopyMark");
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    connect(copy, &QAction::triggered, this, [this] {
        try {
            viewer_->copyToClipboard();
        } catch (const EPxException&) {
            prompts_.beep();
        }
    });
    addAction(copy);

    closeButton_ = new QPushButton("C&lose", this);
    closeButton_->setObjectName("CloseBtn");
    closeButton_->setDefault(true);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
    auto* helpButton = new QPushButton("&Help", this);
    helpButton->setObjectName("HelpBtn");
    helpButton->setAutoDefault(false);
    connect(helpButton, &QPushButton::clicked, this, &TFaxViewer::HelpClick);

    auto* top = new QHBoxLayout;
    top->addWidget(bar);
    top->addStretch();
    top->addWidget(closeButton_);
    top->addWidget(helpButton);

    status_ = new QLabel("No file loaded", this);
    status_->setObjectName("StatusLine");
    status_->setAccessibleName("Status");
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menus);
    layout->addLayout(top);
    layout->addWidget(viewer_, 1);
    layout->addWidget(status_);

    loadPlacement();
}

TFaxViewer::~TFaxViewer() = default;

QAction* TFaxViewer::addCommand(QToolBar* bar, const char* name, const QString& hint,
                                QStyle::StandardPixmap icon, std::function<void()> run,
                                void (TPxCustomFaxViewer::*page)()) {
    auto* action = bar->addAction(style()->standardIcon(icon), hint);
    action->setObjectName(name);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    if (page != nullptr) {
        connect(action, &QAction::triggered, this, [this, page] { (viewer_->*page)(); });
    } else {
        connect(action, &QAction::triggered, this, std::move(run));
    }
    return action;
}

void TFaxViewer::buildMenus(QMenuBar* menus) {
    QMenu* view = menus->addMenu("&View");
    zoomGroup_ = new QActionGroup(this);
    for (const int level : kZoomLevels) {
        QAction* item = view->addAction(QString("%1%").arg(level * 2));
        item->setObjectName(QString("View%1").arg(level * 2));
        item->setCheckable(true);
        item->setData(level);
        zoomGroup_->addAction(item);
        connect(item, &QAction::triggered, this, [this, level] { setZoom(level); });
    }
    QMenu* rotation = menus->addMenu("&Rotation");
    rotationGroup_ = new QActionGroup(this);
    const char* const turns[] = {"No rotation", "Rotate 90 degrees", "Rotate 180 degrees",
                                 "Rotate 270 degrees"};
    for (unsigned r = 0; r < 4; ++r) {
        QAction* item = rotation->addAction(turns[r]);
        item->setObjectName(QString("Rotate%1").arg(r * 90));
        item->setCheckable(true);
        item->setChecked(r == 0);
        rotationGroup_->addAction(item);
        connect(item, &QAction::triggered, this, [this, r] { setRotation(r); });
    }
    QMenu* exports = menus->addMenu("&Export");
    const std::pair<const char*, TExportFormat> items[] = {
        {"Export this page as BMP File", TExportFormat::Bmp},
        {"Export this page as PCX File", TExportFormat::Pcx},
        {"Export this page as DCX File", TExportFormat::Dcx},
        {"Export this page as PNG File", TExportFormat::Png},
        {"Export the fax as TIFF File", TExportFormat::Tiff},
        {"Export the fax as PDF File", TExportFormat::Pdf},
    };
    const char* const names[] = {"ExportBmp", "ExportPcx",  "ExportDcx",
                                 "ExportPng", "ExportTiff", "ExportPdf"};
    int i = 0;
    for (const auto& [text, format] : items) {
        if (format == TExportFormat::Png) {
            exports->addSeparator();
        }
        QAction* item = exports->addAction(text);
        item->setObjectName(names[i++]);
        connect(item, &QAction::triggered, this, [this, f = format] { exportPage(f); });
    }
}

QAction* TFaxViewer::action(const char* objectName) const {
    return findChild<QAction*>(objectName);
}

void TFaxViewer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        // Inside the window's own event loop: decoding lets events through,
        // and a Close clicked meanwhile must find the loop running.
        QTimer::singleShot(0, this, &TFaxViewer::FormActivate);
    }
}

void TFaxViewer::FormActivate() {
    activated_ = true;
    if (ready_) {
        return;
    }
    openFile();
    showPageButtons();
    const bool printers = TPxFaxPrinter::hasInstalledPrinter();
    // Without a printer, Print goes to a PDF file; set-up has nothing to set.
    action("PrinterSetup")->setEnabled(printers);
    ready_ = true;
}

void TFaxViewer::openFile() {
    // A standard page is already halved in width: shown one to one it looks
    // like a fine page at half size.
    zoom_ = 100;
    try {
        TPxFaxUnpacker probe;
        probe.setInFileName(fileName_);
        if (!fileName_.isEmpty() && !probe.firstPageIsFine()) {
            zoom_ = 50;
        }
    } catch (const EPxException&) {
        // The open below reports it.
    }
    viewer_->beginUpdate();
    viewer_->setScaling(false);
    viewer_->setHorizMult(1);
    viewer_->setHorizDiv(1);
    viewer_->setVertMult(1);
    viewer_->setVertDiv(1);
    viewer_->endUpdate();
    try {
        viewer_->setFileName(fileName_);
    } catch (const EPxException&) {
        try {
            viewer_->setFileName("");
        } catch (const EPxException&) {
        }
        prompts_.information(this, "Error opening fax file");
        status_->setText("No file loaded");
        return;
    }
    const int w = viewer_->width();
    const int p = viewer_->pageWidth();
    const int b =
        (p <= 0 || w >= p) ? kFitPercent : static_cast<int>(std::lround(kFitScale * w / p));
    setZoom(b > kHalfZoomAbove ? 50 : 25);
    checkZoomItem();
    showPageStatus();
}

void TFaxViewer::showPageButtons() {
    const bool several = viewer_->numPages() > 1;
    for (const char* name : {"FirstPage", "PrevPage", "NextPage", "LastPage"}) {
        action(name)->setVisible(several);
    }
}

void TFaxViewer::showPageStatus() {
    if (viewer_->currentPage() == 0) {
        status_->setText("No file loaded");
        return;
    }
    const QString page =
        QString("Page %1 of %2").arg(viewer_->currentPage()).arg(viewer_->numPages());
    status_->setText(title_.isEmpty() ? page : title_ + ": " + page);
}

void TFaxViewer::FaxViewerPageChange() {
    showPageStatus();
}

void TFaxViewer::FaxViewerViewerError(ErrorCode code) {
    showPageStatus();
    prompts_.information(this, QString("Viewer error %1").arg(std::abs(code)));
    status_->setText("No file loaded");
}

void TFaxViewer::FaxViewerDropFile(const QString& name) {
    fileName_ = name;
    rangeInitialised_ = false;
    if (rotationGroup_ != nullptr) {
        rotationGroup_->actions().first()->setChecked(true);
    }
    openFile();
    showPageButtons();
}

void TFaxViewer::checkZoomItem() {
    for (QAction* item : zoomGroup_->actions()) {
        item->setChecked(item->data().toInt() == zoom_);
    }
}

void TFaxViewer::setZoom(int level) {
    if (level == zoom_) {
        checkZoomItem();
        return;
    }
    zoom_ = level;
    if (level == 100) {
        viewer_->setScaling(false);
    } else {
        const auto z = static_cast<unsigned>(level);
        viewer_->beginUpdate();
        viewer_->setScaling(true);
        viewer_->setHorizMult(z);
        viewer_->setHorizDiv(100);
        viewer_->setVertMult(z);
        viewer_->setVertDiv(100);
        viewer_->endUpdate();
    }
    checkZoomItem();
}

void TFaxViewer::ZoomInClick() {
    if (zoom_ >= 100) {
        prompts_.beep();
        return;
    }
    setZoom(zoom_ + 25);
}

void TFaxViewer::ZoomOutClick() {
    if (zoom_ <= 25) {
        prompts_.beep();
        return;
    }
    setZoom(zoom_ - 25);
}

void TFaxViewer::setRotation(unsigned rotation) {
    try {
        viewer_->setRotation(rotation);
    } catch (const EPxException& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
    rotationGroup_->actions().at(static_cast<int>(viewer_->rotation()))->setChecked(true);
}

void TFaxViewer::HelpClick() {
    help_.showTopic(kHelpFaxViewer);
}

void TFaxViewer::done(int result) {
    savePlacement();
    QDialog::done(result);
}

void TFaxViewer::loadPlacement() {
    restoreFormPlacement(*this, settings_, kPlacementForm);
}

void TFaxViewer::savePlacement() {
    const WindowPlacement placement = currentFormPlacement(*this);
    try {
        settings_.update([&](IniFile& ini) {
            px::savePlacement(ini, kPlacementForm, placementDpi(*this), placement);
        });
    } catch (const IniFileError& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
}

}  // namespace px
