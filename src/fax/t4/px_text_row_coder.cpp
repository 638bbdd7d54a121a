#include "fax/t4/px_text_row_coder.h"

#include <algorithm>

namespace px {
namespace {

// Codes of up to 32 bits, packed from runs that follow each other.
void packCode(std::vector<T4LsbCode>& codes, T4LsbCode code, bool startNew) {
    if (startNew || codes.back().length + code.length > 32) {
        codes.push_back(code);
        return;
    }
    T4LsbCode& last = codes.back();
    last.bits |= code.bits << last.length;
    last.length = static_cast<uint8_t>(last.length + code.length);
}

}  // namespace

void TPxTextRowCoder::prepare(const TPxFaxFont& font) {
    rowsPerGlyph_ = font.rows();
    glyphWidth_ = font.glyphWidth();
    rows_.assign(size_t{256} * rowsPerGlyph_, GlyphRow{});
    codes_.clear();
    repeats_.assign(256, 0);
    const T4LsbCode* runCodes[2] = {t4LsbRunCodes(T4Colour::White), t4LsbRunCodes(T4Colour::Black)};
    for (unsigned c = 0; c < 256; ++c) {
        for (unsigned r = 0; r < rowsPerGlyph_; ++r) {
            GlyphRow& g = rows_[size_t{c} * rowsPerGlyph_ + r];
            const uint8_t* bytes = font.glyphRow(static_cast<uint8_t>(c), r);
            for (unsigned b = 0; b < font.bytesPerRow(); ++b) {
                g.pels |= uint32_t{bytes[b]} << (24 - 8 * b);
            }
            g.pels &= ~uint32_t{0} << (32 - glyphWidth_);
            // The runs of the row, in order.
            std::vector<std::pair<uint8_t, uint8_t>> runs;
            for (unsigned x = 0; x < glyphWidth_; ++x) {
                const auto colour = static_cast<uint8_t>((g.pels >> (31 - x)) & 1U);
                if (runs.empty() || runs.back().first != colour) {
                    runs.emplace_back(colour, 0);
                }
                ++runs.back().second;
            }
            g.firstColour = runs.front().first;
            g.firstLength = runs.front().second;
            g.lastColour = runs.back().first;
            g.lastLength = runs.back().second;
            g.single = runs.size() == 1;
            g.inner = static_cast<uint32_t>(codes_.size());
            for (size_t k = 1; k + 1 < runs.size(); ++k) {
                packCode(codes_, runCodes[runs[k].first][runs[k].second], k == 1);
            }
            g.innerCount = static_cast<uint8_t>(codes_.size() - g.inner);
            if (r > 0 && r < 64 && g.pels == rows_[size_t{c} * rowsPerGlyph_ + r - 1].pels) {
                repeats_[c] |= uint64_t{1} << r;
            }
        }
    }
}

uint64_t TPxTextRowCoder::repeatedRows(std::string_view text, unsigned width,
                                       unsigned leftMargin) const {
    width = std::min(width, TPxT4Encoder::kMaxLinePels);
    const unsigned limit = width - std::min(leftMargin, width);
    // Every row repeats the one above where no glyph changes; a glyph cut
    // by the line's end repeats where its whole row does.
    uint64_t rows = rowsPerGlyph_ >= 64 ? ~uint64_t{1} : ((uint64_t{1} << rowsPerGlyph_) - 2);
    unsigned x = 0;
    for (const char ch : text) {
        if (x >= limit || rows == 0) {
            break;
        }
        rows &= repeats_[static_cast<uint8_t>(ch)];
        x += glyphWidth_;
    }
    return rows;
}

size_t TPxTextRowCoder::codeRow(std::string_view text, unsigned row, unsigned width,
                                unsigned leftMargin, uint8_t* record) const {
    width = std::min(width, TPxT4Encoder::kMaxLinePels);
    const unsigned margin = std::min(leftMargin, width);
    const unsigned limit = width - margin;  // image pels; the rest is cut
    if (row == 0 || row > rowsPerGlyph_) {
        text = {};
        row = 1;
    }
    const T4LsbCode* runCodes[2] = {t4LsbRunCodes(T4Colour::White), t4LsbRunCodes(T4Colour::Black)};
    TPxT4RecordWriter writer(record);
    // The run still open: the margin joins the first white run.
    unsigned colour = 0;
    unsigned length = margin;
    auto extend = [&](unsigned c, unsigned n) {
        if (c == colour) {
            length += n;
        } else {
            writer.run(runCodes[colour], length);
            colour = c;
            length = n;
        }
    };
    const GlyphRow* base = rows_.data() + (row - 1);
    unsigned x = 0;
    for (const char ch : text) {
        if (x >= limit) {
            break;
        }
        const GlyphRow& g = base[size_t{static_cast<uint8_t>(ch)} * rowsPerGlyph_];
        if (limit - x < glyphWidth_) {
            // Cut by the line's end: pel by pel.
            for (unsigned i = 0; i < limit - x; ++i) {
                extend((g.pels >> (31 - i)) & 1U, 1);
            }
            x = limit;
            break;
        }
        x += glyphWidth_;
        extend(g.firstColour, g.firstLength);
        if (g.single) {
            continue;
        }
        writer.run(runCodes[colour], length);
        for (unsigned k = 0; k < g.innerCount; ++k) {
            writer.put(codes_[g.inner + k]);
        }
        colour = g.lastColour;
        length = g.lastLength;
    }
    if (x < limit) {
        extend(0, limit - x);
    }
    writer.run(runCodes[colour], length);
    return writer.finish();
}

}  // namespace px
