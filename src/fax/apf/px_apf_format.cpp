#include "fax/apf/px_apf_format.h"

#include <algorithm>
#include <cstring>

namespace px {
namespace {

void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

uint16_t get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t get32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void setSender(ApfFileHeader& header, const std::string& id, bool padLength) {
    const size_t n = std::min(id.size(), kApfSenderIdLength);
    header.senderId.fill(' ');
    std::copy_n(id.begin(), n, header.senderId.begin());
    header.senderIdLength = static_cast<uint8_t>(padLength ? kApfSenderIdLength : n);
}

}  // namespace

std::string ApfFileHeader::senderText() const {
    const size_t n = std::min<size_t>(senderIdLength, kApfSenderIdLength);
    return std::string(senderId.data(), n);
}

std::array<uint8_t, kApfFileHeaderSize> ApfFileHeader::pack() const {
    std::array<uint8_t, kApfFileHeaderSize> out{};
    std::copy(kApfSignature.begin(), kApfSignature.end(), out.begin());
    put32(&out[6], dateTime);
    out[10] = senderIdLength;
    std::memcpy(&out[11], senderId.data(), kApfSenderIdLength);
    put16(&out[32], pageCount);
    put32(&out[34], firstPageOffset);
    return out;
}

bool ApfFileHeader::unpack(const uint8_t* bytes, ApfFileHeader& out) {
    if (!std::equal(kApfSignature.begin(), kApfSignature.end(), bytes)) {
        return false;
    }
    out.dateTime = get32(bytes + 6);
    out.senderIdLength = bytes[10];
    std::memcpy(out.senderId.data(), bytes + 11, kApfSenderIdLength);
    out.pageCount = get16(bytes + 32);
    out.firstPageOffset = get32(bytes + 34);
    return true;
}

std::array<uint8_t, kApfPageHeaderSize> ApfPageHeader::pack() const {
    std::array<uint8_t, kApfPageHeaderSize> out{};
    put32(&out[0], imageLength);
    put16(&out[4], flags);
    return out;
}

ApfPageHeader ApfPageHeader::unpack(const uint8_t* bytes) {
    ApfPageHeader h;
    h.imageLength = get32(bytes);
    h.flags = get16(bytes + 4);
    return h;
}

void apfSetSenderIdConverter(ApfFileHeader& header, const std::string& id) {
    setSender(header, id, false);
}

void apfSetSenderIdReceiver(ApfFileHeader& header, const std::string& id) {
    setSender(header, id, true);
}

uint32_t apfDosDateTime(const std::tm& local) {
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2099) {
        return 0;
    }
    const auto time =
        static_cast<uint32_t>(local.tm_hour * 2048 + local.tm_min * 32 + local.tm_sec / 2);
    const auto date =
        static_cast<uint32_t>((year - 1980) * 512 + (local.tm_mon + 1) * 32 + local.tm_mday);
    return (date << 16) | (time & 0xFFFF);
}

uint32_t apfDosDateTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return apfDosDateTime(local);
}

}  // namespace px
