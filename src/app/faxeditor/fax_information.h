// The five things the user keeps about an outgoing fax besides its files,
// and their places in the outgoing log.
#pragma once

#include <QString>
#include <string>

namespace px {

class TXbTable;

struct TFaxInformation {
    QString recipient;  // RECIPIENT
    QString phone;      // PHONE
    QString subject;    // SUBJECT
    QString notes;      // NOTES
    QString codes;      // CODES
    bool operator==(const TFaxInformation&) const = default;
};

// Field widths of the outgoing log, which are also the editor's limits.
inline constexpr int kRecipientWidth = 35;
inline constexpr int kPhoneWidth = 25;
inline constexpr int kSubjectWidth = 50;
inline constexpr int kNotesWidth = 50;
inline constexpr int kCodesWidth = 25;

// The UTF-8 form of `text` cut to at most `width` bytes, never inside a
// character (the table cuts by bytes).
std::string fieldText(const QString& text, int width);

// The five fields of the current outgoing record.
TFaxInformation readFaxInformation(const TXbTable& outgoing);
// Writes the five fields into the current outgoing record.
void writeFaxInformation(TXbTable& outgoing, const TFaxInformation& info);

}  // namespace px
