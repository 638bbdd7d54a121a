#include "cover/io/cover_text_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include "cover/objects/cover_text_codec.h"

namespace px {

namespace {

constexpr int kMaxTemplateNameLength = 12;
constexpr int kMaxTemplateNumber = 9999;
constexpr qint64 kMaxTextFileBytes = 1 << 20;

QStringList readLines(const QString& path, bool& found) {
    QFile f(path);
    found = f.open(QIODevice::ReadOnly);
    if (!found) {
        return {};
    }
    const QByteArray bytes = f.read(kMaxTextFileBytes);
    QString text = fromWindows1252(bytes.toStdString());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

bool writeLines(const QString& path, const QStringList& lines) {
    std::string bytes;
    for (const QString& line : lines) {
        bytes += toWindows1252(line);
        bytes += "\r\n";
    }
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size()) &&
           f.commit();
}

}  // namespace

QString readDescription(const QString& desPath) {
    bool found = false;
    const QStringList lines = readLines(desPath, found);
    return lines.isEmpty() ? QString() : lines.front();
}

bool writeDescription(const QString& desPath, const QString& description) {
    return writeLines(desPath, {description});
}

bool writeCoverData(const QString& fcdPath, const TCoverData& data) {
    QString boxes;
    for (const bool checked : data.importance) {
        boxes += checked ? QLatin1Char('X') : QLatin1Char(' ');
    }
    QStringList lines{data.templateName, boxes};
    lines += data.message;
    return writeLines(fcdPath, lines);
}

TCoverData readCoverData(const QString& fcdPath) {
    bool found = false;
    const QStringList lines = readLines(fcdPath, found);
    TCoverData data;
    if (!lines.isEmpty()) {
        data.templateName = lines[0];
    }
    // A line of boxes that is not exactly one character per box was written by
    // something else; its boxes are left unchecked rather than guessed.
    if (lines.size() > 1 && lines[1].size() == static_cast<qsizetype>(data.importance.size())) {
        for (std::size_t i = 0; i < data.importance.size(); ++i) {
            data.importance[i] = lines[1][static_cast<qsizetype>(i)] == QLatin1Char('X');
        }
    }
    for (qsizetype i = 2; i < lines.size(); ++i) {
        data.message << lines[i];
    }
    return data;
}

QString freeTemplateName(const QString& coversFolder) {
    QSet<QString> taken;
    for (const QString& entry : QDir(coversFolder).entryList(QDir::Files)) {
        taken.insert(entry.toUpper());
    }
    for (int n = 1; n <= kMaxTemplateNumber; ++n) {
        const QString name = QStringLiteral("PX%1.FCS").arg(n, 4, 10, QLatin1Char('0'));
        if (!taken.contains(name)) {
            return name;
        }
    }
    return {};
}

bool isValidTemplateName(const QString& name) {
    if (name.size() > kMaxTemplateNameLength || name.size() <= 4 ||
        !name.endsWith(QLatin1String(".FCS"), Qt::CaseInsensitive)) {
        return false;
    }
    const QString base = name.left(name.size() - 4);
    auto isLetter = [](QChar c) {
        return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
               (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_');
    };
    if (!isLetter(base[0])) {
        return false;
    }
    for (const QChar c : base) {
        if (!isLetter(c) && !(c >= QLatin1Char('0') && c <= QLatin1Char('9'))) {
            return false;
        }
    }
    return true;
}

QString withExtension(const QString& path, const QString& extension) {
    const QFileInfo info(path);
    const QString dir = info.path();
    const QString base = info.completeBaseName();
    return (dir == QLatin1String(".") && !path.startsWith(QLatin1String("./")) ? QString()
                                                                               : dir + '/') +
           base + extension;
}

}  // namespace px
