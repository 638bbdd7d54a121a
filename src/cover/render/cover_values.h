// The values one cover is made with: nine texts in field-type order and the
// five importance boxes.
#pragma once

#include <QDateTime>
#include <QString>
#include <array>

#include "cover/objects/cover_types.h"

namespace px {

enum class TImportance { Urgent, ForReview, PleaseComment, PleaseReply, PleaseRecycle };

struct TCoverValues {
    std::array<QString, kFieldTypeCount> values;
    std::array<bool, kImportanceCount> importance{};

    QString& operator[](TCoverFieldType t) { return values[static_cast<std::size_t>(t)]; }
    const QString& operator[](TCoverFieldType t) const {
        return values[static_cast<std::size_t>(t)];
    }
    bool& operator[](TImportance i) { return importance[static_cast<std::size_t>(i)]; }
    bool anyImportance() const;

    // The sample values of a template's preview picture at `now`.
    static TCoverValues preview(const QDateTime& now);
};

// The date and time as a cover shows them ("December 8, 2026", "1:42:56 PM").
QString coverDateText(const QDate& date);
QString coverTimeText(const QTime& time);

}  // namespace px
