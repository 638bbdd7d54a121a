#include "app/main_window/incoming_log_model.h"

#include "app/main_window/outgoing_log_model.h"

namespace px {

namespace {

std::vector<TLogColumn> incomingColumns() {
    return {{"DATEREC", QStringLiteral("Date Rec'd"), 74},
            {"TIMEREC", QStringLiteral("Time Rec'd"), 74},
            {"FROM", QStringLiteral("From"), 144},
            {"PAGES", QStringLiteral("Pages"), 46},
            {"calcFaxFile", QStringLiteral("Fax File"), 284},
            {"NOTES", QStringLiteral("Notes"), 284}};
}

}  // namespace

TIncomingLogModel::TIncomingLogModel(TLogTable& log, QObject* parent)
    : TLogModel(log, incomingColumns(), parent) {}

QString TIncomingLogModel::cellText(const TLogColumn& column) const {
    if (column.field == "DATEREC") {
        return shortDateText(log().table().value("DATEREC").date);
    }
    if (column.field == "PAGES") {
        return QString::number(static_cast<int>(log().table().value("PAGES").number));
    }
    return TLogModel::cellText(column);
}

}  // namespace px
