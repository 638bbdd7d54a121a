// The designer window: its controls, first activation, preferences, zoom and keys.
#include "app/coverdesigner/cover_des_main_screen.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/coverdesigner/designer_tool_icons.h"
#include "app/host/user_prompts.h"
#include "settings/px_settings.h"
#include "settings/window_placement.h"
#include "ui/coverdesign/g_handle.h"
#include "ui/coverdesign/mru_file_list.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"
#include "ui/placement/form_placement.h"

namespace px {

namespace {

constexpr const char* kPlacementForm = "TCoverDesMainScreen";
constexpr QPoint kPageOrigin(21, 20);
constexpr QSize kClientSize(602, 404);
constexpr int kFontHeight = -11;

struct TToolSpec {
    TLPanelState state;
    const char* name;
    const char* hint;
    const char* accessible;
};

// The tools in tool-bar order; the first line of each hint is what the user reads first.
constexpr TToolSpec kTools[] = {
    {TLPanelState::psPointing, "Pointerbutton",
     "Selection tool -  use this tool to select existing items\non the page, then move or size "
     "them",
     "Selection tool"},
    {TLPanelState::psLabel, "DrawLabelButton",
     "Text tool - use this tool to place static text on the\npage", "Text tool"},
    {TLPanelState::psSymbolLabel, "DrawSymbolButton",
     "Symbol tool - use this tool to place various symbols\non the page", "Symbol tool"},
    {TLPanelState::psRectangle, "DrawRectanglebutton",
     "Rectangle tool  - use this tool to place rectangles of \nvarious sizes on the page",
     "Rectangle tool"},
    {TLPanelState::psEllipse, "DrawEllipseButton",
     "Ellipse tool - use this tool to place ellipses or circles \non the page", "Ellipse tool"},
    {TLPanelState::psRoundRectangle, "DrawRoundrectbutton",
     "Round Rectangle tool - use this tool to place rectangles \nwith rounded corners",
     "Round rectangle tool"},
    {TLPanelState::psLine, "DrawLinebutton",
     "Line Tool  - use this tool to place lines of \nvarious thicknesses", "Line tool"},
    {TLPanelState::psField, "FieldBoxButton",
     "Field Box tool - use this tool to place field text of \nthe fax (date, recipient, sender...)",
     "Field box tool"},
    {TLPanelState::psMessage, "DrawMessageButton",
     "Message Box tool - use this tool to place a rectangular\narea for the fax message",
     "Message box tool"},
    {TLPanelState::psImportance, "DrawImportanceButton",
     "Importance Box Tool - use this tool to create  importance\ncheck boxes (Urgent, For "
     "Review...)",
     "Importance box tool"},
};

TCoverFont fontOf(const DesignerDefaultFont& d) {
    TCoverFont f;
    f.name = QString::fromStdString(d.name);
    f.setSize(d.size);
    f.style =
        (d.bold ? fsBold : 0U) | (d.italic ? fsItalic : 0U) | (d.underline ? fsUnderline : 0U);
    return f;
}

DesignerDefaultFont defaultFontOf(const TCoverFont& f) {
    DesignerDefaultFont d;
    d.name = f.name.toStdString();
    d.size = f.size();
    d.bold = f.bold();
    d.italic = f.italic();
    d.underline = f.underline();
    return d;
}

}  // namespace

TCoverDesMainScreen::TCoverDesMainScreen(const ProgramFolder& folder, TUserPrompts& prompts,
                                         THelpCenter* help, QWidget* parent)
    : QMainWindow(parent),
      folder_(folder),
      settingsFile_(folder.settingsPath()),
      prompts_(prompts),
      help_(help),
      ownDialogs_(std::make_unique<TDesignerDialogBoxes>()),
      dialogs_(ownDialogs_.get()),
      page_(new TFaxCoverPanel(QString::fromStdString(folder.path()))),
      scroll_(new QScrollArea(this)),
      mru_(new TMRUFileList(this)),
      tools_(new QButtonGroup(this)),
      zoomCaption_(new QLabel(QStringLiteral("100%"), this)),
      saveButton_(new QPushButton(QStringLiteral("&Save"), this)),
      cancelButton_(new QPushButton(QStringLiteral("&Cancel"), this)),
      saveAction_(nullptr),
      defaultFontAction_(nullptr) {
    setObjectName(QStringLiteral("TCoverDesMainScreen"));
    setWindowTitle(QString::fromLatin1(kDesignerCaption));
    QFont windowFont(QStringLiteral("Arial"));
    windowFont.setPixelSize(-kFontHeight);
    setFont(windowFont);

    page_->setDrawOutline(true);
    page_->setShape(TLabelShapeType::lsRectangle);
    page_->setGridSize(TGridSize::gs4x4);
    page_->setShowGrid(false);
    page_->setSnapToGrid(false);
    page_->setPanelState(TLPanelState::psPointing);

    // The page sits at (21, 20) on a grey desk inside the scrolling area.
    auto* desk = new QWidget;
    desk->setObjectName(QStringLiteral("PageDesk"));
    desk->setAutoFillBackground(true);
    QPalette deskPalette = desk->palette();
    deskPalette.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    desk->setPalette(deskPalette);
    auto* deskLayout = new QVBoxLayout(desk);
    deskLayout->setContentsMargins(kPageOrigin.x(), kPageOrigin.y(), kPageOrigin.x(),
                                   kPageOrigin.y());
    deskLayout->addWidget(page_, 0, Qt::AlignLeft | Qt::AlignTop);
    scroll_->setObjectName(QStringLiteral("ScrollBox"));
    scroll_->setAccessibleName(QStringLiteral("Page area"));
    scroll_->setWidget(desk);
    scroll_->setWidgetResizable(true);

    buildToolBar();
    buildMenu();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(scroll_, 1);
    layout->addWidget(buildButtons());
    setCentralWidget(central);
    resize(kClientSize.width(), kClientSize.height() + menuBar()->sizeHint().height() + 40);

    // The window sees the keys before its controls.
    for (QObject* o : {static_cast<QObject*>(scroll_), static_cast<QObject*>(scroll_->viewport()),
                       static_cast<QObject*>(page_), static_cast<QObject*>(&page_->handle())}) {
        o->installEventFilter(this);
    }

    page_->DroppedObjectEvent = [this](const QRect&) { LabelPanelDroppedObjectEvent(); };
    connect(mru_, &TMRUFileList::mruItemClick, this, &TCoverDesMainScreen::MRUItemClick);

    LoadPreferences();
    SetDefaultFontCaption();
    mru_->setMaximum(static_cast<int>(RecentTemplates::kMax));
    mru_->setRemoveOnClick(true);
    try {
        QStringList files;
        for (const std::string& f : RecentTemplates::load(settingsFile_.read()).files) {
            files << QString::fromStdString(f);
        }
        mru_->setFiles(files);
    } catch (const IniFileError&) {
        // An unreadable settings file gives an empty list.
    }
}

TCoverDesMainScreen::~TCoverDesMainScreen() {
    page_->LabelChangedEvent = {};
    page_->DroppedObjectEvent = {};
}

QString TCoverDesMainScreen::coversFolder() const {
    return QString::fromStdString(folder_.coversFolder());
}

QToolButton* TCoverDesMainScreen::toolButton(TLPanelState state) const {
    return qobject_cast<QToolButton*>(tools_->button(static_cast<int>(state)));
}

void TCoverDesMainScreen::buildToolBar() {
    auto* bar = new QToolBar(QStringLiteral("Tools"), this);
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setAccessibleName(QStringLiteral("Tools"));
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    tools_->setExclusive(true);
    for (const TToolSpec& spec : kTools) {
        auto* button = new QToolButton(bar);
        button->setObjectName(QString::fromLatin1(spec.name));
        button->setAccessibleName(QString::fromLatin1(spec.accessible));
        button->setToolTip(QString::fromLatin1(spec.hint));
        button->setIcon(designerToolIcon(spec.state));
        button->setCheckable(true);
        button->setAutoRaise(true);
        tools_->addButton(button, static_cast<int>(spec.state));
        bar->addWidget(button);
    }
    toolButton(TLPanelState::psPointing)->setChecked(true);
    connect(tools_, &QButtonGroup::idClicked, this,
            [this](int id) { page_->setPanelState(static_cast<TLPanelState>(id)); });
    bar->addSeparator();

    auto* zoomOut = new QToolButton(bar);
    zoomOut->setObjectName(QStringLiteral("ZoomSpinnerDown"));
    zoomOut->setAccessibleName(QStringLiteral("Zoom out"));
    zoomOut->setArrowType(Qt::DownArrow);
    auto* zoomIn = new QToolButton(bar);
    zoomIn->setObjectName(QStringLiteral("ZoomSpinnerUp"));
    zoomIn->setAccessibleName(QStringLiteral("Zoom in"));
    zoomIn->setArrowType(Qt::UpArrow);
    for (QToolButton* b : {zoomOut, zoomIn}) {
        b->setToolTip(QStringLiteral("Press plus (+) or minus (-) to \nzoom in or out"));
        b->setAutoRaise(true);
    }
    connect(zoomIn, &QToolButton::clicked, this, &TCoverDesMainScreen::ZoomIn);
    connect(zoomOut, &QToolButton::clicked, this, &TCoverDesMainScreen::ZoomOut);
    zoomCaption_->setObjectName(QStringLiteral("ZoomCaption"));
    zoomCaption_->setAccessibleName(QStringLiteral("Zoom"));
    zoomCaption_->setMinimumWidth(40);
    zoomCaption_->setAlignment(Qt::AlignCenter);
    bar->addWidget(zoomOut);
    bar->addWidget(zoomCaption_);
    bar->addWidget(zoomIn);
    bar->addSeparator();

    auto* showGrid = new QToolButton(bar);
    showGrid->setObjectName(QStringLiteral("ShowGrid"));
    showGrid->setAccessibleName(QStringLiteral("Show grid"));
    showGrid->setToolTip(QStringLiteral("Show grid toggle"));
    showGrid->setIcon(gridIcon(false));
    auto* snap = new QToolButton(bar);
    snap->setObjectName(QStringLiteral("SnapToGrid"));
    snap->setAccessibleName(QStringLiteral("Snap to grid"));
    snap->setToolTip(QStringLiteral("Snap to Grid toggle"));
    snap->setIcon(gridIcon(true));
    for (QToolButton* b : {showGrid, snap}) {
        b->setCheckable(true);
        b->setAutoRaise(true);
        bar->addWidget(b);
    }
    connect(showGrid, &QToolButton::toggled, this, [this](bool on) { page_->setShowGrid(on); });
    connect(snap, &QToolButton::toggled, this, [this](bool on) { page_->setSnapToGrid(on); });
    addToolBar(Qt::TopToolBarArea, bar);
}

void TCoverDesMainScreen::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    menuBar()->setAccessibleName(QStringLiteral("Menu"));
    auto add = [&](const char* caption, auto&& run) {
        QAction* a = file->addAction(QString::fromLatin1(caption));
        connect(a, &QAction::triggered, this, run);
        return a;
    };
    add("&New", [this] { NewClick(); });
    add("&Open", [this] { OpenClick(); });
    add("&Delete", [this] { DeleteClick(); });
    file->addSeparator();
    saveAction_ = add("Save", [this] { SaveClick(); });
    saveAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    add("Save &As...", [this] { SaveAsClick(); });
    add("Preview Saved Templates", [this] { PreviewClick(); });
    file->addSeparator();
    defaultFontAction_ = add("&Default Font - ", [this] { DefaultFontClick(); });
    file->addSeparator();
    add("E&xit", [this] { ExitClick(); });
    mru_->setFileMenu(file);
}

