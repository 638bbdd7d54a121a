#include "fax/t4/px_custom_text_reader.h"

#include <algorithm>
#include <vector>

namespace px {
namespace {

// Decodes `text` as UTF-8 into Latin-1 when it is valid UTF-8 with at least
// one multi-byte sequence; characters beyond Latin-1 become '?'. Anything
// else is taken as Latin-1 already.
std::string utf8ToLatin1(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool multiByte = false;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        unsigned extra = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return text;
        }
        if (i + extra >= text.size()) {
            return text;
        }
        for (unsigned k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                return text;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        multiByte = true;
        out.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?');
        i += extra + 1;
    }
    return multiByte ? out : text;
}

}  // namespace

std::string TPxCustomTextReader::prepareText(const std::string& raw, unsigned tabStop) {
    const std::string text = utf8ToLatin1(raw);
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        if (ch != '\t') {
            out.push_back(ch);
        } else if (tabStop == 0) {
            out.push_back(' ');
        } else {
            do {
                out.push_back(' ');
            } while (out.size() % tabStop != 0);
        }
    }
    return out;
}

ErrorCode TPxCustomTextReader::drawText(const std::string& text, const RowSink& row) {
    drawing_ = false;
    if (ErrorCode rc = beginLine(prepareText(text, tabStop_)); rc != ecOK) {
        return rc;
    }
    std::vector<uint8_t> raster(kRasterBytes);
    for (unsigned r = 1; r <= rowsPerLine(); ++r) {
        std::fill(raster.begin(), raster.end(), 0);
        const unsigned len = drawRow(r, raster.data());
        row(raster.data(), std::min<unsigned>(len, kRasterBytes));
    }
    return ecOK;
}

ErrorCode TPxCustomTextReader::open(const std::string& name) {
    hasPending_ = drawing_ = breakPending_ = pendingFormFeed_ = false;
    largestHeld_ = 0;
    row_ = 0;
    startPage();
    return lines_.open(name);
}

void TPxCustomTextReader::close() {
    lines_.close();
}

void TPxCustomTextReader::startPage() {
    linesOnPage_ = 0;
    firstRead_ = true;
}

bool TPxCustomTextReader::peek() {
    if (!hasPending_) {
        hasPending_ = lines_.readPiece(pending_, pendingFormFeed_);
        largestHeld_ = std::max(largestHeld_, pending_.size());
    }
    return hasPending_;
}

ErrorCode TPxCustomTextReader::readLine(uint8_t* raster, unsigned& len, bool& endOfPage,
                                        bool& morePages) {
    len = 0;
    endOfPage = morePages = false;
    if (drawing_) {
        len = drawRow(++row_, raster);
        drawing_ = row_ < rowsPerLine();
        return ecOK;
    }
    const bool pageFull = linesPerPage_ != 0 && linesOnPage_ >= linesPerPage_;
    if (breakPending_ || pageFull) {
        breakPending_ = false;
        endOfPage = true;
        morePages = peek();
        startPage();
        return lines_.error();
    }
    if (!peek()) {
        if (lines_.error() != ecOK) {
            return lines_.error();
        }
        if (firstRead_) {
            firstRead_ = false;  // an empty page still gets one blank line
            return ecOK;
        }
        endOfPage = true;
        return ecOK;
    }
    std::string text = std::move(pending_);
    hasPending_ = false;
    if (pendingFormFeed_) {
        // The form feed closes the page after the text before it; the rest
        // of the line (the next piece read) starts the next page.
        breakPending_ = true;
        if (text.empty()) {
            if (!firstRead_) {
                return readLine(raster, len, endOfPage, morePages);
            }
            firstRead_ = false;
            return ecOK;  // a page that holds only a form feed: one blank line
        }
    }
    firstRead_ = false;
    ++linesOnPage_;
    if (lineFilter_) {
        text = lineFilter_(text);
    }
    if (ErrorCode rc = beginLine(prepareText(text, tabStop_)); rc != ecOK) {
        return rc;
    }
    row_ = 0;
    len = drawRow(++row_, raster);
    drawing_ = row_ < rowsPerLine();
    return ecOK;
}

}  // namespace px
