#include "fax/engine/px_hdlc_frame.h"

#include <algorithm>

#include "fax/engine/px_response_collector.h"
#include "fax/engine/px_station_id.h"

namespace px {

namespace {

// Rate bits (T.30 bits 11..14 in octet 2): V.27ter 4800 0100, V.29 7200 1100,
// V.29 9600 1000, V.17 12000 0101, V.17 14400 0001. The V.17 12000 code is
// 0x28; V.33 (0x10) is a modulation the Class 1 commands below never select.
// A DIS offers V.27ter and V.29 up to 9600 as 1100, and V.17 on top as 1101.
constexpr uint8_t kDisV27terV29 = kFifRateV27ter | kFifRateV29;
constexpr uint8_t kDisV17 = kDisV27terV29 | kFifRateV17;
constexpr std::array<TPxClass1Speed, kSpeedCount> kSpeeds = {{
    {2400, "24", "24", 0x00, 0x00},
    {4800, "48", "48", kFifRateV27ter, kFifRateV27ter},
    {7200, "72", "72", kFifRateV27ter | kFifRateV29, kDisV27terV29},
    {9600, "96", "96", kFifRateV29, kDisV27terV29},
    {12000, "121", "122", kFifRateV27ter | kFifRateV17, kDisV17},
    {14400, "145", "146", kFifRateV17, kDisV17},
}};
// Within V.17 a DCS steps down to 9600 (1001) and 7200 (1101).
constexpr uint8_t kDcsV17At9600 = kFifRateV29 | kFifRateV17;
constexpr uint8_t kDcsV17At7200 = kFifRateV29 | kFifRateV27ter | kFifRateV17;

// Scan-time code in DIS (bits 21..23 as 0x70 of octet 3) → code 0..7.
constexpr std::array<int, 8> kScanCodeOfBits = {5, 1, 3, 4, 7, 6, 2, 0};
// Scan time in ms by code, standard and fine.
constexpr std::array<std::array<int, 2>, 8> kScanMs = {
    {{0, 0}, {5, 5}, {10, 5}, {10, 10}, {20, 10}, {20, 20}, {40, 20}, {40, 40}}};
// The DCS octet for the scan time, by code, standard and fine.
constexpr std::array<std::array<uint8_t, 2>, 8> kScanOctet = {{{0x70, 0x70},
                                                               {0x10, 0x10},
                                                               {0x20, 0x10},
                                                               {0x20, 0x20},
                                                               {0x00, 0x20},
                                                               {0x00, 0x00},
                                                               {0x40, 0x00},
                                                               {0x40, 0x40}}};

}  // namespace

const TPxClass1Speed& class1Speed(int index) {
    if (index < 1) {
        index = 1;
    }
    if (index > kSpeedCount) {
        index = kSpeedCount;
    }
    return kSpeeds[static_cast<size_t>(index - 1)];
}

int minimumScanMs(int code, bool fine) {
    return kScanMs[static_cast<size_t>(code & 7)][fine ? 1 : 0];
}

uint32_t minimumLineOctets(int code, bool fine, uint32_t bps) {
    return static_cast<uint32_t>(minimumScanMs(code, fine)) * bps / 8000;  // ms × bit/s → octets
}

size_t trainingCheckLength(uint32_t bps) {
    constexpr size_t kMaxTrainingCheck = 8192;
    return std::min<size_t>(bps / 100 * 18, kMaxTrainingCheck);
}

TPxFrameBody buildIdFrame(uint8_t fcf, const std::string& stationId) {
    const std::string id = sendableStationId(stationId);
    TPxFrameBody body{fcf};
    body.insert(body.end(), kStationIdLength - id.size(), ' ');
    for (auto it = id.rbegin(); it != id.rend(); ++it) {
        body.push_back(static_cast<uint8_t>(*it));
    }
    return body;
}

TPxFrameBody buildDis(int speedIndex) {
    // Fine pages, 1728 and 2048 pels wide, A4 and B4 long, no scan time.
    const auto rate =
        static_cast<uint8_t>(kFifFine | kFifReceiverT4 | class1Speed(speedIndex).disBits);
    const auto page =
        static_cast<uint8_t>(kFifExtend | kFifScanTime0Ms | kFifLengthB4 | kFifWidth2048);
    return {fcfDIS, 0x00, rate, page, 0x00};
}

TPxFrameBody buildDcs(int speedIndex, bool fine, bool wide, int scanCode, TFaxLength length) {
    const auto rate = static_cast<uint8_t>((fine ? kFifFine : 0) | kFifReceiverT4 |
                                           class1Speed(speedIndex).dcsBits);
    const uint8_t lengthBits = length == TFaxLength::B4          ? kFifLengthB4
                               : length == TFaxLength::Unlimited ? kFifLengthUnlimited
                                                                 : 0;
    const auto page =
        static_cast<uint8_t>(kScanOctet[static_cast<size_t>(scanCode & 7)][fine ? 1 : 0] |
                             kFifExtend | lengthBits | (wide ? kFifWidth2048 : 0));
    return {fcfDCS, 0x00, rate, page, 0x00};
}

TPxDecodedFrame decodeFrame(const std::vector<uint8_t>& bytes) {
    TPxDecodedFrame frame;
    size_t at = 0;
    while (at < bytes.size() && bytes[at] != kHdlcAddress) {
        ++at;
    }
    if (bytes.size() < at + 3) {
        return frame;
    }
    frame.valid = true;
    frame.final = (bytes[at + 1] & kControlFinalBit) != 0;
    frame.fcf = bytes[at + 2];
    frame.info.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at + 3), bytes.end());
    return frame;
}

