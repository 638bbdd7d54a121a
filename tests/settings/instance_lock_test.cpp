#include "settings/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace px {
namespace {

namespace fs = std::filesystem;

class InstanceLock : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_RUNTIME_DIR"); }
    test::TempDir runtime;
    test::TempDir home;
};

TEST_F(InstanceLock, NameFollowsTheFolderNotTheWayItIsWritten) {
    const std::string name = instanceName(home.path());
    EXPECT_EQ(name.rfind("parvex-" + std::to_string(::getuid()) + "-", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("parvex-" + std::to_string(::getuid()) + "-").size() + 16);
    EXPECT_EQ(instanceName(home.path() + "/"), name);
    fs::create_symlink(home.path(), runtime / "link");
    EXPECT_EQ(instanceName(runtime / "link"), name);
    EXPECT_NE(instanceName(home / "other"), name);
    EXPECT_EQ(instanceLockPath(home.path()), runtime.path() + "/" + name + ".lock");
}

TEST_F(InstanceLock, OnlyALockHeldByALiveHolderMeansTheProgramRuns) {
    EXPECT_FALSE(programRunsOn(home.path())) << "no lock file";
    const std::string lock = instanceLockPath(home.path());
    test::writeFile(lock, "12345\nparvex\n");
    EXPECT_FALSE(programRunsOn(home.path())) << "a lock file left by a crash";

    const int fd = ::open(lock.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(programRunsOn(home.path()));
    EXPECT_TRUE(programRunsOn(home.path())) << "asking does not take the lock";
    ::close(fd);
    EXPECT_FALSE(programRunsOn(home.path()));
}

}  // namespace
}  // namespace px
