#include "fax/engine/px_hdlc_frame.h"

#include "fax/engine/px_response_collector.h"

namespace px {

namespace {

// Rate bits (T.30 bits 11..14 in octet 2): V.27ter 4800 0100, V.29 7200 1100,
// V.29 9600 1000, V.17 12000 0101, V.17 14400 0001. The V.17 12000 code is
// 0x28; V.33 (0x10) is a modulation the Class 1 commands below never select.
constexpr std::array<TPxClass1Speed, kSpeedCount> kSpeeds = {{
    {2400, "24", "24", 0x00, 0x00},
    {4800, "48", "48", 0x08, 0x08},
    {7200, "72", "72", 0x0C, 0x0C},
    {9600, "96", "96", 0x04, 0x0C},
    {12000, "121", "122", 0x28, 0x2C},
    {14400, "145", "146", 0x20, 0x2C},
}};

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

TPxFrameBody buildIdFrame(uint8_t fcf, const std::string& stationId) {
    std::string id = stationId.substr(0, 20);
    TPxFrameBody body{fcf};
    body.insert(body.end(), 20 - id.size(), ' ');
    for (auto it = id.rbegin(); it != id.rend(); ++it) {
        body.push_back(static_cast<uint8_t>(*it));
    }
    return body;
}

TPxFrameBody buildDis(int speedIndex) {
    uint8_t a = static_cast<uint8_t>(0x42 | class1Speed(speedIndex).disBits);
    return {fcfDIS, 0x00, a, 0xF9, 0x00};
}

TPxFrameBody buildDcs(int speedIndex, bool fine, bool wide, int scanCode) {
    uint8_t a = static_cast<uint8_t>((fine ? 0x42 : 0x02) | class1Speed(speedIndex).dcsBits);
    uint8_t c = static_cast<uint8_t>(kScanOctet[static_cast<size_t>(scanCode & 7)][fine ? 1 : 0] |
                                     0x88 | (wide ? 0x01 : 0x00));
    return {fcfDCS, 0x00, a, c, 0x00};
}

TPxDecodedFrame decodeFrame(const std::vector<uint8_t>& bytes) {
    TPxDecodedFrame frame;
    size_t at = 0;
    while (at < bytes.size() && bytes[at] != 0xFF) {
        ++at;
    }
    if (bytes.size() < at + 3) {
        return frame;
    }
    frame.valid = true;
    frame.final = (bytes[at + 1] & 0x10) != 0;
    frame.fcf = bytes[at + 2];
    frame.info.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at + 3), bytes.end());
    return frame;
}

std::string decodeStationId(const std::vector<uint8_t>& info) {
    std::string id;
    size_t n = std::min<size_t>(info.size(), 20);
    for (size_t i = n; i > 0; --i) {
        uint8_t c = info[i - 1];
        id.push_back(c >= 32 && c < 127 ? static_cast<char>(c) : ' ');
    }
    return trimLine(id);
}

TPxRemoteCaps decodeDis(const std::vector<uint8_t>& info) {
    TPxRemoteCaps caps;
    caps.speed[1] = caps.speed[2] = true;
    if (info.size() < 2) {
        return caps;
    }
    uint8_t b = info[1];
    caps.fine = (b & 0x40) != 0;
    // V.17 offers 14400 and 12000 (and the lower V.17 rates); V.33 bit alone 12000.
    if (b & 0x20) {
        caps.speed[5] = caps.speed[6] = true;
    }
    if (b & 0x10) {
        caps.speed[5] = true;
    }
    if ((b & 0x0C) == 0x04) {
        caps.speed[4] = true;
    } else if ((b & 0x0C) == 0x0C) {
        caps.speed[3] = caps.speed[4] = true;
    }
    if (info.size() >= 3) {
        uint8_t c = info[2];
        caps.wide = (c & 0x03) == 0x01;
        caps.scanCode = kScanCodeOfBits[static_cast<size_t>((c & 0x70) >> 4)];
    }
    return caps;
}

TPxDcsParams decodeDcs(const std::vector<uint8_t>& info) {
    TPxDcsParams params;
    if (info.size() < 2) {
        return params;
    }
    uint8_t b = info[1];
    params.fine = (b & 0x40) != 0;
    uint8_t rate = b & 0x3C;
    for (int i = kSpeedCount; i >= 1; --i) {
        if (class1Speed(i).dcsBits == rate) {
            params.speedIndex = i;
            params.trainingCode = class1Speed(i).trainingCode;
            params.pageCode = class1Speed(i).pageCode;
            break;
        }
    }
    // A sender stepping down within V.17 keeps V.17 at 9600 and 7200.
    if (rate == 0x24) {
        params.speedIndex = 4;
        params.trainingCode = "97";
        params.pageCode = "98";
    } else if (rate == 0x2C) {
        params.speedIndex = 3;
        params.trainingCode = "73";
        params.pageCode = "74";
    }
    if (info.size() >= 3) {
        params.wide = (info[2] & 0x03) == 0x01;
    }
    return params;
}

}  // namespace px
