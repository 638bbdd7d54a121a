#include "px_covergen.h"

#include <QDir>
#include <functional>
#include <memory>
#include <vector>

#include "cover/objects/cover_page_model.h"
#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_symbol.h"
#include "cover/objects/fax_cover_text_area.h"
#include "cover/render/cover_template_files.h"

namespace px {

namespace {

struct Style {
    QString family = QStringLiteral("Arial");
    int size = 12;
    unsigned bits = 0;
};

TCoverFont fontOf(const Style& s) {
    TCoverFont f;
    f.name = s.family;
    f.setSize(s.size);
    f.style = s.bits;
    return f;
}

// Places objects on one page with explicit bounds, so the files do not depend
// on the fonts of the machine that generates them.
class Designer {
public:
    explicit Designer(TCoverPageModel& page) : page_(page) {}

    void label(const QString& text, int x, int y, int w, int h, const Style& s) {
        auto o = std::make_unique<TFaxCoverLabel>();
        o->setCaption(text);
        o->setFont(fontOf(s));
        page_.AddObject(std::move(o), QRect(x, y, w, h));
    }
    void field(TCoverFieldType type, int x, int y, int w, int h, const Style& s) {
        auto o = std::make_unique<TFaxCoverField>();
        o->setFont(fontOf(s));
        o->setCoverFieldType(type);
        o->setCaption(QLatin1Char('[') + TFaxCoverField::fieldCaption(type) + QLatin1Char(']'));
        page_.AddObject(std::move(o), QRect(x, y, w, h));
    }
    void importance(int x, int y, int w, int h, const Style& s) {
        auto o = std::make_unique<TFaxCoverImportance>();
        o->setFont(fontOf(s));
        page_.AddObject(std::move(o), QRect(x, y, w, h));
    }
    void message(int x, int y, int w, int h, const Style& s) {
        auto o = std::make_unique<TFaxCoverMessage>();
        o->setFont(fontOf(s));
        page_.AddObject(std::move(o), QRect(x, y, w, h));
    }
    void line(TLineStyle style, int x, int y, int w, int h, int penWidth) {
        auto o = std::make_unique<TFaxCoverLine>();
        o->setLineStyle(style);
        TCoverPen pen;
        pen.width = penWidth;
        o->setPen(pen);
        page_.AddObject(std::move(o), QRect(x, y, w, h));
    }
    void shape(TShapeType type, TShapeFillType fill, int x, int y, int w, int h, int penWidth,
               int rounding = 25) {
        auto o = std::make_unique<TFaxCoverShapes>();
        o->setShape(type);
        o->setShapeFilltype(fill);
        o->setRoundPerc(rounding);
        TCoverPen pen;
        pen.width = penWidth;
        o->setPen(pen);
        page_.AddObject(std::move(o), QRect(x, y, w, h));
    }
    void symbol(int code, int x, int y, int points) {
        auto o = std::make_unique<TFaxCoverSymbol>();
        TCoverFont f = o->font();
        f.setSize(points);
        o->beginLoading();
        o->setFont(f);
        o->setCaption(QString(QChar(static_cast<char16_t>(code))));
        // Symbols size themselves to their picture; give them a fixed box so
        // the files do not depend on the installed symbol font.
        const int side = points * 96 / 72 * 11 / 10;
        o->setBounds(x, y, side, side);
        page_.insert(std::move(o)).setName(page_.UniqueName(QStringLiteral("Special")));
    }
    // "Label:" and its field on one row.
    void row(const QString& caption, TCoverFieldType type, int x, int y, int labelWidth,
             int fieldWidth, const Style& labelStyle, const Style& fieldStyle) {
        label(caption, x, y, labelWidth, 24, labelStyle);
        field(type, x + labelWidth, y, fieldWidth, 24, fieldStyle);
    }

private:
    TCoverPageModel& page_;
};

constexpr unsigned kBold = fsBold;
constexpr unsigned kItalic = fsItalic;
const QString kFooter = QStringLiteral(
    "This fax may hold confidential information. If it reached you in error, please call the "
    "sender.");

void classic(Designer& d) {
    const Style title{QStringLiteral("Arial"), 48, kBold};
    const Style bold{QStringLiteral("Arial"), 12, kBold};
    const Style plain{QStringLiteral("Arial"), 12, 0};
    d.label(QStringLiteral("FAX"), 0, 0, 200, 80, title);
    d.field(TCoverFieldType::cfSenderCompany, 380, 12, 388, 26, Style{"Arial", 14, kBold});
    d.field(TCoverFieldType::cfSenderVoice, 380, 42, 388, 22, Style{"Arial", 10, 0});
    d.label(QStringLiteral("Cover sheet"), 4, 80, 200, 22, Style{"Arial", 11, kItalic});
    d.line(TLineStyle::stHorizontal, 0, 106, 768, 10, 3);
    int y = 128;
    const struct {
        const char* caption;
        TCoverFieldType type;
    } rows[] = {
        {"To:", TCoverFieldType::cfRecipient},       {"Fax:", TCoverFieldType::cfRecipientFax},
        {"From:", TCoverFieldType::cfSender},        {"Company:", TCoverFieldType::cfSenderCompany},
        {"Our fax:", TCoverFieldType::cfSenderFax},  {"Date:", TCoverFieldType::cfDate},
        {"Regarding:", TCoverFieldType::cfRegarding}};
    for (const auto& r : rows) {
        d.row(QString::fromLatin1(r.caption), r.type, 0, y, 130, 600, bold, plain);
        y += 32;
    }
    d.line(TLineStyle::stHorizontal, 0, y + 6, 768, 10, 1);
    d.importance(0, y + 22, 768, 24, Style{"Arial", 11, 0});
    d.line(TLineStyle::stHorizontal, 0, y + 56, 768, 10, 1);
    d.label(QStringLiteral("Message:"), 0, y + 72, 160, 24, bold);
    d.message(0, y + 102, 768, 880 - (y + 102), plain);
    d.line(TLineStyle::stHorizontal, 0, 900, 768, 10, 1);
    d.label(kFooter, 0, 912, 768, 20, Style{"Arial", 9, kItalic});
}

void framed(Designer& d) {
    const Style serif{QStringLiteral("Times New Roman"), 13, 0};
    const Style serifBold{QStringLiteral("Times New Roman"), 13, kBold};
    d.shape(TShapeType::stRoundRect, TShapeFillType::sftTransparent, 0, 0, 768, 950, 2, 4);
    d.symbol(0x28, 36, 28, 36);
    d.label(QStringLiteral("FACSIMILE"), 110, 24, 420, 60, Style{"Times New Roman", 40, kBold});
    d.field(TCoverFieldType::cfDate, 540, 44, 200, 24, serif);
    d.line(TLineStyle::stHorizontal, 36, 96, 696, 10, 2);
    d.shape(TShapeType::stRectangle, TShapeFillType::sftTransparent, 36, 116, 696, 196, 1);
    const int left = 52;
    d.row(QStringLiteral("To:"), TCoverFieldType::cfRecipient, left, 130, 110, 220, serifBold,
          serif);
    d.row(QStringLiteral("Fax:"), TCoverFieldType::cfRecipientFax, left, 166, 110, 220, serifBold,
          serif);
    d.row(QStringLiteral("Regarding:"), TCoverFieldType::cfRegarding, left, 202, 110, 560,
          serifBold, serif);
    d.row(QStringLiteral("Time:"), TCoverFieldType::cfTime, left, 238, 110, 220, serifBold, serif);
    d.row(QStringLiteral("From:"), TCoverFieldType::cfSender, 400, 130, 90, 230, serifBold, serif);
    d.row(QStringLiteral("Phone:"), TCoverFieldType::cfSenderVoice, 400, 166, 90, 230, serifBold,
          serif);
    d.row(QStringLiteral("Fax:"), TCoverFieldType::cfSenderFax, 400, 238, 90, 230, serifBold,
          serif);
    d.importance(36, 328, 696, 24, Style{"Times New Roman", 12, 0});
    d.line(TLineStyle::stHorizontal, 36, 362, 696, 10, 1);
    d.label(QStringLiteral("Comments"), 36, 376, 200, 26, Style{"Times New Roman", 15, kBold});
    d.message(36, 410, 696, 440, serif);
    d.line(TLineStyle::stHorizontal, 36, 872, 696, 10, 1);
    d.field(TCoverFieldType::cfSenderCompany, 36, 884, 696, 24, serifBold);
    d.label(QStringLiteral("Confidential: for the named recipient only."), 36, 910, 696, 22,
            Style{"Times New Roman", 10, kItalic});
}

void modern(Designer& d) {
    const Style small{QStringLiteral("Arial"), 9, kBold};
    const Style value{QStringLiteral("Arial"), 14, 0};
    d.shape(TShapeType::stRectangle, TShapeFillType::sftFilledBlack, 0, 0, 24, 960, 1);
    d.label(QStringLiteral("fax"), 48, 0, 200, 90, Style{"Arial", 60, kBold});
    d.field(TCoverFieldType::cfSenderCompany, 300, 20, 440, 30, Style{"Arial", 16, kBold});
    d.field(TCoverFieldType::cfDate, 300, 56, 440, 24, Style{"Arial", 11, 0});
    d.line(TLineStyle::stHorizontal, 48, 110, 720, 10, 1);
    auto cell = [&](const char* caption, TCoverFieldType type, int x, int y) {
        d.label(QString::fromLatin1(caption), x, y, 300, 18, small);
        d.field(type, x, y + 20, 330, 26, value);
    };
    cell("TO", TCoverFieldType::cfRecipient, 48, 132);
    cell("FROM", TCoverFieldType::cfSender, 420, 132);
    cell("FAX NUMBER", TCoverFieldType::cfRecipientFax, 48, 196);
    cell("PHONE", TCoverFieldType::cfSenderVoice, 420, 196);
    cell("SUBJECT", TCoverFieldType::cfRegarding, 48, 260);
    cell("OUR FAX", TCoverFieldType::cfSenderFax, 420, 260);
    d.line(TLineStyle::stHorizontal, 48, 326, 720, 10, 1);
    d.importance(48, 342, 720, 24, Style{"Arial", 11, 0});
    d.line(TLineStyle::stHorizontal, 48, 376, 720, 10, 1);
    d.label(QStringLiteral("NOTES"), 48, 394, 200, 18, small);
    d.message(48, 418, 720, 460, Style{"Arial", 13, 0});
    d.shape(TShapeType::stRectangle, TShapeFillType::sftFilledBlack, 48, 892, 720, 3, 1);
    d.label(kFooter, 48, 906, 720, 20, Style{"Arial", 9, 0});
}

void memo(Designer& d) {
    const Style mono{QStringLiteral("Courier New"), 12, 0};
    const Style monoBold{QStringLiteral("Courier New"), 12, kBold};
    d.label(QStringLiteral("FAX MEMO"), 0, 0, 400, 56, Style{"Courier New", 36, kBold});
    d.symbol(0x2A, 700, 4, 36);
    d.line(TLineStyle::stHorizontal, 0, 64, 768, 10, 2);
    d.line(TLineStyle::stHorizontal, 0, 70, 768, 10, 1);
    int y = 92;
    const struct {
        const char* caption;
        TCoverFieldType type;
    } rows[] = {
        {"TO:", TCoverFieldType::cfRecipient},      {"FAX:", TCoverFieldType::cfRecipientFax},
        {"FROM:", TCoverFieldType::cfSender},       {"COMPANY:", TCoverFieldType::cfSenderCompany},
        {"PHONE:", TCoverFieldType::cfSenderVoice}, {"DATE:", TCoverFieldType::cfDate},
        {"RE:", TCoverFieldType::cfRegarding}};
    for (const auto& r : rows) {
        d.row(QString::fromLatin1(r.caption), r.type, 0, y, 120, 620, monoBold, mono);
        y += 30;
    }
    d.shape(TShapeType::stRoundRect, TShapeFillType::sftTransparent, 0, y + 12, 768, 40, 1, 4);
    d.importance(12, y + 22, 748, 24, Style{"Courier New", 9, 0});
    d.message(0, y + 72, 768, 860 - (y + 72), mono);
    d.line(TLineStyle::stHorizontal, 0, 880, 768, 10, 1);
    d.label(QStringLiteral("Please call us if a page is missing or hard to read."), 0, 892, 768, 22,
            Style{"Courier New", 10, 0});
}

struct Template {
    const char* name;
    const char* description;
    std::function<void(Designer&)> build;
};

}  // namespace

QStringList generateShippedCovers(const QString& folder) {
    const Template templates[] = {
        {"px0001", "Classic business fax", classic},
        {"px0002", "Framed facsimile with a telephone symbol", framed},
        {"px0003", "Modern, with a black band", modern},
        {"px0004", "Typewriter memo", memo},
    };
    QDir().mkpath(folder);
    QStringList names;
    for (const Template& t : templates) {
        TCoverPageModel page;
        Designer d(page);
        t.build(d);
        SaveLabelFile(page, QDir(folder).filePath(QString::fromLatin1(t.name) + ".FCS"),
                      QString::fromLatin1(t.description));
        names << QString::fromLatin1(t.name);
    }
    return names;
}

}  // namespace px
