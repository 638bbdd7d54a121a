// Help > Configuration Information: gathers the facts of this machine and
// the program, and shows them in the report window.
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
