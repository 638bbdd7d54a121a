// Tests that need something outside the test binary (a program, a Python
// module, test data) say so with PX_REQUIRE. When it is missing the test is
// skipped, unless PARVEX_REQUIRE_PREREQUISITES is set, as ./scripts/test.sh
// sets it: that script installs every prerequisite, so a missing one there is
// a broken set-up and the test fails.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

namespace px::test {

inline bool prerequisitesRequired() {
    const char* v = std::getenv("PARVEX_REQUIRE_PREREQUISITES");
    return v != nullptr && *v != '\0' && *v != '0';
}

}  // namespace px::test

#define PX_REQUIRE(condition, what)                               \
    do {                                                          \
        if (!(condition)) {                                       \
            if (::px::test::prerequisitesRequired()) {            \
                GTEST_FAIL() << "missing prerequisite: " << what; \
            } else {                                              \
                GTEST_SKIP() << "missing prerequisite: " << what; \
            }                                                     \
        }                                                         \
    } while (false)
