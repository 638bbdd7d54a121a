#include "sim_options.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "tiff_pages.h"

namespace px {

namespace {

double toNumber(const std::string& option, const std::string& text) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == nullptr || *end != '\0' || value < 0) {
        throw std::invalid_argument(option + ": not a non-negative number: \"" + text + "\"");
    }
    return value;
}

int toCount(const std::string& option, const std::string& text) {
    double value = toNumber(option, text);
    if (value != static_cast<int>(value) || value > 1000000) {
        throw std::invalid_argument(option + ": not a whole number: \"" + text + "\"");
    }
    return static_cast<int>(value);
}

}  // namespace

std::string CallConditions::describe() const {
    std::ostringstream out;
    const char* sep = "";
    auto add = [&](const std::string& text) {
        out << sep << text;
        sep = ",";
    };
    if (busyCalls > 0) {
        add("busy=" + std::to_string(busyCalls));
    }
    if (noAnswer) {
        add("no-answer");
    }
    if (noDialTone) {
        add("no-dial-tone");
    }
    if (voiceAnswer) {
        add("voice");
    }
    if (dataAnswer) {
        add("data-modem");
    }
    if (hangupAfterPage > 0) {
        add("hangup-after-page=" + std::to_string(hangupAfterPage));
    }
    if (hangupInPage > 0) {
        add("hangup-in-page=" + std::to_string(hangupInPage));
    }
    if (trainFailures > 0) {
        add("train-fail=" + std::to_string(trainFailures));
    }
    if (rtnPage > 0) {
        add("rtn=" + std::to_string(rtnPage));
    }
    if (snr) {
        std::ostringstream v;
        v << *snr;
        add("snr=" + v.str());
    }
    if (deadModem) {
        add("dead-modem");
    }
    if (silentModem) {
        add("silent-modem");
    }
    if (vanishAfter) {
        std::ostringstream v;
        v << *vanishAfter;
        add("vanish=" + v.str());
    }
    if (!faults.damageRemote.empty()) {
        add("damage-remote=" + faults.damageRemote.describe());
    }
    if (!faults.dropRemote.empty()) {
        add("drop-remote=" + faults.dropRemote.describe());
    }
    if (!faults.damageLocal.empty()) {
        add("damage-local=" + faults.damageLocal.describe());
    }
    if (faults.tcfSilence > 0) {
        add("tcf-silence=" + std::to_string(faults.tcfSilence));
    }
    if (faults.dcnFor != 0) {
        add(std::string("dcn-for=") + answerName(faults.dcnFor) +
            (faults.dcnTimes == 1 ? "" : "*" + std::to_string(faults.dcnTimes)));
    }
    return out.str();
}

CallConditions parseCondition(const std::string& text, CallConditions c) {
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        std::string key = item;
        std::string value;
        auto eq = item.find('=');
        if (eq != std::string::npos) {
            key = item.substr(0, eq);
            value = item.substr(eq + 1);
        }
        auto needValue = [&]() {
            if (value.empty()) {
                throw std::invalid_argument("--condition " + key + " needs a value (" + key +
                                            "=...)");
            }
        };
        if (key == "busy") {
            c.busyCalls = value.empty() ? 1 : toCount("--condition busy", value);
        } else if (key == "no-answer") {
            c.noAnswer = true;
        } else if (key == "no-dial-tone") {
            c.noDialTone = true;
        } else if (key == "voice") {
            c.voiceAnswer = true;
        } else if (key == "data-modem") {
            c.dataAnswer = true;
        } else if (key == "hangup-after-page") {
            needValue();
            c.hangupAfterPage = toCount("--condition hangup-after-page", value);
        } else if (key == "hangup-in-page") {
            needValue();
            c.hangupInPage = toCount("--condition hangup-in-page", value);
        } else if (key == "train-fail") {
            c.trainFailures = value.empty() ? 1 : toCount("--condition train-fail", value);
        } else if (key == "rtn") {
            c.rtnPage = value.empty() ? 1 : toCount("--condition rtn", value);
        } else if (key == "snr") {
            needValue();
            c.snr = toNumber("--condition snr", value);
        } else if (key == "silent-modem") {
            c.silentModem = true;
        } else if (key == "dead-modem") {
            c.deadModem = true;
        } else if (key == "vanish") {
            needValue();
            c.vanishAfter = toNumber("--condition vanish", value);
        } else if (key == "damage-remote") {
            needValue();
            c.faults.damageRemote = parseFrameRange("--condition damage-remote", value);
        } else if (key == "drop-remote") {
            needValue();
            c.faults.dropRemote = parseFrameRange("--condition drop-remote", value);
        } else if (key == "damage-local") {
            needValue();
            c.faults.damageLocal = parseFrameRange("--condition damage-local", value);
        } else if (key == "tcf-silence") {
            c.faults.tcfSilence = value.empty() ? 1 : toCount("--condition tcf-silence", value);
        } else if (key == "dcn-for") {
            needValue();
            const auto star = value.find('*');
            c.faults.dcnFor = answerFcf(value.substr(0, star));
            if (c.faults.dcnFor == 0) {
                throw std::invalid_argument("--condition dcn-for: not an answer frame: \"" + value +
                                            "\" (dis, cfr, ftt, mcf, rtn)");
            }
            c.faults.dcnTimes = star == std::string::npos
                                    ? 1
                                    : toCount("--condition dcn-for", value.substr(star + 1));
        } else if (!key.empty()) {
            throw std::invalid_argument("unknown condition \"" + key + "\"");
        }
    }
    return c;
}

