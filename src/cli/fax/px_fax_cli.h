// The command-line front of the fax engine: options and the two commands.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace px {

struct TPxFaxCliOptions {
    std::string command;  // "send" or "receive"
    std::string port;
    std::string to;
    std::vector<std::string> files;
    std::string cover;
    std::string faxClass = "auto";
    unsigned rate = 14400;
    bool ecm = false;
    std::string stationId;
    std::string header;
    std::string prefix;
    int attempts = 3;
    int retryWait = 60;
    int dialWait = 60;  // --dial-wait: seconds for the far end to answer
    std::string dir = ".";
    int answerOnRing = 1;
    bool once = false;
    bool fine = false;
    bool verbose = false;
    std::string history;      // --history: the fax history file ("" writes none)
    bool refuse = false;      // --refuse: every incoming call is refused
    bool faxAndData = false;  // --fax-and-data: the modem answers data calls too
};

// Parses the arguments after the program name; false with a message in
// `error` on bad input.
bool parseFaxCli(const std::vector<std::string>& args, TPxFaxCliOptions& options,
                 std::string& error);
// The device path of a port argument: a path as given, COMn → /dev/ttyS(n-1).
std::string faxCliDevice(const std::string& port);
// Runs the command; the process exit status.
int runFaxCli(const TPxFaxCliOptions& options, std::ostream& out);

// The whole program on its command line (without the program name): usage,
// options, the call; returns the exit status.
int faxCliMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace px
