// The command-line forms scripts rely on, run as a separate process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fax/apf/px_apf_reader.h"
#include "support/shell_command.h"

namespace px {
namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string output;  // stdout and stderr
};

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/px-tool-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
        // Tests run from build/tests; the tools land in build/bin.
        const char* bin = std::getenv("PARVEX_BIN_DIR");
        const fs::path binDir =
            bin != nullptr ? fs::path(bin)
                           : fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin";
        tool_ = (binDir / "parvex-convert").string();
        ASSERT_TRUE(fs::exists(tool_));
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    Result run(const std::string& args) const {
        Result r;
        r.output = test::runCommand(tool_ + " " + args + " 2>&1", &r.status);
        return r;
    }

    std::string dir_;
    std::string tool_;
};

TEST_F(ToolTest, TextToApfAndBackInEveryFormat) {
    std::ofstream(file("doc.txt")) << "Parvex test page\nsecond line\n";
    Result r = run("to-apf " + file("doc.txt") + " " + file("doc.apf") +
                   " --fine --font small --station-id 'ABC 123' --left-margin 100 --top-margin 3 "
                   "--lines-per-page 1");
    ASSERT_EQ(r.status, 0) << r.output;
    TPxApfReader reader;
    ASSERT_EQ(reader.open(file("doc.apf")), ecOK);
    EXPECT_EQ(reader.pageCount(), 2);  // one text line per page
    EXPECT_EQ(reader.header().senderText(), "ABC 123");

    r = run("info " + file("doc.apf"));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("pages: 2"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("page 2: "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("fine"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("image length"), std::string::npos) << r.output;

    for (const char* ext : {"bmp", "pcx", "dcx", "png", "pbm", "tif"}) {
        const std::string out = file(std::string("p2.") + ext);
        r = run("from-apf " + file("doc.apf") + " " + out + " --page 2");
        EXPECT_EQ(r.status, 0) << ext << ": " << r.output;
        EXPECT_TRUE(fs::exists(out) && fs::file_size(out) > 0) << ext;
    }
    // The PBM holds the whole page at one pel per fax pel: 1728 wide and
    // 3 top-margin rows and 16 text rows (8 doubled at fine resolution),
    // text starting at pel 100.
    QImage pbm(QString::fromStdString(file("p2.pbm")));
    ASSERT_FALSE(pbm.isNull());
    EXPECT_EQ(pbm.width(), 1728);
    EXPECT_EQ(pbm.height(), 19);
    int first = -1;
    for (int x = 0; x < pbm.width() && first < 0; ++x) {
        for (int y = 0; y < pbm.height(); ++y) {
            if (qGray(pbm.pixel(x, y)) < 128) {
                first = x;
                break;
            }
        }
    }
    EXPECT_GE(first, 100);
    EXPECT_LT(first, 112);
    // The PNG and the BMP open in Qt's readers.
    EXPECT_FALSE(QImage(QString::fromStdString(file("p2.png"))).isNull());
    EXPECT_FALSE(QImage(QString::fromStdString(file("p2.bmp"))).isNull());
}

TEST_F(ToolTest, ToTiffMakesTheFileFromApfMakesAndLeavesNothingElse) {
    std::ofstream(file("doc.txt")) << "first page\n\fsecond page\n";
    QImage picture(200, 60, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 10; y < 50; ++y) {
        for (int x = 10; x < 190; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 0));
    }
    ASSERT_TRUE(picture.save(QString::fromStdString(file("pic.png"))));
    // Text goes the quick way, a picture through the full converter.
    for (const char* input : {"doc.txt", "pic.png"}) {
        const std::string in = file(input);
        ASSERT_EQ(run("to-apf " + in + " " + file("two.apf") + " --fine --top-margin 5").status, 0);
        ASSERT_EQ(run("from-apf " + file("two.apf") + " " + file("two.tif")).status, 0);
        Result r = run("to-tiff " + in + " " + file("one.tif") + " --fine --top-margin 5");
        ASSERT_EQ(r.status, 0) << r.output;
        std::ifstream a(file("one.tif"), std::ios::binary);
        std::ifstream b(file("two.tif"), std::ios::binary);
        const std::string one{std::istreambuf_iterator<char>(a), {}};
        const std::string two{std::istreambuf_iterator<char>(b), {}};
        EXPECT_TRUE(!one.empty() && one == two) << input;
        fs::remove(file("two.apf"));
        fs::remove(file("two.tif"));
        fs::remove(file("one.tif"));
        // No APF file is left behind by the one job.
        for (const auto& entry : fs::directory_iterator(dir_)) {
            EXPECT_NE(entry.path().extension(), ".apf") << entry.path();
        }
    }

    const Result wrongName = run("to-tiff " + file("doc.txt") + " " + file("doc.apf"));
    EXPECT_EQ(wrongName.status, 2) << wrongName.output;
    EXPECT_NE(wrongName.output.find("OUTPUT.tif"), std::string::npos) << wrongName.output;
    const Result missing = run("to-tiff " + file("missing.txt") + " " + file("x.tif"));
    EXPECT_EQ(missing.status, 1) << missing.output;
    EXPECT_NE(missing.output.find("File not found"), std::string::npos) << missing.output;
    EXPECT_FALSE(fs::exists(file("x.tif")));
    for (const auto& entry : fs::directory_iterator(dir_)) {
        EXPECT_NE(entry.path().extension(), ".apf") << entry.path();
    }
}

TEST_F(ToolTest, TheTopMarginKeepsItsLinesOnAWidePage) {
    // The top margin's white lines are as wide as the page: a 2048-pel page
    // keeps them as a 1728-pel page does.
    std::ofstream(file("doc.txt")) << "x\n";
    for (const char* form : {"", "--wide"}) {
        const std::string options = std::string(form) + " --lines-per-page 1 --font small";
        ASSERT_EQ(run("to-apf " + file("doc.txt") + " " + file("none.apf") + " " + options).status,
                  0);
        ASSERT_EQ(
            run("to-apf " + file("doc.txt") + " " + file("ten.apf") + " --top-margin 10 " + options)
                .status,
            0);
        ASSERT_EQ(run("from-apf " + file("none.apf") + " " + file("none.pbm")).status, 0);
        ASSERT_EQ(run("from-apf " + file("ten.apf") + " " + file("ten.pbm")).status, 0);
        const QImage none(QString::fromStdString(file("none.pbm")));
        const QImage ten(QString::fromStdString(file("ten.pbm")));
        ASSERT_FALSE(none.isNull() || ten.isNull()) << form;
        EXPECT_EQ(ten.width(), none.width()) << form;
        EXPECT_EQ(ten.height(), none.height() + 10) << form;
    }
}

TEST_F(ToolTest, PicturesAndTiffComeIn) {
    QImage picture(300, 100, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 20; y < 80; ++y) {
        for (int x = 20; x < 280; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 0));
    }
    ASSERT_TRUE(picture.save(QString::fromStdString(file("pic.png"))));
    ASSERT_EQ(run("to-apf " + file("pic.png") + " " + file("pic.apf")).status, 0);
    ASSERT_EQ(run("from-apf " + file("pic.apf") + " " + file("pic.tif")).status, 0);
    Result r = run("to-apf " + file("pic.tif") + " " + file("back.apf") + " --station-id X");
    ASSERT_EQ(r.status, 0) << r.output;
    r = run("info " + file("back.apf"));
    EXPECT_NE(r.output.find("sender id: \"X\""), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("100 lines"), std::string::npos) << r.output;
}

