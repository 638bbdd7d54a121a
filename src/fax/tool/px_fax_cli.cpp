#include "fax/tool/px_fax_cli.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <ostream>

#include "app/settings/ini_file.h"
#include "app/settings/program_folder.h"
#include "app/settings/px_settings.h"
#include "comms/px_error_text.h"
#include "comms/px_posix_dispatcher.h"
#include "fax/apf/px_apf_reader.h"
#include "fax/apf/px_apf_writer.h"
#include "fax/engine/px_dispatcher_fax_line.h"
#include "fax/engine/px_fax_receiver.h"
#include "fax/engine/px_fax_strings.h"
#include "fax/engine/px_fax_transmitter.h"
#include "fax/tool/px_text_fax.h"

namespace px {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void onSignal(int) {
    gInterrupted = 1;
}

bool toInt(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return false;
    }
    value = std::stoi(text);
    return true;
}

// The engine's messages, printed as the session goes.
class CliClient : public TPxFaxClient {
public:
    CliClient(std::ostream& out, TPxFaxJob job) : out_(out), job_(std::move(job)) {}

    void setSession(TPxFaxSession* session) { session_ = session; }

    bool nextFax(TPxFaxJob& job) override {
        if (asked_++ > 0 || job_.phoneNumber.empty()) {
            return false;
        }
        job = job_;
        return true;
    }
    void status(bool, bool) override {
        int code = session_ != nullptr ? session_->progress : 0;
        // A session ended by an error also reports progress 42; only a
        // cancel is a user abort.
        if (code == fpCancel && session_->errorCode != ecCancelRequested) {
            return;
        }
        if (code != lastProgress_ && code != 0) {
            lastProgress_ = code;
            std::lock_guard lock(outMutex_);
            out_ << faxProgressText(code) << std::endl;
        }
    }
    void log(int code) override {
        if (code == lfaxReceiveOk || code == lfaxTransmitOk) {
            ++done_;
        }
        if (code == lfaxReceiveStart && session_ != nullptr) {
            std::lock_guard lock(outMutex_);
            out_ << "Receiving " << session_->faxFile << std::endl;
        }
    }
    std::string fileName() override { return {}; }
    bool accept() override { return true; }
    void error(int code) override {
        std::lock_guard lock(outMutex_);
        out_ << "Error " << code << ": " << errorText(code) << std::endl;
    }
    void finish(int code) override {
        std::lock_guard lock(mutex_);
        finishCode_ = code;
        finished_ = true;
        changed_.notify_all();
    }
    // Waits for the finish; `onTick` runs every 100 ms meanwhile.
    int waitFinish(const std::function<void()>& onTick) {
        std::unique_lock lock(mutex_);
        while (
            !changed_.wait_for(lock, std::chrono::milliseconds(100), [&] { return finished_; })) {
            lock.unlock();
            onTick();
            lock.lock();
        }
        return finishCode_;
    }
    int completed() const { return done_; }

private:
    std::ostream& out_;
    TPxFaxJob job_;
    TPxFaxSession* session_ = nullptr;
    int asked_ = 0;
    int lastProgress_ = 0;
    int done_ = 0;
    std::mutex outMutex_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool finished_ = false;
    int finishCode_ = 0;
};

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

// Copies every page of `from` to the end of `writer`.
ErrorCode appendPages(const std::string& from, TPxApfWriter& writer) {
    TPxApfReader reader;
    ErrorCode rc = reader.open(from);
    for (unsigned n = 1; rc == ecOK && n <= reader.pageCount(); ++n) {
        ApfPageInfo page;
        rc = reader.findPage(n, page);
        if (rc != ecOK) {
            break;
        }
        rc = writer.beginPage(page.header.flags);
        ErrorCode writeRc = ecOK;
        if (rc == ecOK) {
            rc = reader.readPage(page, [&](const uint8_t* data, size_t size) {
                writeRc = page.header.lengthWords() ? writer.writeRecord(data, size)
                                                    : writer.writeRaw(data, size);
                return writeRc == ecOK;
            });
        }
        if (rc == ecOK) {
            rc = writeRc;
        }
        if (rc == ecOK) {
            rc = writer.endPage();
        }
    }
    return rc;
}

bool isText(const std::string& path) {
    return !TPxApfReader::isApf(path);
}

class TempFiles {
public:
    ~TempFiles() {
        for (const auto& p : paths_) {
            std::remove(p.c_str());
        }
    }
    std::string make(const std::string& tag) {
        std::string dir = std::filesystem::temp_directory_path().string();
        std::string path = dir + "/~PX" + std::to_string(::getpid()) + "_" +
                           std::to_string(paths_.size()) + tag + ".APF";
        paths_.push_back(path);
        return path;
    }

private:
    std::vector<std::string> paths_;
};

void configure(TPxFaxSession& s, const TPxFaxCliOptions& o) {
    s.faxClass = classOf(o.faxClass);
    s.stationId = o.stationId.substr(0, 20);
    s.modem.desiredBps = o.rate;
    s.modem.ecm = o.ecm ? '1' : '0';
    s.dialAttempts = o.attempts;
    s.dialRetryWait = secondsToTicks(o.retryWait);
    s.modem.answerOnRing = o.answerOnRing;
}

}  // namespace

std::string faxCliDevice(const std::string& port) {
    if (port.size() > 3 && (port.rfind("COM", 0) == 0 || port.rfind("com", 0) == 0)) {
        int n = 0;
        if (toInt(port.substr(3), n) && n >= 1) {
            // [Ports] COMn of the program's PX.INI, else /dev/ttyS(n-1).
            IniFile ini;
            try {
                std::error_code ec;
                auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
                ini = IniFile::load(ProgramFolder::locate(exe.string()).settingsPath());
            } catch (const IniFileError&) {
                // An unreadable PX.INI leaves the standard device names.
            }
            return comPortDevicePath(ini, n);
        }
    }
    return port;
}

