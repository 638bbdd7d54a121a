// The fax history text file ("PXFAX.HIS"): one line per logged session event.
#pragma once

#include <string>

namespace px {

class TPxAbstractFax;

class TPxFaxLog {
public:
    // Empty: no history is written.
    std::string FaxHistoryName = "PXFAX.HIS";
    TPxAbstractFax* Fax = nullptr;

    // Appends the lines for a log code of `fax`; failures are ignored (the
    // history is optional).
    void UpdateLog(TPxAbstractFax& fax, int logCode);
    // The text UpdateLog appends, for the given time stamp.
    static std::string logText(TPxAbstractFax& fax, int logCode, const std::string& stamp);
};

}  // namespace px
