// The outgoing fax workflow: new cover sheets, covers added and edited,
// clones, forwarded faxes, archiving (on either log), deleting, and sending.
#pragma once

#include "app/host/workflow_host.h"
#include "app/quickfax/edit_add_quick_fax.h"

namespace px {

inline constexpr const char* kSendRefusedInReceiveMode =
    "You are in Fax Receive mode. You cannot send\rwhile in Fax Receive mode. Click the Stop "
    "button to end\rFax Receive mode";
inline constexpr const char* kSendFromIncomingPage =
    "Please switch to the Outgoing Faxes tab\rand highlight a fax to send";

class TOutgoingWorkflow {
public:
    explicit TOutgoingWorkflow(TWorkflowHost& host) : host_(host) {}

    void newCoverSheet();
    void addCoverSheet();
    // Edit of an outgoing fax: its cover sheet, or its fax information.
    void edit();
    void clone();
    void forwardReceivedFax();
    // Archives or unarchives the current fax of either log, after asking.
    void archive(TMainPage page);
    // Deletes the current outgoing fax, its cover, or its document, with the files.
    void deleteFax();
    void send();

    // The cover sheet editor New, Add Cover and Edit show (the real dialog
    // unless a test scripts it).
    void setQuickFaxEditor(TQuickFaxEditor editor) { quickFaxEditor_ = std::move(editor); }

private:
    TWorkflowHost& host_;
    TQuickFaxEditor quickFaxEditor_ = runQuickFaxEditor;
};

}  // namespace px
