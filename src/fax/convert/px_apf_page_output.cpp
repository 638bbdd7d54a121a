#include "fax/convert/px_apf_page_output.h"

#include "fax/apf/px_apf_format.h"

namespace px {

ErrorCode TPxApfPageOutput::endPage() {
    if (ErrorCode rc = writer_.writeRecord(kApfEndOfPageRecord.data(), kApfEndOfPageRecord.size());
        rc != ecOK) {
        return rc;
    }
    return writer_.endPage();
}

ErrorCode TPxApfPageOutput::finish(const std::string& stationId) {
    apfSetSenderIdConverter(writer_.header(), stationId);
    if (ErrorCode rc = writer_.finish(); rc != ecOK) {
        writer_.abandon();
        return rc;
    }
    return ecOK;
}

}  // namespace px
