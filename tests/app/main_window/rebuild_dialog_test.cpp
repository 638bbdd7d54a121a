#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include "app/main_window/rebuild_dialog.h"
#include "app/tables/index_rebuild.h"
#include "support/accessibility.h"

namespace px {
namespace {

TEST(RebuildDialog, ShowsEachStepDrivesTheGaugeAndReportsAFailure) {
    TRebuildDialog ok(nullptr, [](const TRebuildProgress& progress) {
        progress.status("Removing FAX file records marked for deletion");
        progress.gauge(40);
        progress.status("Rebuilding FAX file indexes");
        progress.gauge(100);
    });
    EXPECT_TRUE(ok.run().isEmpty());
    EXPECT_EQ(ok.stepsShown(), QStringList({"Removing FAX file records marked for deletion",
                                            "Rebuilding FAX file indexes"}));
    EXPECT_EQ(ok.gauge()->value(), 100);
    EXPECT_FALSE(ok.isVisible()) << "the dialog closes itself";

    TRebuildDialog failing(nullptr, [](const TRebuildProgress&) {
        throw std::runtime_error("Cannot write PXOUT.CDX");
    });
    EXPECT_EQ(failing.run(), "Cannot write PXOUT.CDX");
    EXPECT_FALSE(failing.isVisible());
}

TEST(RebuildDialog, EveryControlHasAnAccessibleName) {
    std::string unnamed = "not shown";
    TRebuildDialog dialog(nullptr, [&](const TRebuildProgress& progress) {
        progress.status("Rebuilding FAX file indexes");
        progress.gauge(50);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<TRebuildDialog*>(w) != nullptr && w->isVisible()) {
                unnamed = test::unnamedControls(w);
            }
        }
    });
    EXPECT_TRUE(dialog.run().isEmpty());
    EXPECT_EQ(unnamed, "");
}

}  // namespace
}  // namespace px
