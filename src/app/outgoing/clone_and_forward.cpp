// New outgoing faxes made from existing ones: a clone of an outgoing fax, and
// a received fax forwarded. The copies are made first and the record last;
// a command that fails on the way takes its copies away again.
#include <exception>
#include <string>

#include "app/host/fax_files.h"
#include "app/host/user_prompts.h"
#include "app/outgoing/new_send_files.h"
#include "app/outgoing/outgoing_record.h"
#include "app/outgoing/outgoing_workflow.h"
#include "app/tables/log_table.h"
#include "settings/file_names.h"
#include "settings/program_folder.h"

namespace px {

namespace {

constexpr const char* kClonePrefix = "[clone]";

// The stored name of a file that is there to copy.
bool present(const std::string& folder, const std::string& name) {
    return isBareName(name) && existsNoCase(folder, name);
}

}  // namespace

void TOutgoingWorkflow::clone() {
    TUserPrompts& prompts = host_.prompts();
    if (!host_.hasCurrent(TMainPage::Outgoing)) {
        prompts.beep();
        return;
    }
    TXbTable& table = host_.log(TMainPage::Outgoing).table();
    const std::string subject = table.text("SUBJECT");
    const std::string doc = table.text("FAXDOC");
    const std::string cover = table.text("FAXCOVER");
    const TFaxInformation info{QString::fromStdString(table.text("RECIPIENT")),
                               QString::fromStdString(table.text("PHONE")),
                               QString::fromStdString(kClonePrefix + subject),
                               {},
                               {}};
    const QString question = messageText(
        QString::fromStdString("Clone the current fax?\r\n(subject: \"" + subject + "\")"));
    if (!prompts.question(host_.dialogParent(), "Clone", question, true)) {
        return;
    }
    if (doc.empty() && cover.empty()) {
        return;
    }
    const std::string send = host_.folder().sendFolder();
    const std::string companion = cover.empty() ? std::string() : coverCompanionName(cover);
    const bool docThere = present(send, doc);
    // A cover without its companion could not be edited again: it stays behind.
    const bool coverThere = present(send, cover) && present(send, companion);
    if (!docThere && !coverThere) {
        prompts.information(host_.dialogParent(), kErrorOpeningFaxFile);
        return;
    }

    TNewSendFiles files(host_.folder());
    std::string newDoc;
    std::string newCover;
    if (docThere) {
        newDoc = files.copyIn(resolveNoCase(send, doc), "FAX");
    }
    if (coverThere) {
        newCover = files.copyIn(resolveNoCase(send, cover), "COV");
        if (!newCover.empty() &&
            !files.copyAs(resolveNoCase(send, companion), coverCompanionName(newCover))) {
            newCover.clear();
        }
    }
    if ((docThere && newDoc.empty()) || (coverThere && newCover.empty())) {
        prompts.information(host_.dialogParent(), kFaxFileNotCopied);
        return;
    }
    try {
        appendOutgoingFax(table, info, newDoc, newCover);
    } catch (const std::exception& e) {
        prompts.information(host_.dialogParent(), QString::fromUtf8(e.what()));
        host_.refreshLog(TMainPage::Outgoing);
        return;
    }
    files.keep();
    host_.evaluateCommands();
    host_.reopenLog(TMainPage::Outgoing);
}

void TOutgoingWorkflow::forwardReceivedFax() {
    TUserPrompts& prompts = host_.prompts();
    if (refuseInReceiveMode(host_)) {
        return;
    }
    if (!host_.hasCurrent(TMainPage::Incoming)) {
        prompts.beep();
        return;
    }
    TXbTable& incoming = host_.log(TMainPage::Incoming).table();
    const std::string received = host_.folder().receiveFolder();
    const std::string file = incoming.text("FAXFILE");
    if (!present(received, file)) {
        return;
    }
    const std::string from = incoming.text("FROM");
    const QString question = messageText(
        QString::fromStdString("Forward the current fax to be sent?\r\n(from: " + from + ")"));
    if (!prompts.question(host_.dialogParent(), "Forward", question, true)) {
        return;
    }
    TFaxInformation info;
    if (!editor_(host_.dialogParent(), QString::fromStdString("Forward fax from: " + from), info)) {
        return;
    }
    TNewSendFiles files(host_.folder());
    const std::string copy = files.copyIn(resolveNoCase(received, file), "FWD");
    recordNewDocument(files, copy, info);
}

void TOutgoingWorkflow::recordNewDocument(TNewSendFiles& files, const std::string& doc,
                                          const TFaxInformation& info) {
    TUserPrompts& prompts = host_.prompts();
    if (doc.empty()) {
        prompts.information(host_.dialogParent(), kFaxFileNotCopied);
        return;
    }
    try {
        appendOutgoingFax(host_.log(TMainPage::Outgoing).table(), info, doc, "");
    } catch (const std::exception& e) {
        prompts.information(host_.dialogParent(), QString::fromUtf8(e.what()));
        host_.refreshLog(TMainPage::Outgoing);
        return;
    }
    files.keep();
    host_.showPage(TMainPage::Outgoing);
    host_.evaluateCommands();
    host_.reopenLog(TMainPage::Outgoing);
}

}  // namespace px
