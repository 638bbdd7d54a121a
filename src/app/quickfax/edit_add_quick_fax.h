// EditAddQuickFax: a new cover-sheet fax, a cover added to the current
// outgoing fax, or that fax's cover changed. The cover sheet editor collects
// the values; on Save the cover page is rendered into SEND, its data file
// written beside it and the log record filled in, so that the three always
// agree. Cancel writes nothing.
#pragma once

#include <functional>

#include "app/quickfax/quick_fax_form.h"

namespace px {

class TWorkflowHost;

// Shows the cover sheet editor over `form`; true, with the edited values in
// `form`, when the user saved. Tests put a scripted editor in its place.
using TQuickFaxEditor = std::function<bool(TWorkflowHost& host, TQuickFaxForm& form)>;
bool runQuickFaxEditor(TWorkflowHost& host, TQuickFaxForm& form);
// The same editor with its Help button (and the phone book's) opening `help`.
TQuickFaxEditor quickFaxEditor(std::function<void()> help);

inline constexpr const char* kRenderingCover = "Rendering fax cover sheet...";

// `isNew` makes a new outgoing record; otherwise the current outgoing record
// gets the cover (or its cover is edited in place, keeping its file name).
// A failure to render or store the cover is shown as a message and leaves
// the log and the SEND folder as they were. Returns whether it was saved.
bool EditAddQuickFax(TWorkflowHost& host, bool isNew,
                     const TQuickFaxEditor& editor = runQuickFaxEditor);

}  // namespace px
