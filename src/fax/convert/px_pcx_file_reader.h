// Converter input from PCX pictures and DCX files: each picture a page,
// handed out through the bitmap reader.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fax/convert/px_bitmap_reader.h"

namespace px {

class TPxPcxFileReader : public TPxFaxInputReader {
public:
    enum class Form { Pcx, Dcx };

    explicit TPxPcxFileReader(Form form) : form_(form) {}
    ~TPxPcxFileReader() override;
    TPxPcxFileReader(const TPxPcxFileReader&) = delete;
    TPxPcxFileReader& operator=(const TPxPcxFileReader&) = delete;

    // Opens the file and decodes its first page, so that the page's width is
    // known before the conversion starts; open() then takes it as it is.
    ErrorCode load(const std::string& name);
    const QImage& firstPage() const { return first_; }
    void setOffsetBytes(unsigned offset) { offset_ = offset; }
    void setMessagePump(TPxBitmapReader::MessagePump pump) { pump_ = std::move(pump); }

    ErrorCode open(const std::string& name) override;
    ErrorCode readLine(uint8_t* raster, unsigned& len, bool& endOfPage, bool& morePages) override;
    void close() override;
    uint64_t bytesRead() const override { return done_ + (page_ ? page_->bytesRead() : 0); }
    uint64_t bytesToRead() const override { return fileSize_; }

private:
    ErrorCode startPage(const QImage& image);
    uint64_t pageEnd(size_t index) const;

    Form form_;
    int fd_ = -1;
    uint64_t fileSize_ = 0;
    std::vector<uint64_t> pages_;
    size_t current_ = 0;
    QImage first_;
    std::unique_ptr<TPxBitmapReader> page_;
    unsigned offset_ = 0;
    TPxBitmapReader::MessagePump pump_;
    uint64_t done_ = 0;
};

}  // namespace px