QWidget* TCoverDesMainScreen::buildButtons() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 0, 8, 0);
    auto* helpButton = new QPushButton(QStringLiteral("Help"), row);
    auto* tips = new QPushButton(QStringLiteral("Quick tips"), row);
    auto* exitButton = new QPushButton(QStringLiteral("E&xit"), row);
    helpButton->setObjectName(QStringLiteral("HelpButton"));
    tips->setObjectName(QStringLiteral("QuickTipsButton"));
    exitButton->setObjectName(QStringLiteral("ExitButton"));
    exitButton->setToolTip(QStringLiteral("Click to exit"));
    saveButton_->setObjectName(QStringLiteral("SaveButton"));
    saveButton_->setToolTip(QStringLiteral("Click to save changes"));
    saveButton_->setDefault(true);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));
    cancelButton_->setToolTip(QStringLiteral("Click to cancel changes"));
    cancelButton_->setShortcut(QKeySequence(Qt::Key_Escape));
    layout->addWidget(helpButton);
    layout->addStretch();
    layout->addWidget(saveButton_);
    layout->addWidget(cancelButton_);
    layout->addWidget(tips);
    layout->addWidget(exitButton);
    connect(helpButton, &QPushButton::clicked, this, &TCoverDesMainScreen::HelpClick);
    connect(tips, &QPushButton::clicked, this, &TCoverDesMainScreen::QuickTipsClick);
    connect(exitButton, &QPushButton::clicked, this, &TCoverDesMainScreen::ExitClick);
    connect(saveButton_, &QPushButton::clicked, this, [this] {
        if (currentPath_.isEmpty()) {
            SaveAsClick();
        } else {
            SaveClick();
        }
    });
    connect(cancelButton_, &QPushButton::clicked, this, &TCoverDesMainScreen::CancelClick);
    saveButton_->hide();
    cancelButton_->hide();
    return row;
}

