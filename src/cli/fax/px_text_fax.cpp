#include "cli/fax/px_text_fax.h"

#include <vector>

#include "fax/apf/px_apf_format.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/t4/px_t4_encoder.h"
#include "fax/t4/px_text_reader.h"

namespace px {

ErrorCode textToApf(const std::string& textPath, const std::string& apfPath, bool fine) {
    constexpr unsigned kWidth = 1728;
    constexpr unsigned kMargin = 48;
    TPxTextReader reader;
    ErrorCode rc = reader.setup(TFaxFont::ffStandard, fine, kWidth, kMargin);
    if (rc == ecOK) {
        rc = reader.open(textPath);
    }
    if (rc != ecOK) {
        return rc;
    }
    TPxApfWriter writer;
    rc = writer.create(apfPath);
    const uint16_t flags = static_cast<uint16_t>(kApfLengthWords | (fine ? kApfFine : 0));
    std::vector<uint8_t> raster(TPxFaxInputReader::kRasterBytes);
    TPxT4Encoder::Record record;
    bool pageOpen = false;
    bool more = true;
    while (rc == ecOK && more) {
        if (!pageOpen) {
            rc = writer.beginPage(flags);
            pageOpen = true;
            continue;
        }
        std::fill(raster.begin(), raster.end(), 0);
        unsigned len = 0;
        bool endOfPage = false;
        bool morePages = false;  // meaningful only at the end of a page
        rc = reader.readLine(raster.data(), len, endOfPage, morePages);
        if (rc != ecOK) {
            break;
        }
        if (endOfPage) {
            rc = writer.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
            if (rc == ecOK) {
                rc = writer.endPage();
            }
            pageOpen = false;
            more = morePages;
            continue;
        }
        size_t n = TPxT4Encoder::codeLine(raster.data(), kWidth, kMargin, false, record.data());
        rc = writer.writeRecord(record.data(), n);
    }
    reader.close();
    if (rc == ecOK) {
        rc = writer.finish();
    }
    if (rc != ecOK) {
        writer.abandon();
    }
    return rc;
}

}  // namespace px
