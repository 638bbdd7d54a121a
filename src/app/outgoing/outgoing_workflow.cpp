#include "app/outgoing/outgoing_workflow.h"

#include <QStringList>
#include <cstdint>
#include <string>

#include "app/faxeditor/fax_editor.h"
#include "app/host/fax_files.h"
#include "app/host/user_prompts.h"
#include "app/tables/log_table.h"
#include "settings/program_folder.h"

namespace px {

namespace {

enum class TDeletePart { Cover, Body, Both };

}  // namespace

TOutgoingWorkflow::TOutgoingWorkflow(TWorkflowHost& host) : host_(host), chooser_(chooseDocument) {
    editor_ = [this](QWidget* parent, const QString& caption, TFaxInformation& info) {
        TXbTable& log = host_.log(TMainPage::Outgoing).table();
        return px::editFaxInformation(
            parent, caption, info,
            phoneBookChooser(host_.folder().path(), log.sharedEnv(), host_.prompts()), help_);
    };
}

void TOutgoingWorkflow::newCoverSheet() {
    if (!refuseInReceiveMode(host_)) {
        EditAddQuickFax(host_, true, quickFaxEditor_);
    }
}

void TOutgoingWorkflow::addCoverSheet() {
    if (refuseInReceiveMode(host_)) {
        return;
    }
    if (!host_.hasCurrent(TMainPage::Outgoing)) {
        host_.prompts().beep();
        return;
    }
    EditAddQuickFax(host_, false, quickFaxEditor_);
}

void TOutgoingWorkflow::edit() {
    if (!host_.hasCurrent(TMainPage::Outgoing)) {
        host_.prompts().beep();
        return;
    }
    if (host_.log(TMainPage::Outgoing).table().text("FAXCOVER").empty()) {
        editFaxInformation();
        return;
    }
    if (!refuseInReceiveMode(host_)) {
        EditAddQuickFax(host_, false, quickFaxEditor_);
    }
}

void TOutgoingWorkflow::archive(TMainPage page) {
    TUserPrompts& prompts = host_.prompts();
    if (!host_.hasCurrent(page) || (page == TMainPage::Incoming && host_.faxBeingReceived())) {
        prompts.beep();
        return;
    }
    TLogTable& log = host_.log(page);
    TXbTable& table = log.table();
    const std::uint32_t recno = table.recNo();
    const bool archived = log.archived();
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
    if (!prompts.question(host_.dialogParent(), "Archive",
                          messageText(QString::fromStdString(question)), true)) {
        return;
    }
    try {
        table.goTo(recno);
        table.setLogical("ARCHIVED", !archived);
    } catch (const std::exception&) {
        // The record keeps its state; the grid shows what is stored.
    }
    host_.refreshLog(page);
}

void TOutgoingWorkflow::deleteFax() {
    TUserPrompts& prompts = host_.prompts();
    if (!host_.hasCurrent(TMainPage::Outgoing)) {
        prompts.beep();
        return;
    }
    TXbTable& table = host_.log(TMainPage::Outgoing).table();
    const std::uint32_t recno = table.recNo();
    const std::string doc = table.text("FAXDOC");
    const std::string cover = table.text("FAXCOVER");
    TDeletePart part = TDeletePart::Both;
    if (!doc.empty() && !cover.empty()) {
        const int chosen = prompts.choice(
            host_.dialogParent(), "Delete Fax",
            {"Delete Fax Cover", "Delete Fax Body", "Delete Both Fax Cover && Fax Body"}, 2);
        if (chosen < 0) {
            return;
        }
        part = chosen == 0   ? TDeletePart::Cover
               : chosen == 1 ? TDeletePart::Body
                             : TDeletePart::Both;
    } else {
        const QString question = messageText(QString::fromStdString(
            "Delete the current fax?\r\n(subject: \"" + table.text("SUBJECT") + "\")"));
        if (!prompts.question(host_.dialogParent(), "Delete", question, true)) {
            return;
        }
    }
    try {
        table.goTo(recno);
        switch (part) {
            case TDeletePart::Cover:
                table.setText("FAXCOVER", "");
                break;
            case TDeletePart::Body:
                table.setText("FAXDOC", "");
                break;
            case TDeletePart::Both:
                table.setDeleted(true);
                break;
        }
    } catch (const std::exception& e) {
        // Nothing was changed, so the files stay with their record.
        prompts.information(host_.dialogParent(), QString::fromUtf8(e.what()));
        host_.refreshLog(TMainPage::Outgoing);
        return;
    }
    const ProgramFolder& folder = host_.folder();
    if (part != TDeletePart::Cover) {
        removeSendFile(folder, doc);
    }
    if (part != TDeletePart::Body && !cover.empty()) {
        removeSendFile(folder, cover);
        removeSendFile(folder, coverCompanionName(cover));
    }
    host_.refreshLog(TMainPage::Outgoing);
}

}  // namespace px
