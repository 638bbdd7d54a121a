#include "app/preferences/preferences_workflow.h"

namespace px {

void TPreferencesWorkflow::openPreferences() {
    notAvailableYet(host_, "Preferences");
}

void TPreferencesWorkflow::openQuickSetup() {
    notAvailableYet(host_, "Quick setup");
}

}  // namespace px
