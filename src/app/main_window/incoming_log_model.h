// The incoming grid's model: date and time received, sender, pages, the
// received file and the user's notes.
#pragma once

#include "app/main_window/log_model.h"

namespace px {

class TIncomingLogModel : public TLogModel {
    Q_OBJECT

public:
    explicit TIncomingLogModel(TLogTable& log, QObject* parent = nullptr);

protected:
    QString cellText(const TLogColumn& column) const override;
};

}  // namespace px
