// Conversion pages written as TIFF Class F, the lines going into each page's
// strip as they are coded: the file `parvex-convert from-apf` would make of
// the APF file of the same conversion, without the APF file between.
#pragma once

#include <string>

#include "fax/convert/px_page_output.h"
#include "fax/tiff/px_tiff_class_f_writer.h"

namespace px {

class TPxTiffPageOutput : public TPxPageOutput {
public:
    ErrorCode create(const std::string& path) override;
    ErrorCode beginPage(uint16_t flags) override;
    ErrorCode writeLine(const uint8_t* record, size_t size) override;
    ErrorCode endPage() override;
    ErrorCode finish(const std::string& stationId) override;
    void abandon() override;
    std::string lastError() const override { return tiff_.lastError(); }

private:
    TPxTiffClassFWriter tiff_;
    std::string path_;
    uint16_t flags_ = 0;
    uint32_t lines_ = 0;
    unsigned pages_ = 0;
    bool inPage_ = false;
};

}  // namespace px
