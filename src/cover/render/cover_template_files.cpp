#include "cover/render/cover_template_files.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include "cover/io/cover_render_list.h"
#include "cover/io/cover_text_files.h"
#include "cover/io/g_label_object_filer.h"
#include "cover/render/cover_renderer.h"

// Resources of a static library are registered by name, outside any namespace.
static void initCoverResources() {
    Q_INIT_RESOURCE(covers);
}

namespace px {

namespace {
const QString kResourceFolder = QStringLiteral(":/covers/");
}  // namespace

void SaveLabelFile(TCoverPageModel& page, const QString& fcsPath, const QString& description) {
    const float earlier = page.zoom();
    if (earlier != 1.0F) {
        page.SetZoom(1.0F);
    }
    page.PurgeOffPageObjects();
    try {
        TGLabelObjectFiler::SaveObjects(page, fcsPath);
        const QString fct = withExtension(fcsPath, QStringLiteral(".FCT"));
        writeRenderList(page, fct);
        RenderPreview(fct);
        writeDescription(withExtension(fcsPath, QStringLiteral(".DES")), description);
    } catch (...) {
        page.SetZoom(earlier);
        throw;
    }
    page.SetZoom(earlier);
}

QStringList shippedCoverNames() {
    initCoverResources();
    QStringList names;
    for (const QString& f : QDir(kResourceFolder).entryList({QStringLiteral("*.FCS")})) {
        names << f.left(f.size() - 4);
    }
    return names;
}

int installShippedCovers(const QString& coversFolder) {
    initCoverResources();
    QDir dir(coversFolder);
    if (!dir.exists() && !QDir().mkpath(coversFolder)) {
        return 0;
    }
    QSet<QString> present;
    for (const QString& entry : dir.entryList(QDir::Files)) {
        present.insert(entry.toUpper());
    }
    int copied = 0;
    for (const QString& f : QDir(kResourceFolder).entryList(QDir::Files)) {
        if (present.contains(f.toUpper())) {
            continue;
        }
        const QString target = dir.filePath(f);
        if (QFile::copy(kResourceFolder + f, target)) {
            QFile::setPermissions(
                target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
            ++copied;
        }
    }
    return copied;
}

}  // namespace px
