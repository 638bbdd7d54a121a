#include "cover/io/cover_object_properties.h"

#include <array>
#include <string_view>

#include "cover/objects/cover_text_codec.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_text_area.h"

namespace px {

namespace {

struct NamedValue {
    std::string_view name;
    std::int32_t value;
};

constexpr std::array<NamedValue, 16> kNamedColors = {{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
}};

constexpr std::array<NamedValue, 23> kNamedCursors = {{
    {"crDefault", 0},     {"crNone", -1},     {"crArrow", -2},      {"crCross", -3},
    {"crIBeam", -4},      {"crSizeNESW", -6}, {"crSizeNS", -7},     {"crSizeNWSE", -8},
    {"crSizeWE", -9},     {"crUpArrow", -10}, {"crHourGlass", -11}, {"crDrag", -12},
    {"crNoDrop", -13},    {"crHSplit", -14},  {"crVSplit", -15},    {"crMultiDrag", -16},
    {"crSQLWait", -17},   {"crNo", -18},      {"crAppStart", -19},  {"crHelp", -20},
    {"crHandPoint", -21}, {"crSizeAll", -22}, {"crSize", -22},
}};

template <std::size_t N>
void writeNamedOrInteger(TCoverStreamWriter& out, const std::array<NamedValue, N>& names,
                         std::int32_t value) {
    for (const NamedValue& n : names) {
        if (n.value == value) {
            out.writeIdent(n.name);
            return;
        }
    }
    out.writeInteger(value);
}

template <std::size_t N>
std::int32_t readNamedOrInteger(TCoverStreamReader& in, const std::array<NamedValue, N>& names) {
    if (in.peekTag() != TValueTag::vaIdent) {
        return in.readInteger();
    }
    const std::string ident = in.readIdent();
    for (const NamedValue& n : names) {
        if (n.name == ident) {
            return n.value;
        }
    }
    throw ECoverStreamError("unknown name " + ident);
}

template <std::size_t N>
int readEnum(TCoverStreamReader& in, const std::array<std::string_view, N>& names) {
    const std::string ident = in.readIdent();
    if (const auto v = ordinalOf(names, ident)) {
        return *v;
    }
    throw ECoverStreamError("unknown value " + ident);
}

template <std::size_t N>
std::string_view nameOf(const std::array<std::string_view, N>& names, int ordinal) {
    return names.at(static_cast<std::size_t>(ordinal));
}

void property(TCoverStreamWriter& out, std::string_view name) {
    out.writeStr(name);
}

void writeFont(TCoverStreamWriter& out, const TCoverFont& font) {
    property(out, "Font.Color");
    writeColor(out, font.color);
    property(out, "Font.Height");
    out.writeInteger(font.height);
    property(out, "Font.Name");
    out.writeString(toWindows1252(font.name));
    if (font.pitch != TFontPitch::fpDefault) {
        property(out, "Font.Pitch");
        out.writeIdent(nameOf(kFontPitchNames, static_cast<int>(font.pitch)));
    }
    property(out, "Font.Style");
    std::vector<std::string_view> styles;
    for (std::size_t i = 0; i < kFontStyleNames.size(); ++i) {
        if ((font.style & (1U << i)) != 0) {
            styles.push_back(kFontStyleNames[i]);
        }
    }
    out.writeSet(styles);
}

void writePen(TCoverStreamWriter& out, const TCoverPen& pen) {
    if (pen.color != clBlack) {
        property(out, "Pen.Color");
        writeColor(out, pen.color);
    }
    if (pen.mode != TPenMode::pmCopy) {
        property(out, "Pen.Mode");
        out.writeIdent(nameOf(kPenModeNames, static_cast<int>(pen.mode)));
    }
    if (pen.style != TPenStyle::psSolid) {
        property(out, "Pen.Style");
        out.writeIdent(nameOf(kPenStyleNames, static_cast<int>(pen.style)));
    }
    if (pen.width != 1) {
        property(out, "Pen.Width");
        out.writeInteger(pen.width);
    }
}

bool readFontProperty(TCoverStreamReader& in, TFaxCoverBaseLabel& label, const std::string& name) {
    TCoverFont font = label.font();
    if (name == "Font.Color") {
        font.color = readColor(in);
    } else if (name == "Font.Height") {
        font.height = in.readInteger();
    } else if (name == "Font.Name") {
        font.name = fromWindows1252(in.readString());
    } else if (name == "Font.Pitch") {
        font.pitch = static_cast<TFontPitch>(readEnum(in, kFontPitchNames));
    } else if (name == "Font.Style") {
        font.style = 0;
        for (const std::string& s : in.readSet()) {
            const auto bit = ordinalOf(kFontStyleNames, s);
            if (!bit) {
                throw ECoverStreamError("unknown font style " + s);
            }
            font.style |= 1U << *bit;
        }
    } else {
        return false;
    }
    label.setFont(font);
    return true;
}

bool readPenProperty(TCoverStreamReader& in, TCoverPen& pen, const std::string& name) {
    if (name == "Pen.Color") {
        pen.color = readColor(in);
    } else if (name == "Pen.Mode") {
        pen.mode = static_cast<TPenMode>(readEnum(in, kPenModeNames));
    } else if (name == "Pen.Style") {
        pen.style = static_cast<TPenStyle>(readEnum(in, kPenStyleNames));
    } else if (name == "Pen.Width") {
        pen.width = in.readInteger();
    } else {
        return false;
    }
    return true;
}

bool readCommonProperty(TCoverStreamReader& in, TGGraphicControl& o, const std::string& name) {
    if (name == "Tag") {
        o.setTag(in.readInteger());
    } else if (name == "Left") {
        o.setLeft(in.readInteger());
    } else if (name == "Top") {
        o.setTop(in.readInteger());
    } else if (name == "Width") {
        o.setWidth(in.readInteger());
    } else if (name == "Height") {
        o.setHeight(in.readInteger());
    } else if (name == "Cursor") {
        o.setCursor(readNamedOrInteger(in, kNamedCursors));
    } else if (name == "Hint") {
        o.setHint(fromWindows1252(in.readString()));
    } else if (name == "Locked") {
        o.setLocked(in.readBoolean());
    } else if (name == "Unselectable") {
        o.setUnselectable(in.readBoolean());
    } else {
        return false;
    }
    return true;
}

}  // namespace

void writeColor(TCoverStreamWriter& out, TCoverColor color) {
    writeNamedOrInteger(out, kNamedColors, color);
}

TCoverColor readColor(TCoverStreamReader& in) {
    return readNamedOrInteger(in, kNamedColors);
}

void writeObjectProperties(TCoverStreamWriter& out, const TGGraphicControl& o) {
    if (o.tag() != 0) {
        property(out, "Tag");
        out.writeInteger(o.tag());
    }
    property(out, "Left");
    out.writeInteger(o.left());
    property(out, "Top");
    out.writeInteger(o.top());
    property(out, "Width");
    out.writeInteger(o.width());
    property(out, "Height");
    out.writeInteger(o.height());
    if (o.cursor() != 0) {
        property(out, "Cursor");
        writeNamedOrInteger(out, kNamedCursors, o.cursor());
    }
    if (!o.hint().isEmpty()) {
        property(out, "Hint");
        out.writeString(toWindows1252(o.hint()));
    }
    property(out, "Locked");
    out.writeBoolean(o.locked());
    property(out, "Unselectable");
    out.writeBoolean(o.unselectable());

    if (const auto* label = dynamic_cast<const TFaxCoverBaseLabel*>(&o)) {
        if (!label->caption().isEmpty()) {
            property(out, "Caption");
            out.writeString(toWindows1252(label->caption()));
        }
        writeFont(out, label->font());
        if (const auto* field = dynamic_cast<const TFaxCoverField*>(&o)) {
            property(out, "CoverFieldType");
            out.writeIdent(nameOf(kCoverFieldTypeNames, static_cast<int>(field->coverFieldType())));
        }
    } else if (const auto* shape = dynamic_cast<const TFaxCoverShapes*>(&o)) {
        property(out, "ShapeFilltype");
        out.writeIdent(nameOf(kShapeFillTypeNames, static_cast<int>(shape->shapeFilltype())));
        writePen(out, shape->pen());
        if (shape->roundPerc() != 25) {
            property(out, "RoundPerc");
            out.writeInteger(shape->roundPerc());
        }
        if (shape->shape() != TShapeType::stRectangle) {
            property(out, "Shape");
            out.writeIdent(nameOf(kShapeTypeNames, static_cast<int>(shape->shape())));
        }
    } else if (const auto* line = dynamic_cast<const TFaxCoverLine*>(&o)) {
        if (line->lineStyle() != TLineStyle::stHorizontal) {
            property(out, "LineStyle");
            out.writeIdent(nameOf(kLineStyleNames, static_cast<int>(line->lineStyle())));
        }
        writePen(out, line->pen());
    }
}

void readObjectProperty(TCoverStreamReader& in, TGGraphicControl& o, const std::string& name) {
    if (readCommonProperty(in, o, name)) {
        return;
    }
    if (auto* label = dynamic_cast<TFaxCoverBaseLabel*>(&o)) {
        if (name == "Caption") {
            label->setCaption(fromWindows1252(in.readString()));
            return;
        }
        if (readFontProperty(in, *label, name)) {
            return;
        }
        if (auto* field = dynamic_cast<TFaxCoverField*>(&o); field && name == "CoverFieldType") {
            field->setCoverFieldType(
                static_cast<TCoverFieldType>(readEnum(in, kCoverFieldTypeNames)));
            return;
        }
    } else if (auto* shape = dynamic_cast<TFaxCoverShapes*>(&o)) {
        TCoverPen pen = shape->pen();
        if (readPenProperty(in, pen, name)) {
            shape->setPen(pen);
            return;
        }
        if (name == "ShapeFilltype") {
            shape->setShapeFilltype(static_cast<TShapeFillType>(readEnum(in, kShapeFillTypeNames)));
            return;
        }
        if (name == "RoundPerc") {
            shape->setRoundPerc(in.readInteger());
            return;
        }
        if (name == "Shape") {
            shape->setShape(static_cast<TShapeType>(readEnum(in, kShapeTypeNames)));
            return;
        }
    } else if (auto* line = dynamic_cast<TFaxCoverLine*>(&o)) {
        TCoverPen pen = line->pen();
        if (readPenProperty(in, pen, name)) {
            line->setPen(pen);
            return;
        }
        if (name == "LineStyle") {
            line->setLineStyle(static_cast<TLineStyle>(readEnum(in, kLineStyleNames)));
            return;
        }
    }
    throw ECoverStreamError("unknown property " + name + " of " + o.className().toStdString());
}

}  // namespace px
