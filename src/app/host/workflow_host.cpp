#include "app/host/workflow_host.h"

#include "app/host/user_prompts.h"

namespace px {

bool refuseInReceiveMode(TWorkflowHost& host) {
    if (!host.receiveMode()) {
        return false;
    }
    host.prompts().information(host.dialogParent(), messageText(kReceiveModeRefusal));
    return true;
}

}  // namespace px
