#include "app/faxeditor/fax_information.h"

#include "xbase/xb_table.h"

namespace px {

std::string fieldText(const QString& text, int width) {
    std::string bytes = text.toStdString();
    if (bytes.size() <= static_cast<std::size_t>(width)) {
        return bytes;
    }
    std::size_t end = static_cast<std::size_t>(width);
    // Back over continuation bytes to the start of the character cut in two.
    while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0U) == 0x80U) {
        --end;
    }
    bytes.resize(end);
    return bytes;
}

TFaxInformation readFaxInformation(const TXbTable& outgoing) {
    const auto field = [&](const char* name) {
        return QString::fromStdString(outgoing.text(name));
    };
    return {field("RECIPIENT"), field("PHONE"), field("SUBJECT"), field("NOTES"), field("CODES")};
}

void writeFaxInformation(TXbTable& outgoing, const TFaxInformation& info) {
    outgoing.setText("RECIPIENT", fieldText(info.recipient, kRecipientWidth));
    outgoing.setText("PHONE", fieldText(info.phone, kPhoneWidth));
    outgoing.setText("SUBJECT", fieldText(info.subject, kSubjectWidth));
    outgoing.setText("NOTES", fieldText(info.notes, kNotesWidth));
    outgoing.setText("CODES", fieldText(info.codes, kCodesWidth));
}

}  // namespace px
