#include "settings/window_placement.h"

#include <gtest/gtest.h>

namespace px {
namespace {

TEST(WindowPlacement, SectionNamePerResolution) {
    EXPECT_EQ(placementSection("TMainScreen", 96), "TMainScreen_Placement");
    EXPECT_EQ(placementSection("TMainScreen", 72), "TMainScreen_Placement");
    EXPECT_EQ(placementSection("TMainScreen", 120), "TMainScreen_Placement120");
}

TEST(WindowPlacement, EachResolutionKeepsItsOwn) {
    IniFile ini;
    savePlacement(ini, "TMainScreen", 96, {{10, 20, 610, 420}, false});
    savePlacement(ini, "TMainScreen", 120, {{5, 5, 805, 605}, true});
    auto at96 = loadPlacement(ini, "TMainScreen", 96, false, 1920, 1080);
    auto at120 = loadPlacement(ini, "TMainScreen", 120, false, 1920, 1080);
    EXPECT_EQ(at96.rect, (PlacementRect{10, 20, 610, 420}));
    EXPECT_FALSE(at96.maximized);
    EXPECT_EQ(at120.rect, (PlacementRect{5, 5, 805, 605}));
    EXPECT_TRUE(at120.maximized);
    EXPECT_FALSE(at96.centre);
}

TEST(WindowPlacement, ClampsOntoASmallerScreen) {
    struct Row {
        PlacementRect saved;
        int width, height;
        PlacementRect expected;
    } rows[] = {
        // Right edge beyond the screen: moved left by the excess.
        {{900, 100, 1300, 400}, 1024, 768, {624, 100, 1024, 400}},
        // Wider than the screen: left would become negative and ends at 1, not 0.
        {{100, 100, 1300, 400}, 1024, 768, {1, 100, 1201, 400}},
        // Bottom beyond the screen, then the top negative.
        {{10, 600, 210, 1000}, 1024, 768, {10, 368, 210, 768}},
        {{10, 0, 210, 900}, 1024, 768, {10, 1, 210, 901}},
        // Already on screen: unchanged; a negative left alone is moved to 1.
        {{10, 10, 100, 100}, 1024, 768, {10, 10, 100, 100}},
        {{-50, 10, 100, 100}, 1024, 768, {1, 10, 151, 100}},
    };
    for (const Row& r : rows) {
        IniFile ini;
        savePlacement(ini, "TViewerForm", 96, {r.saved, false});
        auto out = loadPlacement(ini, "TViewerForm", 96, false, r.width, r.height);
        EXPECT_EQ(out.rect, r.expected) << r.saved.left << "," << r.saved.top;
    }
}

TEST(WindowPlacement, NothingSavedMeansCentreAndCurrentMaximizedState) {
    IniFile ini;
    auto out = loadPlacement(ini, "TMainScreen", 96, true, 1024, 768);
    EXPECT_TRUE(out.centre);
    EXPECT_TRUE(out.maximized) << "Maximized defaults to the form's current state";
    ini.writeInteger("TMainScreen_Placement", "Maximized", 0);
    EXPECT_FALSE(loadPlacement(ini, "TMainScreen", 96, true, 1024, 768).maximized);
}

}  // namespace
}  // namespace px
