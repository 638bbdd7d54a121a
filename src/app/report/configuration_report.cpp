#include "app/report/configuration_report.h"

namespace px {

void TConfigurationReport::show() {
    notAvailableYet(host_, "The configuration report");
}

}  // namespace px
