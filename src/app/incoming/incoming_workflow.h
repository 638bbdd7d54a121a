// The incoming fax workflow: receive mode started and stopped (also when the
// program closes), the notification sound, and the received faxes' notes and
// deletion.
#pragma once

#include <vector>

#include "app/host/workflow_host.h"
#include "app/incoming/receive_mode_listener.h"

namespace px {

class TIncomingWorkflow {
public:
    explicit TIncomingWorkflow(TWorkflowHost& host) : host_(host) {}

    void startReceiveMode();
    void stopReceiveMode();
    // Ends receive mode as the program closes, whatever happens on the way.
    void endReceiveModeForClose();
    void editNotes();
    // Deletes the current received fax with its file.
    void deleteFax();
    // Plays Receive/Wav once the current event has been handled.
    void postPlayReceiveSound();
    void playReceiveSound();

    // Listeners are not owned; each must outlive the workflow or be removed.
    void addListener(TReceiveModeListener* listener) { listeners_.push_back(listener); }

private:
    TWorkflowHost& host_;
    std::vector<TReceiveModeListener*> listeners_;
};

}  // namespace px
