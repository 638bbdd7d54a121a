#include "app/report/configuration_report.h"

#include <QApplication>
#include <QCursor>

#include "app/report/configuration_gatherer.h"
#include "app/report/configuration_info.h"
#include "app/report/configuration_lines.h"
#include "settings/program_folder.h"

namespace px {

void TConfigurationReport::show() {
    TConfigurationFacts facts;
    // Asking the modem takes a few seconds at most.
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    try {
        facts = gatherConfigurationFacts(host_);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    TConfigurationInfo window(configurationReportLines(facts, host_.settings()),
                              QString::fromStdString(host_.folder().path()), host_.dialogParent());
    window.exec();
}

}  // namespace px
