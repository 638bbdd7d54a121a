// The outgoing grid's model: the columns of the saved grid layout's default
// (table fields with a grid title, then "Fax File").
#pragma once

#include "app/main_window/log_model.h"

namespace px {

class TOutgoingLogModel : public TLogModel {
    Q_OBJECT

public:
    explicit TOutgoingLogModel(TLogTable& log, QObject* parent = nullptr);

protected:
    QString cellText(const TLogColumn& column) const override;
};

// A date field in the system's short date format; blank for the empty date.
QString shortDateText(const TXbDate& date);

}  // namespace px
