// parvex-convert's outputs against references kept in tests/data: text to
// APF in every font and form, APF to TIFF, text straight to TIFF, TIFF to APF. Whichever program
// does a job, the bytes stay those of the references (an APF's creation
// time aside).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/shell_command.h"

namespace px {
namespace {

namespace fs = std::filesystem;

// Bytes 6 to 9 of an APF file hold its creation time.
constexpr size_t kApfTimeEnd = 10;

std::vector<char> bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ConvertReference : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/px-reference-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
        const char* bin = std::getenv("PARVEX_BIN_DIR");
        const fs::path binDir =
            bin != nullptr ? fs::path(bin)
                           : fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin";
        tool_ = (binDir / "parvex-convert").string();
        const char* data = std::getenv("PARVEX_TESTDATA");
        data_ = data != nullptr ? fs::path(data) : fs::path(PARVEX_DEFAULT_TESTDATA);
        ASSERT_TRUE(fs::exists(tool_));
        ASSERT_TRUE(fs::is_directory(data_ / "convert_reference"));
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs a conversion and compares its output with the reference `name`.
    void expectLikeReference(const std::string& args, const std::string& name) {
        const fs::path out = dir_ / name;
        int status = -1;
        const std::string output =
            test::runCommand(tool_ + " " + args + " " + out.string() + " 2>&1", &status);
        ASSERT_EQ(status, 0) << args << ": " << output;
        std::vector<char> got = bytes(out);
        std::vector<char> want = bytes(data_ / "convert_reference" / name);
        ASSERT_FALSE(want.empty()) << name;
        if (out.extension() == ".apf") {
            ASSERT_GE(got.size(), kApfTimeEnd) << name;
            std::fill_n(got.begin() + 6, 4, 0);
            std::fill_n(want.begin() + 6, 4, 0);
        }
        EXPECT_TRUE(got == want) << name << " differs from its reference";
    }

    fs::path dir_;
    fs::path data_;
    std::string tool_;
};

TEST_F(ConvertReference, TextToApfAndOnToTiff) {
    const std::pair<const char*, const char*> forms[] = {
        {"std", ""}, {"fine", "--fine"}, {"small", "--font small"}, {"wide", "--wide"}};
    for (const char* text : {"letter", "line_ends", "utf8_feeds"}) {
        const std::string input = (data_ / "fuzz/text" / (std::string(text) + ".txt")).string();
        for (const auto& [form, options] : forms) {
            const std::string name = std::string(text) + "_" + form;
            expectLikeReference("to-apf " + input + " " + options, name + ".apf");
            expectLikeReference("from-apf " + (dir_ / (name + ".apf")).string(), name + ".tif");
            // Straight to TIFF, the APF step left out, gives the same file.
            expectLikeReference("to-tiff " + input + " " + options, name + ".tif");
        }
    }
}

TEST_F(ConvertReference, ApfToTiffAndTiffToApf) {
    for (const char* apf : {"received_raw", "two_pages", "fine_wide"}) {
        expectLikeReference(
            "from-apf " + (data_ / "fuzz/apf" / (std::string(apf) + ".apf")).string(),
            std::string(apf) + ".tif");
    }
    for (const char* tiff : {"two_pages", "fine_wide"}) {
        expectLikeReference(
            "to-apf " + (data_ / "fuzz/tiff_import" / (std::string(tiff) + ".tif")).string(),
            "tiff_" + std::string(tiff) + ".apf");
    }
}

}  // namespace
}  // namespace px
