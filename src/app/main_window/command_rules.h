// Which commands of the main window are enabled, from the visible page and
// the two logs' current records. Re-evaluated after every command, tab change
// and log change.
#pragma once

#include "app/host/workflow_host.h"

namespace px {

struct TCommandInputs {
    TMainPage page = TMainPage::Outgoing;
    bool outgoingCurrent = false;  // the outgoing log has a record under the cursor
    bool incomingCurrent = false;
    bool outgoingHasCover = false;  // FAXCOVER of the current outgoing record is set
    bool currentArchived = false;   // the visible page's current record is archived
    bool sendWasEnabled = false;    // the incoming page leaves Send as it was
};

struct TCommandStates {
    bool sort = true;
    bool send = false;
    bool newCover = false;
    bool edit = false;
    bool del = false;
    bool view = false;
    bool addCover = false;
    bool archive = false;
    bool clone = false;
    bool forward = false;
    bool outgoingGrid = false;
    bool incomingGrid = false;
    bool archiveReadsUnarchive = false;
    bool operator==(const TCommandStates&) const = default;
};

TCommandStates evaluateCommands(const TCommandInputs& in);

// Captions and hints of the Archive button and menu entry.
inline constexpr const char* kArchiveCaption = "&Archive";
inline constexpr const char* kUnarchiveCaption = "Un&Archive";
inline constexpr const char* kArchiveHint =
    "Archive this fax [CTRL+A]\r(This makes the fax invisible, but does not\rdelete it. You can "
    "view archived faxes by\rtoggling the File..Show Archived Faxes menu)";
inline constexpr const char* kUnarchiveHint = "Unarchive this fax [CTRL+A]";

}  // namespace px
