// Command line of parvex-modemsim.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "line_faults.h"

namespace px {

enum class SimMode { RemoteReceive, RemoteSend, BackToBack, Reference, Demo };
enum class ModemClass { Class1, Class2, Class2_0 };

// Conditions imposed on calls, for dial and fault tests.
struct CallConditions {
    int busyCalls = 0;          // the first N calls find the line busy
    bool noAnswer = false;      // the far end never picks up
    bool noDialTone = false;    // the line is dead when dialling
    bool voiceAnswer = false;   // a person answers
    bool dataAnswer = false;    // a data modem answers
    int hangupAfterPage = 0;    // the far end drops the line after page k
    int hangupInPage = 0;       // the far end drops the line in the middle of page k
    int trainFailures = 0;      // the far end answers the first N training checks with FTT
    int rtnPage = 0;            // the far end answers page k with RTN
    std::optional<double> snr;  // white noise on the line, dB below the signal
    bool deadModem = false;     // the modem stops answering commands once it dials or answers
    bool silentModem = false;   // the modem never answers a command, not even the first "AT"
    std::optional<double> vanishAfter;  // the port disappears this many seconds into a call
    LineFaults faults;                  // faults aimed at single frames

    std::string describe() const;
};

struct SimOptions {
    SimMode mode = SimMode::RemoteReceive;
    ModemClass modemClass = ModemClass::Class1;
    std::string link;     // --link
    std::string linkB;    // --link-b
    std::string inFile;   // --in, or --send in the demo
    std::string outFile;  // --out
    std::string report;   // --report
    std::string inbox;    // --inbox (demo): the folder for received faxes
    int sendCalls = 1;    // --send-calls (demo): calls to a DTE in receive mode
    std::string ident = "PARVEX REMOTE";
    int maxRate = 14400;
    bool fine = true;
    bool ecm = false;
    bool oneDimensional = false;  // --1d: T.4 one-dimensional coding only
    int noiseSeed = 0;            // --noise-seed: another noise sequence
    int minScanMs = 0;            // --scan-time: the far end's minimum scan time
    double ringAfter = 1.0;       // seconds before the remote machine calls
    double timeout = 0;           // 0: no limit
    double speed = 1.0;           // line time per wall time; 0 runs unpaced (reference only)
    int calls = 1;                // calls to serve before ending (0: until timeout or signal)
    int faultyCalls = 0;          // the conditions hold for the first N calls (0: for all)
    bool verbose = false;
    CallConditions conditions;
};

// Parses arguments after the program name. Throws std::invalid_argument with
// a message for the user on bad input.
SimOptions parseSimOptions(const std::vector<std::string>& args);
CallConditions parseCondition(const std::string& text, CallConditions into);
std::string usageText();
// Checks before any port opens that the pages to send can be read and that
// received pages and the report can be written. Throws std::runtime_error.
void checkFiles(const SimOptions& options);

}  // namespace px