TEST_F(ToolTest, ErrorsAreOneLineAndNonZero) {
    std::ofstream(file("not.apf")) << "hello";
    struct Case {
        std::string args;
        int status;
        std::string text;
    };
    const Case cases[] = {
        {"", 2, "usage:"},
        {"frobnicate", 2, "unknown command"},
        {"to-apf onlyone", 2, "needs INPUT and OUTPUT"},
        {"to-apf a b --font huge", 2, "--font"},
        {"to-apf a b --left-margin -3", 2, "bad value"},
        {"from-apf " + file("not.apf") + " " + file("x.bmp"), 1,
         "File is not an APF file (error 8001)"},
        {"from-apf " + file("missing.apf") + " " + file("x.bmp"), 1, "File not found (error 2)"},
        {"from-apf " + file("not.apf") + " " + file("x.gif"), 2, "unknown output format"},
        {"to-apf " + file("missing.txt") + " " + file("x.apf"), 1, "File not found"},
        {"to-apf " + file("not.apf") + " " + file("x.apf") + " --station-id 123456789012345678901",
         2, "20"},
        {"info " + file("not.apf"), 1, "error 8001"},
    };
    for (const Case& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
        EXPECT_NE(r.output.find(c.text), std::string::npos) << c.args << "\n" << r.output;
        if (c.status == 1) {
            EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
        }
    }
    EXPECT_FALSE(fs::exists(file("x.apf")));
}

