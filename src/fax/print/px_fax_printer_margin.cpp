#include "fax/print/px_fax_printer_margin.h"

#include <QLocale>

namespace px {

namespace {

constexpr QChar kCodeStart = u'$';

QString codeValue(QChar code, const TMarginValues& values) {
    switch (code.toUpper().unicode()) {
        case u'D':
            return QLocale::system().toString(values.now.date(), QLocale::ShortFormat);
        case u'F':
            return values.fileName;
        case u'N':
            return QString::number(values.pageCount);
        case u'P':
            return QString::number(values.page);
        case u'T':
            return QLocale::system().toString(values.now.time(), QLocale::ShortFormat);
        default:
            return {};
    }
}

}  // namespace

QString expandMarginCodes(const QString& caption, const TMarginValues& values) {
    QString text;
    text.reserve(caption.size());
    qsizetype i = 0;
    while (i < caption.size()) {
        if (caption[i] != kCodeStart) {
            text += caption[i++];
            continue;
        }
        qsizetype end = caption.indexOf(u' ', i);
        if (end < 0) {
            end = caption.size();
        }
        if (end - i >= 2) {
            text += codeValue(caption[i + 1], values);
        }
        i = end;
    }
    return text;
}

}  // namespace px
