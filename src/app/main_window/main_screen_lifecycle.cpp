// Start-up, activation and close of the main window.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <QToolTip>

#include "app/coverdesigner/cover_des_main_screen.h"
#include "app/desktop/desktop_receiving.h"
#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "app/incoming/incoming_workflow.h"
#include "app/main_window/main_screen.h"
#include "app/preferences/preferences_workflow.h"
#include "app/printdriver/print_driver_intake.h"
#include "cover/render/cover_template_files.h"
#include "fax/components/px_receive_fax.h"
#include "settings/window_placement.h"
#include "ui/placement/form_placement.h"

namespace px {

namespace {

constexpr const char* kPlacementForm = "TMainScreen";

// Swallows tool tips while hints are switched off.
class THintFilter : public QObject {
public:
    using QObject::QObject;
    bool on = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip && !on) {
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void TMainScreen::formCreate() {
    lastSendError_ = lastPortError_ = -1;
    filter_ = TArchiveFilter();
    // Century on, deleted records hidden, month/day/year, exact and soft seek off.
    env_->setCentury(true);
    env_->setDeletedHidden(true);
    env_->setDateFormat(TXbDateFormat::American);
    env_->setExact(false);
    env_->setSoftSeek(false);
    showPage(TMainPage::Outgoing);

    bool outgoingOpen = outgoing_->open(filter_.text());
    if (outgoingOpen) {
        try {
            outgoing_->table().setOrder("DATESENT");
            outgoing_->table().first();
        } catch (const std::exception&) {
            outgoingOpen = false;
        }
    }
    if (!outgoingOpen) {
        prompts_.information(this, kOutgoingOpenFailed);
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    if (!incoming_->open()) {
        prompts_.information(this, kIncomingOpenFailed);
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    logsOpen_ = outgoingOpen;
    for (TLogTable* log : {outgoing_.get(), incoming_.get()}) {
        if (log->table().isOpen()) {
            log->table().setFilter(filter_.text());
            log->table().first();
        }
    }
    outgoingSortAction(TOutgoingSort::DateSent)->setChecked(true);
    receiveFax_->setDestinationDir(folder_.receiveFolder());
    try {
        settings_ = settingsFile_.load();
        settingsLoaded_ = true;
    } catch (const IniFileError& e) {
        // Running on defaults; the unreadable file is left alone at close.
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
    firstRun_ = settings_.isFirstRun();
    receiveMode_ = false;
    faxBeingReceived_ = false;
    folder_.createWorkingFolders();
    // The shipped cover templates on a first run (or when Covers is gone),
    // without replacing any template the user already has.
    const QString covers = QString::fromStdString(folder_.coversFolder());
    if (firstRun_ || !QDir(covers).exists()) {
        installShippedCovers(covers);
    }
    applyHints();
}

void TMainScreen::applyHints() {
    if (hintFilter_ == nullptr) {
        hintFilter_ = new THintFilter(this);
        qApp->installEventFilter(hintFilter_);
    }
    static_cast<THintFilter*>(hintFilter_)->on = settings_.hintsOn;
    action(TCommand::ShowHints)->setChecked(settings_.hintsOn);
    if (!settings_.hintsOn) {
        QToolTip::hideText();
    }
}

void TMainScreen::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (firstActivationPending_) {
        QTimer::singleShot(0, this, [this] {
            try {
                firstActivation();
            } catch (const std::exception& e) {
                prompts_.information(this, QString::fromUtf8(e.what()));
            }
        });
    }
}

void TMainScreen::firstActivation() {
    if (!firstActivationPending_ || closing_) {
        return;
    }
    firstActivationPending_ = false;
    loadPlacement();
    std::uint32_t remembered = 0;
    if (printDriverIntake_->processWaitingFiles() && outgoing_->table().isOpen() &&
        outgoing_->table().hasCurrent()) {
        remembered = outgoing_->table().recNo();
    }
    if (!isMinimized()) {
        raise();
        activateWindow();
    }
    if (firstRun_) {
        preferencesWorkflow_->setFirstRun(true);
        preferencesWorkflow_->openQuickSetup();
        firstRun_ = preferencesWorkflow_->firstRun();
    }
    if (logsOpen_ && (!outgoing_->hasMarkerTag() || !incoming_->hasMarkerTag())) {
        if (prompts_.question(this, "REINDEX", messageText(kReindexQuestion), false)) {
            const QString error = rebuildIndexes();
            if (!error.isEmpty()) {
                prompts_.information(this, error);
            }
        }
    }
    if (remembered != 0) {
        try {
            outgoing_->table().goTo(remembered);
        } catch (const std::exception&) {
        }
        refreshPage(TMainPage::Outgoing);
    }
    evaluateCommands();
    loadGridLayout();
    printDriverIntake_->writeSettingsFile();
    printDriverIntake_->watchSendFolder();
    if (settings_.receive.atStartup) {
        try {
            incomingWorkflow_->startReceiveMode();
        } catch (const std::exception&) {
            // The mode simply stays off.
        }
    }
}

void TMainScreen::laterActivation() {
    if (firstActivationPending_ || closing_ || !logsOpen_) {
        return;
    }
    if (printDriverIntake_->processWaitingFiles()) {
        refreshPage(TMainPage::Outgoing);
    }
    evaluateCommands();
}

void TMainScreen::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    if (desktop_->tray().keepsWindowOnClose()) {
        desktop_->tray().hideToTray();
        event->ignore();
        return;
    }
    if (!formCloseQuery()) {
        event->ignore();
        return;
    }
    closing_ = true;
    // An open designer offers to save its template before it goes with the window.
    if (coverDesigner() != nullptr) {
        coverDesigner()->close();
    }
    formClose();
    event->accept();
}

bool TMainScreen::formCloseQuery() {
    if (faxBeingReceived_ && !prompts_.question(this, "ALERT!", kClosingWhileReceiving, true)) {
        return false;
    }
    if (receiveMode_) {
        incomingWorkflow_->endReceiveModeForClose();
    }
    // A layout that was never loaded would overwrite the saved one with the defaults.
    if (logsOpen_ && layoutLoaded_) {
        saveGridLayout();
    }
    outgoing_->close();
    incoming_->close();
    return true;
}

void TMainScreen::formClose() {
    savePlacement();
}

void TMainScreen::loadPlacement() {
    restoreFormPlacement(*this, settingsFile_, kPlacementForm);
}

void TMainScreen::savePlacement() {
    const WindowPlacement placement = currentFormPlacement(*this);
    try {
        settingsFile_.update([&](IniFile& ini) {
            px::savePlacement(ini, kPlacementForm, placementDpi(*this), placement);
            // Settings that were never read (an unreadable file) are not written over it.
            if (settingsLoaded_) {
                settings_.save(ini);
            }
        });
    } catch (const IniFileError& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
}

void TMainScreen::loadGridLayout() {
    const TGridLayout defaults = TGridLayout::outgoingDefault();
    outgoingLayout_ = defaults;
    outgoingLayout_.load(folder_.path());
    QHeaderView* header = outgoingGrid_->horizontalHeader();
    int visual = 0;
    for (const TGridField* field : outgoingLayout_.columns()) {
        const int logical = outgoingModel_->columnOf(field->name);
        if (logical < 0) {
            continue;
        }
        header->moveSection(header->visualIndex(logical), visual++);
        int width = field->width;
        for (const TGridField& d : defaults.fields()) {
            if (d.name == field->name && d.width == width) {
                width = firstWidth(outgoingGrid_, field->name, width);
            }
        }
        header->resizeSection(logical, width);
    }
    outgoingGrid_->verticalHeader()->setFixedWidth(outgoingLayout_.indicatorWidth());
    layoutLoaded_ = true;
}

void TMainScreen::saveGridLayout() {
    QHeaderView* header = outgoingGrid_->horizontalHeader();
    TGridLayout layout = outgoingLayout_;
    std::vector<TGridField*> places;
    std::vector<TGridField> visible;
    for (TGridField& field : layout.fields()) {
        if (field.visible) {
            places.push_back(&field);
            visible.push_back(field);
        }
    }
    std::size_t next = 0;
    for (int v = 0; v < header->count() && next < places.size(); ++v) {
        const int logical = header->logicalIndex(v);
        const std::string& name =
            outgoingModel_->columns()[static_cast<std::size_t>(logical)].field;
        for (const TGridField& field : visible) {
            if (field.name == name) {
                *places[next] = field;
                places[next]->width = header->sectionSize(logical);
                ++next;
                break;
            }
        }
    }
    layout.setIndicatorWidth(outgoingGrid_->verticalHeader()->width());
    try {
        layout.save(folder_.path());
        outgoingLayout_ = layout;
    } catch (const std::exception&) {
        // A layout that cannot be written is not worth keeping the program open for.
    }
}

}  // namespace px