std::string usageText() {
    return "usage:\n"
           "  parvex-modemsim remote-receive --link PATH --out FILE.tif [--report FILE.json]\n"
           "        [--class 1|2|2.0] [--id ID] [--max-rate BPS] [--fine|--standard] [--ecm]\n"
           "        [--condition COND[,COND...]]\n"
           "  parvex-modemsim remote-send --link PATH --in FILE.tif [--report FILE.json]\n"
           "        [--class 1|2|2.0] [--id ID] [--ring-after SECONDS]\n"
           "  parvex-modemsim back-to-back --link PATH_A --link-b PATH_B [--class 1|2|2.0]\n"
           "  parvex-modemsim reference --in FILE.tif --out FILE.tif [--report FILE.json]\n"
           "  parvex-modemsim demo --link PATH --inbox DIR [--send FILE.tif] [--send-calls N]\n"
           "        [--ring-after SECONDS] [--class 1|2|2.0] [--id ID]\n"
           "demo: a telephone line for trying a fax program. The remote machine answers\n"
           "  every number dialled and keeps each fax as DIR/fax-NNNN.tif with its report\n"
           "  fax-NNNN.json. Once the program waits for calls (it selects a fax class,\n"
           "  enables reception or sets auto-answer and then stays quiet for --ring-after\n"
           "  seconds, 5 by default), the remote machine calls and sends FILE.tif, on\n"
           "  --send-calls N occasions (1 by default). It runs until stopped or --timeout.\n"
           "common options: --timeout SECONDS, --speed FACTOR (line time per wall time),\n"
           "  --1d (the far end offers T.4 one-dimensional coding only),\n"
           "  --noise-seed N (another noise sequence for snr=DB),\n"
           "  --scan-time MS (the far end asks for 0, 5, 10, 20 or 40 ms a line),\n"
           "  --calls N (0: serve calls until the timeout), --verbose,\n"
           "  --faulty-calls N (the conditions hold for the first N calls only)\n"
           "conditions: busy=N, no-answer, no-dial-tone, voice, data-modem,\n"
           "  hangup-after-page=K, hangup-in-page=K, train-fail=N, rtn=K, snr=DB,\n"
           "  dead-modem, silent-modem (no answer to any command), vanish=SECONDS,\n"
           "  damage-remote=K[*N] (the far end's K-th HDLC frame, and N-1 after it, arrive\n"
           "  with a bad FCS), drop-remote=K[*N] (silence in their place),\n"
           "  damage-local=K[*N] (the far end hears our K-th frame with a bad FCS and\n"
           "  answers CRP), tcf-silence[=N] (the far end hears silence for our first N\n"
           "  training checks; a calling far end sends its first N as silence), "
           "dcn-for=dis|cfr|ftt|mcf|rtn[*N] (DCN in place of that answer)\n";
}

