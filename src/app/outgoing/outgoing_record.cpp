#include "app/outgoing/outgoing_record.h"

#include <exception>

#include "xbase/xb_table.h"

namespace px {

void appendOutgoingFax(TXbTable& outgoing, const TFaxInformation& info, const std::string& doc,
                       const std::string& cover) {
    outgoing.append();
    try {
        writeFaxInformation(outgoing, info);
        outgoing.setText("FAXDOC", doc);
        outgoing.setText("FAXCOVER", cover);
    } catch (...) {
        try {
            outgoing.setDeleted(true);
        } catch (const std::exception&) {
            // The table refuses every write; the blank record names no file.
        }
        throw;
    }
}

}  // namespace px
