#include "cli/fax/px_fax_cli.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/fax/px_fax_cli_run.h"
#include "cli/fax/px_text_fax.h"
#include "comms/px_error_text.h"
#include "fax/apf/px_apf_reader.h"
#include "settings/ini_file.h"
#include "settings/program_folder.h"
#include "settings/px_settings.h"

namespace px {

namespace {

constexpr const char* kUsage =
    "usage: parvex-fax send --port PATH --to NUMBER FILE... [--cover FILE]\n"
    "                  [--class auto|1|2|2.0] [--rate BPS] [--ecm] [--fine]\n"
    "                  [--station-id ID] [--header TEXT] [--prefix DIGITS]\n"
    "                  [--attempts N] [--retry-wait SECONDS] [--dial-wait SECONDS]\n"
    "                  [--history FILE]\n"
    "       parvex-fax receive --port PATH --dir DIR [--class auto|1|2|2.0]\n"
    "                  [--answer-on-ring N] [--station-id ID] [--rate BPS] [--once]\n"
    "                  [--refuse] [--fax-and-data] [--history FILE]\n"
    "FILE is an APF file or a text file; several are sent as one fax. PATH is a\n"
    "device path or COMn. --history appends to a fax history file (PXFAX.HIS\n"
    "lines); --verbose adds the port's trace and dispatch log on stderr.\n";

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
    // A temporary file named after `source` (the history shows the name).
    std::string make(const std::string& source, const std::string& ext = "APF") {
        std::string stem = std::filesystem::path(source).stem().string();
        std::string path = (std::filesystem::temp_directory_path() /
                            ("~PX" + std::to_string(::getpid()) + "_" +
                             std::to_string(paths_.size()) + "_" + stem + "." + ext))
                               .string();
        paths_.push_back(path);
        return path;
    }

private:
    std::vector<std::string> paths_;
};

bool namedApf(const std::string& path) {
    std::string upper = path;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper.find(".APF") != std::string::npos;
}

// The engine tells the two kinds of cover apart by the name: one with ".APF"
// in it is sent as pages, any other is rendered as text. A cover whose name
// says otherwise goes as a copy with a fitting name; empty when it cannot.
std::string coverForEngine(const std::string& cover, TempFiles& temps) {
    const bool apf = TPxApfReader::isApf(cover);
    if (apf == namedApf(cover)) {
        return cover;
    }
    std::string copy = temps.make(cover, apf ? "APF" : "TXT");
    std::error_code ec;
    std::filesystem::copy_file(cover, copy, std::filesystem::copy_options::overwrite_existing, ec);
    return ec ? std::string() : copy;
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
        } else if (a == "--dial-wait") {
            ok = number(o.dialWait);
        } else if (a == "--dir") {
            ok = value(o.dir);
        } else if (a == "--answer-on-ring") {
            ok = number(o.answerOnRing);
        } else if (a == "--history") {
            ok = value(o.history);
        } else if (a == "--refuse") {
            o.refuse = true;
        } else if (a == "--fax-and-data") {
            o.faxAndData = true;
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
    if (o.command == "send" && (o.refuse || o.faxAndData)) {
        error = "--refuse and --fax-and-data are options of receive";
        return false;
    }
    return true;
}

int runFaxCli(const TPxFaxCliOptions& o, std::ostream& out) {
    TempFiles temps;
    TPxFaxCliJob job;
    if (o.command == "send") {
        for (const auto& file : o.files) {
            if (!std::filesystem::exists(file)) {
                out << "Error: " << file << ": " << errorText(ecFileNotFound) << std::endl;
                return 2;
            }
            if (isText(file)) {
                std::string apf = temps.make(file);
                ErrorCode rc = textToApf(file, apf, o.fine);
                if (rc != ecOK) {
                    out << "Error: " << file << ": " << errorText(rc) << std::endl;
                    return 2;
                }
                job.files.push_back(apf);
            } else {
                job.files.push_back(file);
            }
        }
        if (!o.cover.empty()) {
            if (!std::filesystem::exists(o.cover)) {
                out << "Error: " << o.cover << ": " << errorText(ecFileNotFound) << std::endl;
                return 2;
            }
            job.cover = coverForEngine(o.cover, temps);
            if (job.cover.empty()) {
                out << "Error: " << o.cover << ": " << errorText(ecFileNotFound) << std::endl;
                return 2;
            }
        }
    }
    // SIGINT and SIGTERM cancel the session cleanly (hang-up, partial file kept).
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    return runFaxSession(
        o, job, faxCliDevice(o.port), [] { return gInterrupted != 0; }, out);
}

int faxCliMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        out << kUsage;
        return args.empty() ? 2 : 0;
    }
    TPxFaxCliOptions options;
    std::string error;
    if (!parseFaxCli(args, options, error)) {
        err << "parvex-fax: " << error << "\n" << kUsage;
        return 2;
    }
    return runFaxCli(options, out);
}

}  // namespace px
