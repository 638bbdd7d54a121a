// The numbers of the PCX and DCX formats: header, run-length coding, page
// table. Kept apart from the decoder so that recognising a file needs no Qt.
#pragma once

#include <cstddef>
#include <cstdint>

namespace px {

constexpr size_t kPcxHeaderSize = 128;
constexpr uint8_t kPcxManufacturer = 0x0A;
constexpr uint8_t kPcxRunLengthCoding = 1;
constexpr uint8_t kPcxRunMarker = 0xC0;
constexpr uint8_t kPcxPaletteMarker = 0x0C;  // before a 256-colour palette at the end
constexpr size_t kPcxPaletteSize = 768;
constexpr uint32_t kDcxSignature = 0x3ADE68B1;
constexpr size_t kDcxMaxPages = 1024;

// Largest picture taken: a 1-bit page of 16,384 × 16,384 pels, a colour one
// of 16 million pels. Larger headers are refused before anything is read.
constexpr uint64_t kPcxMaxMonoPels = uint64_t{1} << 28;
constexpr uint64_t kPcxMaxColourPels = uint64_t{1} << 24;

}  // namespace px
