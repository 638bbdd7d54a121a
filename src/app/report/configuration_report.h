// The configuration report: the settings, the program folder and the modem's
// answers in a text the user can save and send.
#pragma once

#include "app/host/workflow_host.h"

namespace px {

class TConfigurationReport {
public:
    explicit TConfigurationReport(TWorkflowHost& host) : host_(host) {}

    void show();

private:
    TWorkflowHost& host_;
};

}  // namespace px
