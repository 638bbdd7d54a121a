// The commands of the main window's menus and button bar.
#include <QAction>
#include <QApplication>
#include <optional>

#include "app/main_window/main_screen.h"
#include "app/main_window/rebuild_dialog.h"
#include "app/main_window/status_panel.h"
#include "app/main_window/user_prompts.h"
#include "app/main_window/view_description.h"
#include "app/tables/index_rebuild.h"
#include "settings/file_names.h"
#include "ui/help/help_center.h"
#include "ui/help/help_topics.h"

namespace px {

namespace {

// A stored file name is a bare 8.3 name; anything with a folder in it is not
// one of ours and is never touched.
bool isBareName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name != "." && name != "..";
}

std::string companionName(const std::string& cover) {
    const auto dot = cover.rfind('.');
    return (dot == std::string::npos ? cover : cover.substr(0, dot)) + ".FCD";
}

}  // namespace

bool TMainScreen::refuseInReceiveMode() {
    if (!receiveMode_) {
        return false;
    }
    prompts_.information(this, messageText(kReceiveModeRefusal));
    return true;
}

bool TMainScreen::refuseWhileReceiving() {
    if (page_ == TMainPage::Incoming && faxBeingReceived_) {
        prompts_.beep();
        return true;
    }
    return false;
}

void TMainScreen::newCoverSheetClick() {
    if (!refuseInReceiveMode()) {
        newCoverSheet();
    }
}

void TMainScreen::addCoverSheetClick() {
    if (refuseInReceiveMode()) {
        return;
    }
    if (!hasCurrent(TMainPage::Outgoing)) {
        prompts_.beep();
        return;
    }
    addCoverSheet();
}

void TMainScreen::editClick() {
    if (page_ == TMainPage::Incoming) {
        if (refuseWhileReceiving()) {
            return;
        }
        if (!hasCurrent(TMainPage::Incoming)) {
            prompts_.beep();
            return;
        }
        editReceivedFaxNotes();
        return;
    }
    if (!hasCurrent(TMainPage::Outgoing)) {
        prompts_.beep();
        return;
    }
    const bool hasCover = !outgoing_->table().text("FAXCOVER").empty();
    if (hasCover && refuseInReceiveMode()) {
        return;
    }
    editOutgoingFax();
}

void TMainScreen::cloneClick() {
    if (page_ != TMainPage::Outgoing || !hasCurrent(TMainPage::Outgoing)) {
        prompts_.beep();
        return;
    }
    cloneOutgoingFax();
}

void TMainScreen::forwardClick() {
    if (refuseInReceiveMode()) {
        return;
    }
    if (!hasCurrent(TMainPage::Incoming)) {
        prompts_.beep();
        return;
    }
    forwardReceivedFax();
}

void TMainScreen::archiveClick() {
    const TMainPage page = page_;
    if (!hasCurrent(page)) {
        prompts_.beep();
        return;
    }
    if (refuseWhileReceiving()) {
        return;
    }
    TXbTable& table = log(page).table();
    const std::uint32_t recno = table.recNo();
    const bool archived = log(page).archived();
    std::string question = archived ? "UnArchive the current fax?" : "Archive the current fax?";
    question += "\r";
    if (page == TMainPage::Outgoing) {
        const std::string subject = table.text("SUBJECT");
        question += subject.empty() ? "(no subject)" : "(subject: " + subject + ")";
    } else {
        const std::string from = table.text("FROM");
        if (!from.empty()) {
            question += "(from: " + from + ")";
        }
    }
    if (!prompts_.question(this, "Archive", messageText(QString::fromStdString(question)), true)) {
        return;
    }
    try {
        table.goTo(recno);
        table.setLogical("ARCHIVED", !archived);
    } catch (const std::exception&) {
        // The record keeps its state; the grid shows what is stored.
    }
    refreshPage(page);
}

void TMainScreen::deleteClick() {
    if (page_ == TMainPage::Outgoing) {
        deleteOutgoing();
    } else {
        deleteIncoming();
    }
}

void TMainScreen::removeSendFile(const std::string& name) {
    if (isBareName(name)) {
        std::remove(resolveNoCase(folder_.sendFolder(), name).c_str());
    }
}

