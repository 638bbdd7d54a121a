// A send through the simulator with a header line: the header rows on the
// received page are those of the header font, the fax font by default and
// the chosen font with enhanced text.
#include <gtest/gtest.h>
#include <tiffio.h>

#include "../simulated_receiver.h"
#include "fax/components/qt/px_enhanced_text.h"
#include "fax/engine/px_fax_transmitter.h"
#include "fax/t4/px_text_reader.h"
#include "support/prerequisite.h"
#include "text_rows.h"

namespace px::test {
namespace {

const std::string kHeader = "ACME Ltd  Page header";

// The first rows of the first received page.
Rows receivedRows(const std::string& tiffPath, uint32_t count) {
    Rows rows;
    TIFF* tif = TIFFOpen(tiffPath.c_str(), "r");
    if (tif == nullptr) {
        return rows;
    }
    uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
    for (uint32_t y = 0; y < std::min(count, height); ++y) {
        if (TIFFReadScanline(tif, line.data(), y, 0) < 0) {
            break;
        }
        std::vector<bool> row(1728);
        for (uint32_t x = 0; x < std::min<uint32_t>(width, 1728); ++x) {
            const bool set = (line[x / 8] & (0x80U >> (x % 8))) != 0;
            row[x] = photometric == PHOTOMETRIC_MINISWHITE ? set : !set;
        }
        rows.push_back(row);
    }
    TIFFClose(tif);
    return rows;
}

// Sends one standard page with the header line; the received page's rows.
Rows sendWithHeader(bool enhanced, const TPxFontDescription& font) {
    SimulatedReceiver call;
    EXPECT_TRUE(call.ready);
    TPxSendFax& fax = call.fax;
    fax.HeaderLine = kHeader;
    fax.FaxFile = SimulatedReceiver::blankApf(call.dir / "page.apf", 1);
    useEnhancedText(fax);
    fax.EnhTextEnabled = enhanced;
    fax.EnhHeaderFont = font;
    EXPECT_TRUE(call.sendAndWait());
    EXPECT_EQ(call.finishCode, 0);
    EXPECT_EQ(call.sim.wait(30), 0);
    return receivedRows(call.dir / "received.tif", 120);
}

TEST(EnhancedTextEndToEnd, HeaderLineInTheFaxFontByDefault) {
    PX_REQUIRE(SimulatedReceiver::available(), "parvex-modemsim (build it)");
    const Rows page = trimmed(sendWithHeader(false, {}));
    TPxTextReader plain;
    ASSERT_EQ(plain.setup(TFaxFont::ffSmall, false, 1728, 0), ecOK);
    const Rows expected = trimmed(readerRows(plain, kHeader));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(page, expected);
}

TEST(EnhancedTextEndToEnd, HeaderLineInTheChosenFontWithEnhancedText) {
    PX_REQUIRE(SimulatedReceiver::available(), "parvex-modemsim (build it)");
    const TPxFontDescription font{"Liberation Serif", -18, true, false, false, 0};
    const Rows page = trimmed(sendWithHeader(true, font));
    auto reader = enhancedTextReaderMaker()(font, false);
    ASSERT_NE(reader, nullptr);
    const Rows expected = trimmed(readerRows(*reader, kHeader));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(page, expected);
    TPxTextReader plain;
    ASSERT_EQ(plain.setup(TFaxFont::ffSmall, false, 1728, 0), ecOK);
    EXPECT_NE(page, trimmed(readerRows(plain, kHeader)));
}

}  // namespace
}  // namespace px::test
