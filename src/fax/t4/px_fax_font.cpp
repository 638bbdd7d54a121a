#include "fax/t4/px_fax_font.h"

#include <algorithm>

namespace px {

extern const uint8_t kFaxFontResource[];
extern const size_t kFaxFontResourceSize;

namespace {

bool glyphBlank(const uint8_t* glyph, size_t bytes) {
    return std::all_of(glyph, glyph + bytes, [](uint8_t b) { return b == 0; });
}

}  // namespace

ErrorCode TPxFaxFont::load(const uint8_t* resource, size_t size, size_t bytesPerGlyph,
                           bool doubleRows) {
    glyphs_.clear();
    if (resource == nullptr || size != kResourceSize ||
        (bytesPerGlyph != kSmallBytesPerGlyph && bytesPerGlyph != kStandardBytesPerGlyph)) {
        return ecFontFileNotFound;
    }
    // A damaged resource shows as a blank printable glyph or an inked space,
    // in either font.
    const uint8_t* fonts[2] = {resource, resource + 256 * kSmallBytesPerGlyph};
    const size_t sizes[2] = {kSmallBytesPerGlyph, kStandardBytesPerGlyph};
    for (int f = 0; f < 2; ++f) {
        if (!glyphBlank(fonts[f] + ' ' * sizes[f], sizes[f])) {
            return ecFontFileNotFound;
        }
        for (unsigned c = 0x21; c <= 0x7E; ++c) {
            if (glyphBlank(fonts[f] + c * sizes[f], sizes[f])) {
                return ecFontFileNotFound;
            }
        }
    }
    const bool small = bytesPerGlyph == kSmallBytesPerGlyph;
    const uint8_t* base = small ? fonts[0] : fonts[1];
    width_ = small ? 12 : 20;
    bytesPerRow_ = small ? 2 : 3;
    const unsigned sourceRows = small ? 8 : 16;
    rows_ = doubleRows ? sourceRows * 2 : sourceRows;
    glyphs_.resize(size_t{256} * rows_ * bytesPerRow_);
    for (unsigned c = 0; c < 256; ++c) {
        for (unsigned r = 0; r < rows_; ++r) {
            const unsigned src = doubleRows ? r / 2 : r;
            std::copy_n(
                base + c * bytesPerGlyph + src * bytesPerRow_, bytesPerRow_,
                glyphs_.begin() + static_cast<long>((size_t{c} * rows_ + r) * bytesPerRow_));
        }
    }
    rowBits_.resize(size_t{256} * rows_);
    for (size_t i = 0; i < rowBits_.size(); ++i) {
        const uint8_t* g = glyphs_.data() + i * bytesPerRow_;
        uint32_t bits = 0;
        for (unsigned b = 0; b < bytesPerRow_; ++b) {
            bits |= uint32_t{g[b]} << (24 - 8 * b);
        }
        rowBits_[i] = bits & (~uint32_t{0} << (32 - width_));
    }
    return ecOK;
}

ErrorCode TPxFaxFont::loadBuiltIn(size_t bytesPerGlyph, bool doubleRows) {
    return load(kFaxFontResource, kFaxFontResourceSize, bytesPerGlyph, doubleRows);
}

ErrorCode TPxFaxFont::loadBuiltIn(TFaxFont type, bool fine, TPxFaxFont& font) {
    return font.loadBuiltIn(
        type == TFaxFont::ffSmall ? kSmallBytesPerGlyph : kStandardBytesPerGlyph, fine);
}

void TPxFaxFont::renderTextRow(std::string_view text, unsigned row, uint8_t* raster,
                               size_t rasterBytes) const {
    if (row == 0 || row > rows_ || !loaded()) {
        return;
    }
    const uint32_t* bits = rowBits_.data() + (row - 1);
    // Glyphs go into an accumulator, leftmost pel in bit 63, and leave it in
    // whole bytes; pels past the raster's end are dropped.
    uint64_t pels = 0;
    unsigned held = 0;
    size_t out = 0;
    auto emit = [&](unsigned bytes) {
        for (unsigned k = 0; k < bytes && out < rasterBytes; ++k, ++out) {
            raster[out] = static_cast<uint8_t>(raster[out] | (pels >> 56));
            pels <<= 8;
        }
    };
    const size_t rasterPels = rasterBytes * 8;
    size_t x = 0;
    for (const char ch : text) {
        if (x >= rasterPels) {
            break;
        }
        if (held >= 32) {
            emit(4);
            held -= 32;
        }
        pels |= uint64_t{bits[size_t{static_cast<uint8_t>(ch)} * rows_]} << (32 - held);
        held += width_;
        x += width_;
    }
    emit((held + 7) / 8);
}

}  // namespace px
