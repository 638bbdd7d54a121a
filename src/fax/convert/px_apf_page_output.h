// Conversion pages written as an APF file: each line a record, each page
// closed by the end-of-page record.
#pragma once

#include "fax/apf/px_apf_writer.h"
#include "fax/convert/px_page_output.h"

namespace px {

class TPxApfPageOutput : public TPxPageOutput {
public:
    ErrorCode create(const std::string& path) override { return writer_.create(path); }
    ErrorCode beginPage(uint16_t flags) override { return writer_.beginPage(flags); }
    ErrorCode writeLine(const uint8_t* record, size_t size) override {
        return writer_.writeRecord(record, size);
    }
    ErrorCode endPage() override;
    ErrorCode finish(const std::string& stationId) override;
    void abandon() override { writer_.abandon(); }

private:
    TPxApfWriter writer_;
};

}  // namespace px
