// What happens in receive mode, told to those that want to know: the desktop
// notification, the receipt command, the tray icon. Listeners are called on
// the main thread, after the fax's record has been saved.
#pragma once

#include <QString>

namespace px {

struct TReceivedFaxInfo {
    QString path;       // the fax file, full path in the Receive folder
    QString stationId;  // the sender's ID as received; plain text, may be empty
    int pages = 0;
};

class TReceiveModeListener {
public:
    virtual ~TReceiveModeListener() = default;
    virtual void receiveModeStarted() {}
    virtual void faxReceived(const TReceivedFaxInfo& fax) { (void)fax; }
    virtual void receiveModeStopped() {}
};

}  // namespace px
