// parvex-view on good and bad files, as a separate process.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <QPainter>
#include <array>
#include <cstdio>
#include <filesystem>

#include "support/apf_samples.h"
#include "support/shell_command.h"
#include "support/temp_dir.h"

namespace px {
namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string output;  // stdout and stderr
};

class ParvexView : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("PARVEX_BIN_DIR");
        const fs::path binDir =
            bin != nullptr ? fs::path(bin)
                           : fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin";
        tool_ = (binDir / "parvex-view").string();
        ASSERT_TRUE(fs::exists(tool_));
    }

    Result run(const std::string& args) const {
        const std::string env = "PARVEX_HOME='" + home.path() +
                                "' QT_QPA_PLATFORM=offscreen PARVEX_QUIT_AFTER_PAINT=1 ";
        Result r;
        r.output = test::runCommand(env + tool_ + " " + args + " 2>&1", &r.status);
        return r;
    }

    test::TempDir home;
    test::TempDir dir;
    std::string tool_;
};

TEST_F(ParvexView, ShowsAnApfFile) {
    QImage page(1728, 200, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    QPainter(&page).fillRect(QRect(10, 10, 40, 40), Qt::black);
    test::writeApfPages(dir / "two.apf", {page, page}, true);
    const Result r = run("'" + dir / "two.apf" + "'");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("two.apf: Page 1 of 2"), std::string::npos) << r.output;
}

TEST_F(ParvexView, ShowsATiffFaxThroughATemporaryApf) {
    const std::string tiff = test::testDataDir() + "/ccitt/ccitt_1.tif";
    ASSERT_TRUE(fs::exists(tiff)) << "the CCITT test pages in tests/data";
    const Result r = run(tiff);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("ccitt_1.tif: Page 1 of 1"), std::string::npos) << r.output;
}

TEST_F(ParvexView, RefusesWhatItCannotShow) {
    struct Case {
        std::string file;
        std::string says;
    };
    test::writeFile(dir / "letter.txt", "Dear Sir,");
    test::writeFile(dir / "short.apf", std::string("APF10\x1a", 6));
    test::writeFile(dir / "locked.apf", "APF10");
    fs::permissions(dir / "locked.apf", fs::perms::none);
    const std::vector<Case> cases = {
        {dir / "none.apf", "no such file"},
        {dir / "letter.txt", "not a fax file"},
        {dir / "short.apf", "File is not an APF file"},
        {dir.path(), "cannot be read"},
    };
    for (const Case& c : cases) {
        const Result r = run("'" + c.file + "'");
        EXPECT_EQ(r.status, 1) << c.file;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    }
    if (::geteuid() != 0) {
        const Result r = run("'" + dir / "locked.apf" + "'");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.output.find("cannot be read"), std::string::npos) << r.output;
    }
    EXPECT_EQ(run("").status, 2);
    EXPECT_EQ(run("a b").status, 2);
}

}  // namespace
}  // namespace px
