// What the cover sheet editor shows and hands back: the log fields of one
// outgoing fax and what its cover data file (.FCD) keeps for later edits.
#pragma once

#include <QString>

#include "app/faxeditor/fax_information.h"
#include "cover/io/cover_text_files.h"

namespace px {

// The template of a fax that has no cover data yet.
inline constexpr const char* kDefaultCoverTemplate = "px0001.fct";

struct TQuickFaxForm {
    QString recipient;     // RECIPIENT
    QString recipientFax;  // PHONE
    QString regarding;     // SUBJECT
    QString notes;         // NOTES
    QString codes;         // CODES
    // The template's file name, the five importance boxes and the message lines.
    TCoverData cover{QString::fromLatin1(kDefaultCoverTemplate), {}, {}};
};

// The file-name part of a stored template name, whichever separator it was
// written with.
QString templateFileName(const QString& stored);

}  // namespace px