TEST_F(ToolTest, InputIsTakenByItsContentAndGarbageIsRefused) {
    QImage picture(300, 100, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 20; y < 80; ++y) {
        for (int x = 20; x < 280; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 0));
    }
    ASSERT_TRUE(picture.save(QString::fromStdString(file("pic.png"))));
    ASSERT_EQ(run("to-apf " + file("pic.png") + " " + file("pic.apf")).status, 0);
    // A real PCX page, under a name that says nothing, comes in as a picture.
    ASSERT_EQ(run("from-apf " + file("pic.apf") + " " + file("page.pcx")).status, 0);
    fs::rename(file("page.pcx"), file("page.txt"));
    Result r = run("to-apf " + file("page.txt") + " " + file("pcx.apf") + " --fine");
    ASSERT_EQ(r.status, 0) << r.output;
    r = run("info " + file("pcx.apf"));
    // Read back at fine resolution: the page's 100 lines, doubled in height.
    EXPECT_NE(r.output.find("200 lines"), std::string::npos) << r.output;
    // A JPEG is a picture, not text.
    ASSERT_TRUE(picture.save(QString::fromStdString(file("photo.jpg")), "JPEG"));
    r = run("to-apf " + file("photo.jpg") + " " + file("jpg.apf"));
    ASSERT_EQ(r.status, 0) << r.output;
    r = run("info " + file("jpg.apf"));
    EXPECT_NE(r.output.find("100 lines"), std::string::npos) << r.output;

    ASSERT_TRUE(picture.save(QString::fromStdString(file("whole.bmp")), "BMP"));
    std::string bmp;
    {
        std::ifstream in(file("whole.bmp"), std::ios::binary);
        bmp.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::ofstream(file("cut.bmp"), std::ios::binary) << bmp.substr(0, 100);
    std::ofstream(file("zeros.txt"), std::ios::binary) << std::string(4096, '\0');
    fs::create_directory(file("folder"));
    struct Case {
        std::string input;
        std::string text;
    };
    const Case cases[] = {
        {file("cut.bmp"), "the file is cut short"},
        {file("zeros.txt"), "neither text nor a supported picture"},
        {file("folder"), "Is a directory (error 21)"},
    };
    for (const Case& c : cases) {
        r = run("to-apf " + c.input + " " + file("x.apf"));
        EXPECT_EQ(r.status, 1) << c.input << "\n" << r.output;
        EXPECT_NE(r.output.find(c.input), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(c.text), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find("Input/output error"), std::string::npos) << r.output;
        EXPECT_FALSE(fs::exists(file("x.apf"))) << c.input;
    }
    r = run("info " + file("folder"));
    EXPECT_NE(r.output.find("Is a directory"), std::string::npos) << r.output;
}

TEST_F(ToolTest, PagesPastTheFormatAreAnErrorAndCutPagesAWarning) {
    std::ofstream(file("feeds.txt"), std::ios::binary) << std::string(65536, '\f');
    Result r = run("to-apf " + file("feeds.txt") + " " + file("feeds.apf"));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("more pages than a fax file holds"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(file("feeds.apf")));
    r = run("to-tiff " + file("feeds.txt") + " " + file("feeds.tif"));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("more pages than a fax file holds"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(file("feeds.tif")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

    // One page of 2,200 text lines at fine resolution: 70,400 raster lines,
    // more than a page picture or an imported page keeps. Each cut says so.
    std::string text;
    for (int i = 0; i < 2200; ++i) {
        text += "line\r\n";
    }
    std::ofstream(file("tall.txt"), std::ios::binary) << text;
    r = run("to-apf " + file("tall.txt") + " " + file("tall.apf") + " --fine --lines-per-page 0");
    ASSERT_EQ(r.status, 0) << r.output;
    r = run("from-apf " + file("tall.apf") + " " + file("tall.png"));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("warning: " + file("tall.apf")), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("4864 lines left out"), std::string::npos) << r.output;
    ASSERT_EQ(run("from-apf " + file("tall.apf") + " " + file("tall.tif")).status, 0);
    r = run("to-apf " + file("tall.tif") + " " + file("back.apf"));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("4864 lines left out"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace px
