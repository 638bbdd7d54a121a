#include "cover/io/g_label_object_filer.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>

#include "cover/io/cover_object_properties.h"
#include "cover/io/cover_value_stream.h"
#include "cover/objects/cover_text_codec.h"

namespace px {

namespace {

constexpr std::string_view kSignature = "TPF0";
constexpr qint64 kMaxDesignFileBytes = qint64{64} << 20;

void writeObject(TCoverStreamWriter& out, const TGGraphicControl& object) {
    out.writeRaw(kSignature);
    out.writeStr(object.className().toStdString());
    out.writeStr(toWindows1252(object.name()));
    writeObjectProperties(out, object);
    out.writeListEnd();  // properties
    out.writeListEnd();  // children
}

// Names "Component" + n in increasing n; the names the page already holds
// are gathered once so a large file does not ask the page again and again.
class ComponentNamer {
public:
    explicit ComponentNamer(const TCoverPageModel& page) : page_(page) {
        for (const auto& o : page.objects()) {
            taken_.insert(o->name().toLower());
        }
    }

    QString next(const QString& stored) {
        for (; n_ <= TGLabelObjectFiler::kMaxComponentNumber; ++n_) {
            const QString candidate = QStringLiteral("Component") + QString::number(n_);
            if (!taken_.contains(candidate.toLower()) && !page_.ownsComponentNamed(candidate)) {
                taken_.insert(candidate.toLower());
                return candidate;
            }
        }
        return stored;
    }

private:
    const TCoverPageModel& page_;
    QSet<QString> taken_;
    int n_ = 0;
};

// One object, fully read, or an exception (the partial object is dropped).
std::unique_ptr<TGGraphicControl> readObject(TCoverStreamReader& in, int offset) {
    if (in.readRaw(kSignature.size()) != kSignature) {
        throw ECoverStreamError("an object does not start with TPF0");
    }
    const std::string className = in.readStr();
    std::unique_ptr<TGGraphicControl> object = createCoverObject(QString::fromStdString(className));
    if (!object) {
        throw ECoverStreamError("unknown class " + className);
    }
    object->setName(fromWindows1252(in.readStr()));
    while (!in.endOfList()) {
        const std::string name = in.readStr();
        readObjectProperty(in, *object, name);
    }
    in.readListEnd();
    in.readListEnd();  // no children
    if (offset != 0) {
        object->setBounds(object->left() + offset, object->top() + offset, object->width(),
                          object->height());
    }
    return object;
}

std::string readFile(const QString& path, bool& found) {
    QFile f(path);
    found = f.open(QIODevice::ReadOnly);
    if (!found) {
        return {};
    }
    // A design holds some kilobytes; reading stops at a read error past this.
    const QByteArray bytes = f.read(kMaxDesignFileBytes);
    return bytes.toStdString();
}

}  // namespace

std::string TGLabelObjectFiler::streamObjects(const std::vector<const TGGraphicControl*>& objects) {
    TCoverStreamWriter out;
    out.writeListBegin();
    for (const TGGraphicControl* o : objects) {
        writeObject(out, *o);
    }
    out.writeListEnd();
    return out.bytes();
}

void TGLabelObjectFiler::writeFile(const QString& path, const std::string& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !f.commit()) {
        throw ECoverFileError("Unable to write " + path.toStdString() + ": " +
                              f.errorString().toStdString());
    }
}

void TGLabelObjectFiler::SaveObjects(const TCoverPageModel& page, const QString& path) {
    std::vector<const TGGraphicControl*> all;
    for (const auto& o : page.objects()) {
        all.push_back(o.get());
    }
    writeFile(path, streamObjects(all));
}

void TGLabelObjectFiler::SaveSelection(const TCoverPageModel& page, const QString& path) {
    if (page.selection().empty()) {
        return;
    }
    writeFile(path, streamObjects({page.selection().begin(), page.selection().end()}));
}

void TGLabelObjectFiler::SaveObject(const TGGraphicControl& object, const QString& path) {
    writeFile(path, streamObjects({&object}));
}

TCoverLoadResult TGLabelObjectFiler::readObjects(TCoverPageModel& page, std::string_view bytes,
                                                 int offset) {
    TCoverLoadResult result;
    result.fileFound = true;
    TCoverStreamReader in(bytes);
    ComponentNamer namer(page);
    try {
        in.readListBegin();
        while (!in.endOfList()) {
            std::unique_ptr<TGGraphicControl> object = readObject(in, offset);
            object->setName(namer.next(object->name()));
            page.insert(std::move(object));
            ++result.objectsRead;
        }
        in.readListEnd();
        result.complete = true;
    } catch (const ECoverStreamError& e) {
        result.error = e.what();
    }
    return result;
}

TCoverLoadResult TGLabelObjectFiler::LoadObjects(TCoverPageModel& page, const QString& path) {
    bool found = false;
    const std::string bytes = readFile(path, found);
    if (!found) {
        return {};
    }
    return readObjects(page, bytes, 0);
}

TCoverLoadResult TGLabelObjectFiler::PasteObjects(TCoverPageModel& page, const QString& path) {
    bool found = false;
    const std::string bytes = readFile(path, found);
    if (!found) {
        return {};
    }
    return readObjects(page, bytes, kPasteOffset);
}

TGGraphicControl* TGLabelObjectFiler::CloneObject(TCoverPageModel& page, TGGraphicControl& source) {
    const std::string bytes = streamObjects({&source});
    if (readObjects(page, bytes, 0).objectsRead != 1) {
        return nullptr;
    }
    TGGraphicControl* clone = page.objects().back().get();
    clone->setTop(source.top() + kCloneOffset);
    page.BringToFront(*clone);
    if (page.isSelected(source)) {
        page.removeFromSelection(source);
        page.AddToSelection(*clone);
    }
    return clone;
}

}  // namespace px
