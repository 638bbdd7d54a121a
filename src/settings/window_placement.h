// Window placements kept in PX.INI, one section per form and screen resolution.
#pragma once

#include <string>
#include <string_view>

#include "settings/ini_file.h"

namespace px {

struct PlacementRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PlacementRect&) const = default;
};

struct WindowPlacement {
    PlacementRect rect;
    bool maximized = false;
};

// What a form does with its saved placement when it is created.
struct PlacementToApply {
    PlacementRect rect;   // moved back onto the screen
    bool centre = false;  // nothing was saved: centre the form instead
    bool maximized = false;
};

// "<class>_Placement", with the logical resolution appended above 96 pixels per inch.
std::string placementSection(std::string_view formClass, int logicalDpi);

void savePlacement(IniFile& ini, std::string_view formClass, int logicalDpi,
                   const WindowPlacement& placement);

// Reads the saved placement and moves it onto a screen of the given size: an
// edge past the right (bottom) side moves the rectangle back by the excess, and
// one that then lies left of (above) the screen moves it to 1.
PlacementToApply loadPlacement(const IniFile& ini, std::string_view formClass, int logicalDpi,
                               bool currentlyMaximized, int screenWidth, int screenHeight);

}  // namespace px
