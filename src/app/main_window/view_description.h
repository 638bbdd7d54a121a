// Texts of View/Print: the date text of a fax and the description line the
// viewer prints under each page.
#pragma once

#include <QDate>
#include <QString>
#include <string>

#include "xbase/xb_value.h"

namespace px {

// A fax sent longer ago than this reads "not sent" (a blank date always does).
inline constexpr int kNotSentAfterDays = 2000;

// "hh:mm" in the system's short time format; "???" when it is not a time.
QString shortTimeText(const std::string& hhmm);

// Outgoing: "not sent", else date + " at " + time.
QString outgoingDateText(const TXbDate& dateSent, const std::string& timeSent, const QDate& today);
// Incoming: date + " at " + time.
QString incomingDateText(const TXbDate& dateRec, const std::string& timeRec);

QString outgoingViewDescription(const std::string& recipient, const QString& dateText,
                                const std::string& documentPath);
QString incomingViewDescription(const std::string& from, const QString& dateText,
                                const std::string& filePath);

inline constexpr const char* kViewPrintTitle = "Fax printout";

}  // namespace px
