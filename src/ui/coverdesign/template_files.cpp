#include "ui/coverdesign/template_files.h"

#include <QDir>
#include <QFileInfo>

#include "cover/io/cover_text_files.h"

namespace px {

QString existingNoCase(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) {
        return path;
    }
    const QDir dir = info.dir();
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return {};
}

QString companionFile(const QString& templatePath, const QString& extension) {
    const QString wanted = withExtension(templatePath, extension);
    const QString found = existingNoCase(wanted);
    return found.isEmpty() ? wanted : found;
}

}  // namespace px