SimOptions parseSimOptions(const std::vector<std::string>& args) {
    if (args.empty()) {
        throw std::invalid_argument("no mode given");
    }
    SimOptions o;
    const std::string& mode = args[0];
    if (mode == "remote-receive") {
        o.mode = SimMode::RemoteReceive;
    } else if (mode == "remote-send") {
        o.mode = SimMode::RemoteSend;
    } else if (mode == "back-to-back") {
        o.mode = SimMode::BackToBack;
    } else if (mode == "reference") {
        o.mode = SimMode::Reference;
        o.speed = 0;
    } else if (mode == "demo") {
        o.mode = SimMode::Demo;
        o.ringAfter = 5.0;
        o.calls = 0;
    } else {
        throw std::invalid_argument("unknown mode \"" + mode + "\"");
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) {
                throw std::invalid_argument(a + " needs a value");
            }
            return args[++i];
        };
        if (a == "--link") {
            o.link = value();
        } else if (a == "--link-b") {
            o.linkB = value();
        } else if (a == "--in") {
            o.inFile = value();
        } else if (a == "--out") {
            o.outFile = value();
        } else if (a == "--report") {
            o.report = value();
        } else if (a == "--inbox") {
            o.inbox = value();
        } else if (a == "--send") {
            o.inFile = value();
        } else if (a == "--send-calls") {
            o.sendCalls = toCount(a, value());
        } else if (a == "--id") {
            o.ident = value();
            if (o.ident.size() > 20) {
                throw std::invalid_argument("--id: at most 20 characters");
            }
        } else if (a == "--class") {
            const std::string& c = value();
            if (c == "1") {
                o.modemClass = ModemClass::Class1;
            } else if (c == "2") {
                o.modemClass = ModemClass::Class2;
            } else if (c == "2.0") {
                o.modemClass = ModemClass::Class2_0;
            } else {
                throw std::invalid_argument("--class: 1, 2 or 2.0, not \"" + c + "\"");
            }
        } else if (a == "--max-rate") {
            o.maxRate = toCount(a, value());
            if (o.maxRate != 2400 && o.maxRate != 4800 && o.maxRate != 7200 && o.maxRate != 9600 &&
                o.maxRate != 12000 && o.maxRate != 14400) {
                throw std::invalid_argument(
                    "--max-rate: one of 2400, 4800, 7200, 9600, 12000, "
                    "14400");
            }
        } else if (a == "--fine") {
            o.fine = true;
        } else if (a == "--standard") {
            o.fine = false;
        } else if (a == "--ecm") {
            o.ecm = true;
        } else if (a == "--no-ecm") {
            o.ecm = false;
        } else if (a == "--1d") {
            o.oneDimensional = true;
        } else if (a == "--noise-seed") {
            o.noiseSeed = toCount(a, value());
        } else if (a == "--scan-time") {
            o.minScanMs = toCount(a, value());
            if (o.minScanMs != 0 && o.minScanMs != 5 && o.minScanMs != 10 && o.minScanMs != 20 &&
                o.minScanMs != 40) {
                throw std::invalid_argument("--scan-time: one of 0, 5, 10, 20, 40");
            }
        } else if (a == "--ring-after") {
            o.ringAfter = toNumber(a, value());
        } else if (a == "--timeout") {
            o.timeout = toNumber(a, value());
        } else if (a == "--speed") {
            o.speed = toNumber(a, value());
        } else if (a == "--calls") {
            o.calls = toCount(a, value());
            if (o.mode == SimMode::Demo) {
                throw std::invalid_argument("demo serves calls until it is stopped: no --calls");
            }
        } else if (a == "--faulty-calls") {
            o.faultyCalls = toCount(a, value());
        } else if (a == "--condition") {
            o.conditions = parseCondition(value(), o.conditions);
        } else if (a == "--verbose") {
            o.verbose = true;
        } else {
            throw std::invalid_argument("unknown option \"" + a + "\"");
        }
    }
    switch (o.mode) {
        case SimMode::RemoteReceive:
            if (o.link.empty() || o.outFile.empty()) {
                throw std::invalid_argument("remote-receive needs --link and --out");
            }
            break;
        case SimMode::RemoteSend:
            if (o.link.empty() || o.inFile.empty()) {
                throw std::invalid_argument("remote-send needs --link and --in");
            }
            break;
        case SimMode::BackToBack:
            if (o.link.empty() || o.linkB.empty()) {
                throw std::invalid_argument("back-to-back needs --link and --link-b");
            }
            break;
        case SimMode::Reference:
            if (o.inFile.empty() || o.outFile.empty()) {
                throw std::invalid_argument("reference needs --in and --out");
            }
            break;
        case SimMode::Demo:
            if (o.link.empty() || o.inbox.empty()) {
                throw std::invalid_argument("demo needs --link and --inbox");
            }
            if (!o.outFile.empty() || !o.report.empty()) {
                throw std::invalid_argument(
                    "demo keeps each fax and report in --inbox: no --out or --report");
            }
            break;
    }
    if (o.mode != SimMode::Reference && o.speed <= 0) {
        throw std::invalid_argument("--speed must be above 0 when a DTE is on the line");
    }
    return o;
}

namespace {

void checkWritable(const std::string& path, const char* what) {
    if (path.empty()) {
        return;
    }
    std::filesystem::path p(path);
    std::filesystem::path dir = p.has_parent_path() ? p.parent_path() : ".";
    if (::access(dir.c_str(), W_OK) != 0) {
        throw std::runtime_error(std::string("cannot write the ") + what + " " + path +
                                 ": folder missing or not writable");
    }
    if (std::filesystem::is_directory(p)) {
        throw std::runtime_error(std::string("the ") + what + " " + path + " is a folder");
    }
}

}  // namespace

void checkFiles(const SimOptions& o) {
    const bool sends = o.mode == SimMode::RemoteSend || o.mode == SimMode::Reference ||
                       (o.mode == SimMode::Demo && !o.inFile.empty());
    if (sends) {
        std::vector<FaxPage> pages;
        try {
            pages = readTiffPages(o.inFile);
        } catch (const std::exception& e) {
            throw std::runtime_error(std::string("cannot send ") + o.inFile + ": " + e.what());
        }
        if (pages.empty()) {
            throw std::runtime_error(o.inFile + " holds no pages");
        }
    }
    if (o.mode == SimMode::RemoteReceive || o.mode == SimMode::Reference) {
        checkWritable(o.outFile, "received fax");
    }
    checkWritable(o.report, "report");
    if (o.mode == SimMode::Demo) {
        std::error_code error;
        std::filesystem::create_directories(o.inbox, error);
        if (!std::filesystem::is_directory(o.inbox) || ::access(o.inbox.c_str(), W_OK) != 0) {
            throw std::runtime_error("cannot keep faxes in " + o.inbox +
                                     ": folder missing or not writable");
        }
    }
}

}  // namespace px
