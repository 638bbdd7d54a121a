#include "app/cleanup/cleanup_workflow.h"

namespace px {

bool TCleanupWorkflow::run() {
    notAvailableYet(host_, "Fax Log Cleanup");
    return false;
}

}  // namespace px
