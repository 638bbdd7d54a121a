// The workflow over the real modem probing windows, kept apart so that tests
// of the workflow, which hand in probing of their own, do not link the windows.
#include "app/modemprobe/modem_probing.h"
#include "app/preferences/preferences_workflow.h"

namespace px {

TPreferencesWorkflow::TPreferencesWorkflow(TWorkflowHost& host)
    : TPreferencesWorkflow(host, [] { return makeModemProbing(); }) {}

}  // namespace px
