// Gives every test binary the locations of the test data, the source tree and
// the built programs, whether it is started by CTest or by hand. Values already
// in the environment win. Per-user configuration (the print queue's PXPD.INI
// among it) goes to a folder of the test's own, never into the user's home.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct TestEnvironment {
    TestEnvironment() {
        ::setenv("PARVEX_TESTDATA", PARVEX_DEFAULT_TESTDATA, 0);
        ::setenv("PARVEX_SOURCE_DIR", PARVEX_DEFAULT_SOURCE_DIR, 0);
        ::setenv("PARVEX_BIN_DIR", PARVEX_DEFAULT_BIN_DIR, 0);
        std::string config =
            (std::filesystem::temp_directory_path() / "parvex-config-XXXXXX").string();
        if (::mkdtemp(config.data()) != nullptr) {
            configHome = config;
            ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        }
    }
    ~TestEnvironment() {
        // A forked child that ends through exit() leaves the folder to its parent.
        if (!configHome.empty() && ::getpid() == owner) {
            std::error_code ignored;
            std::filesystem::remove_all(configHome, ignored);
        }
    }
    std::string configHome;
    pid_t owner = ::getpid();
};

const TestEnvironment environment;

}  // namespace
