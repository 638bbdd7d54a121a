// Bitmap input: a picture handed out as raster lines, 1-bit pictures copied,
// others reduced to black and white with an ordered dither.
#pragma once

#include <QImage>
#include <functional>

#include "fax/t4/px_fax_input_reader.h"

namespace px {

class TPxBitmapReader : public TPxFaxInputReader {
public:
    using MessagePump = std::function<ErrorCode()>;

    // The picture must be set before open; a null picture fails with 1002.
    void setBitmap(const QImage& image) { image_ = image; }
    // Raster bytes left white in front of each row (centring).
    void setOffsetBytes(unsigned offset) { offset_ = offset; }
    // Called once per dithered row so the application stays responsive.
    void setMessagePump(MessagePump pump) { pump_ = std::move(pump); }

    ErrorCode open(const std::string& name) override;
    ErrorCode readLine(uint8_t* raster, unsigned& len, bool& endOfPage, bool& morePages) override;
    void close() override {}
    uint64_t bytesRead() const override { return uint64_t{rowBytes_} * row_; }
    uint64_t bytesToRead() const override {
        return uint64_t{rowBytes_} * static_cast<uint64_t>(image_.height());
    }

    // The dither threshold at (x mod 32, y mod 32): 10 · m(a, b).
    static unsigned ditherThreshold(unsigned a, unsigned b);

private:
    QImage image_;
    QImage work_;
    bool mono_ = false;
    bool invert_ = false;
    unsigned offset_ = 0;
    unsigned rowBytes_ = 0;
    int row_ = 0;
    MessagePump pump_;
};

}  // namespace px
