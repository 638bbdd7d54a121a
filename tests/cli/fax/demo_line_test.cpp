// The demo line end to end: the remote machine answers whatever number the
// program dials and keeps the fax in its inbox, and it calls the program once
// the program waits for calls, with the two-page demo document.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../../modemsim/child_process.h"
#include "cli/fax/px_text_fax.h"
#include "fax_call.h"
#include "fax_pages.h"
#include "support/prerequisite.h"

namespace px::test {
namespace {

std::string demoDocument() {
    const char* source = std::getenv("PARVEX_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/resources/demo/demo-fax.tif";
}

int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

class DemoLine : public testing::TestWithParam<std::string> {};

TEST_P(DemoLine, KeepsADialledFaxInTheInboxAndCallsTheWaitingProgramOnce) {
    PX_REQUIRE(FaxCall::simulatorBuilt(), "parvex-modemsim");
    PX_REQUIRE(std::filesystem::exists(demoDocument()), "the demo document");
    const std::string& faxClass = GetParam();
    FaxCall call;
    const std::string inbox = call.dir / "remote inbox";
    // An earlier run's fax stays; numbering goes on after it.
    std::filesystem::create_directories(inbox);
    std::filesystem::copy_file(demoDocument(), inbox + "/fax-0006.tif");
    ChildProcess simulator(
        {binDir() + "/parvex-modemsim", "demo", "--link", call.link, "--inbox", inbox, "--send",
         demoDocument(), "--class", faxClass, "--ring-after", "1", "--timeout", "300"},
        call.dir / "sim.log");
    ASSERT_TRUE(waitForPath(call.link, 10)) << readFile(call.dir / "sim.log");

    // Any number is answered.
    const std::string letter = writeLetter(call, "letter.txt", 1);
    call.runFax({"send", "--to", "0049301234567", "--class", faxClass, "--fine", "--station-id",
                 "PARVEX DEMO USER", letter});
    EXPECT_EQ(call.faxStatus, 0) << call.output;
    EXPECT_EQ(lastLine(call.output), "Sent");
    // The report comes last, once the fax is kept under its own name.
    ASSERT_TRUE(waitForPath(inbox + "/fax-0007.json", 20)) << readFile(call.dir / "sim.log");
    const std::string kept = inbox + "/fax-0007.tif";
    ASSERT_TRUE(std::filesystem::exists(kept)) << readFile(call.dir / "sim.log");
    EXPECT_FALSE(std::filesystem::exists(inbox + "/fax-0007.part.tif"));
    const std::string report = readFile(inbox + "/fax-0007.json");
    EXPECT_EQ(reportField(report, "success"), "true") << report;
    EXPECT_EQ(reportField(report, "mode"), "demo");
    EXPECT_EQ(reportField(report, "number"), "0049301234567");
    EXPECT_EQ(reportField(report, "remote_id"), "PARVEX DEMO USER");
    EXPECT_EQ(reportField(report, "pages"), "1");
    ASSERT_EQ(textToApf(letter, call.dir / "letter.apf", true), ecOK);
    std::filesystem::copy_file(kept, call.dir / "received.tif");
    expectSentPages(call, {call.dir / "letter.apf"});

    // The program turns to receiving: the remote machine calls with the demo
    // document, pel for pel.
    std::filesystem::create_directories(call.dir / "in");
    call.runFax({"receive", "--dir", call.dir / "in", "--class", faxClass, "--once", "--station-id",
                 "PARVEX DEMO USER"});
    EXPECT_EQ(call.faxStatus, 0) << call.output;
    EXPECT_EQ(lastLine(call.output), "Received");
    auto got = apfPages(call.dir / "in/FAX0001.APF");
    auto sent = tiffPages(demoDocument());
    ASSERT_EQ(sent.size(), 2u);
    ASSERT_EQ(got.size(), sent.size());
    for (size_t p = 0; p < sent.size(); ++p) {
        EXPECT_EQ(got[p], sent[p]) << "page " << p + 1;
    }

    simulator.terminate();
    const std::string log = readFile(call.dir / "sim.log");
    EXPECT_EQ(occurrences(log, "remote fax machine calls"), 1) << log;
    // The call to the program is no fax of the inbox's own.
    EXPECT_FALSE(std::filesystem::exists(inbox + "/fax-0008.tif"));
    EXPECT_FALSE(std::filesystem::exists(inbox + "/fax-0008.json"));
}

INSTANTIATE_TEST_SUITE_P(Classes, DemoLine, testing::Values("1", "2.0"),
                         [](const testing::TestParamInfo<std::string>& param) {
                             return param.param == "1" ? std::string("Class1")
                                                       : std::string("Class20");
                         });

}  // namespace
}  // namespace px::test
