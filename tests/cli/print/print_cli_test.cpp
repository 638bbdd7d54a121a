// parvex-print as scripts use it, run as a separate process.
#include <gtest/gtest.h>

#include <filesystem>

#include "fax/apf/px_apf_format.h"
#include "private_cupsd.h"
#include "support/pdf_tools.h"
#include "support/prerequisite.h"
#include "support/temp_dir.h"
#include "support/test_fax.h"

namespace px {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class PrintTool : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("PARVEX_BIN_DIR");
        tool_ = std::string(bin != nullptr ? bin : "") + "/parvex-print";
        ASSERT_TRUE(fs::exists(tool_)) << tool_;
        fax_ = dir_ / "FAX00001.APF";
        test::writeTestFax(fax_, 3);
    }

    // Runs the tool; `server` is the print server it sees (by default none).
    Result run(const std::string& args, const std::string& server = "/nonexistent/cups.sock") {
        Result r;
        const std::string errFile = dir_ / "stderr.txt";
        r.out = test::runCommand("CUPS_SERVER=" + test::shellQuote(server) +
                                     " QT_QPA_PLATFORM=offscreen " + test::shellQuote(tool_) + " " +
                                     args + " 2>" + test::shellQuote(errFile),
                                 &r.status);
        r.err = test::readFile(errFile);
        return r;
    }

    std::string q(const std::string& s) const { return test::shellQuote(s); }

    std::string tool_;
    test::TempDir dir_;
    std::string fax_;
};

TEST_F(PrintTool, PrintsTheChosenPagesIntoAPdfFile) {
    PX_REQUIRE(test::havePopplerTools(), "poppler-utils (pdfinfo, pdftotext)");
    const std::string pdf = dir_ / "out.pdf";
    const Result r = run(q(fax_) + " --pdf " + q(pdf) + " --pages 2-3 --no-header --footer " +
                         q("Seite $P von $N"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Printed 2 pages to " + pdf), std::string::npos) << r.out;
    EXPECT_EQ(test::pdfPageCount(pdf), 2);
    const std::string text = test::pdfText(pdf);
    EXPECT_NE(text.find("Seite 3 von 3"), std::string::npos) << text;
    EXPECT_EQ(text.find("FILE:"), std::string::npos) << "the header is off";

    // Four pages a sheet: three pages on one sheet; two in landscape.
    ASSERT_EQ(run(q(fax_) + " --pdf " + q(pdf) + " --multi --quiet").status, 0);
    EXPECT_EQ(test::pdfPageCount(pdf), 1);
    ASSERT_EQ(run(q(fax_) + " --pdf " + q(pdf) + " --multi --landscape --scale none").status, 0);
    EXPECT_EQ(test::pdfPageCount(pdf), 2);
}

TEST_F(PrintTool, RefusesWhatItCannotPrintWithAClearReason) {
    const std::string notFax = dir_ / "LETTER.APF";
    test::writeFile(notFax, "Dear Sir,\n");
    const std::string pdf = dir_ / "out.pdf";
    const struct {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {q(dir_ / "MISSING.APF") + " --pdf " + q(pdf), 2, "MISSING.APF: no such file"},
        {q(notFax) + " --pdf " + q(pdf), 2, "File is not an APF file"},
        {q(fax_) + " --pdf " + q(pdf) + " --pages 2-4", 2,
         "pages 2-4 are outside the fax, which has pages 1-3"},
        {q(fax_) + " --pdf " + q(pdf) + " --pages 0-1", 2, "outside the fax"},
        {q(fax_) + " --pdf " + q(pdf) + " --pages 3-2", 2, "outside the fax"},
        {q(fax_) + " --pdf " + q(pdf) + " --pages two", 2, "--pages wants FIRST-LAST"},
        {q(fax_) + " --pdf " + q(pdf) + " --scale half", 2, "--scale is fit or none"},
        {q(fax_) + " --pdf " + q(pdf) + " --printer x", 2, "exclude each other"},
        {q(fax_) + " --bogus", 2, "unknown option --bogus"},
        {"", 2, "which fax file?"},
        {q(fax_) + " --printer nosuch", 2, "no printer named nosuch"},
        {q(fax_), 2, "no printer is installed; print to a file with --pdf"},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_FALSE(fs::exists(pdf)) << c.args;
    }
}

TEST_F(PrintTool, APageThatCannotBeDecodedFailsWithNoDocumentLeft) {
    // The file ends inside page 2.
    std::string bytes = test::readFile(fax_);
    const uint32_t length1 = uint32_t{uint8_t(bytes[64])} | uint32_t{uint8_t(bytes[65])} << 8 |
                             uint32_t{uint8_t(bytes[66])} << 16;
    bytes.resize(kApfFirstPageOffset + 2 * kApfPageHeaderSize + length1 + 50);
    test::writeFile(fax_, bytes);
    const std::string pdf = dir_ / "out.pdf";
    const std::string log = dir_ / "FAXPRINT.LOG";
    const Result r = run(q(fax_) + " --pdf " + q(pdf) + " --log " + q(log));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File is not an APF file"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(pdf));
    const std::string logText = test::readFile(log);
    EXPECT_NE(logText.find(" failed at "), std::string::npos) << logText;
}

// Through a real CUPS scheduler: the job arrives whole at the queue's device.
TEST_F(PrintTool, PrintsOnACupsQueue) {
    PX_REQUIRE(test::PrivateCupsd::available(), "cupsd (cups-daemon)");
    PX_REQUIRE(test::havePopplerTools(), "poppler-utils (pdfinfo, pdftotext)");
    test::PrivateCupsd cupsd;
    ASSERT_TRUE(cupsd.waitUntilReady(10s)) << cupsd.errorLog();

    const Result list = run("--list-printers", cupsd.socket());
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("faxq"), std::string::npos) << list.out << list.err;
    EXPECT_NE(list.out.find("closedq"), std::string::npos) << list.out;

    const Result r = run(q(fax_) + " --printer faxq", cupsd.socket());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Printed 3 pages to faxq"), std::string::npos) << r.out;
    ASSERT_TRUE(cupsd.waitForOutput(20s)) << cupsd.errorLog();
    const std::string document = test::readFile(cupsd.outputFile());
    EXPECT_EQ(document.rfind("%PDF-", 0), 0u);
    EXPECT_NE(document.find("%%EOF", document.size() - 16), std::string::npos)
        << "the document arrived whole";
    EXPECT_EQ(test::pdfPageCount(cupsd.outputFile()), 3);
    EXPECT_NE(test::pdfText(cupsd.outputFile(), 3).find("PAGE: 3 of 3"), std::string::npos);

    // A queue that takes no jobs: printing failed, said so.
    const Result refused = run(q(fax_) + " --printer closedq", cupsd.socket());
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("The printer closedq refused the job"), std::string::npos)
        << refused.err;
    // And one that does not exist.
    const Result unknown = run(q(fax_) + " --printer nosuch", cupsd.socket());
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("no printer named nosuch"), std::string::npos) << unknown.err;
}

}  // namespace
}  // namespace px
