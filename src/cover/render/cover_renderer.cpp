#include "cover/render/cover_renderer.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QSet>
#include <array>
#include <cmath>

#include "cover/io/cover_render_list.h"
#include "cover/io/cover_text_files.h"
#include "cover/objects/cover_fonts.h"
#include "cover/objects/cover_text_codec.h"
#include "cover/objects/fax_cover_text_area.h"
#include "fax/convert/px_fax_converter.h"

namespace px {

namespace {

constexpr int kMaxCoverNumber = 99999;
// Records asking for more than this are damaged: drawing them would cost time
// and memory out of all proportion to the page.
constexpr int kMaxFontSize = 2000;  // points × 2
constexpr int kMaxPenWidth = 1000;
constexpr int kMaxCoordinate = 100000;
constexpr qint64 kMaxRenderListBytes = 16 << 20;

// Drawing a record failed: text, field and shape failures are skipped, the
// others end the drawing.
struct DrawError {};

void checkBox(const TRenderRecord& r) {
    for (const int v : {r.left, r.top, r.width, r.height}) {
        if (v < -kMaxCoordinate || v > kMaxCoordinate) {
            throw DrawError{};
        }
    }
}

QFont recordFont(const TRenderRecord& r) {
    if (r.fontSize < 1 || r.fontSize > kMaxFontSize) {
        throw DrawError{};
    }
    return coverFont(fromWindows1252(r.fontName), screenPixelHeight(r.fontSize), r.bold, r.italic,
                     r.underline);
}

// One line, top-left of its cell at (x, y), no clipping.
void drawLine(QPainter& p, int x, int y, const QString& text) {
    const QFontMetrics m(p.font());
    p.drawText(QPoint(x, y + m.ascent()), text);
}

QPen blackPen(int width) {
    if (width < 0 || width > kMaxPenWidth) {
        throw DrawError{};
    }
    QPen pen(Qt::black);
    pen.setWidth(width);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

class RecordPainter {
public:
    RecordPainter(QPainter& p, const TCoverValues& values, const QString& message)
        : p_(p), values_(values), message_(message) {
        message_.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    }

    // False ends the drawing.
    bool draw(const TRenderRecord& r) {
        const int x = r.left + kCoverMargin;
        const int y = r.top + kCoverMargin;
        switch (static_cast<TRenderKind>(r.kind)) {
            case TRenderKind::rkText:
            case TRenderKind::rkSymbol:
                return skipOnError([&] { text(r, x, y, fromWindows1252(r.caption)); });
            case TRenderKind::rkField:
                return skipOnError([&] { text(r, x, y, fieldValue(r)); });
            case TRenderKind::rkShape:
                return skipOnError([&] { shape(r, x, y); });
            case TRenderKind::rkLine:
                return stopOnError([&] { line(r, x, y); });
            case TRenderKind::rkImportance:
                return stopOnError([&] { importance(r, x, y); });
            case TRenderKind::rkMessage:
                return stopOnError([&] { messageArea(r, x, y); });
        }
        return true;  // an unknown kind is skipped
    }

private:
    template <typename F>
    bool skipOnError(F f) {
        try {
            f();
        } catch (const DrawError&) {
        }
        return true;
    }
    template <typename F>
    bool stopOnError(F f) {
        try {
            f();
        } catch (const DrawError&) {
            return false;
        }
        return true;
    }

    QString fieldValue(const TRenderRecord& r) const {
        if (r.fieldType >= 0 && r.fieldType < kFieldTypeCount) {
            return values_.values[static_cast<std::size_t>(r.fieldType)];
        }
        return fromWindows1252(r.caption);
    }

    void text(const TRenderRecord& r, int x, int y, const QString& caption) {
        checkBox(r);
        const QFont font = recordFont(r);
        p_.setFont(font);
        p_.setBrush(Qt::NoBrush);
        p_.setPen(Qt::black);
        drawLine(p_, x, y, drawnText(caption, fromWindows1252(r.fontName)));
    }

    void importance(const TRenderRecord& r, int x, int y) {
        if (!values_.anyImportance()) {
            return;
        }
        checkBox(r);
        p_.setFont(recordFont(r));
        p_.setBrush(Qt::NoBrush);
        p_.setPen(Qt::black);
        drawLine(p_, x, y, importanceCaption());
        const QFontMetrics m(p_.font());
        for (int i = 0; i < kImportanceCount; ++i) {
            if (values_.importance[static_cast<std::size_t>(i)]) {
                const int w = m.horizontalAdvance(importancePrefix(static_cast<TImportance>(i)));
                drawLine(p_, x + w, y, QStringLiteral("X"));
            }
        }
    }

    void messageArea(const TRenderRecord& r, int x, int y) {
        checkBox(r);
        p_.setFont(recordFont(r));
        p_.setBrush(Qt::NoBrush);
        p_.setPen(Qt::black);
        const QRect area(x, y, r.width, r.height);
        p_.save();
        p_.setClipRect(area);
        // No mnemonic flag: "&" is printed as it is.
        p_.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, message_);
        p_.restore();
    }

    void shape(const TRenderRecord& r, int x, int y) {
        checkBox(r);
        p_.setPen(blackPen(r.penWidth));
        switch (r.fill) {
            case 1:
                p_.setBrush(Qt::white);
                break;
            case 2:
                p_.setBrush(Qt::black);
                break;
            default:
                p_.setBrush(Qt::NoBrush);
                break;
        }
        // The box's right and bottom edges are outside the figure.
        const QRect box(x, y, r.width - 1, r.height - 1);
        switch (r.shape) {
            case 0:
            case 1:
                p_.drawRect(box);
                break;
            case 2:
            case 3: {
                const double corner = std::trunc(std::max(r.width, r.height) * r.rounding * 0.01);
                p_.drawRoundedRect(box, corner / 2, corner / 2);
                break;
            }
            case 4:
            case 5:
                p_.drawEllipse(box);
                break;
            default:
                break;
        }
    }

    void line(const TRenderRecord& r, int x, int y) {
        checkBox(r);
        p_.setPen(blackPen(r.penWidth));
        switch (r.lineStyle) {
            case 0:
                p_.drawLine(x, y, x + r.width, y);
                break;
            case 1:
                p_.drawLine(x, y, x, y + r.height);
                break;
            case 2:
                p_.drawLine(x, y + r.height, x + r.width, y);
                break;
            case 3:
                p_.drawLine(x, y, x + r.width, y + r.height);
                break;
            default:
                break;
        }
    }

    QPainter& p_;
    const TCoverValues& values_;
    QString message_;
};

}  // namespace

QString importanceCaption() {
    return QString::fromLatin1(kImportanceCaption);
}

QString importancePrefix(TImportance box) {
    const QString caption = importanceCaption();
    // The n-th opening bracket, n = the box's position.
    qsizetype at = -1;
    for (int i = 0; i <= static_cast<int>(box); ++i) {
        at = caption.indexOf(QLatin1Char('['), at + 1);
    }
    return caption.left(at + 1);
}

int drawRenderRecords(QPainter& canvas, std::string_view renderList, const TCoverValues& values,
                      int divisor, const QString& message) {
    RecordPainter painter(canvas, values, message);
    return readRenderList(renderList, divisor,
                          [&](const TRenderRecord& r) { return painter.draw(r); });
}

int DrawRenderList(QPainter& canvas, const QString& renderListPath, const TCoverValues& values,
                   int divisor, const QString& message) {
    QFile f(renderListPath);
    if (!f.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray bytes = f.read(kMaxRenderListBytes);
    return drawRenderRecords(canvas, std::string_view(bytes.constData(), bytes.size()), values,
                             divisor, message);
}

QImage newCoverCanvas(int width, int height) {
    QImage canvas(width, height, QImage::Format_Grayscale8);
    canvas.fill(0xFF);
    return canvas;
}

QImage toOneBit(const QImage& canvas) {
    return canvas.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
}

QImage renderCoverBitmap(const QString& renderListPath, const TCoverValues& values,
                         const QString& message) {
    QImage canvas = newCoverCanvas(kCoverPageWidth, kCoverPageHeight);
    {
        QPainter p(&canvas);
        DrawRenderList(p, renderListPath, values, 1, message);
    }
    // A page with no black pel at all would be taken for an empty one.
    canvas.setPixel(kCoverPageWidth - 1, kCoverPageHeight - 1, 0);
    QImage page = toOneBit(canvas);
    return page;
}

QString nextCoverFileName(const QString& sendFolder) {
    QSet<QString> taken;
    for (const QString& entry : QDir(sendFolder).entryList(QDir::Files)) {
        taken.insert(entry.toUpper());
    }
    int n = 0;
    QString name;
    for (; n <= kMaxCoverNumber; ++n) {
        name = QStringLiteral("COV%1.APF").arg(n, 5, 10, QLatin1Char('0'));
        if (!taken.contains(name)) {
            break;
        }
    }
    if (n > kMaxCoverNumber) {
        name = QStringLiteral("COV%1.APF").arg(kMaxCoverNumber);
    }
    QString folder = sendFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder + name;
}

QString RenderCoverPage(const QString& outputPath, const QString& renderListPath,
                        const TCoverValues& values, const QString& message,
                        const QString& sendFolder) {
    const QImage page = renderCoverBitmap(renderListPath, values, message);
    TPxFaxConverter converter;
    converter.setOptions(coYield);
    converter.setResolution(TFaxResolution::frHigh);
    // The page bitmap is already the full fax width with its own margin; the
    // converter's default 50-pel left margin would push its right edge, and
    // the corner pixel that marks the page, off the line.
    converter.setLeftMargin(0);
    converter.setOutFileName(outputPath.isEmpty() ? nextCoverFileName(sendFolder) : outputPath);
    converter.convertBitmapToFile(page);
    return converter.outFileName();
}

QImage renderPreviewBitmap(const QString& renderListPath, const QDateTime& now) {
    QImage canvas = newCoverCanvas(kPreviewWidth, kPreviewHeight);
    {
        QPainter p(&canvas);
        DrawRenderList(p, renderListPath, TCoverValues::preview(now), 1, QString());
    }
    return toOneBit(canvas);
}

QString RenderPreview(const QString& renderListPath) {
    const QString bmp = withExtension(renderListPath, QStringLiteral(".bmp"));
    const QImage preview = renderPreviewBitmap(renderListPath, QDateTime::currentDateTime());
    return preview.save(bmp, "BMP") ? bmp : QString();
}

}  // namespace px
