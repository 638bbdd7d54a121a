#include "app/desktop/desktop_receiving.h"

#include "app/incoming/incoming_workflow.h"

namespace px {

TDesktopReceiving::TDesktopReceiving(QWidget& window, const ReceiveSettings& settings,
                                     TReceivedFaxNotifier::Open open,
                                     TReceiptCommand::Report report)
    : notifier_(std::make_unique<TReceivedFaxNotifier>(std::move(open))),
      command_(std::make_unique<TReceiptCommand>(settings, std::move(report))),
      tray_(std::make_unique<TReceiveTray>(window, settings)) {}

void TDesktopReceiving::listenTo(TIncomingWorkflow& workflow) {
    workflow.addListener(notifier_.get());
    workflow.addListener(command_.get());
    workflow.addListener(tray_.get());
}

}  // namespace px
