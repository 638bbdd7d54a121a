// T.30 frames as a Class 1 modem carries them: building the ones we send and
// decoding the ones we receive (octets in the modem's order, bit 1 = 0x01).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace px {

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

// The FCF without its X bit, the low bit the station that answered a DIS
// sets in its frames (T.30 5.3.6.1): DTC reads as DIS, and so on.
constexpr uint8_t withoutXBit(uint8_t fcf) {
    return static_cast<uint8_t>(fcf & 0xFE);
}

constexpr int kSpeedCount = 6;

// Class 1 speeds by index 1..6.
struct TPxClass1Speed {
    uint32_t bps;
    const char* trainingCode;
    const char* pageCode;
    uint8_t dcsBits;  // data signalling rate bits of DCS octet 2
    uint8_t disBits;  // capability bits of DIS octet 2
};
const TPxClass1Speed& class1Speed(int index);

// Minimum scan time in ms by the remote's code 0..7, standard and fine.
int minimumScanMs(int code, bool fine);

// Frame bytes after the address and control octets (FCF and information).
using TPxFrameBody = std::vector<uint8_t>;

// TSI or CSI: the FCF, blanks, then the ID from last character to first.
TPxFrameBody buildIdFrame(uint8_t fcf, const std::string& stationId);
// DIS of a receiver able to take fine pages up to speed `index`.
TPxFrameBody buildDis(int speedIndex);
// DCS for the chosen speed, resolution, width and the remote's scan-time code.
TPxFrameBody buildDcs(int speedIndex, bool fine, bool wide, int scanCode);

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
    bool wide = false;
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
