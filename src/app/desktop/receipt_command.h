// The receipt command: a program of the user's started for each received fax
// with the file path, the sender's ID and the page count as three arguments.
// It is started directly (no shell sees the sender's ID) and not waited for;
// a program that cannot be started is reported, and receiving goes on.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "app/incoming/receive_mode_listener.h"

namespace px {

struct ReceiveSettings;

class TReceiptCommand : public TReceiveModeListener {
public:
    using Report = std::function<void(const QString&)>;

    // `settings` is read at each fax, so a changed Receive/Command applies to
    // the next one.
    TReceiptCommand(const ReceiveSettings& settings, Report report);

    void faxReceived(const TReceivedFaxInfo& fax) override;

    // The program to start, with a leading "~/" taken as the home folder.
    static QString programPath(const std::string& command);
    // Path, station ID, pages: what the program gets as arguments.
    static QStringList arguments(const TReceivedFaxInfo& fax);

private:
    const ReceiveSettings& settings_;
    Report report_;
};

// "The receipt command could not be started: PROGRAM (REASON)".
QString receiptCommandFailure(const QString& program, const QString& reason);

}  // namespace px
