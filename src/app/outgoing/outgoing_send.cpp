// Send, the main window's part: find the fax's files, run the send window,
// and write what it reports back into the fax's record.
#include <QDate>
#include <QTime>
#include <cstdint>
#include <string>

#include "app/host/fax_files.h"
#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "app/outgoing/outgoing_workflow.h"
#include "app/sendfax/send_fax_form.h"
#include "app/sendfax/send_fax_texts.h"
#include "app/tables/log_table.h"
#include "settings/file_names.h"
#include "settings/program_folder.h"
#include "settings/px_settings.h"

namespace px {

namespace {

// The path of a stored send file, or "" when the field is empty or the file is missing.
std::string existingSendFile(const ProgramFolder& folder, const std::string& name) {
    if (name.empty() || !isBareName(name) || !existsNoCase(folder.sendFolder(), name)) {
        return {};
    }
    return resolveNoCase(folder.sendFolder(), name);
}

QString fieldText(const TXbTable& table, const char* field) {
    return QString::fromStdString(table.text(field));
}

}  // namespace

void TOutgoingWorkflow::send() {
    TUserPrompts& prompts = host_.prompts();
    if (host_.receiveMode()) {
        prompts.information(host_.dialogParent(), messageText(kSendRefusedInReceiveMode));
        return;
    }
    if (host_.visiblePage() == TMainPage::Incoming) {
        prompts.information(host_.dialogParent(), messageText(kSendFromIncomingPage));
        return;
    }
    if (!host_.hasCurrent(TMainPage::Outgoing)) {
        prompts.beep();
        return;
    }
    TXbTable& table = host_.log(TMainPage::Outgoing).table();
    const std::uint32_t recno = table.recNo();
    Settings& settings = host_.settings();
    TSendFaxRequest request;
    {
        TBusyScope busy(host_.statusPanel(), "Preparing fax files...");
        const std::string doc = existingSendFile(host_.folder(), table.text("FAXDOC"));
        const std::string cover = existingSendFile(host_.folder(), table.text("FAXCOVER"));
        if (doc.empty() && cover.empty()) {
            prompts.information(host_.dialogParent(), "Error opening fax file");
            return;
        }
        request.firstFile = doc.empty() ? cover : doc;
        request.secondFile = doc.empty() ? std::string() : cover;
        busy.setText("Preparing Send Fax form...");
        request.recipient = fieldText(table, "RECIPIENT");
        request.subject = fieldText(table, "SUBJECT");
        request.number = fieldText(table, "PHONE");
        request.portNumber = settings.modem.comPort + 1;
        request.dialPrefix = QString::fromStdString(settings.dialing.dialPrefix);
        request.dialSuffix = QString::fromStdString(settings.dialing.dialSuffix);
        request.prefixDisabled = settings.user.prefixDisable;
        request.suffixDisabled = settings.user.suffixDisable;
    }
    TSendFaxForm form(host_, request, host_.dialogParent());
    form.exec();

    settings.dialing.dialPrefix = form.dialPrefix().toStdString();
    settings.dialing.dialSuffix = form.dialSuffix().toStdString();
    settings.user.prefixDisable = form.prefixDisabled();
    settings.user.suffixDisable = form.suffixDisabled();
    try {
        host_.saveSettings();
    } catch (const std::exception& e) {
        prompts.information(host_.dialogParent(), QString::fromUtf8(e.what()));
    }
    try {
        table.goTo(recno);
    } catch (const std::exception&) {
        // The record is gone; there is nothing to write the result to.
        host_.refreshLog(TMainPage::Outgoing);
        return;
    }
    const QString result = form.resultText();
    if (!result.trimmed().isEmpty()) {
        table.setText("LASTRESULT", result.toStdString());
    }
    table.setText("PHONE", form.number().toStdString());
    if (resultCountsAsSent(result.toStdString())) {
        const QDate today = QDate::currentDate();
        table.setDate("DATESENT", TXbDate{today.year(), today.month(), today.day()});
        table.setText("TIMESENT", QTime::currentTime().toString("hh:mm").toStdString());
    }
    host_.refreshLog(TMainPage::Outgoing);
}

}  // namespace px
