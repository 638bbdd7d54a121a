#include "app/quickfax/quick_fax_form.h"

#include <algorithm>

namespace px {

QString templateFileName(const QString& stored) {
    const qsizetype slash =
        std::max(stored.lastIndexOf(QLatin1Char('/')), stored.lastIndexOf(QLatin1Char('\\')));
    return stored.mid(slash + 1);
}

}  // namespace px