// --- Activation and closing.

void TCoverDesMainScreen::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!activated_) {
        activated_ = true;
        FormActivate();
    }
}

void TCoverDesMainScreen::FormActivate() {
    restoreFormPlacement(*this, settingsFile_, kPlacementForm);
    page_->hide();
    SetChangesMade(false);
    page_->LabelChangedEvent = [this] { LabelPanelChangeEvent(); };
    saveButton_->hide();
    const QStringList& recent = mru_->files();
    if (!recent.isEmpty() && QFileInfo::exists(recent.front())) {
        OpenLabelFile(recent.front());
    }
    page_->show();
    SetButtons();
    busy_ = false;
}

void TCoverDesMainScreen::closeEvent(QCloseEvent* event) {
    // Closing from the title bar must not lose a design either.
    if (!closeAsked_) {
        CheckSaveNeeded();
    }
    closeAsked_ = false;
    SavePreferences();
    try {
        settingsFile_.update([&](IniFile& ini) {
            px::savePlacement(ini, kPlacementForm, placementDpi(*this),
                              currentFormPlacement(*this));
        });
    } catch (const IniFileError&) {
        // The placement is a convenience; the window closes anyway.
    }
    QMainWindow::closeEvent(event);
}

void TCoverDesMainScreen::ExitClick() {
    CheckSaveNeeded();
    closeAsked_ = true;
    close();
}

