// Entry points of the workflows that other parts of the program provide: the
// outgoing and incoming fax workflows, the viewer, the phone book, the cover
// designer, the cleanup, preferences, the configuration report and the print
// driver intake. Each is called by the main window's commands and lifecycle
// exactly where the workflow belongs; a workflow that is not built yet says
// so in the status panel.
#include <QAction>

#include "app/main_window/main_screen.h"
#include "app/main_window/status_panel.h"

namespace px {

void TMainScreen::notAvailableYet(const QString& function) {
    status_->showNote(function + " is not available yet.");
}

void TMainScreen::newCoverSheet() {
    notAvailableYet("New Cover Sheet");
}

void TMainScreen::addCoverSheet() {
    notAvailableYet("Add Cover Sheet");
}

void TMainScreen::editOutgoingFax() {
    notAvailableYet("Editing an outgoing fax");
}

void TMainScreen::editReceivedFaxNotes() {
    notAvailableYet("Editing the notes of a received fax");
}

void TMainScreen::cloneOutgoingFax() {
    notAvailableYet("Clone");
}

void TMainScreen::forwardReceivedFax() {
    notAvailableYet("Forward Received Fax");
}

bool TMainScreen::runFaxLogCleanup() {
    notAvailableYet("Fax Log Cleanup");
    return false;
}

void TMainScreen::sendOutgoingFax() {
    notAvailableYet("Sending");
}

void TMainScreen::startReceiveMode() {
    notAvailableYet("Receive mode");
}

void TMainScreen::stopReceiveMode() {
    setReceiveMode(false);
    status_->hidePanel();
}

void TMainScreen::endReceiveModeForClose() {
    // Ends receive mode whatever happens on the way; the receive component
    // and the port join here with the incoming workflow.
    {
        TBusyScope busy(*status_, "Shutting down fax...");
        if (!settings_.resetting.afterString.empty()) {
            busy.setText("Sending AFTER reset string...");
        }
    }
    setReceiveMode(false);
}

void TMainScreen::openViewer(const QString& path, const QString& description) {
    Q_UNUSED(path);
    Q_UNUSED(description);
    notAvailableYet("The fax viewer");
}

void TMainScreen::openPhoneBook() {
    notAvailableYet("The phone book");
}

void TMainScreen::openCoverDesigner() {
    notAvailableYet("The cover sheet template designer");
}

void TMainScreen::openPreferences() {
    notAvailableYet("Preferences");
}

void TMainScreen::openQuickSetup() {
    notAvailableYet("Quick setup");
}

void TMainScreen::showConfigurationReport() {
    notAvailableYet("The configuration report");
}

bool TMainScreen::processPrintDriverFiles() {
    return false;
}

void TMainScreen::writePrintDriverSettings() {}

void TMainScreen::postPlayReceiveSound() {
    QMetaObject::invokeMethod(this, &TMainScreen::playReceiveSound, Qt::QueuedConnection);
}

void TMainScreen::playReceiveSound() {
    if (!settings_.receive.wav.empty()) {
        notAvailableYet("The receive notification sound");
    }
}

}  // namespace px
