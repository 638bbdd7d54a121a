#include "app/main_window/outgoing_log_model.h"

#include <QDate>
#include <QLocale>

#include "app/tables/grid_layout.h"

namespace px {

namespace {

std::vector<TLogColumn> outgoingColumns() {
    std::vector<TLogColumn> columns;
    const TGridLayout layout = TGridLayout::outgoingDefault();
    for (const TGridField* field : layout.columns()) {
        columns.push_back({field->name, QString::fromStdString(field->title), field->width});
    }
    return columns;
}

}  // namespace

QString shortDateText(const TXbDate& date) {
    if (date.empty()) {
        return {};
    }
    return QLocale::system().toString(QDate(date.year, date.month, date.day), QLocale::ShortFormat);
}

TOutgoingLogModel::TOutgoingLogModel(TLogTable& log, QObject* parent)
    : TLogModel(log, outgoingColumns(), parent) {}

QString TOutgoingLogModel::cellText(const TLogColumn& column) const {
    if (column.field == "DATESENT") {
        return shortDateText(log().table().value("DATESENT").date);
    }
    return TLogModel::cellText(column);
}

}  // namespace px
