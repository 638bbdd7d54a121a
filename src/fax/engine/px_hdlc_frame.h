// T.30 frames as a Class 1 modem carries them: building the ones we send and
// decoding the ones we receive (octets in the modem's order, bit 1 = 0x01).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/px_limits.h"

namespace px {

// The address and control octets that open every frame (T.30 5.3.4, 5.3.5).
constexpr uint8_t kHdlcAddress = 0xFF;
constexpr uint8_t kControlNotFinal = 0x03;
constexpr uint8_t kControlFinal = 0x13;  // the last frame of a message
constexpr uint8_t kControlFinalBit = 0x10;

// Frame control fields as we send them.
constexpr uint8_t fcfDIS = 0x80;
constexpr uint8_t fcfCSI = 0x40;
constexpr uint8_t fcfTSI = 0x43;
constexpr uint8_t fcfDCS = 0x83;
constexpr uint8_t fcfCFR = 0x84;
constexpr uint8_t fcfFTT = 0x44;
constexpr uint8_t fcfMPS = 0x4F;
constexpr uint8_t fcfEOM = 0x8F;
constexpr uint8_t fcfEOP = 0x2F;
constexpr uint8_t fcfMCF = 0x8C;
constexpr uint8_t fcfRTN = 0x4C;
constexpr uint8_t fcfRTP = 0xCC;
constexpr uint8_t fcfDCN = 0xFB;
// Command repeat: the far end heard our last command damaged and asks for it
// again (T.30 5.3.6.1.8).
constexpr uint8_t fcfCRP = 0x1A;

// The FCF without its X bit, the low bit the station that answered a DIS
// sets in its frames (T.30 5.3.6.1): DTC reads as DIS, and so on.
constexpr uint8_t withoutXBit(uint8_t fcf) {
    return static_cast<uint8_t>(fcf & 0xFE);
}

// The facsimile information field of DIS, DTC and DCS (T.30 Table 2), as
// the modem carries it: octet 1 holds bits 1..8, octet 2 bits 9..16, octet 3
// bits 17..24, bit n of an octet at 1 << ((n - 1) % 8). Where DIS and DCS
// read a bit differently, DIS offers and DCS chooses.
constexpr size_t kFifRateOctet = 1;  // info[1]: bits 9..16
constexpr size_t kFifPageOctet = 2;  // info[2]: bits 17..24
// Octet 2.
constexpr uint8_t kFifReceiverT4 = 0x02;  // bit 10: receives T.4 pages
constexpr uint8_t kFifRateMask = 0x3C;    // bits 11..14: data signalling rate
constexpr uint8_t kFifRateV29 = 0x04;     // bit 11
constexpr uint8_t kFifRateV27ter = 0x08;  // bit 12
constexpr uint8_t kFifRateV33 = 0x10;     // bit 13
constexpr uint8_t kFifRateV17 = 0x20;     // bit 14
constexpr uint8_t kFifFine = 0x40;        // bit 15: 7.7 lines/mm
// Octet 3.
constexpr uint8_t kFifWidthMask = 0x03;        // bits 17, 18: recording width
constexpr uint8_t kFifWidth2048 = 0x01;        // 1, 0: DIS 1728 and 2048 pels, DCS 2048
constexpr uint8_t kFifLengthMask = 0x0C;       // bits 19, 20: recording length
constexpr uint8_t kFifLengthUnlimited = 0x04;  // 1, 0: DIS A4, B4 and unlimited; DCS unlimited
constexpr uint8_t kFifLengthB4 = 0x08;         // bits 19, 20 = 0, 1: DIS A4 and B4, DCS B4
constexpr uint8_t kFifScanTimeMask = 0x70;     // bits 21..23: minimum scan time
constexpr int kFifScanTimeShift = 4;
constexpr uint8_t kFifScanTime0Ms = 0x70;  // 1, 1, 1: DIS 0 ms
constexpr uint8_t kFifExtend = 0x80;       // bit 24: another octet follows

constexpr int kSpeedCount = 6;

// Class 1 speeds by index 1..6.
struct TPxClass1Speed {
    uint32_t bps;
    const char* trainingCode;
    const char* pageCode;
    uint8_t dcsBits;  // data signalling rate bits (kFifRateMask) of DCS octet 2
    uint8_t disBits;  // capability bits (kFifRateMask) of DIS octet 2
};
const TPxClass1Speed& class1Speed(int index);

// Minimum scan time in ms by the remote's code 0..7, standard and fine.
int minimumScanMs(int code, bool fine);
// The octets a coded line needs at `bps` to last the minimum scan time.
uint32_t minimumLineOctets(int code, bool fine, uint32_t bps);

// The training check (TCF, T.30 5.3.6.2.7) at `bps`: 1.5 s of zero octets,
// at most 8192.
size_t trainingCheckLength(uint32_t bps);
// The receiver takes a training check as good when fewer than this per cent
// of its octets are not zero.
constexpr uint32_t kTrainingNoisePercent = 10;

// Frame bytes after the address and control octets (FCF and information).
using TPxFrameBody = std::vector<uint8_t>;

// A station ID in TSI, CSI and CIG has kStationIdLength characters
// (T.30 5.3.6.2.4).

// TSI or CSI: the FCF, blanks, then the ID from last character to first.
TPxFrameBody buildIdFrame(uint8_t fcf, const std::string& stationId);
// DIS of a receiver able to take fine pages up to speed `index`.
TPxFrameBody buildDis(int speedIndex);
// The recording length a DCS names: A4 (bits 19, 20 clear), B4 or unlimited.
enum class TFaxLength { A4, B4, Unlimited };

// DCS for the chosen speed, resolution, width, the remote's scan-time code
// and the length of the page.
TPxFrameBody buildDcs(int speedIndex, bool fine, bool wide, int scanCode,
                      TFaxLength length = TFaxLength::A4);

// A received frame, starting at the address octet.
struct TPxDecodedFrame {
    bool valid = false;
    bool final = false;
    uint8_t fcf = 0;  // as received
    std::vector<uint8_t> info;
};
TPxDecodedFrame decodeFrame(const std::vector<uint8_t>& bytes);

// The remote's ID from a TSI/CSI frame's information: reversed and trimmed.
std::string decodeStationId(const std::vector<uint8_t>& info);

// What the remote's DIS/DTC offers.
struct TPxRemoteCaps {
    bool fine = false;
    bool wide = false;  // takes 2048 pels (and, it may be, A3's 2432)
    bool b4Length = false;
    bool unlimitedLength = false;
    int scanCode = 0;
    std::array<bool, kSpeedCount + 1> speed{};  // by index; 1 and 2 always
};
TPxRemoteCaps decodeDis(const std::vector<uint8_t>& info);

// What a DCS sets.
struct TPxDcsParams {
    bool fine = false;
    bool wide = false;
    int speedIndex = 1;
    // The modulation codes to receive with ("AT+FRM="): training and pages.
    std::string trainingCode = "24";
    std::string pageCode = "24";
};
TPxDcsParams decodeDcs(const std::vector<uint8_t>& info);

}  // namespace px
