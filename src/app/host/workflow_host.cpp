#include "app/host/workflow_host.h"

#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"

namespace px {

bool refuseInReceiveMode(TWorkflowHost& host) {
    if (!host.receiveMode()) {
        return false;
    }
    host.prompts().information(host.dialogParent(), messageText(kReceiveModeRefusal));
    return true;
}

void notAvailableYet(TWorkflowHost& host, const QString& function) {
    host.statusPanel().showNote(function + " is not available yet.");
}

}  // namespace px