void TMainScreen::removeReceivedFile(const std::string& name) {
    if (isBareName(name)) {
        std::remove(resolveNoCase(folder_.receiveFolder(), name).c_str());
    }
}

void TMainScreen::deleteOutgoing() {
    if (!hasCurrent(TMainPage::Outgoing)) {
        prompts_.beep();
        return;
    }
    TXbTable& table = outgoing_->table();
    const std::uint32_t recno = table.recNo();
    const std::string doc = table.text("FAXDOC");
    const std::string cover = table.text("FAXCOVER");
    enum { kCover, kBody, kBoth } what = kBoth;
    if (!doc.empty() && !cover.empty()) {
        const int chosen = prompts_.choice(
            this, "Delete Fax",
            {"Delete Fax Cover", "Delete Fax Body", "Delete Both Fax Cover && Fax Body"}, 2);
        if (chosen < 0) {
            return;
        }
        what = chosen == 0 ? kCover : chosen == 1 ? kBody : kBoth;
    } else {
        const QString question = messageText(QString::fromStdString(
            "Delete the current fax?\r\n(subject: \"" + table.text("SUBJECT") + "\")"));
        if (!prompts_.question(this, "Delete", question, true)) {
            return;
        }
    }
    try {
        table.goTo(recno);
        switch (what) {
            case kCover:
                table.setText("FAXCOVER", "");
                break;
            case kBody:
                table.setText("FAXDOC", "");
                break;
            case kBoth:
                table.setDeleted(true);
                break;
        }
    } catch (const std::exception& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
        refreshPage(TMainPage::Outgoing);
        return;
    }
    if (what != kCover) {
        removeSendFile(doc);
    }
    if (what != kBody && !cover.empty()) {
        removeSendFile(cover);
        removeSendFile(companionName(cover));
    }
    refreshPage(TMainPage::Outgoing);
}

void TMainScreen::deleteIncoming() {
    if (!hasCurrent(TMainPage::Incoming) || faxBeingReceived_) {
        prompts_.beep();
        return;
    }
    TXbTable& table = incoming_->table();
    const std::uint32_t recno = table.recNo();
    const std::string file = table.text("FAXFILE");
    const QString question = messageText(QString::fromStdString(
        "Delete the current fax?\r\n(from: \"" + table.text("FROM") + "\")"));
    if (!prompts_.question(this, "Delete", question, true)) {
        return;
    }
    try {
        table.goTo(recno);
        table.setDeleted(true);
    } catch (const std::exception& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
        refreshPage(TMainPage::Incoming);
        return;
    }
    removeReceivedFile(file);
    refreshPage(TMainPage::Incoming);
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
    if (refuseInReceiveMode()) {
        return;
    }
    if (runFaxLogCleanup()) {
        rebuildIndexes();
    }
}

void TMainScreen::sendClick() {
    if (receiveMode_) {
        prompts_.information(this, messageText(kSendRefusedInReceiveMode));
        return;
    }
    if (page_ == TMainPage::Incoming) {
        prompts_.information(this, messageText(kSendFromIncomingPage));
        return;
    }
    if (!hasCurrent(TMainPage::Outgoing)) {
        prompts_.beep();
        return;
    }
    sendOutgoingFax();
}

void TMainScreen::receiveClick() {
    if (receiveMode_) {
        stopReceiveMode();
    } else {
        startReceiveMode();
    }
}

void TMainScreen::viewClick() {
    if (refuseInReceiveMode()) {
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
    if (!refuseInReceiveMode()) {
        openPhoneBook();
    }
}

void TMainScreen::coverDesignerClick() {
    if (!refuseInReceiveMode()) {
        openCoverDesigner();
    }
}

void TMainScreen::preferencesClick() {
    if (!refuseInReceiveMode()) {
        openPreferences();
    }
}

void TMainScreen::rebuildIndexesClick() {
    if (refuseInReceiveMode()) {
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
            &TMainScreen::showConfigurationReport);
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
        if (!refuseInReceiveMode() && help_ != nullptr) {
            help_->showTopic(kHelpContents);
        }
    });
}

}  // namespace px