std::string decodeStationId(const std::vector<uint8_t>& info) {
    std::string id;
    size_t n = std::min<size_t>(info.size(), kStationIdLength);
    for (size_t i = n; i > 0; --i) {
        uint8_t c = info[i - 1];
        id.push_back(c >= 32 && c < 127 ? static_cast<char>(c) : ' ');
    }
    return trimLine(id);
}

TPxRemoteCaps decodeDis(const std::vector<uint8_t>& info) {
    TPxRemoteCaps caps;
    caps.speed[1] = caps.speed[2] = true;
    if (info.size() <= kFifRateOctet) {
        return caps;
    }
    const uint8_t rate = info[kFifRateOctet];
    caps.fine = (rate & kFifFine) != 0;
    // V.17 offers 14400 and 12000 (and the lower V.17 rates); V.33 bit alone 12000.
    if (rate & kFifRateV17) {
        caps.speed[5] = caps.speed[6] = true;
    }
    if (rate & kFifRateV33) {
        caps.speed[5] = true;
    }
    // V.29 alone or with V.27ter: 9600 and 7200.
    if (rate & kFifRateV29) {
        caps.speed[3] = caps.speed[4] = true;
    }
    if (info.size() > kFifPageOctet) {
        const uint8_t page = info[kFifPageOctet];
        // Either width bit offers 2048 pels: bit 17 alone B4, bit 18 (or
        // both, as some receivers send) A3, which includes B4.
        caps.wide = (page & kFifWidthMask) != 0;
        caps.b4Length = (page & kFifLengthB4) != 0;
        caps.unlimitedLength = (page & kFifLengthUnlimited) != 0;
        caps.scanCode =
            kScanCodeOfBits[static_cast<size_t>((page & kFifScanTimeMask) >> kFifScanTimeShift)];
    }
    return caps;
}

TPxDcsParams decodeDcs(const std::vector<uint8_t>& info) {
    TPxDcsParams params;
    if (info.size() <= kFifRateOctet) {
        return params;
    }
    params.fine = (info[kFifRateOctet] & kFifFine) != 0;
    const uint8_t rate = info[kFifRateOctet] & kFifRateMask;
    for (int i = kSpeedCount; i >= 1; --i) {
        if (class1Speed(i).dcsBits == rate) {
            params.speedIndex = i;
            params.trainingCode = class1Speed(i).trainingCode;
            params.pageCode = class1Speed(i).pageCode;
            break;
        }
    }
    // A sender stepping down within V.17 keeps V.17 at 9600 and 7200.
    if (rate == kDcsV17At9600) {
        params.speedIndex = 4;
        params.trainingCode = "97";
        params.pageCode = "98";
    } else if (rate == kDcsV17At7200) {
        params.speedIndex = 3;
        params.trainingCode = "73";
        params.pageCode = "74";
    }
    if (info.size() > kFifPageOctet) {
        params.wide = (info[kFifPageOctet] & kFifWidthMask) == kFifWidth2048;
    }
    return params;
}

}  // namespace px
