// Layout of APF fax files: file header, page headers and fixed line records.
//
// A file is a 64-byte file header followed by the pages, each a 16-byte page
// header and its image data. All integers are little-endian.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

#include "common/px_errors.h"

namespace px {

constexpr size_t kApfFileHeaderSize = 64;
constexpr size_t kApfPageHeaderSize = 16;
constexpr uint32_t kApfFirstPageOffset = 64;
constexpr size_t kApfSenderIdLength = 20;
constexpr std::array<uint8_t, 6> kApfSignature = {'A', 'P', 'F', '1', '0', 0x1A};
constexpr const char* kApfDefaultExtension = "APF";
constexpr const char* kApfDefaultName = "NONAME.APF";

// Page flags.
constexpr uint16_t kApfFine = 0x0001;
constexpr uint16_t kApfWide = 0x0002;
constexpr uint16_t kApfLengthWords = 0x0004;

// Largest line record a reader takes in one piece.
constexpr size_t kApfMaxRecord = 4096;

// Blank line for top margins: aligned EOL, white 1728, white 0, fill.
constexpr std::array<uint8_t, 6> kApfBlankRecord = {0x00, 0x80, 0xB2, 0x59, 0x01, 0x00};
// Last record of every converted page: aligned EOL, six more EOLs, 8 zero bits.
constexpr std::array<uint8_t, 12> kApfEndOfPageRecord = {0x00, 0x80, 0x00, 0x08, 0x80, 0x00,
                                                         0x08, 0x80, 0x00, 0x08, 0x80, 0x00};

struct ApfFileHeader {
    uint32_t dateTime = 0;  // packed DOS date and time
    uint8_t senderIdLength = 0;
    std::array<char, kApfSenderIdLength> senderId{};
    uint16_t pageCount = 0;
    uint32_t firstPageOffset = kApfFirstPageOffset;

    // The identifier as text: the length byte's worth of characters (at most 20).
    std::string senderText() const;

    std::array<uint8_t, kApfFileHeaderSize> pack() const;
    // False when the signature does not match.
    static bool unpack(const uint8_t* bytes, ApfFileHeader& out);
};

struct ApfPageHeader {
    uint32_t imageLength = 0;
    uint16_t flags = 0;

    bool fine() const { return (flags & kApfFine) != 0; }
    bool wide() const { return (flags & kApfWide) != 0; }
    bool lengthWords() const { return (flags & kApfLengthWords) != 0; }

    std::array<uint8_t, kApfPageHeaderSize> pack() const;
    static ApfPageHeader unpack(const uint8_t* bytes);
};

// The converter's form of the sender identifier: the text's own length and
// blanks after it. The receiver's form: padded with blanks, length byte 20.
void apfSetSenderIdConverter(ApfFileHeader& header, const std::string& id);
void apfSetSenderIdReceiver(ApfFileHeader& header, const std::string& id);

// Packed DOS file time of a local time; 0 outside the years 1980..2099.
uint32_t apfDosDateTime(const std::tm& local);
uint32_t apfDosDateTimeNow();

}  // namespace px
