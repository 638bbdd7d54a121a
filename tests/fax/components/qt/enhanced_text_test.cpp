// The send component's enhanced text readers: the header line and text
// covers drawn in the chosen fonts.
#include "fax/components/qt/px_enhanced_text.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "fax/convert/px_text_ex_reader.h"
#include "fax/t4/px_text_reader.h"
#include "text_rows.h"

namespace px {
namespace {

using test::readerRows;
using test::Rows;

const std::string kText = "ACME Ltd  Page 1 of 3";

Rows exRows(const QFont& font, bool fine) {
    TPxTextExReader reader;
    EXPECT_EQ(reader.setup(font, fine, 1728, 48), ecOK);
    return readerRows(reader, kText);
}

TEST(EnhancedText, FontDescriptionsBecomeQtFonts) {
    TPxFontDescription d;
    EXPECT_EQ(d.Name, "Arial");
    EXPECT_EQ(d.Height, -13);
    QFont f = toQFont(d);
    EXPECT_EQ(f.family(), "Arial");
    EXPECT_EQ(f.pixelSize(), 13);
    EXPECT_FALSE(f.bold() || f.italic() || f.underline());
    d.Height = 0;
    EXPECT_EQ(toQFont(d).pixelSize(), 13);
    d = {"Liberation Serif", -20, true, true, true, 0x0000FF};
    f = toQFont(d);
    EXPECT_EQ(f.pixelSize(), 20);
    EXPECT_TRUE(f.bold() && f.italic() && f.underline());
    d.Height = 24;  // a cell height: the line height comes out at it
    EXPECT_NEAR(QFontMetrics(toQFont(d)).height(), 24, 1);
}

TEST(EnhancedText, ReadersOnlyWhenEnabledAndAMakerIsGiven) {
    TPxSendFax fax;
    EXPECT_FALSE(fax.EnhTextReaders());
    useEnhancedText(fax);
    EXPECT_FALSE(fax.EnhTextReaders()) << "enhanced text is off";
    fax.EnhTextEnabled = true;
    EXPECT_TRUE(fax.EnhTextReaders());
    fax.EnhTextReaderMaker = nullptr;
    EXPECT_FALSE(fax.EnhTextReaders()) << "no font renderer: the fax font";
}

TEST(EnhancedText, HeaderAndCoverAreDrawnInTheirOwnFonts) {
    TPxSendFax fax;
    useEnhancedText(fax);
    fax.EnhTextEnabled = true;
    fax.EnhFont = {"Liberation Serif", -22, true, false, false, 0};
    const auto readers = fax.EnhTextReaders();
    for (bool fine : {false, true}) {
        auto header = readers(true, fine);
        auto cover = readers(false, fine);
        ASSERT_NE(header, nullptr);
        ASSERT_NE(cover, nullptr);
        const Rows headerRows = readerRows(*header, kText);
        const Rows coverRows = readerRows(*cover, kText);
        ASSERT_FALSE(headerRows.empty());
        QFont arial("Arial");
        arial.setPixelSize(13);
        EXPECT_EQ(headerRows, exRows(arial, fine)) << fine;
        QFont serif("Liberation Serif");
        serif.setPixelSize(22);
        serif.setBold(true);
        EXPECT_EQ(coverRows, exRows(serif, fine)) << fine;
        EXPECT_NE(headerRows, coverRows);

        // Not the fax font the transmitter draws with otherwise.
        TPxTextReader plain;
        ASSERT_EQ(plain.setup(TFaxFont::ffSmall, fine, 1728, 48), ecOK);
        EXPECT_NE(test::trimmed(headerRows), test::trimmed(readerRows(plain, kText)));
    }
}

TEST(EnhancedText, AFontTooLargeForTheSurfaceGivesNoReader) {
    const auto make = enhancedTextReaderMaker();
    EXPECT_EQ(make({"Arial", -400, false, false, false, 0}, true), nullptr);
    EXPECT_NE(make({"Arial", -13, false, false, false, 0}, true), nullptr);
}

}  // namespace
}  // namespace px
