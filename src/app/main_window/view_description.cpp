#include "app/main_window/view_description.h"

#include <QLocale>
#include <QTime>

#include "app/main_window/outgoing_log_model.h"

namespace px {

namespace {

// The description's fields are set apart by runs of blanks, as printed.
constexpr const char* kGap = "             ";

}  // namespace

QString shortTimeText(const std::string& hhmm) {
    const QTime time = QTime::fromString(QString::fromStdString(hhmm).trimmed(), "H:mm");
    if (!time.isValid()) {
        return QStringLiteral("???");
    }
    return QLocale::system().toString(time, QLocale::ShortFormat);
}

QString outgoingDateText(const TXbDate& dateSent, const std::string& timeSent, const QDate& today) {
    if (dateSent.empty()) {
        return QStringLiteral("not sent");
    }
    const QDate sent(dateSent.year, dateSent.month, dateSent.day);
    if (sent.daysTo(today) > kNotSentAfterDays) {
        return QStringLiteral("not sent");
    }
    return shortDateText(dateSent) + " at " + shortTimeText(timeSent);
}

QString incomingDateText(const TXbDate& dateRec, const std::string& timeRec) {
    return shortDateText(dateRec) + " at " + shortTimeText(timeRec);
}

QString outgoingViewDescription(const std::string& recipient, const QString& dateText,
                                const std::string& documentPath) {
    return "To: " + QString::fromStdString(recipient) + kGap + "Sent: " + dateText + kGap +
           "Fax File: " + QString::fromStdString(documentPath);
}

QString incomingViewDescription(const std::string& from, const QString& dateText,
                                const std::string& filePath) {
    return "From: " + QString::fromStdString(from) + kGap + "Received: " + dateText + kGap +
           "Fax File: " + QString::fromStdString(filePath);
}

}  // namespace px
