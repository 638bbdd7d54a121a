#include "app/main_window/command_rules.h"

namespace px {

TCommandStates evaluateCommands(const TCommandInputs& in) {
    TCommandStates s;
    s.sort = true;
    s.outgoingGrid = in.outgoingCurrent;
    s.incomingGrid = in.incomingCurrent;
    switch (in.page) {
        case TMainPage::Outgoing:
            s.send = in.outgoingCurrent;
            s.newCover = true;
            s.edit = s.del = s.view = s.archive = in.outgoingCurrent;
            s.addCover = in.outgoingCurrent && !in.outgoingHasCover;
            s.clone = in.outgoingCurrent;
            s.forward = false;
            s.archiveReadsUnarchive = in.outgoingCurrent && in.currentArchived;
            break;
        case TMainPage::Incoming:
            s.send = in.sendWasEnabled;
            s.newCover = false;
            s.edit = s.del = s.view = s.archive = in.incomingCurrent;
            s.addCover = false;
            s.clone = false;
            s.forward = in.incomingCurrent;
            s.archiveReadsUnarchive = in.incomingCurrent && in.currentArchived;
            break;
    }
    return s;
}

}  // namespace px
