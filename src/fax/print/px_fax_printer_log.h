// The printer's log file ("FAXPRINT.LOG"): one line per started print job and
// one per finished, aborted or failed one, CR LF line ends.
#pragma once

#include <QDateTime>
#include <QString>

namespace px {

// Log events of a print job, in the order of their codes.
enum TFaxPLCode : int {
    lcStart = 0,
    lcFinish = 1,
    lcAborted = 2,
    lcFailed = 3,
};

class TPxCustomFaxPrinterLog {
public:
    virtual ~TPxCustomFaxPrinterLog() = default;

    // Empty: nothing is written.
    const QString& logFileName() const { return logFileName_; }
    void setLogFileName(const QString& name) { logFileName_ = name; }

    // Appends the lines of a log event, creating the file when it does not
    // exist; raises EInOutError when the file cannot be written.
    void updateLog(TFaxPLCode code, const QString& faxFileName,
                   const QDateTime& when = QDateTime::currentDateTime()) const;

    // The text updateLog appends, line ends included.
    static QByteArray logText(TFaxPLCode code, const QString& faxFileName, const QDateTime& when);

private:
    QString logFileName_ = "FAXPRINT.LOG";
};

class TPxFaxPrinterLog : public TPxCustomFaxPrinterLog {};

}  // namespace px
