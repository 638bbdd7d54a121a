#include "pty_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace px {
namespace {

std::string scratch(const std::string& name) {
    std::string dir = ::testing::TempDir() + "/ptyport";
    std::filesystem::create_directories(dir);
    std::string path = dir + "/" + name;
    std::filesystem::remove(path);
    return path;
}

TEST(PtyPort, CarriesBytesBothWaysThroughItsLink) {
    std::string link = scratch("tty");
    PtyPort port("A", link);
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), port.slavePath());
    int dte = ::open(link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(dte, 0);
    ASSERT_EQ(::write(dte, "AT\r", 3), 3);
    std::vector<uint8_t> got;
    for (int i = 0; i < 100 && got.size() < 3; ++i) {
        auto part = port.read(16);
        got.insert(got.end(), part.begin(), part.end());
        usleep(1000);
    }
    EXPECT_EQ(std::string(got.begin(), got.end()), "AT\r");
    port.write("\r\nOK\r\n");
    char buf[16] = {};
    EXPECT_EQ(::read(dte, buf, sizeof buf), 6);
    EXPECT_STREQ(buf, "\r\nOK\r\n");
    ::close(dte);
    port.close();
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST(PtyPort, ReplacesAStaleLinkButNeverAFile) {
    std::string link = scratch("stale");
    std::filesystem::create_symlink("/dev/pts/nonexistent", link);
    {
        PtyPort port("A", link);
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), port.slavePath());
    }
    std::string file = scratch("precious");
    std::ofstream(file) << "keep me";
    EXPECT_THROW(PtyPort("A", file), std::runtime_error);
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "keep me");
}

TEST(PtyPort, ClosingLeavesALinkThatIsNoLongerOurs) {
    std::string link = scratch("moved");
    PtyPort port("A", link);
    std::filesystem::remove(link);
    std::filesystem::create_symlink("/dev/null", link);
    port.close();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    std::filesystem::remove(link);
}

}  // namespace
}  // namespace px
