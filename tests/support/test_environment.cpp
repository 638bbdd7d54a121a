// Gives every test binary the locations of the test data, the source tree and
// the built programs, whether it is started by CTest or by hand. Values already
// in the environment win.
#include <cstdlib>

namespace {

struct TestEnvironment {
    TestEnvironment() {
        ::setenv("PARVEX_TESTDATA", PARVEX_DEFAULT_TESTDATA, 0);
        ::setenv("PARVEX_SOURCE_DIR", PARVEX_DEFAULT_SOURCE_DIR, 0);
        ::setenv("PARVEX_BIN_DIR", PARVEX_DEFAULT_BIN_DIR, 0);
    }
};

const TestEnvironment environment;

}  // namespace
