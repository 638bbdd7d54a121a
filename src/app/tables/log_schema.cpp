#include "app/tables/log_schema.h"

namespace px {

namespace {

TLogSchema makeOutgoing() {
    return {TLogKind::Outgoing,
            "PXOUT.DBF",
            {{"SUBJECT", 'C', 50, 0, 0},
             {"DATESENT", 'D', 8, 0, 0},
             {"TIMESENT", 'C', 5, 0, 0},
             {"RECIPIENT", 'C', 35, 0, 0},
             {"PHONE", 'C', 25, 0, 0},
             {"LASTRESULT", 'C', 100, 0, 0},
             {"FAXDOC", 'C', 12, 0, 0},
             {"FAXCOVER", 'C', 12, 0, 0},
             {"NOTES", 'C', 50, 0, 0},
             {"CODES", 'C', 25, 0, 0},
             {"ARCHIVED", 'L', 1, 0, 0}},
            {{"DATESENT", "DTOS(DATESENT)+TIMESENT", true, false},
             {"SUBJECT", "UPPER(SUBJECT)", false, false},
             {"RECIPIENT", "UPPER(RECIPIENT)", false, false},
             {"CODES", "UPPER(CODES)", false, false},
             {"ARCHIVED", "ARCHIVED", false, false},
             {"DATEND", "DTOS(DATESENT)+TIMESENT", false, true}},
            "DATESENT",
            "Removing FAX file records marked for deletion",
            "Rebuilding FAX file indexes"};
}

TLogSchema makeIncoming() {
    return {TLogKind::Incoming,
            "PXREC.DBF",
            {{"DATEREC", 'D', 8, 0, 0},
             {"TIMEREC", 'C', 5, 0, 0},
             {"FROM", 'C', 20, 0, 0},
             {"PAGES", 'N', 2, 0, 0},
             {"FAXFILE", 'C', 12, 0, 0},
             {"NOTES", 'C', 60, 0, 0},
             {"ARCHIVED", 'L', 1, 0, 0}},
            {{"DATETIME", "DTOS(DATEREC)+TIMEREC", true, false},
             {"FROM", "UPPER(FROM)", true, false},
             {"ARCHIVED", "ARCHIVED", false, false},
             {"DATEND", "DTOS(DATEREC)+TIMEREC", false, true}},
            "DATETIME",
            "Removing RECEIVE file records marked for deletion",
            "Rebuilding RECEIVE file indexes"};
}

TLogSchema makePhoneBook() {
    return {TLogKind::PhoneBook,
            "PXPB.DBF",
            {{"NAME", 'C', 35, 0, 0}, {"PHONE", 'C', 25, 0, 0}},
            {{"NAME", "NAME", false, false}},
            "NAME",
            "Removing PHONE file records marked for deletion",
            "Rebuilding PHONE file indexes"};
}

}  // namespace

const TLogSchema& logSchema(TLogKind kind) {
    static const TLogSchema outgoing = makeOutgoing();
    static const TLogSchema incoming = makeIncoming();
    static const TLogSchema phoneBook = makePhoneBook();
    switch (kind) {
        case TLogKind::Outgoing:
            return outgoing;
        case TLogKind::Incoming:
            return incoming;
        case TLogKind::PhoneBook:
            return phoneBook;
    }
    return outgoing;
}

}  // namespace px
