#include "fax_call.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../modemsim/scripted_dte.h"
#include "fax_pages.h"

namespace px::test {

std::string binDir() {
    const char* dir = std::getenv("PARVEX_BIN_DIR");
    return dir != nullptr ? dir : "bin";
}

std::string testPage(int n) {
    const char* dir = std::getenv("PARVEX_TESTDATA");
    return std::string(dir != nullptr ? dir : ".") + "/ccitt/ccitt_" + std::to_string(n) + ".tif";
}

std::string lastLine(const std::string& text) {
    std::string t = text;
    while (!t.empty() && t.back() == '\n') {
        t.pop_back();
    }
    return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
}

std::string reportField(const std::string& json, const std::string& key) {
    auto at = json.find("\"" + key + "\":");
    if (at == std::string::npos) {
        return {};
    }
    at += key.size() + 3;
    while (at < json.size() && json[at] == ' ') {
        ++at;
    }
    auto end = json.find_first_of(",\n}", at);
    std::string value = json.substr(at, end - at);
    if (!value.empty() && value.front() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

bool FaxCall::simulatorBuilt() {
    return std::filesystem::exists(binDir() + "/parvex-modemsim");
}

void FaxCall::startSimulator(std::vector<std::string> sim, int calls) {
    sim.insert(sim.begin(), binDir() + "/parvex-modemsim");
    sim.insert(sim.end(), {"--link", link, "--report", dir / "call.json", "--timeout",
                           std::to_string(callSeconds), "--calls", std::to_string(calls)});
    simulator_ = std::make_unique<ChildProcess>(sim, dir / "sim.log");
    ASSERT_TRUE(waitForPath(link, 10)) << readFile(dir / "sim.log");
}

void FaxCall::runFax(std::vector<std::string> fax) {
    fax.insert(fax.begin(), binDir() + "/parvex-fax");
    fax.insert(fax.begin() + 2, {"--port", link, "--history", history});
    ChildProcess program(fax, dir / "fax.log");
    faxStatus = program.wait(callSeconds + 20);
    output = readFile(dir / "fax.log");
}

void FaxCall::finishSimulator(double seconds) {
    if (simulator_) {
        simStatus = simulator_->wait(seconds);
        simulator_.reset();
    }
    report = readFile(dir / "call.json");
}

void FaxCall::run(std::vector<std::string> sim, std::vector<std::string> fax) {
    startSimulator(std::move(sim));
    if (testing::Test::HasFatalFailure()) {
        return;
    }
    runFax(std::move(fax));
    finishSimulator();
}

std::vector<int> FaxCall::logCodes() const {
    // The texts parvex-fax prints for the codes 1 to 7.
    static const char* const kTexts[] = {"Log: transmit to ",     "Log: transmit finished OK",
                                         "Log: transmit failed",  "Log: receive started",
                                         "Log: receive finished", "Log: receive refused",
                                         "Log: receive failed"};
    std::vector<int> codes;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        for (int code = 1; code <= 7; ++code) {
            if (line.rfind(kTexts[code - 1], 0) == 0) {
                codes.push_back(code);
            }
        }
    }
    return codes;
}

std::vector<std::string> FaxCall::historyLines() const {
    std::vector<std::string> lines;
    std::istringstream in(readFile(history));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

bool FaxCall::portAnswers(double seconds) const {
    try {
        ScriptedDte dte(link);
        dte.send("AT");
        return dte.expect("OK", seconds);
    } catch (const std::exception&) {
        return false;
    }
}

bool FaxCall::portOpens() const {
    int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

std::string writeLetter(const FaxCall& call, const std::string& name, int pages, int lines) {
    std::string path = call.dir / name;
    std::ofstream out(path);
    for (int p = 1; p <= pages; ++p) {
        out << "Parvex test letter " << name << ", page " << p << "\n\n";
        for (int line = 0; line < lines; ++line) {
            out << "The quick brown fox jumps over the lazy dog " << line * p << ".\n";
        }
        if (p < pages) {
            out << "\f";
        }
    }
    return path;
}

void expectSentPages(const FaxCall& call, const std::vector<std::string>& apfs) {
    std::vector<Rows> sent;
    for (const auto& apf : apfs) {
        for (auto& page : apfPages(apf)) {
            sent.push_back(std::move(page));
        }
    }
    auto got = tiffPages(call.dir / "received.tif");
    ASSERT_EQ(got.size(), sent.size());
    for (size_t p = 0; p < sent.size(); ++p) {
        ASSERT_EQ(got[p].size(), sent[p].size() + 8) << "page " << p + 1;
        for (size_t y = 0; y < 8; ++y) {
            EXPECT_EQ(got[p][y], std::vector<uint8_t>(216, 0)) << "blank line " << y;
        }
        for (size_t y = 0; y < sent[p].size(); ++y) {
            ASSERT_EQ(got[p][y + 8], sent[p][y]) << "page " << p + 1 << " row " << y;
        }
    }
}

}  // namespace px::test
