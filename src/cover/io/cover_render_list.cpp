#include "cover/io/cover_render_list.h"

#include <QSaveFile>
#include <cmath>

#include "cover/io/cover_value_stream.h"
#include "cover/io/g_label_object_filer.h"
#include "cover/objects/cover_text_codec.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_text_area.h"

namespace px {

namespace {

void fontOf(const TFaxCoverBaseLabel& label, TRenderRecord& r) {
    r.fontName = toWindows1252(label.font().name);
    r.fontSize = label.font().size() * 2;
    r.bold = label.font().bold();
    r.italic = label.font().italic();
    r.underline = label.font().underline();
}

}  // namespace

int toFaxPixels(int screenPixels) {
    return static_cast<int>(std::trunc(static_cast<double>(screenPixels) / kScreenPixelsPerInch *
                                       kRenderPixelsPerInch));
}

TRenderRecord renderRecordOf(const TGGraphicControl& o) {
    TRenderRecord r;
    r.kind = static_cast<int>(o.objectClass());
    r.left = toFaxPixels(o.left());
    r.top = toFaxPixels(o.top());
    r.width = toFaxPixels(o.width());
    r.height = toFaxPixels(o.height());
    if (const auto* label = dynamic_cast<const TFaxCoverBaseLabel*>(&o)) {
        fontOf(*label, r);
        if (o.objectClass() == TCoverObjectClass::Label ||
            o.objectClass() == TCoverObjectClass::Symbol) {
            r.caption = toWindows1252(label->caption());
        }
        if (const auto* field = dynamic_cast<const TFaxCoverField*>(&o)) {
            r.fieldType = static_cast<int>(field->coverFieldType());
        }
    } else if (const auto* shape = dynamic_cast<const TFaxCoverShapes*>(&o)) {
        r.shape = static_cast<int>(shape->shape());
        r.fill = static_cast<int>(shape->shapeFilltype());
        r.penWidth = shape->pen().width * 2;
        r.rounding = shape->roundPerc();
    } else if (const auto* line = dynamic_cast<const TFaxCoverLine*>(&o)) {
        r.penWidth = line->pen().width * 2;
        r.lineStyle = static_cast<int>(line->lineStyle());
    }
    return r;
}

void writeRenderRecord(std::string& out, const TRenderRecord& r) {
    TCoverStreamWriter w;
    w.writeListBegin();
    w.writeInteger(r.kind);
    w.writeInteger(r.left);
    w.writeInteger(r.top);
    w.writeInteger(r.width);
    w.writeInteger(r.height);
    w.writeString(r.caption);
    w.writeString(r.fontName);
    w.writeInteger(r.fontSize);
    w.writeBoolean(r.bold);
    w.writeBoolean(r.italic);
    w.writeBoolean(r.underline);
    w.writeInteger(r.shape);
    w.writeInteger(r.fill);
    w.writeInteger(r.penWidth);
    w.writeInteger(r.lineStyle);
    w.writeInteger(r.rounding);
    w.writeInteger(r.fieldType);
    w.writeListEnd();
    out += w.bytes();
}

std::string renderListOf(const TCoverPageModel& page) {
    std::string out;
    for (const auto& o : page.objects()) {
        writeRenderRecord(out, renderRecordOf(*o));
    }
    return out;
}

void writeRenderList(const TCoverPageModel& page, const QString& path) {
    const std::string bytes = renderListOf(page);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !f.commit()) {
        throw ECoverFileError("Unable to write " + path.toStdString());
    }
}

int readRenderList(std::string_view bytes, int divisor,
                   const std::function<bool(const TRenderRecord&)>& draw) {
    const int d = divisor == 0 ? 1 : divisor;
    TCoverStreamReader in(bytes);
    int count = 0;
    try {
        while (!in.atEnd()) {
            TRenderRecord r;
            in.readListBegin();
            r.kind = in.readInteger();
            r.left = in.readInteger() / d;
            r.top = in.readInteger() / d;
            r.width = in.readInteger() / d;
            r.height = in.readInteger() / d;
            r.caption = in.readString();
            r.fontName = in.readString();
            r.fontSize = in.readInteger() / d;
            r.bold = in.readBoolean();
            r.italic = in.readBoolean();
            r.underline = in.readBoolean();
            r.shape = in.readInteger();
            r.fill = in.readInteger();
            r.penWidth = in.readInteger() / d;
            r.lineStyle = in.readInteger();
            r.rounding = in.readInteger();
            r.fieldType = in.readInteger();
            in.readListEnd();
            ++count;
            if (!draw(r)) {
                break;
            }
        }
    } catch (const ECoverStreamError&) {
        // The end of the usable list: what was complete has been drawn.
    }
    return count;
}

}  // namespace px
