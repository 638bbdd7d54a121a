// The filter text both logs share: archived faxes are hidden at start, and
// File > Show Archived Faxes switches between showing all and hiding them.
#pragma once

#include <string>

namespace px {

class TArchiveFilter {
public:
    const std::string& text() const { return text_; }
    bool showsArchived() const { return text_.empty(); }
    // Empty filter (all records) <-> ".not. ARCHIVED".
    void toggle() { text_ = text_.empty() ? ".not. ARCHIVED" : ""; }

private:
    std::string text_ = ".not. archived";
};

}  // namespace px
