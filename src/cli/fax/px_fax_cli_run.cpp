#include "cli/fax/px_fax_cli_run.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <ostream>

#include "common/px_exceptions.h"
#include "comms/px_com_port.h"
#include "comms/px_error_text.h"
#include "comms/px_event_loop.h"
#include "fax/components/px_fax_log.h"
#include "fax/components/px_receive_fax.h"
#include "fax/components/px_send_fax.h"

namespace px {

namespace {

// How often the main loop looks at the interrupt flag.
constexpr int kPollMs = 100;

TFaxClass classOf(const std::string& text) {
    if (text == "1") {
        return TFaxClass::fcClass1;
    }
    if (text == "2") {
        return TFaxClass::fcClass2;
    }
    if (text == "2.0") {
        return TFaxClass::fcClass2_0;
    }
    return TFaxClass::fcDetect;
}

// Copies a trace or log file that the port wrote at closing to `to`.
void copyDump(const std::string& path, const char* title, std::ostream& to) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return;
    }
    to << "--- " << title << " ---\n" << in.rdbuf() << std::endl;
    in.close();
    std::remove(path.c_str());
}

// The component events of one session, printed as they come.
class CliEvents {
public:
    explicit CliEvents(std::ostream& out) : out_(out) {}

    void wire(TPxAbstractFax& fax) {
        fax.OnFaxStatus = [this](TPxAbstractFax& cp, bool, bool) { status(cp); };
        fax.OnFaxLog = [this](TPxAbstractFax& cp, int code) { log(cp, code); };
        fax.OnFaxError = [this](TPxAbstractFax&, int code) {
            out_ << "Error " << code << ": " << errorText(code) << std::endl;
        };
        fax.OnFaxFinish = [this](TPxAbstractFax&, int code) {
            finishCode_ = code;
            finished_ = true;
        };
    }

    void status(TPxAbstractFax& fax) {
        const int code = fax.ProgressCode();
        // A session ended by an error also reports progress 42; only a
        // cancel is a user abort.
        if (code == 42 && !cancelling_) {
            return;
        }
        if (code != lastProgress_ && code != 0) {
            lastProgress_ = code;
            out_ << TPxAbstractFax::ProgressText(code) << std::endl;
        }
    }

    void log(TPxAbstractFax& fax, int code) {
        if (code == lfaxReceiveStart) {
            out_ << "Receiving " << fax.FaxFile << std::endl;
        }
        out_ << faxCliLogText(code, fax.FaxFile, fax.RemoteStationID(), fax.CurrentPhoneNumber())
             << std::endl;
    }

    // The program asked for the cancel: its progress 42 is a user abort.
    void cancelling() { cancelling_ = true; }
    bool finished() const { return finished_; }
    int finishCode() const { return finishCode_; }

private:
    std::ostream& out_;
    int lastProgress_ = 0;
    bool cancelling_ = false;
    bool finished_ = false;
    int finishCode_ = 0;
};

void applyCommon(TPxAbstractFax& fax, const TPxFaxCliOptions& o) {
    fax.FaxClass = classOf(o.faxClass);
    fax.StationID = o.stationId.substr(0, 20);
    fax.DesiredBPS = static_cast<uint16_t>(o.rate);
    fax.DesiredECM = o.ecm;
    fax.FaxFileExt = "APF";
    // A command-line session ends with its first failure.
    fax.AbortNoConnect = true;
}

}  // namespace

std::string faxCliLogText(int logCode, const std::string& file, const std::string& remoteId,
                          const std::string& phone) {
    const std::string from = remoteId.empty() ? std::string() : " (" + remoteId + ")";
    switch (logCode) {
        case lfaxTransmitStart:
            return "Log: transmit to " + phone + " started";
        case lfaxTransmitOk:
            return "Log: transmit finished OK" + from;
        case lfaxTransmitFail:
            return "Log: transmit failed";
        case lfaxReceiveStart:
            return "Log: receive started" + from + ": " + file;
        case lfaxReceiveOk:
            return "Log: receive finished OK: " + file;
        case lfaxReceiveSkip:
            return "Log: receive refused" + from;
        case lfaxReceiveFail:
            return file.empty() ? "Log: receive failed"
                                : "Log: receive failed, pages so far kept in " + file;
        default:
            return "Log: code " + std::to_string(logCode);
    }
}

