// The header or footer line of a printed fax page: a caption with codes that
// are filled in per page, a font, and whether the line is printed at all.
#pragma once

#include <QDateTime>
#include <QFont>
#include <QString>

namespace px {

// What the codes of a caption stand for on one printed page.
struct TMarginValues {
    QString fileName;        // $F
    unsigned pageCount = 0;  // $N
    unsigned page = 0;       // $P
    QDateTime now;           // $D (short date) and $T (time)
};

// Replaces each code of a caption: a "$" starts a code that runs to the next
// blank or the end of the text, and the whole code is replaced according to
// its second character in either case ($D, $F, $N, $P, $T); any other code,
// a lone "$" included, is removed.
QString expandMarginCodes(const QString& caption, const TMarginValues& values);

class TPxCustomFaxPrinterMargin {
public:
    TPxCustomFaxPrinterMargin() = default;
    TPxCustomFaxPrinterMargin(const QString& caption, bool enabled)
        : caption_(caption), enabled_(enabled) {}

    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption) { caption_ = caption; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }
    // The toolkit's default font on a new margin.
    const QFont& font() const { return font_; }
    void setFont(const QFont& font) { font_ = font; }

    // Height in device pels of the text last drawn (0 before any).
    int textHeight() const { return textHeight_; }
    void setTextHeight(int pels) { textHeight_ = pels; }

private:
    QString caption_;
    bool enabled_ = false;
    QFont font_;
    int textHeight_ = 0;
};

class TPxFaxPrinterMargin : public TPxCustomFaxPrinterMargin {
public:
    using TPxCustomFaxPrinterMargin::TPxCustomFaxPrinterMargin;
};

}  // namespace px
