// The command-line forms of parvex-cover, run as separate processes, and the
// shipped templates read back off the page by OCR.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fax/apf/px_apf_reader.h"
#include "support/prerequisite.h"
#include "support/shell_command.h"
#include "support/temp_dir.h"

namespace px {
namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string output;
};

class CoverTool : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path bin(std::getenv("PARVEX_BIN_DIR"));
        tool_ = (bin / "parvex-cover").string();
        convert_ = (bin / "parvex-convert").string();
        ASSERT_TRUE(fs::exists(tool_));
        // A program folder of our own, with sender information in its settings.
        home_ = dir_ / "home";
        fs::create_directories(home_);
        test::writeFile(home_ + "/PX.INI",
                        "[User]\nName=Charles Babbage\nCompany=Analytical Engines\n"
                        "Fax=555 0199\nVoice=555 0198\n");
        covers_ = (fs::path(std::getenv("PARVEX_SOURCE_DIR")) / "resources/covers").string();
    }

    Result run(const std::string& args) const {
        Result r;
        r.output = test::runCommand("PARVEX_HOME='" + home_ + "' " + tool_ + " " + args + " 2>&1",
                                    &r.status);
        return r;
    }
    std::string cover(const char* name, const char* ext) const {
        return covers_ + "/" + name + ext;
    }

    test::TempDir dir_;
    std::string home_;
    std::string covers_;
    std::string tool_;
    std::string convert_;
};

int lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(CoverTool, RenderWritesAFinePageAndFailsCleanly) {
    const std::string out = dir_ / "c.apf";
    Result r = run("render " + cover("px0001", ".FCT") + " " + out +
                   " --recipient 'Ada Lovelace' --check urgent,recycle");
    EXPECT_EQ(r.status, 0) << r.output;
    TPxApfReader reader;
    ASSERT_EQ(reader.open(out), ecOK);
    EXPECT_EQ(reader.pageCount(), 1);

    const struct {
        const char* args;
        const char* says;
    } failures[] = {
        {"render no-such-template OUT.APF", "no cover template"},
        {"render", "render needs"},
        {"render px0001 OUT.APF --check soon", "--check takes"},
        {"render px0001 OUT.APF --recipient", "needs a value"},
        {"render px0001 OUT.APF --message-file /nonexistent", "message file"},
        {"render px0001 OUT.APF --colour red", "unknown option"},
        {"frobnicate", "unknown command"},
        {"", "a command is needed"},
        {"info /nonexistent.FCS", "cannot read"},
    };
    fs::create_directories(home_ + "/Covers");
    fs::copy_file(cover("px0001", ".FCT"), home_ + "/Covers/PX0001.fct");
    for (const auto& f : failures) {
        std::string args = f.args;
        const auto at = args.find("OUT.APF");
        if (at != std::string::npos) {
            args.replace(at, 7, dir_ / "never.apf");
        }
        r = run(args);
        EXPECT_EQ(r.status, 1) << f.args;
        EXPECT_NE(r.output.find(f.says), std::string::npos) << f.args << ": " << r.output;
        EXPECT_FALSE(fs::exists(dir_ / "never.apf")) << f.args;
    }
    // Names are looked up in Covers without regard to letter case.
    r = run("render px0001 " + (dir_ / "named.apf"));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(fs::exists(dir_ / "named.apf"));
    // An output folder that does not exist is an error, not a success.
    r = run("render px0001 " + (dir_ / "no/such/folder/x.apf"));
    EXPECT_EQ(r.status, 1) << r.output;
}

TEST_F(CoverTool, InfoListsOneObjectALine) {
    Result r = run("info " + cover("px0001", ".FCS"));
    ASSERT_EQ(r.status, 0) << r.output;
    Result list = run("info " + cover("px0001", ".FCT"));
    ASSERT_EQ(list.status, 0) << list.output;
    EXPECT_GT(lines(r.output), 20);
    EXPECT_EQ(lines(r.output), lines(list.output));
    EXPECT_NE(r.output.find("TFaxCoverLabel 0,0 200x80 \"FAX\" Arial 48pt"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("cfRecipient"), std::string::npos);
    EXPECT_NE(list.output.find("text 0,0 408x163 \"FAX\" \"Arial\" 96"), std::string::npos)
        << list.output;
    // A damaged design lists what it could read, then says where it stopped.
    std::string bytes = test::readFile(cover("px0001", ".FCS"));
    bytes.resize(bytes.size() / 2);
    test::writeFile(dir_ / "cut.FCS", bytes);
    r = run("info " + (dir_ / "cut.FCS"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("reading stopped after"), std::string::npos) << r.output;
}

TEST_F(CoverTool, InstallCopiesTheShippedTemplatesOnce) {
    Result r = run("install");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("16 file(s)"), std::string::npos) << r.output;
    EXPECT_TRUE(fs::exists(home_ + "/Covers/px0003.FCT"));
    r = run("install");
    EXPECT_NE(r.output.find("0 file(s)"), std::string::npos) << r.output;
}

std::string ocr(const std::string& picture) {
    return test::runCommand("tesseract " + test::shellQuote(picture) + " - 2>/dev/null");
}

TEST_F(CoverTool, EveryShippedTemplateReadsBackByOcr) {
    PX_REQUIRE(std::system("tesseract --version >/dev/null 2>&1") == 0, "tesseract");
    ASSERT_TRUE(fs::exists(convert_));
    test::writeFile(dir_ / "message.txt",
                    "Please find the quarterly figures attached.\n"
                    "The totals are on the second page.\n"
                    "Kind regards from the engine room.\n");
    const char* expected[] = {"Ada Lovelace",
                              "Quarterly figures",
                              "Please find the quarterly figures attached.",
                              "The totals are on the second page.",
                              "Kind regards from the engine room.",
                              "Charles Babbage"};
    for (const char* name : {"px0001", "px0002", "px0003", "px0004"}) {
        SCOPED_TRACE(name);
        const std::string apf = dir_ / (std::string(name) + ".apf");
        const std::string tif = dir_ / (std::string(name) + ".tif");
        Result r = run("render " + cover(name, ".FCT") + " " + apf +
                       " --recipient 'Ada Lovelace' --regarding 'Quarterly figures' "
                       "--message-file " +
                       (dir_ / "message.txt"));
        ASSERT_EQ(r.status, 0) << r.output;
        ASSERT_EQ(std::system((convert_ + " from-apf " + apf + " " + tif + " >/dev/null").c_str()),
                  0);
        const std::string text = ocr(tif);
        for (const char* words : expected) {
            EXPECT_NE(text.find(words), std::string::npos) << words << " not in:\n" << text;
        }
    }
}

}  // namespace
}  // namespace px
