// The print-driver intake: fax files the print queue put into the SEND folder
// become outgoing faxes, and the hand-off settings file PXPD.INI tells the
// queue where to put them.
//
// A job is the pair NAME.APF + NAME.nqh (extensions in any letter case). It is
// taken in only when both are plain files in SEND itself (a symbolic link is
// refused, whatever it points to) and the fax file is complete: a file still
// being written is left for a later look. While the program runs it watches
// SEND, so a job appears without the window being activated.
#pragma once

#include <QFileSystemWatcher>
#include <QTimer>
#include <string>

#include "app/host/workflow_host.h"
#include "settings/print_handoff.h"

namespace px {

// What became of one hand-off.
enum class TIntakeResult {
    Taken,      // a new outgoing fax; the hand-off file is gone
    NoFaxFile,  // no NAME.APF: the hand-off file stays for a later look
    NotReady,   // the fax file is still being written: both stay
    Refused,    // a name or file that is not taken in: both stay untouched
    NotLogged,  // the log refused the record: both stay for a later look
};

class TPrintDriverIntake {
public:
    explicit TPrintDriverIntake(TWorkflowHost& host);

    // Takes in every job waiting in SEND and reopens the outgoing log once
    // when any was taken; true when faxes were added.
    bool processWaitingFiles();
    // One job, named by its base name (the hand-off file without ".nqh").
    TIntakeResult processOnePrintFile(const std::string& baseName);
    // Writes both keys of PXPD.INI; a file that cannot be written is left as it is.
    void writeSettingsFile();
    // Watches SEND from now on: new jobs are taken in as they arrive.
    void watchSendFolder();
    // Whether a job was left because its fax file was not complete yet.
    bool waitingForFiles() const { return waiting_; }

private:
    void sendFolderChanged();

    TWorkflowHost& host_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    bool busy_ = false;
    bool waiting_ = false;
};

// Whether the APF file open at `fd` is complete: its header counts at least
// one page, and the pages it counts fill the file exactly.
bool isCompleteApf(int fd);

}  // namespace px
