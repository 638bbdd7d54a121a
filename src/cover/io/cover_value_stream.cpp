#include "cover/io/cover_value_stream.h"

#include <limits>

namespace px {

void TCoverStreamWriter::writeInteger(std::int32_t value) {
    auto put = [this](std::int32_t v, int bytes) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < bytes; ++i) {
            out_.push_back(static_cast<char>((u >> (8 * i)) & 0xFFU));
        }
    };
    if (value >= std::numeric_limits<std::int8_t>::min() &&
        value <= std::numeric_limits<std::int8_t>::max()) {
        writeTag(TValueTag::vaInt8);
        put(value, 1);
    } else if (value >= std::numeric_limits<std::int16_t>::min() &&
               value <= std::numeric_limits<std::int16_t>::max()) {
        writeTag(TValueTag::vaInt16);
        put(value, 2);
    } else {
        writeTag(TValueTag::vaInt32);
        put(value, 4);
    }
}

void TCoverStreamWriter::writeString(std::string_view text) {
    if (text.size() < kLongStringFrom) {
        writeTag(TValueTag::vaString);
        out_.push_back(static_cast<char>(text.size()));
    } else {
        writeTag(TValueTag::vaLString);
        const auto n = static_cast<std::uint32_t>(text.size());
        for (int i = 0; i < 4; ++i) {
            out_.push_back(static_cast<char>((n >> (8 * i)) & 0xFFU));
        }
    }
    out_.append(text);
}

void TCoverStreamWriter::writeIdent(std::string_view name) {
    writeTag(TValueTag::vaIdent);
    writeStr(name);
}

void TCoverStreamWriter::writeSet(const std::vector<std::string_view>& names) {
    writeTag(TValueTag::vaSet);
    for (const std::string_view n : names) {
        writeStr(n);
    }
    writeStr({});
}

void TCoverStreamWriter::writeStr(std::string_view name) {
    const std::string_view cut = name.substr(0, 255);
    out_.push_back(static_cast<char>(cut.size()));
    out_.append(cut);
}

std::uint8_t TCoverStreamReader::byte() {
    if (pos_ >= in_.size()) {
        throw ECoverStreamError("unexpected end of the stream");
    }
    return static_cast<std::uint8_t>(in_[pos_++]);
}

std::int32_t TCoverStreamReader::little(int bytes) {
    std::uint32_t u = 0;
    for (int i = 0; i < bytes; ++i) {
        u |= static_cast<std::uint32_t>(byte()) << (8 * i);
    }
    if (bytes == 1) {
        return static_cast<std::int8_t>(u);
    }
    if (bytes == 2) {
        return static_cast<std::int16_t>(u);
    }
    return static_cast<std::int32_t>(u);
}

TValueTag TCoverStreamReader::readTag() {
    return static_cast<TValueTag>(byte());
}

TValueTag TCoverStreamReader::peekTag() const {
    if (pos_ >= in_.size()) {
        throw ECoverStreamError("unexpected end of the stream");
    }
    return static_cast<TValueTag>(in_[pos_]);
}

void TCoverStreamReader::expectTag(TValueTag tag) {
    if (readTag() != tag) {
        throw ECoverStreamError("unexpected value in the stream");
    }
}

void TCoverStreamReader::readListBegin() {
    expectTag(TValueTag::vaList);
}
void TCoverStreamReader::readListEnd() {
    expectTag(TValueTag::vaNull);
}

bool TCoverStreamReader::endOfList() const {
    return peekTag() == TValueTag::vaNull;
}

std::int32_t TCoverStreamReader::readInteger() {
    switch (readTag()) {
        case TValueTag::vaInt8:
            return little(1);
        case TValueTag::vaInt16:
            return little(2);
        case TValueTag::vaInt32:
            return little(4);
        case TValueTag::vaNull:
        case TValueTag::vaList:
        case TValueTag::vaString:
        case TValueTag::vaIdent:
        case TValueTag::vaFalse:
        case TValueTag::vaTrue:
        case TValueTag::vaSet:
        case TValueTag::vaLString:
            break;
    }
    throw ECoverStreamError("an integer was expected");
}

std::string TCoverStreamReader::readRaw(std::size_t n) {
    // Lengths come from the file: never allocate past what is there.
    if (n > in_.size() - pos_) {
        pos_ = in_.size();
        throw ECoverStreamError("a length runs past the end of the stream");
    }
    std::string out(in_.substr(pos_, n));
    pos_ += n;
    return out;
}

std::string TCoverStreamReader::readString() {
    switch (readTag()) {
        case TValueTag::vaString:
            return readRaw(byte());
        case TValueTag::vaLString:
            return readRaw(static_cast<std::uint32_t>(little(4)));
        case TValueTag::vaNull:
        case TValueTag::vaList:
        case TValueTag::vaInt8:
        case TValueTag::vaInt16:
        case TValueTag::vaInt32:
        case TValueTag::vaIdent:
        case TValueTag::vaFalse:
        case TValueTag::vaTrue:
        case TValueTag::vaSet:
            break;
    }
    throw ECoverStreamError("a string was expected");
}

std::string TCoverStreamReader::readIdent() {
    expectTag(TValueTag::vaIdent);
    return readStr();
}

bool TCoverStreamReader::readBoolean() {
    const TValueTag tag = readTag();
    if (tag == TValueTag::vaTrue) {
        return true;
    }
    if (tag == TValueTag::vaFalse) {
        return false;
    }
    throw ECoverStreamError("a boolean was expected");
}

std::vector<std::string> TCoverStreamReader::readSet() {
    expectTag(TValueTag::vaSet);
    std::vector<std::string> names;
    for (std::string n = readStr(); !n.empty(); n = readStr()) {
        names.push_back(std::move(n));
    }
    return names;
}

std::string TCoverStreamReader::readStr() {
    return readRaw(byte());
}

}  // namespace px
