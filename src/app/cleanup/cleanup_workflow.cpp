#include "app/cleanup/cleanup_workflow.h"

#include "app/cleanup/dm_form.h"

namespace px {

bool TCleanupWorkflow::run() {
    bool deleted = false;
    {
        TDMForm form(host_, host_.dialogParent());
        form.exec();
        deleted = form.somethingDeleted();
    }
    host_.refreshLog(TMainPage::Outgoing);
    host_.refreshLog(TMainPage::Incoming);
    host_.evaluateCommands();
    return deleted;
}

}  // namespace px
