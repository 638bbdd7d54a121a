// One call between parvex-fax and the simulator's far end, and what the end
// -to-end tests check of it: the program's output, its log events and
// history, the far end's report and pages.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "../../modemsim/child_process.h"

namespace px::test {

std::string binDir();
// A page of the ITU test set (1728 pels wide, fine).
std::string testPage(int n);
std::string lastLine(const std::string& text);
// A field of the simulator's JSON call report, as text.
std::string reportField(const std::string& json, const std::string& key);

class FaxCall {
public:
    TempDir dir;
    std::string link = dir / "ttyFAX";
    std::string history = dir / "PXFAX.HIS";
    int faxStatus = -1;
    int simStatus = -1;
    std::string output;
    std::string report;
    // The longest a call may take; slow speeds need more.
    int callSeconds = 150;

    // False (the test is skipped) when the simulator is not built.
    static bool simulatorBuilt();
    // Starts the simulator; with `calls` 2 it stays on the line after the
    // first call, so that the port can be tried again.
    void startSimulator(std::vector<std::string> sim, int calls = 1);
    // Runs parvex-fax to its end (with --port and --history added).
    void runFax(std::vector<std::string> fax);
    // Waits for the simulator to end by itself.
    void finishSimulator(double seconds = 40);
    // Both, for a call that is meant to end the simulator.
    void run(std::vector<std::string> sim, std::vector<std::string> fax);

    // The "Log: ..." lines parvex-fax printed, as log codes.
    std::vector<int> logCodes() const;
    // The history file's lines, blank lines dropped.
    std::vector<std::string> historyLines() const;
    // The port opens again and the modem answers "AT" with "OK" within
    // `seconds`.
    bool portAnswers(double seconds = 5) const;
    // The port opens again.
    bool portOpens() const;

private:
    std::unique_ptr<ChildProcess> simulator_;
};

std::string writeLetter(const FaxCall& call, const std::string& name, int pages, int lines = 10);
// The far end's pages are the given APF files' pages, each behind the eight
// blank lines that open every page sent without a header line.
void expectSentPages(const FaxCall& call, const std::vector<std::string>& apfs);

}  // namespace px::test
