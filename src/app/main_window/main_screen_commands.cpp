// The commands of the main window's menus and button bar.
#include <QAction>
#include <QApplication>
#include <optional>

#include "app/cleanup/cleanup_workflow.h"
#include "app/host/fax_files.h"
#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "app/incoming/incoming_workflow.h"
#include "app/main_window/main_screen.h"
#include "app/main_window/rebuild_dialog.h"
#include "app/main_window/view_description.h"
#include "app/outgoing/outgoing_workflow.h"
#include "app/preferences/preferences_workflow.h"
#include "app/report/configuration_report.h"
#include "app/tables/index_rebuild.h"
#include "settings/file_names.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"

namespace px {

void TMainScreen::newCoverSheetClick() {
    if (!refuseInReceiveMode(*this)) {
        outgoingWorkflow_->newCoverSheet();
    }
}

void TMainScreen::newFaxFromFileClick() {
    if (!refuseInReceiveMode(*this)) {
        outgoingWorkflow_->newFaxFromFile();
    }
}

void TMainScreen::addCoverSheetClick() {
    if (refuseInReceiveMode(*this)) {
        return;
    }
    if (!hasCurrent(TMainPage::Outgoing)) {
        prompts_.beep();
        return;
    }
    outgoingWorkflow_->addCoverSheet();
}

void TMainScreen::editClick() {
    if (page_ == TMainPage::Incoming) {
        if (!hasCurrent(TMainPage::Incoming)) {
            prompts_.beep();
            return;
        }
        incomingWorkflow_->editNotes();
        return;
    }
    if (!hasCurrent(TMainPage::Outgoing)) {
        prompts_.beep();
        return;
    }
    const bool hasCover = !outgoing_->table().text("FAXCOVER").empty();
    if (hasCover && refuseInReceiveMode(*this)) {
        return;
    }
    outgoingWorkflow_->edit();
}

void TMainScreen::cloneClick() {
    if (page_ != TMainPage::Outgoing || !hasCurrent(TMainPage::Outgoing)) {
        prompts_.beep();
        return;
    }
    outgoingWorkflow_->clone();
}

void TMainScreen::forwardClick() {
    if (refuseInReceiveMode(*this)) {
        return;
    }
    if (!hasCurrent(TMainPage::Incoming)) {
        prompts_.beep();
        return;
    }
    outgoingWorkflow_->forwardReceivedFax();
}

void TMainScreen::archiveClick() {
    outgoingWorkflow_->archive(page_);
}

void TMainScreen::deleteClick() {
    if (page_ == TMainPage::Outgoing) {
        outgoingWorkflow_->deleteFax();
    } else {
        incomingWorkflow_->deleteFax();
    }
}

void TMainScreen::showArchivedClick() {
    filter_.toggle();
    for (TLogTable* log : {outgoing_.get(), incoming_.get()}) {
        if (log->table().isOpen()) {
            log->table().setFilter(filter_.text());
        }
    }
    refreshBoth();
}

void TMainScreen::faxLogCleanupClick() {
    if (refuseInReceiveMode(*this)) {
        return;
    }
    if (cleanupWorkflow_->run()) {
        const QString error = rebuildIndexes();
        if (!error.isEmpty()) {
            prompts_.information(this, error);
        }
    }
}

void TMainScreen::sendClick() {
    outgoingWorkflow_->send();
}

void TMainScreen::receiveClick() {
    if (receiveMode_) {
        incomingWorkflow_->stopReceiveMode();
    } else {
        incomingWorkflow_->startReceiveMode();
    }
}

void TMainScreen::viewClick() {
    if (refuseInReceiveMode(*this)) {
        return;
    }
    if (!hasCurrent(page_)) {
        prompts_.beep();
        return;
    }
    viewFile();
}

void TMainScreen::viewFile() {
    std::optional<TBusyScope> busy;
    busy.emplace(*status_, "Preparing files for viewing...");
    const auto fail = [&](const char* text) {
        busy.reset();
        prompts_.information(this, text);
    };
    TXbTable& table = log(page_).table();
    QString path;
    QString description;
    if (page_ == TMainPage::Incoming) {
        const std::string name = table.text("FAXFILE");
        const std::string file = resolveNoCase(folder_.receiveFolder(), name);
        if (!isBareName(name) || !existsNoCase(folder_.receiveFolder(), name)) {
            fail("Error opening fax file");
            return;
        }
        path = QString::fromStdString(file);
        description = incomingViewDescription(
            table.text("FROM"),
            incomingDateText(table.value("DATEREC").date, table.text("TIMEREC")), file);
    } else {
        const std::string cover = table.text("FAXCOVER");
        const std::string doc = table.text("FAXDOC");
        const bool coverExists = isBareName(cover) && existsNoCase(folder_.sendFolder(), cover);
        const bool docExists = isBareName(doc) && existsNoCase(folder_.sendFolder(), doc);
        if (!coverExists && !docExists) {
            fail("Error opening fax file");
            return;
        }
        std::string chosen;
        if (coverExists && docExists) {
            const int pick = prompts_.buttonChoice(this, "View Fax",
                                                   {"View Cover File", "View Original Document"});
            if (pick < 0) {
                return;
            }
            chosen = pick == 0 ? cover : doc;
        } else {
            chosen = coverExists ? cover : doc;
        }
        path = QString::fromStdString(resolveNoCase(folder_.sendFolder(), chosen));
        description =
            outgoingViewDescription(table.text("RECIPIENT"),
                                    outgoingDateText(table.value("DATESENT").date,
                                                     table.text("TIMESENT"), QDate::currentDate()),
                                    resolveNoCase(folder_.sendFolder(), doc));
    }
    if (path.isEmpty()) {
        fail("Error - nothing to view");
        return;
    }
    busy->setText("Loading viewer...");
    busy.reset();
    openViewer(path, description);
}

void TMainScreen::phoneBookClick() {
    if (!refuseInReceiveMode(*this)) {
        openPhoneBook();
    }
}

void TMainScreen::coverDesignerClick() {
    if (!refuseInReceiveMode(*this)) {
        openCoverDesigner();
    }
}

void TMainScreen::preferencesClick() {
    if (!refuseInReceiveMode(*this)) {
        preferencesWorkflow_->openPreferences();
        firstRun_ = preferencesWorkflow_->firstRun();
    }
}

void TMainScreen::rebuildIndexesClick() {
    if (refuseInReceiveMode(*this)) {
        return;
    }
    const QString error = rebuildIndexes();
    if (!error.isEmpty()) {
        prompts_.information(this, error);
    }
}

QString TMainScreen::rebuildIndexes() {
    if (!logsOpen_) {
        return {};
    }
    QString error;
    {
        TBusyScope busy(*status_, "Rebuilding indexes...");
        TRebuildDialog dialog(this, [this](const TRebuildProgress& progress) {
            px::rebuildIndexes(*outgoing_, *incoming_, folder_.path(), env_, progress);
        });
        error = dialog.run();
    }
    refreshBoth();
    return error;
}

void TMainScreen::showHintsClick() {
    settings_.hintsOn = action(TCommand::ShowHints)->isChecked();
    applyHints();
    if (!settingsLoaded_) {
        return;
    }
    try {
        settingsFile_.update(
            [this](IniFile& ini) { ini.writeBool("Hints", "On", settings_.hintsOn); });
    } catch (const IniFileError& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
}

void TMainScreen::sortOutgoing(TOutgoingSort sort) {
    static constexpr const char* kTags[] = {"DATESENT", "SUBJECT", "RECIPIENT"};
    TXbTable& table = outgoing_->table();
    if (!table.isOpen()) {
        return;
    }
    table.setOrder(kTags[static_cast<int>(sort)]);
    table.first();
    outgoingSortAction(sort)->setChecked(true);
    refreshPage(TMainPage::Outgoing);
}

void TMainScreen::sortIncoming(TIncomingSort sort) {
    static constexpr const char* kTags[] = {"DATETIME", "FROM"};
    if (faxBeingReceived_) {
        prompts_.beep();
        // The menu keeps showing the order in force.
        const TXbTable& current = incoming_->table();
        const int order = current.isOpen() ? current.order() : 0;
        const std::string tag =
            order > 0 ? current.tagNames()[static_cast<std::size_t>(order - 1)] : std::string();
        incomingSortAction(TIncomingSort::DateReceived)->setChecked(tag == kTags[0]);
        incomingSortAction(TIncomingSort::From)->setChecked(tag == kTags[1]);
        return;
    }
    TXbTable& table = incoming_->table();
    if (!table.isOpen()) {
        return;
    }
    table.setOrder(kTags[static_cast<int>(sort)]);
    table.first();
    incomingSortAction(sort)->setChecked(true);
    refreshPage(TMainPage::Incoming);
}

void TMainScreen::bindHelpActions() {
    const auto topic = [this](TCommand command, int number) {
        connect(action(command), &QAction::triggered, this, [this, number] {
            if (help_ != nullptr) {
                help_->showTopic(number);
            }
        });
    };
    topic(TCommand::HelpContents, kHelpContents);
    topic(TCommand::HelpFaq, kHelpFaq);
    topic(TCommand::HelpTechnicalSupport, kHelpTechnicalSupport);
    connect(action(TCommand::ConfigurationInformation), &QAction::triggered, this,
            [this] { configurationReport_->show(); });
    connect(action(TCommand::QuickStart), &QAction::triggered, this, [this] {
        if (help_ != nullptr) {
            help_->showQuickStart();
        }
    });
    connect(action(TCommand::About), &QAction::triggered, this, [this] {
        if (help_ != nullptr) {
            help_->showAbout();
        }
    });
    connect(action(TCommand::ProblemSolver), &QAction::triggered, this, [this] {
        if (help_ != nullptr) {
            help_->showProblemSolver();
        }
    });
    // The program's own pages are its web site: they ship with it, built in,
    // so they open alike from a build tree, an installation and off line.
    connect(action(TCommand::VisitWebsite), &QAction::triggered, this, [this] {
        if (!refuseInReceiveMode(*this) && help_ != nullptr) {
            help_->showTopic(kHelpContents);
        }
    });
}

}  // namespace px
