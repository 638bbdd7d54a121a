#include "fax/components/px_fax_log.h"

#include <ctime>
#include <fstream>

#include "comms/px_error_text.h"
#include "fax/components/px_abstract_fax.h"
#include "fax/components/px_send_fax.h"

namespace px {

namespace {
std::string stampNow() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    size_t n = std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &local);
    return std::string(text, n);
}
}  // namespace

std::string TPxFaxLog::logText(TPxAbstractFax& fax, int logCode, const std::string& stamp) {
    const std::string hangup = std::to_string(fax.RemoteHangupCode());
    const std::string nl = "\r\n";
    switch (logCode) {
        case lfaxTransmitStart: {
            std::string text;
            auto* send = dynamic_cast<TPxSendFax*>(&fax);
            std::vector<std::string> files;
            if (send != nullptr && !send->FaxFileList.empty()) {
                files = send->FaxFileList;
            } else {
                files.push_back(fax.FaxFile);
            }
            for (const auto& file : files) {
                text += "Transmit " + file + " to " + fax.CurrentPhoneNumber() + " started at " +
                        stamp + nl;
            }
            return text;
        }
        case lfaxTransmitOk:
            return "Transmit to " + fax.RemoteStationID() + " finished OK at " + stamp + " " +
                   hangup + nl + nl;
        case lfaxTransmitFail:
            return "Transmit failed at " + stamp + nl + "  (" + errorText(fax.LastErrorCode()) +
                   ") " + hangup + nl + nl;
        case lfaxReceiveStart:
            return "Receive " + fax.FaxFile + " from " + fax.RemoteStationID() + " started at " +
                   stamp + nl;
        case lfaxReceiveOk:
            return "Receive finished OK at " + stamp + nl + nl;
        case lfaxReceiveSkip:
            return "Receive skipped at " + stamp + nl + nl;
        case lfaxReceiveFail:
            return "Receive failed at " + stamp + nl + "  (" + errorText(fax.LastErrorCode()) +
                   ")" + nl + nl;
        default:
            return {};
    }
}

void TPxFaxLog::UpdateLog(TPxAbstractFax& fax, int logCode) {
    if (FaxHistoryName.empty()) {
        return;
    }
    std::string text = logText(fax, logCode, stampNow());
    if (text.empty()) {
        return;
    }
    std::ofstream out(FaxHistoryName, std::ios::app | std::ios::binary);
    out << text;
}

}  // namespace px
