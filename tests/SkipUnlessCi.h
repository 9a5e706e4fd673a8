#pragma once
// A test that cannot run on this machine (a tool or an ability missing) is
// skipped, except where the environment variable CI is set: there the
// machine is meant to have everything, and the missing piece fails the test.

#include <cstdlib>

#include <gtest/gtest.h>

#define FER_SKIP_UNLESS_CI(why)                                                                    \
    do {                                                                                           \
        if (std::getenv("CI")) GTEST_FAIL() << (why) << " (CI is set: no skips)";                  \
        GTEST_SKIP() << (why);                                                                     \
    } while (0)
