// A font as the components hold it without a GUI library: what the send
// form's font settings describe, turned into a real font by the layer that
// draws with it.
#pragma once

#include <cstdint>
#include <string>

namespace px {

struct TPxFontDescription {
    std::string Name = "Arial";
    // As the Windows font height: negative = the characters' height in
    // pixels, positive = the whole cell's height, 0 = the default size.
    int Height = -13;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    uint32_t Color = 0;  // 0x00BBGGRR; pages are black and white, so only stored

    bool operator==(const TPxFontDescription&) const = default;
};

}  // namespace px