// --- Preferences.

void TCoverDesMainScreen::LoadPreferences() {
    try {
        page_->setPageFont(fontOf(DesignerDefaultFont::load(settingsFile_.read())));
    } catch (const IniFileError&) {
        page_->setPageFont(fontOf(DesignerDefaultFont{}));
    }
}

void TCoverDesMainScreen::SavePreferences() {
    try {
        settingsFile_.update([&](IniFile& ini) { defaultFontOf(page_->pageFont()).save(ini); });
    } catch (const IniFileError& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
}

void TCoverDesMainScreen::SetDefaultFontCaption() {
    const TCoverFont& f = page_->pageFont();
    QString caption = QStringLiteral("Default Font: ") + f.name + QStringLiteral(", ") +
                      QString::number(f.size()) + QStringLiteral(" pt ");
    if (f.bold()) {
        caption += QStringLiteral(", bold");
    }
    if (f.italic()) {
        caption += QStringLiteral(", italic");
    }
    defaultFontAction_->setText(caption);
}

void TCoverDesMainScreen::DefaultFontClick() {
    if (const std::optional<TCoverFont> font = dialogs_->chooseFont(this, page_->pageFont())) {
        page_->setPageFont(*font);
        SetDefaultFontCaption();
        SavePreferences();
    }
}

// --- Change tracking and captions.

void TCoverDesMainScreen::LabelPanelChangeEvent() {
    if (!busy_) {
        SetChangesMade(true);
    }
}

void TCoverDesMainScreen::LabelPanelDroppedObjectEvent() {
    page_->setPanelState(TLPanelState::psPointing);
    toolButton(TLPanelState::psPointing)->setChecked(true);
}

void TCoverDesMainScreen::SetChangesMade(bool flag) {
    changesMade_ = flag;
    cancelButton_->setVisible(flag);
    saveButton_->setText(currentPath_.isEmpty() ? QStringLiteral("&Save As")
                                                : QStringLiteral("&Save"));
    saveAction_->setEnabled(!currentPath_.isEmpty());
    saveButton_->setVisible(flag);
}

void TCoverDesMainScreen::SetButtons() {
    saveAction_->setEnabled(!currentPath_.isEmpty());
    setWindowTitle(description_.isEmpty() ? QString::fromLatin1(kDesignerCaption)
                                          : QString::fromLatin1(kDesignerCaption) +
                                                QStringLiteral(" - ") + description_);
}

// --- Zoom and keys.

void TCoverDesMainScreen::stepZoom(float step) {
    page_->handle().ClearSelection();
    const bool wasBusy = busy_;
    busy_ = true;
    // Each step is worked out in extended precision and kept in single precision,
    // so five steps from 100 % land just below 50 % and just above 150 %.
    const long double next =
        static_cast<long double>(page_->Zoom()) + static_cast<long double>(step);
    page_->SetZoom(static_cast<float>(next));
    busy_ = wasBusy;
    zoomCaption_->setText(QString::number(static_cast<int>(std::nearbyint(page_->Zoom() * 100.0))) +
                          QLatin1Char('%'));
}

void TCoverDesMainScreen::ZoomOut() {
    if (page_->Zoom() >= kZoomLowest) {
        stepZoom(-0.1F);
    }
}

void TCoverDesMainScreen::ZoomIn() {
    if (page_->Zoom() <= kZoomHighest) {
        stepZoom(0.1F);
    }
}

bool TCoverDesMainScreen::designerKey(QKeyEvent* event, bool release) {
    QScrollBar* bar = scroll_->verticalScrollBar();
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    if (release) {
        if (event->isAutoRepeat() || !keypad) {
            return false;
        }
        if (event->key() == Qt::Key_Plus) {
            ZoomIn();
            return true;
        }
        if (event->key() == Qt::Key_Minus) {
            ZoomOut();
            return true;
        }
        return false;
    }
    switch (event->key()) {
        case Qt::Key_PageUp:
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            return true;
        case Qt::Key_PageDown:
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            return true;
        case Qt::Key_Home:
            bar->triggerAction(QAbstractSlider::SliderToMinimum);
            return true;
        case Qt::Key_End:
            bar->triggerAction(QAbstractSlider::SliderToMaximum);
            return true;
        default:
            return keypad && (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Minus);
    }
}

bool TCoverDesMainScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        if (designerKey(static_cast<QKeyEvent*>(event), event->type() == QEvent::KeyRelease)) {
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TCoverDesMainScreen::HelpClick() {
    if (help_ != nullptr) {
        help_->showTopic(kHelpCoverDesigner);
    }
}

void TCoverDesMainScreen::QuickTipsClick() {
    if (help_ != nullptr) {
        help_->showTopic(kHelpCoverDesignerTips);
    }
}

}  // namespace px
