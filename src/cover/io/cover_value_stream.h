// The value-tagged binary stream of the design files and render lists.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace px {

enum class TValueTag : std::uint8_t {
    vaNull = 0,  // end of a list
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaSet = 11,
    vaLString = 12,
};

// Strings of this length and longer take the long-string tag.
inline constexpr std::size_t kLongStringFrom = 256;

// A stream that cannot be read: truncated, an unexpected tag, an unknown name.
class ECoverStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TCoverStreamWriter {
public:
    const std::string& bytes() const { return out_; }

    void writeTag(TValueTag tag) { out_.push_back(static_cast<char>(tag)); }
    void writeListBegin() { writeTag(TValueTag::vaList); }
    void writeListEnd() { writeTag(TValueTag::vaNull); }
    // The smallest of int8, int16, int32 that holds the value.
    void writeInteger(std::int32_t value);
    // String tag up to 255 bytes, long-string tag from 256.
    void writeString(std::string_view text);
    void writeIdent(std::string_view name);
    void writeBoolean(bool value) { writeTag(value ? TValueTag::vaTrue : TValueTag::vaFalse); }
    void writeSet(const std::vector<std::string_view>& names);
    // A short name: length byte and at most 255 bytes, no tag.
    void writeStr(std::string_view name);
    void writeRaw(std::string_view bytes) { out_.append(bytes); }

private:
    std::string out_;
};

class TCoverStreamReader {
public:
    explicit TCoverStreamReader(std::string_view bytes) : in_(bytes) {}

    std::size_t position() const { return pos_; }
    bool atEnd() const { return pos_ >= in_.size(); }

    TValueTag readTag();
    TValueTag peekTag() const;
    void readListBegin();
    void readListEnd();
    // The next byte is the end tag (not consumed).
    bool endOfList() const;
    std::int32_t readInteger();
    std::string readString();
    std::string readIdent();
    bool readBoolean();
    std::vector<std::string> readSet();
    std::string readStr();
    std::string readRaw(std::size_t n);

    // The value after a property name, whatever its tag (for a caller that
    // decides by the tag it finds).
    void expectTag(TValueTag tag);

private:
    std::uint8_t byte();
    std::int32_t little(int bytes);

    std::string_view in_;
    std::size_t pos_ = 0;
};

}  // namespace px
