#include "settings/window_placement.h"

namespace px {

namespace {

// Moves the span [low, high] back inside [.., limit], then off the negative side.
void clampSpan(int& low, int& high, int limit) {
    if (high > limit) {
        int excess = high - limit;
        low -= excess;
        high = limit;
    }
    if (low < 0) {
        int shift = 1 - low;
        low += shift;
        high += shift;
    }
}

}  // namespace

std::string placementSection(std::string_view formClass, int logicalDpi) {
    std::string section = std::string(formClass) + "_Placement";
    if (logicalDpi > 96)
        section += std::to_string(logicalDpi);
    return section;
}

void savePlacement(IniFile& ini, std::string_view formClass, int logicalDpi,
                   const WindowPlacement& placement) {
    std::string sec = placementSection(formClass, logicalDpi);
    ini.writeInteger(sec, "Left", placement.rect.left);
    ini.writeInteger(sec, "Top", placement.rect.top);
    ini.writeInteger(sec, "Right", placement.rect.right);
    ini.writeInteger(sec, "Bottom", placement.rect.bottom);
    ini.writeBool(sec, "Maximized", placement.maximized);
}

PlacementToApply loadPlacement(const IniFile& ini, std::string_view formClass, int logicalDpi,
                               bool currentlyMaximized, int screenWidth, int screenHeight) {
    std::string sec = placementSection(formClass, logicalDpi);
    PlacementToApply out;
    PlacementRect& r = out.rect;
    r.left = ini.readInteger(sec, "Left", 0);
    r.top = ini.readInteger(sec, "Top", 0);
    r.right = ini.readInteger(sec, "Right", 0);
    r.bottom = ini.readInteger(sec, "Bottom", 0);
    out.maximized = ini.readBool(sec, "Maximized", currentlyMaximized);
    clampSpan(r.left, r.right, screenWidth);
    clampSpan(r.top, r.bottom, screenHeight);
    out.centre = ini.readInteger(sec, "Bottom", 0) == 0;
    return out;
}

}  // namespace px
