#include "app/sendfax/send_fax_setup.h"

#include "app/host/port_routines.h"
#include "app/sendfax/send_fax_texts.h"
#include "common/px_limits.h"
#include "fax/apf/px_apf_reader.h"
#include "fax/components/px_send_fax.h"
#include "settings/px_settings.h"

namespace px {

namespace {

// Fine or standard, from the first page's header; empty when unreadable.
int firstPageFine(const std::string& path) {
    TPxApfReader reader;
    ApfPageInfo page;
    if (reader.open(path) != ecOK || reader.findPage(1, page) != ecOK) {
        return -1;
    }
    return page.header.fine() ? 1 : 0;
}

}  // namespace

bool sameVerticalResolution(const std::string& a, const std::string& b) {
    const int first = firstPageFine(a);
    return first >= 0 && first == firstPageFine(b);
}

void configureSendFax(TPxSendFax& fax, const Settings& s, const TSendFaxJob& job) {
    fax.DesiredBPS = static_cast<uint16_t>(s.modem.maximumBps);
    fax.DesiredECM = s.dialing.ecm;
    fax.BlindDial = s.dialing.blindDial;
    fax.DetectBusy = !s.dialing.ignoreBusy;
    fax.FaxFileList.clear();
    if (!job.secondFile.empty()) {
        fax.FaxFileList = {job.secondFile, job.firstFile};
        // Pages of one resolution need no new training between the files.
        fax.FastPage =
            sameVerticalResolution(job.secondFile, job.firstFile) && !s.modem.renegotiateBetween;
    } else {
        fax.FaxFile = job.firstFile;
        fax.FastPage = !s.modem.renegotiateBetween;
    }
    fax.PhoneNumber = job.suffixDisabled ? job.number : job.number + job.dialSuffix;
    fax.ToneDial = s.dialing.toneOrPulse == 0;
    // The component's class list begins with an unknown class.
    fax.FaxClass = static_cast<TFaxClass>(s.modem.faxClass + 1);
    fax.DialAttempts = static_cast<uint16_t>(s.dialing.dialAttempts);
    fax.DialRetryWait = static_cast<uint16_t>(s.dialing.retryWait);
    fax.DialWait = static_cast<uint16_t>(dialWaitFromInit(s.modem.initString));
    fax.StationID = s.user.fax.substr(0, kStationIdLength);
    fax.DialPrefix = job.prefixDisabled ? std::string() : job.dialPrefix;
    if (!s.modem.initString.empty()) {
        fax.setModemInit(withAtPrefix(s.modem.initString));
    }
    fax.HeaderLine = sendHeaderLine(s.user.name, s.user.fax, job.date, job.time);
}

}  // namespace px
