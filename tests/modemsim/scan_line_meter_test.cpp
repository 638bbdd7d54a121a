// The simulator's measure of the page lines a DTE sends through its Class 1
// modem.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan_line_meter.h"

namespace px {
namespace {

void feed(ScanLineMeter& meter, const std::string& text) {
    meter.fromDte(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}
void feed(ScanLineMeter& meter, const std::vector<uint8_t>& bytes) {
    meter.fromDte(bytes.data(), bytes.size());
}

// An aligned EOL (0x00 0x80), a white 1728 line (0xB2 0x59 0x01), then
// `fill` zero octets: a line of 5 + fill octets up to the next EOL.
std::vector<uint8_t> line(size_t fill) {
    std::vector<uint8_t> out = {0x00, 0x80, 0xB2, 0x59, 0x01};
    out.insert(out.end(), fill, 0x00);
    return out;
}

TEST(ScanLineMeter, MeasuresPageLinesAtTheirRateAndSkipsCommandsFramesAndTraining) {
    ScanLineMeter meter;
    // Commands, a frame with zero octets in it and a training check carry
    // no coded lines.
    feed(meter, "AT+FRH=3\rAT+FTH=3\r");
    feed(meter, std::vector<uint8_t>{0xFF, 0x13, 0x83, 0x00, 0x00, 0x46, 0x10, 0x03});
    feed(meter, "AT+FTM=96\r");
    feed(meter, std::vector<uint8_t>(1728, 0x00));
    feed(meter, std::vector<uint8_t>{0x10, 0x03});
    EXPECT_LT(meter.shortestLineMs(), 0);

    // Page data at 9600: lines of 24 and 12 octets (DLE doubled in one).
    feed(meter, "AT+FTM=96\r");
    std::vector<uint8_t> page = line(19);
    std::vector<uint8_t> shorter = line(7);
    shorter[4] = 0x10;  // stands in for a code octet that happens to be DLE
    shorter.insert(shorter.begin() + 5, 0x10);
    page.insert(page.end(), shorter.begin(), shorter.end());
    std::vector<uint8_t> last = line(19);
    page.insert(page.end(), last.begin(), last.end());
    // RTC: EOLs with nothing between them are no lines.
    for (int i = 0; i < 6; ++i) {
        page.insert(page.end(), {0x00, 0x80});
    }
    page.insert(page.end(), {0x10, 0x03});
    feed(meter, page);
    EXPECT_EQ(meter.lines(), 3);
    EXPECT_DOUBLE_EQ(meter.shortestLineMs(), 12 * 8 * 1000.0 / 9600);

    meter.reset();
    EXPECT_LT(meter.shortestLineMs(), 0);
    EXPECT_EQ(meter.lines(), 0);
}

}  // namespace
}  // namespace px
