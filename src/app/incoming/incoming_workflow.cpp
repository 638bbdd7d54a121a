#include "app/incoming/incoming_workflow.h"

#include <QTimer>
#include <cstdint>
#include <string>

#include "app/host/fax_files.h"
#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "app/tables/log_table.h"
#include "settings/px_settings.h"

namespace px {

void TIncomingWorkflow::startReceiveMode() {
    notAvailableYet(host_, "Receive mode");
}

void TIncomingWorkflow::stopReceiveMode() {
    host_.setReceiveMode(false);
    host_.statusPanel().hidePanel();
}

void TIncomingWorkflow::endReceiveModeForClose() {
    {
        TBusyScope busy(host_.statusPanel(), "Shutting down fax...");
        if (!host_.settings().resetting.afterString.empty()) {
            busy.setText("Sending AFTER reset string...");
        }
    }
    host_.setReceiveMode(false);
}

void TIncomingWorkflow::editNotes() {
    if (host_.faxBeingReceived()) {
        host_.prompts().beep();
        return;
    }
    notAvailableYet(host_, "Editing the notes of a received fax");
}

void TIncomingWorkflow::deleteFax() {
    TUserPrompts& prompts = host_.prompts();
    if (!host_.hasCurrent(TMainPage::Incoming) || host_.faxBeingReceived()) {
        prompts.beep();
        return;
    }
    TXbTable& table = host_.log(TMainPage::Incoming).table();
    const std::uint32_t recno = table.recNo();
    const std::string file = table.text("FAXFILE");
    const QString question = messageText(QString::fromStdString(
        "Delete the current fax?\r\n(from: \"" + table.text("FROM") + "\")"));
    if (!prompts.question(host_.dialogParent(), "Delete", question, true)) {
        return;
    }
    try {
        table.goTo(recno);
        table.setDeleted(true);
    } catch (const std::exception& e) {
        prompts.information(host_.dialogParent(), QString::fromUtf8(e.what()));
        host_.refreshLog(TMainPage::Incoming);
        return;
    }
    removeReceivedFile(host_.folder(), file);
    host_.refreshLog(TMainPage::Incoming);
}

void TIncomingWorkflow::postPlayReceiveSound() {
    QTimer::singleShot(0, host_.dialogParent(), [this] { playReceiveSound(); });
}

void TIncomingWorkflow::playReceiveSound() {
    if (!host_.settings().receive.wav.empty()) {
        notAvailableYet(host_, "The receive notification sound");
    }
}

}  // namespace px
