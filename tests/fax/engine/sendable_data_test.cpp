// What the engine makes of our own data before it goes to the far end:
// station IDs in the characters a fax frame carries, and page lines
// stretched to the far end's minimum scan time.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "fax/engine/px_hdlc_frame.h"
#include "fax/engine/px_modem_result.h"
#include "fax/engine/px_scan_line_padding.h"
#include "fax/engine/px_station_id.h"

namespace px {
namespace {

TEST(StationId, SendsPrintableAsciiAndNeverSplitsACharacter) {
    EXPECT_EQ(sendableStationId("+49 30 1234567"), "+49 30 1234567");
    // Accented Latin letters lose their accents; others are left out.
    EXPECT_EQ(sendableStationId("Müller Straße"), "Muller Strasse");
    EXPECT_EQ(sendableStationId("Zoë 東京 €5"), "Zoe  5");
    // Control characters and malformed UTF-8 are dropped byte by byte.
    EXPECT_EQ(sendableStationId(std::string("A\tB\xC3\x28"
                                            "C\xFF")),
              "AB(C");
    // Cut at 20 characters of what is sent, so a multi-byte character at
    // the end of the text is never cut in half.
    const std::string longName = "Société Générale Paris Ouest";
    EXPECT_EQ(sendableStationId(longName), "Societe Generale Par");
    EXPECT_EQ(sendableStationId(std::string(19, 'x') + "é"), std::string(19, 'x') + "e");
    // The identification frame carries the same.
    TPxFrameBody tsi = buildIdFrame(fcfTSI, "Müller");
    ASSERT_EQ(tsi.size(), 21u);
    EXPECT_EQ(decodeStationId({tsi.begin() + 1, tsi.end()}), "Muller");
}

TEST(StationId, ADoubleQuoteIsLeftOutOfTheLocalIdCommand) {
    EXPECT_EQ(quotedStationId("ACME \"FAX\""), "\"ACME FAX\"");
    EXPECT_EQ(quotedStationId("Café"), "\"Cafe\"");
    EXPECT_EQ(quotedStationId(""), "\"\"");
}

TEST(StationId, ReceivedIdsStayPlainTextOfOneIdsLength) {
    EXPECT_EQ(resultStationId("+FTSI: \"<b>ACME</b>\""), "<b>ACME</b>");
    EXPECT_EQ(resultStationId(std::string("+FCSI:\"AB\x80\x81"
                                          "CD\"")),
              "AB  CD");
    EXPECT_EQ(resultStationId("+FTSI: \"123456789012345678901234\"").size(), 20u);
}

// A coded line of `octets` octets that starts with an aligned EOL (0x00
// 0x80) and holds one white run.
std::vector<uint8_t> codedLine(size_t octets) {
    std::vector<uint8_t> line = {0x00, 0x80, 0xB2, 0x59, 0x01};
    line.resize(std::max<size_t>(octets, line.size()), 0x00);
    return line;
}

TEST(ScanLinePadding, ShortLinesGetFillBeforeTheirEolLongOnesAndRtcDoNot) {
    std::vector<uint8_t> page;
    for (size_t octets : {6, 30, 12}) {
        auto line = codedLine(octets);
        page.insert(page.end(), line.begin(), line.end());
    }
    const std::vector<uint8_t> rtc = {0x00, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80};
    page.insert(page.end(), rtc.begin(), rtc.end());

    std::vector<uint8_t> expected;
    for (size_t octets : {24, 30, 24}) {
        auto line = codedLine(octets);
        expected.insert(expected.end(), line.begin(), line.end());
    }
    expected.insert(expected.end(), rtc.begin(), rtc.end());
    EXPECT_EQ(padScanLines(page.data(), page.size(), 24), expected);
    // No scan time: the data as it is.
    EXPECT_EQ(padScanLines(page.data(), page.size(), 0), page);
}

TEST(ScanLinePadding, EolsOffTheOctetBoundaryKeepTheRestOfTheBitStream) {
    // Random data with EOLs at any bit position: fill only lengthens runs
    // of eleven or more zeros, so with such runs cut to eleven the bits
    // before and after are the same.
    std::mt19937 random(7);
    std::vector<uint8_t> page(4000);
    for (auto& b : page) {
        b = static_cast<uint8_t>(random());
        if (random() % 8 == 0) {
            b = 0;  // runs of zeros long enough to make EOLs
        }
    }
    const std::vector<uint8_t> padded = padScanLines(page.data(), page.size(), 40);
    ASSERT_GT(padded.size(), page.size());
    const auto squeezed = [](const std::vector<uint8_t>& bytes) {
        std::vector<bool> bits;
        size_t zeros = 0;
        for (uint8_t byte : bytes) {
            for (int b = 0; b < 8; ++b) {
                const bool one = ((byte >> b) & 1u) != 0;
                zeros = one ? 0 : zeros + 1;
                if (one || zeros <= 11) {
                    bits.push_back(one);
                }
            }
        }
        return bits;
    };
    EXPECT_EQ(squeezed(padded), squeezed(page));
}

}  // namespace
}  // namespace px
