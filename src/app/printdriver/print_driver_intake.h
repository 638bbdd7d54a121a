// The print-driver intake: fax files other programs printed into the SEND
// folder become outgoing faxes, and the hand-off settings file tells the
// print driver where to put them.
#pragma once

#include "app/host/workflow_host.h"

namespace px {

class TPrintDriverIntake {
public:
    explicit TPrintDriverIntake(TWorkflowHost& host) : host_(host) {}

    // Takes in the files waiting in SEND; true when faxes were added.
    bool processWaitingFiles();
    // Writes the hand-off settings file.
    void writeSettingsFile();

private:
    TWorkflowHost& host_;
};

}  // namespace px
