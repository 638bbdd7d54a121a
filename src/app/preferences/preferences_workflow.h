// Preferences: the preference wizard and the quick setup of a first run.
#pragma once

#include "app/host/workflow_host.h"

namespace px {

class TPreferencesWorkflow {
public:
    explicit TPreferencesWorkflow(TWorkflowHost& host) : host_(host) {}

    // Runs the preference wizard; true when it ended with Finish.
    bool openPreferences();
    void openQuickSetup();

private:
    TWorkflowHost& host_;
};

}  // namespace px
