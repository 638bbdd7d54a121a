// What the desktop adds to receive mode, gathered for the main window: the
// notification, the receipt command and the tray icon, each a listener of the
// incoming workflow.
#pragma once

#include <memory>

#include "app/desktop/receipt_command.h"
#include "app/desktop/receive_tray.h"
#include "app/desktop/received_fax_notifier.h"

namespace px {

class TIncomingWorkflow;

class TDesktopReceiving {
public:
    TDesktopReceiving(QWidget& window, const ReceiveSettings& settings,
                      TReceivedFaxNotifier::Open open, TReceiptCommand::Report report);

    // Registers the three with the workflow, which must not outlive them.
    void listenTo(TIncomingWorkflow& workflow);

    TReceivedFaxNotifier& notifier() { return *notifier_; }
    TReceiptCommand& command() { return *command_; }
    TReceiveTray& tray() { return *tray_; }

private:
    std::unique_ptr<TReceivedFaxNotifier> notifier_;
    std::unique_ptr<TReceiptCommand> command_;
    std::unique_ptr<TReceiveTray> tray_;
};

}  // namespace px