bool parseFaxCli(const std::vector<std::string>& args, TPxFaxCliOptions& o, std::string& error) {
    if (args.empty() || (args[0] != "send" && args[0] != "receive")) {
        error = "expected the command send or receive";
        return false;
    }
    o.command = args[0];
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        auto number = [&](int& into) {
            std::string text;
            if (!value(text)) {
                return false;
            }
            if (!toInt(text, into)) {
                error = a + ": not a number: " + text;
                return false;
            }
            return true;
        };
        int n = 0;
        bool ok = true;
        if (a == "--port") {
            ok = value(o.port);
        } else if (a == "--to") {
            ok = value(o.to);
        } else if (a == "--cover") {
            ok = value(o.cover);
        } else if (a == "--class") {
            ok = value(o.faxClass);
            if (ok && o.faxClass != "auto" && o.faxClass != "1" && o.faxClass != "2" &&
                o.faxClass != "2.0") {
                error = "--class must be auto, 1, 2 or 2.0";
                ok = false;
            }
        } else if (a == "--rate") {
            ok = number(n);
            o.rate = static_cast<unsigned>(n);
            if (ok && (n < 2400 || n > 14400)) {
                error = "--rate must lie between 2400 and 14400";
                ok = false;
            }
        } else if (a == "--ecm") {
            o.ecm = true;
        } else if (a == "--fine") {
            o.fine = true;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "--once") {
            o.once = true;
        } else if (a == "--station-id") {
            ok = value(o.stationId);
        } else if (a == "--header") {
            ok = value(o.header);
        } else if (a == "--prefix") {
            ok = value(o.prefix);
        } else if (a == "--attempts") {
            ok = number(o.attempts);
        } else if (a == "--retry-wait") {
            ok = number(o.retryWait);
        } else if (a == "--dir") {
            ok = value(o.dir);
        } else if (a == "--answer-on-ring") {
            ok = number(o.answerOnRing);
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option " + a;
            ok = false;
        } else if (o.command == "send") {
            o.files.push_back(a);
        } else {
            error = "unexpected argument " + a;
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    if (o.port.empty()) {
        error = "--port is required";
        return false;
    }
    if (o.command == "send" && (o.to.empty() || (o.files.empty() && o.cover.empty()))) {
        error = "send needs --to NUMBER and at least one FILE";
        return false;
    }
    return true;
}

int runFaxCli(const TPxFaxCliOptions& o, std::ostream& out) {
    TempFiles temps;
    TPxFaxJob job;
    if (o.command == "send") {
        job.phoneNumber = o.to;
        std::vector<std::string> apfs;
        for (const auto& file : o.files) {
            if (!std::filesystem::exists(file)) {
                out << "Error: " << file << ": " << errorText(ecFileNotFound) << std::endl;
                return 2;
            }
            if (isText(file)) {
                std::string apf = temps.make("T");
                ErrorCode rc = textToApf(file, apf, o.fine);
                if (rc != ecOK) {
                    out << "Error: " << file << ": " << errorText(rc) << std::endl;
                    return 2;
                }
                apfs.push_back(apf);
            } else {
                apfs.push_back(file);
            }
        }
        if (apfs.size() == 1) {
            job.faxFile = apfs[0];
        } else if (apfs.size() > 1) {
            job.faxFile = temps.make("J");
            TPxApfWriter writer;
            ErrorCode rc = writer.create(job.faxFile);
            for (size_t i = 0; rc == ecOK && i < apfs.size(); ++i) {
                rc = appendPages(apfs[i], writer);
            }
            if (rc == ecOK) {
                rc = writer.finish();
            }
            if (rc != ecOK) {
                out << "Error: " << errorText(rc) << std::endl;
                return 2;
            }
        }
        job.coverFile = o.cover;
    }

    // SIGINT and SIGTERM cancel the session cleanly (hang-up, partial file kept).
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    TPxPosixDispatcher dispatcher(nullptr, TPxSystemClock::instance(), nullptr);
    const std::string device = faxCliDevice(o.port);
    int rc = dispatcher.openPort(device, 19200, kParityNone, 8, 1, 8192, 8192, true, true);
    if (rc < 0) {
        out << "Error: " << device << ": " << errorText(rc) << std::endl;
        return 2;
    }
    CliClient client(out, job);
    TPxDispatcherFaxLine line(dispatcher);
    std::unique_ptr<TPxFaxSession> session;
    if (o.command == "send") {
        auto tx = std::make_unique<TPxFaxTransmitter>(line, client);
        tx->headerLine = o.header;
        tx->dialPrefix = o.prefix;
        session = std::move(tx);
    } else {
        auto receiver = std::make_unique<TPxFaxReceiver>(line, client);
        receiver->destinationDir = o.dir;
        receiver->oneFax = o.once;
        session = std::move(receiver);
    }
    configure(*session, o);
    session->faxFileExt = "APF";
    session->options = afAbortNoConnect;
    client.setSession(session.get());
    rc = line.attach(*session);
    int result = rc;
    if (rc == ecOK) {
        line.start();
        bool aborted = false;
        result = client.waitFinish([&] {
            if (gInterrupted != 0 && !aborted) {
                aborted = true;
                line.abort();
            }
        });
        line.detach();
    }
    dispatcher.closePort();
    if (result == ecOK) {
        out << (o.command == "send" ? "Sent" : "Received") << std::endl;
        return 0;
    }
    out << errorText(result) << std::endl;
    return 1;
}

}  // namespace px
