#include "cover/render/cover_values.h"

#include <QLocale>
#include <algorithm>

namespace px {

bool TCoverValues::anyImportance() const {
    return std::any_of(importance.begin(), importance.end(), [](bool b) { return b; });
}

TCoverValues TCoverValues::preview(const QDateTime& now) {
    TCoverValues v;
    v[TCoverFieldType::cfDate] = coverDateText(now.date());
    v[TCoverFieldType::cfTime] = coverTimeText(now.time());
    v[TCoverFieldType::cfRegarding] = QStringLiteral("Regarding");
    v[TCoverFieldType::cfRecipient] = QStringLiteral("Recipient Name");
    v[TCoverFieldType::cfRecipientFax] = QStringLiteral("Recipient Fax #");
    v[TCoverFieldType::cfSender] = QStringLiteral("Your Name");
    v[TCoverFieldType::cfSenderCompany] = QStringLiteral("Your Company");
    v[TCoverFieldType::cfSenderFax] = QStringLiteral("Your Fax #");
    v[TCoverFieldType::cfSenderVoice] = QStringLiteral("Your voice #");
    v[TImportance::Urgent] = true;
    return v;
}

QString coverDateText(const QDate& date) {
    return QLocale::c().toString(date, QStringLiteral("MMMM d, yyyy"));
}

QString coverTimeText(const QTime& time) {
    return QLocale::c().toString(time, QStringLiteral("h:mm:ss AP"));
}

}  // namespace px
