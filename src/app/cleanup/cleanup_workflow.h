// The fax log cleanup: deleting faxes in bulk, by date, state, name or number.
#pragma once

#include "app/host/workflow_host.h"

namespace px {

class TCleanupWorkflow {
public:
    explicit TCleanupWorkflow(TWorkflowHost& host) : host_(host) {}

    // Runs the "Fax Log Cleanup Utility" window, then shows both logs afresh;
    // true when it deleted faxes and the indexes should be rebuilt.
    bool run();

private:
    TWorkflowHost& host_;
};

}  // namespace px
