#include "app/preferences/preferences_workflow.h"

namespace px {

bool TPreferencesWorkflow::openPreferences() {
    notAvailableYet(host_, "Preferences");
    return false;
}

void TPreferencesWorkflow::openQuickSetup() {
    notAvailableYet(host_, "Quick setup");
}

}  // namespace px