int runFaxSession(const TPxFaxCliOptions& o, const TPxFaxCliJob& job, const std::string& device,
                  const std::function<bool()>& interrupted, std::ostream& out) {
    TPxPlainEventLoop loop;
    TPxComPort port(&loop);
    port.setDevicePathResolver([device](int) { return device; });
    port.setComNumber(1);
    port.setAutoOpen(false);

    std::unique_ptr<TPxAbstractFax> fax;
    if (o.command == "send") {
        auto send = std::make_unique<TPxSendFax>();
        send->FaxFileList = job.files;
        send->CoverFile = job.cover;
        send->PhoneNumber = o.to;
        send->HeaderLine = o.header;
        send->DialPrefix = o.prefix;
        send->DialAttempts = static_cast<uint16_t>(o.attempts);
        send->DialRetryWait = static_cast<uint16_t>(o.retryWait);
        send->DialWait = static_cast<uint16_t>(o.dialWait);
        fax = std::move(send);
    } else {
        auto receive = std::make_unique<TPxReceiveFax>();
        receive->setDestinationDir(o.dir);
        receive->OneFax = o.once;
        receive->AnswerOnRing = static_cast<uint16_t>(o.answerOnRing);
        receive->FaxAndData = o.faxAndData;
        if (o.refuse) {
            receive->OnFaxAccept = [&out](TPxAbstractFax& cp, bool& accept) {
                out << "Refusing the call from " << cp.RemoteStationID() << std::endl;
                accept = false;
            };
        }
        fax = std::move(receive);
    }
    applyCommon(*fax, o);
    // Linking forces the line settings a fax session needs (8N1, 19200 baud,
    // 8 KB buffers, RTS/CTS).
    fax->setComPort(&port);
    std::unique_ptr<TPxFaxLog> history;
    if (!o.history.empty()) {
        history = std::make_unique<TPxFaxLog>();
        history->FaxHistoryName = o.history;
        history->Fax = fax.get();
        fax->FaxLog = history.get();
    }
    CliEvents events(out);
    events.wire(*fax);

    const std::string dumpBase =
        (std::filesystem::temp_directory_path() / ("~PX" + std::to_string(::getpid()) + "_port"))
            .string();
    try {
        if (o.verbose) {
            port.setTraceName(dumpBase + ".TRC");
            port.setLogName(dumpBase + ".LOG");
            port.setTraceSize(200000);
            port.setLogSize(4000000);
            port.setTracing(tlOn);
            port.setLogging(tlOn);
        }
        port.setOpen(true);
    } catch (const EPxException& e) {
        out << "Error: " << device << ": " << e.what() << std::endl;
        return 2;
    }

    int result = ecOK;
    try {
        if (auto* send = dynamic_cast<TPxSendFax*>(fax.get())) {
            send->BeginSending();
        } else {
            static_cast<TPxReceiveFax&>(*fax).BeginReceiving();
        }
        bool aborted = false;
        while (!events.finished()) {
            loop.runUntil([&] { return events.finished(); }, kPollMs);
            if (!aborted && interrupted()) {
                aborted = true;
                events.cancelling();
                fax->AbortFax();
            }
        }
        result = events.finishCode();
    } catch (const EPxException& e) {
        out << "Error " << e.ErrorCode() << ": " << e.what() << std::endl;
        result = e.ErrorCode();
    }
    try {
        port.setOpen(false);
    } catch (const EPxException& e) {
        out << "Error: " << device << ": " << e.what() << std::endl;
    }
    if (o.verbose) {
        copyDump(dumpBase + ".TRC", "port trace", std::cerr);
        copyDump(dumpBase + ".LOG", "dispatch log", std::cerr);
    }
    if (result == ecOK) {
        out << (o.command == "send" ? "Sent" : "Received") << std::endl;
        return 0;
    }
    out << errorText(result) << std::endl;
    return 1;
}

}  // namespace px
