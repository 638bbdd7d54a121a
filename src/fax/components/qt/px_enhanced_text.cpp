#include "fax/components/qt/px_enhanced_text.h"

#include <QFontMetrics>
#include <cmath>

#include "fax/convert/px_text_ex_reader.h"

namespace px {

namespace {
// A height of 0 asks for the font mapper's default, the send form's size.
constexpr int kDefaultCharHeight = 13;
}  // namespace

QFont toQFont(const TPxFontDescription& d) {
    QFont font(QString::fromStdString(d.Name));
    font.setBold(d.Bold);
    font.setItalic(d.Italic);
    font.setUnderline(d.Underline);
    if (d.Height < 0) {
        font.setPixelSize(-d.Height);
    } else if (d.Height == 0) {
        font.setPixelSize(kDefaultCharHeight);
    } else {
        // A cell height includes the internal leading: scale the pixel size
        // so that the font's line height comes out at the asked height.
        font.setPixelSize(d.Height);
        const int cell = QFontMetrics(font).height();
        if (cell > 0 && cell != d.Height) {
            const double scaled = std::round(static_cast<double>(d.Height) * d.Height / cell);
            font.setPixelSize(std::max(1, static_cast<int>(scaled)));
        }
    }
    return font;
}

TPxEnhTextReaderMaker enhancedTextReaderMaker() {
    return [](const TPxFontDescription& description,
              bool fine) -> std::unique_ptr<TPxCustomTextReader> {
        auto reader = std::make_unique<TPxTextExReader>();
        if (reader->setup(toQFont(description), fine, kEnhTextPageWidth, kEnhTextLeftMargin) !=
            ecOK) {
            return nullptr;
        }
        return reader;
    };
}

void useEnhancedText(TPxSendFax& fax) {
    fax.EnhTextReaderMaker = enhancedTextReaderMaker();
}

}  // namespace px
