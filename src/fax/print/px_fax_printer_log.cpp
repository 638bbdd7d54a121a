#include "fax/print/px_fax_printer_log.h"

#include <QFile>
#include <QLocale>

#include "common/px_exceptions.h"

namespace px {

namespace {

constexpr const char* kLineEnd = "\r\n";

const char* eventWord(TFaxPLCode code) {
    switch (code) {
        case lcStart:
            return "started";
        case lcFinish:
            return "finished";
        case lcAborted:
            return "aborted";
        case lcFailed:
            return "failed";
    }
    return "failed";
}

}  // namespace

QByteArray TPxCustomFaxPrinterLog::logText(TFaxPLCode code, const QString& faxFileName,
                                           const QDateTime& when) {
    const QLocale locale = QLocale::system();
    const QString stamp = locale.toString(when.date(), QLocale::ShortFormat) + " " +
                          locale.toString(when.time(), QLocale::LongFormat);
    QByteArray text =
        ("Printing " + faxFileName + " " + eventWord(code) + " at " + stamp).toLocal8Bit();
    text += kLineEnd;
    if (code != lcStart) {
        // A job's lines end with an empty line, so the jobs stand apart.
        text += kLineEnd;
    }
    return text;
}

void TPxCustomFaxPrinterLog::updateLog(TFaxPLCode code, const QString& faxFileName,
                                       const QDateTime& when) const {
    if (logFileName_.isEmpty()) {
        return;
    }
    QFile file(logFileName_);
    const QByteArray text = logText(code, faxFileName, when);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(text) != text.size() ||
        !file.flush()) {
        throwPxException(ecDeviceWriteFault, "Cannot write the print log " +
                                                 logFileName_.toStdString() + ": " +
                                                 file.errorString().toStdString());
    }
}

}  // namespace px
